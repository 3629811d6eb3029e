// Settings > Options: the settings dialog, and what the main window takes over when it closes.
#include "base/settings.h"
#include "dialogs/frmSettings.h"
#include "language/lang.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "platform/IMediaPlayer.h"
#include "tools/ui/frmEmbed.h"

#include <QRadioButton>

void frmMain::mnuGSettings_Click() {
    CloseSideWindows();
    UnloadEmbedWindow();
    ShowSettingsDialog(this);
    optPress->setText(LangText(33) + (AutoEndOn() ? QStringLiteral(" [auto]") : QString()));
    // The player controls' mode changes with OK only, so the player takes it after the close.
    WMP->setUiMode(gUIMode);
}
