// The main window's life: load, activation, close, the options it takes from the settings,
// the enabled state of its controls, closing everything, the info bar and the timing modes.
#include "base/appinfo.h"
#include "base/filenames.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "document/ui/frmReport.h"
#include "formats/formatdefs.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"
#include "platform/SubtitleFilter.h"
#include "tools/ui/frmEmbed.h"
#include "tools/update.h"
#include "waveform/ui/WaveBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>

namespace {

const QString kZeroTime = QStringLiteral("00:00:00,000");

int16_t ToTwips(int pixels, int twipsPerPixel) {
    return int16_t(std::clamp(pixels * twipsPerPixel, 0, int(INT16_MAX)));
}

QString ErrorText(const QString& lead, const std::exception& e) {
    return lead + QStringLiteral("\n\nError #0: ") + QString::fromLocal8Bit(e.what());
}

// A menu shows "&" as a shortcut mark; a marker or a path shows it as it is.
QString MenuLiteral(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

// --- Load ---

void frmMain::ComputeFrameMetrics() {
    QStyle* s = style();
    const int frame = s->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int caption = s->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int menu = menuBar()->sizeHint().height();
    gNcHeight = ToTwips(frame + caption + menu, gTwipsY);
    gVScrollWidth = ToTwips(s->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), gTwipsX);
    gNcWidth = ToTwips(frame, gTwipsX);
    gFrameHeight = ToTwips(frame, gTwipsY);
}

void frmMain::Form_Load() {
    try {
        ComputeFrameMetrics();
        lblSub->clear();
        lblSubShadow->clear();
        setWindowTitle(AppTitle());
    } catch (const std::exception& e) {
        MsgBox(ErrorText(QStringLiteral("An error ocurred while loading main window."), e), vbExclamation,
               kProductName);
    }
    try {
        LoadFormatsList();
        LoadOptions();
        ApplyLanguageToMain();
        ResetGrid(false);
        // Nothing is open yet: the controls start in their nothing-loaded state.
        ResetControls();
    } catch (const std::exception& e) {
        MsgBox(ErrorText(QStringLiteral("An error ocurred while loading main window."), e), vbExclamation,
               kProductName);
    }
}

void frmMain::LoadOptions() {
    try {
        mnuInfoBar->setChecked(gInfoBar);
        picStatus->setFixedHeight(gInfoBar ? 56 : 10);

        mnuAudioBar->setChecked(gAudioBar);
        picAudio->setVisible(gAudioBar);
        picLevel->setVisible(gAudioBar);
        picWave->setVisible(gAudioBar);
        mnuFullWave->setChecked(gFullWave);
        mWave->SetWaveColor(gAudioBarColor);
        sldWavScale->setValue(gWavScale / 10);
        sldWavScale->setVisible(gAudioBar);

        ApplyGridFont();

        const double state = LeadingNumber(ReadSetting(SettingKeys::WindowState, QStringLiteral("2")));
        if (state == 2) {
            setWindowState(windowState() | Qt::WindowMaximized);
        } else if (state == 0) {
            const QSize screenSize = screen() ? screen()->size() : QSize(1024, 768);
            const double w =
                LeadingNumber(ReadSetting(SettingKeys::WindowWidth, QString::number(600 * gTwipsX)));
            const double h =
                LeadingNumber(ReadSetting(SettingKeys::WindowHeight, QString::number(570 * gTwipsY)));
            const int wp = int(std::clamp(w / gTwipsX, 1.0, double(screenSize.width())));
            const int hp = int(std::clamp(h / gTwipsY, 1.0, double(screenSize.height())));
            setWindowState(windowState() & ~Qt::WindowMaximized);
            resize(wp, hp);
        }

        WMP->setVolume(
            SaturateToInt32(LeadingNumber(ReadSetting(SettingKeys::Volume, QStringLiteral("75")))));
        WMP->setStretchToFit(gStretch != 0);
        WMP->setUiMode(gUIMode);

        int marker = 3;
        if (gLineBreak == QLatin1String("|"))
            marker = 0;
        else if (gLineBreak == QLatin1String("/n"))
            marker = 1;
        else if (gLineBreak == QLatin1String("[br]"))
            marker = 2;
        mnuSeparator[marker]->setChecked(true);
        if (marker == 3) mnuSeparator[3]->setText(LangText(164, MenuLiteral(gLineBreak)));

        const std::pair<const QString*, QAction*> recent[] = {{&SettingKeys::TFileName, mnuTFileName},
                                                              {&SettingKeys::VFileName, mnuVFileName},
                                                              {&SettingKeys::AFileName, mnuAFileName}};
        for (const auto& [key, entry] : recent) {
            const QString path = ReadSetting(*key);
            if (path.isEmpty() || !FileExists(path)) continue;
            if (path.contains(QLatin1String("temporary internet files"), Qt::CaseInsensitive)) continue;
            ShowRecentEntry(entry, path);
        }
        SetupSubtitleFilter();
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("Error while loading main settings.\n\nError #0\n") +
                   QString::fromLocal8Bit(e.what()),
               vbExclamation, LangText(146));
    }
}

