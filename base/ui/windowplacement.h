#pragma once

class QApplication;

// Windows without a title bar are placed by some window managers (openbox among them) without
// telling Qt, so Qt keeps believing the window sits at the screen's corner: pop-up lists, menus
// and tool tips of such a dialog then open far from their control. Once such a window is shown,
// its platform window is told again where the dialog put it, which brings both back in step.
void InstallFramelessPlacementFix(QApplication& app);
