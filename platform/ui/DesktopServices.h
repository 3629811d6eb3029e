#pragma once

// What the core reaches of the desktop through hooks, so that tools which only read and write
// files need no window libraries: opening documents and addresses with the desktop's programs,
// and turning the windows to the UI language's reading direction. Called once, after the
// application object is made.
void InstallDesktopServices();