void frmMain::ShowRecentEntry(QAction* entry, const QString& path) {
    entry->setText(MenuLiteral(DisplayFileName(ShortenPath(path))));
    entry->setVisible(true);
    mnuLine0b->setVisible(true);
}

// --- Activation ---

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first show activates the window even where the window manager keeps the focus
    // elsewhere: the command-line file must not wait for a click.
    if (!mSeenActive) {
        mSeenActive = true;
        QueueActivate();
    }
}

void frmMain::OnFocusWindowChanged(QWindow* window) {
    // No window of ours has the focus: another application took it. Coming back from there is
    // not an activation that runs the step below.
    if (!window) return;
    // Menus and tips come and go with the window they belong to.
    if (window->type() == Qt::Popup || window->type() == Qt::ToolTip) return;
    if (window != windowHandle()) {
        mOtherWindowHadFocus = true;
        return;
    }
    // Back from a dialog or a side window of ours: the hot keys act at once. (Coming back from
    // another application, the focus stays where the user left it.)
    if (mOtherWindowHadFocus) FocusGrid();
    const bool run = !mSeenActive || mOtherWindowHadFocus;
    mSeenActive = true;
    mOtherWindowHadFocus = false;
    if (run) QueueActivate();
}

void frmMain::QueueActivate() {
    if (mActivatePending) return;
    // Run from the event loop, not from inside the show or the focus change.
    mActivatePending = true;
    QTimer::singleShot(0, this, [this] {
        mActivatePending = false;
        Form_Activate();
    });
}

void frmMain::Form_Activate() {
    // A file being read or the rules running show their own boxes; coming back from one of
    // them must not start anything.
    if (IsDocumentBusy() || mUnloaded) return;
    ComputeFrameMetrics();
    // The player and the grid share one height: a layout that went amiss is made again.
    if (WMP->Widget()->height() != grdSubsView->height() && windowState() == Qt::WindowNoState)
        ArrangeMainForm(true);

    if (!gCmdFile.isEmpty()) {
        // Forgotten before it is opened: an activation during the load must not open it again.
        const QString path = gCmdFile;
        gCmdFile.clear();
        switch (CommandLineFileKind(path)) {
        case CommandFileKind::Video:
            LoadVideoFile(path);
            break;
        case CommandFileKind::Audio:
            gAudioChoice = 2;
            LoadAudioFile(path);
            break;
        case CommandFileKind::Subtitle:
            LoadTextFile(path);
            break;
        }
    }

    switch (gSubMode) {
    case 0:
        optPress->setChecked(true);
        optPress_Click();
        break;
    case 1:
        optManual->setChecked(true);
        optManual_Click();
        break;
    default:
        optPreview->setChecked(true);
        optPreview_Click();
        break;
    }

    // Only a version newer than this one is news (an older one seen before an upgrade is not).
    if (IsNewerThanRunning(ReadSetting(SettingKeys::CheckedVersion))) cmdUpdate->setVisible(true);
}

void frmMain::cmdUpdate_Click() {
    const QString checked = ReadSetting(SettingKeys::CheckedVersion, QStringLiteral("0.0.0"));
    const int answer = MsgBox(LangText(295, checked) + QLatin1Char('\n') + LangText(297),
                              vbOKCancel + vbInformation, kProductName);
    if (answer == vbOK) OpenWebsite();
}

// --- Close ---

