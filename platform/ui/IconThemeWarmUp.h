#pragma once
// Reading the icon theme (its index files) takes milliseconds. At start-up a worker reads it
// while the main window is built; Qt's icon loader is not thread-safe, so until that worker is
// done the main thread must not look anything up in the theme. Code that may do so before the
// main window shows (the player's buttons, message boxes, dialogs) calls WaitForIconTheme()
// first. Without a worker (tests, tools) it does nothing.
#include <functional>

// wait: joins the worker; called once, on the main thread. Null: nothing to wait for.
void SetIconThemeWait(std::function<void()> wait);
// The theme may be used from here on.
void WaitForIconTheme();
