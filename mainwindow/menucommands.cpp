// The main window's small menu commands: find and replace, the time shift, re-reading captions
// as UTF-8, help, and General Settings.
#include "base/paths.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "dialogs/frmDelay.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/timeshift.h"
#include "language/lang.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"

#include <QAction>
#include <QRadioButton>

void frmMain::ConnectMenuCommands() {
    connect(mnuFind, &QAction::triggered, this, &frmMain::mnuFind_Click);
    connect(mnuReplace, &QAction::triggered, this, &frmMain::mnuReplace_Click);
    connect(mnuDelay, &QAction::triggered, this, &frmMain::mnuDelay_Click);
    connect(mnuUTF8, &QAction::triggered, this, &frmMain::mnuUTF8_Click);
    connect(mnuHelpTopics, &QAction::triggered, this, &frmMain::mnuHelpTopics_Click);
    connect(mnuGSettings, &QAction::triggered, this, &frmMain::mnuGSettings_Click);
}

// --- Find and replace ---

void frmMain::mnuFind_Click() {
    ShowFindWindow(this);
}

void frmMain::mnuReplace_Click() {
    ShowReplaceWindow(this);
}

// --- Time shift ---

void frmMain::mnuDelay_Click() {
    if (IsDocumentBusy() || !IsDocumentGrid()) return;
    const bool wasPlaying = WMP->playState() == kPlayStatePlaying;
    if (wasPlaying) WMP->pause();
    const int row = grdSubs().Row();
    gSelStart = GetLineStart(row);
    {
        frmDelay dialog(this);
        dialog.exec();
    }
    // The selected caption shows its new times (and its span on the waveform).
    if (IsLineTimed(row)) SelectLine(row, false);
    if (wasPlaying) WMP->play();
    if (!gWaveFile.isEmpty() && gOnShowWaveSelection)
        gOnShowWaveSelection(GetLineStart(row), GetLineEnd(row));
}

// --- Convert from UTF-8 ---

void frmMain::mnuUTF8_Click() {
    if (IsDocumentBusy() || !IsDocumentGrid()) return;
    const QString utf8 = QStringLiteral("UTF-8");
    const int answer =
        MsgBox(LangText(285, utf8), vbYesNo + vbQuestion, LangText(284) + QLatin1Char(' ') + utf8);
    if (answer == vbNo) return;
    // Every caption, not only those above the selected one: the question speaks of the file.
    ConvertCaptionsFromUtf8();
    RefreshCurrentLine();
}

// --- Help ---

QString frmMain::HelpFilePath(const QString& language) {
    return gAppPath + QStringLiteral("zrv_") + language.toLower() + QStringLiteral(".chm");
}

void frmMain::mnuHelpTopics_Click() {
    QString file = HelpFilePath(gLanguage);
    if (!FileExists(file)) {
        const QString english = HelpFilePath(QStringLiteral("ENGLISH"));
        // The promise of English help holds only when there is an English help file, and an
        // English user has no language to miss.
        if (file != english && FileExists(english)) MsgBox(LangText(160), vbInformation, LangText(159));
        file = english;
    }
    if (FileExists(file))
        ShellOpen(file);
    else
        OpenWebsite();
}

// --- Settings ---

void frmMain::mnuGSettings_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    if (showSettingsDialog) showSettingsDialog();
    // The dialog may have changed the automatic duration and the player's mode.
    optPress->setText(LangText(33) + (AutoEndOn() ? QStringLiteral(" [auto]") : QString()));
    WMP->setUiMode(gUIMode);
}