bool frmMain::Form_QueryUnload() {
    // While a file loads or the rules run, the window stays: the run still works on it.
    if (IsDocumentBusy()) return false;
    return PromptForSave();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (mUnloaded) {
        event->accept();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    mUnloaded = true;
    event->accept();
}

void frmMain::Form_Unload() {
    gClosing = true;
    if (!isMinimized()) {
        const bool maximized = isMaximized();
        // A maximised window keeps the size it comes back to.
        QSize size = maximized ? normalGeometry().size() : this->size();
        if (!size.isValid() || size.isEmpty()) size = this->size();
        WriteSetting(SettingKeys::WindowState, maximized ? 2 : 0);
        WriteSetting(SettingKeys::WindowHeight, size.height() * gTwipsY);
        WriteSetting(SettingKeys::WindowWidth, size.width() * gTwipsX);
    }
    WriteSetting(SettingKeys::Volume, WMP->volume());
    WriteSettingBool(QStringLiteral("M_FONTBOLD"), gGridFontBold);
    WriteSetting(QStringLiteral("M_FONTNAME"), gGridFontName);
    WriteSetting(QStringLiteral("M_FONTSIZE"), int(gGridFontSize));
    WriteSettingBool(QStringLiteral("M_INFOBAR"), gInfoBar);
    WriteSettingBool(QStringLiteral("M_AUDIOBAR"), gAudioBar);
    WriteSettingBool(QStringLiteral("M_FULLWAVE"), gFullWave);
    WriteSetting(QStringLiteral("M_AUDIOBARCOLOR"), gAudioBarColor);
    WriteSetting(QStringLiteral("M_WAVSCALE"), gWavScale);
    CloseAll();
}

// --- Controls from what is open ---

void frmMain::EnableSubtitleCommands(bool sub) {
    for (QAction* a : {mnuSave,
                       mnuSaveAs,
                       mnuAdd->menuAction(),
                       mnuEditSelected,
                       mnuFormatBold,
                       mnuFormatItalic,
                       mnuFormatUnderline,
                       mnuConvert->menuAction(),
                       mnuAppend,
                       mnuRemove,
                       mnuRules,
                       mnuSpell,
                       mnuFind,
                       mnuReplace,
                       mnuGoTo,
                       mnuCountUntimed,
                       mnuNextUntimed,
                       mnuDelay,
                       mnuReset,
                       mnuRemoveTags})
        a->setEnabled(sub);
}

void frmMain::ResetControls() {
    const bool sub = !gSubFile.isEmpty();
    const bool video = !gVideoFile.isEmpty();

    mnuClose->setEnabled(sub || video || !gWaveFile.isEmpty());
    lblShow->setEnabled(sub);
    lblDuration->setEnabled(sub);
    grdSubs().SetEnabled(sub);
    EnableSubtitleCommands(sub);

    if (!sub) {
        // The boxes are cleared after the grid: shrinking it moves the current row, which fills
        // them from the caption that is going away.
        ResetGrid(false);
        txtTime[0]->setText(kZeroTime);
        txtTime[1]->setText(kZeroTime);
        ResetReportLists();
        cmdApply->setEnabled(false);
        cmdNext->setEnabled(false);
        cmdEnd->setEnabled(false);
    }

    if (video)
        picPLogo->hide();
    else if (WMP->enabled())
        CloseMedia();

    WMP->setEnabled(video);
    lblPosition->setEnabled(video);
    lblTime->setEnabled(video);
    lblStringPos->setEnabled(video);
    if (video)
        tmrTime->start();
    else
        tmrTime->stop();

    for (QWidget* w : std::initializer_list<QWidget*>{lblMode, lblMainMode, optPress, optManual, optPreview})
        w->setEnabled(video && sub);

    ClearCaption();
    // What is open decides whether the caption shows at all.
    ApplyCaptionFont();
    PlaceCaption();
    UpdateFileLabels(false);
    // What is open changed (a file opened, a new document, everything closed): the hot keys act
    // at once, where a letter typed into the caption box would write into caption 1.
    FocusGrid();
}

void frmMain::FocusGrid() {
    if (grdSubsView->isEnabled())
        grdSubsView->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void frmMain::EnableFileCommands(bool enabled) {
    for (QAction* a : {mnuNew, mnuNewClip, mnuOpenText, mnuOpenVideo, mnuOpenURL, mnuOpenWav, mnuTFileName,
                       mnuVFileName, mnuAFileName})
        a->setEnabled(enabled);
    if (enabled) {
        mnuClose->setEnabled(!gSubFile.isEmpty() || !gVideoFile.isEmpty() || !gWaveFile.isEmpty());
        EnableSubtitleCommands(!gSubFile.isEmpty());
    } else {
        for (QAction* a : {mnuClose, mnuSave, mnuSaveAs, mnuAppend})
            a->setEnabled(false);
    }
}

// --- Closing ---

void frmMain::CloseSideWindows() {
    if (gRulesHooks.unloadSideWindows) gRulesHooks.unloadSideWindows();
    UnloadReportWindow();
    if (!mKeepEmbedWindow) UnloadEmbedWindow();
}

void frmMain::CloseAll() {
    if (!gWaveFile.isEmpty()) {
        gStopWave = true;
        mWave->ResetWave(true);
    }
    for (QTimer* t : {tmrPreview, tmrTime, tmrWave})
        t->stop();
    for (QWidget* w : std::initializer_list<QWidget*>{lblSub, lblSubShadow, imgText, imgVideo})
        w->hide();
    gSubFile.clear();
    gVideoFile.clear();
    gWaveFile.clear();
    // Nothing is open any more, so nothing is left unsaved.
    gModified = false;
    CloseMedia();
    ResetControls();
    RestoreSubtitleFilter();
    CloseSideWindows();
}

void frmMain::CloseMedia() {
    WMP->setURL(QString());
    WMP->close();
    WMP->setEnabled(false);
    picPLogo->show();
    picPLogo->raise();
}

// --- Info bar and layout ---

void frmMain::ToggleInfoBar() {
    gInfoBar = !gInfoBar;
    mnuInfoBar->setChecked(gInfoBar);
    picStatus->setFixedHeight(gInfoBar ? 56 : 8);
    ArrangeMainForm(true);
}

void frmMain::mnuInfoBar_Click() {
    ToggleInfoBar();
}

// --- Timing modes ---

void frmMain::optPress_Click() {
    mTiming->optPress_Click();
}

void frmMain::optManual_Click() {
    mTiming->optManual_Click();
}

void frmMain::optPreview_Click() {
    mTiming->optPreview_Click();
}

void frmMain::SetPreviewMode(bool bOn) {
    mTiming->SetPreviewMode(bOn);
}
