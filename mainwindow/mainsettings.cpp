// Settings > Options: the settings dialog, and what the main window takes over when it closes.
#include "base/settings.h"
#include "dialogs/frmSettings.h"
#include "document/busy.h"
#include "mainwindow/frmMain.h"
#include "platform/IMediaPlayer.h"

void frmMain::mnuGSettings_Click() {
    ShowSettingsDialog(this);
    // The player controls' mode changes with OK only, so the player takes it after the close.
    WMP->setUiMode(gUIMode);
}
