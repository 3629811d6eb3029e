#include "mainwindow/frmMain.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "base/ui/pacedlabel.h"
#include "dialogs/frmFind.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/rules.h"
#include "document/timecode.h"
#include "dialogs/frmSettings.h"
#include "document/ui/frmReport.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/ui/frmExport.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/captionboxrules.h"
#include "mainwindow/filecommands.h"
#include "mainwindow/mainstate.h"
#include "platform/Dialogs.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"
#include "platform/ui/QtMediaPlayer.h"
#include "platform/ui/VideoView.h"
#include "waveform/ui/WavePane.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// "00:00:00,000" for every box that shows no time.
const QString kZeroTime = QStringLiteral("00:00:00,000");

QPointer<frmMain> gMainWindow;

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    // Paths and captions from files are shown as they are, never as markup.
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* MakeIcon(QWidget* parent, const char* name, int icon, int size) {
    QLabel* l = MakeLabel(parent, name);
    l->setPixmap(AppIcon(icon).pixmap(size, size));
    l->setFixedSize(size, size);
    return l;
}

// The caption box: what is pasted or dropped into it arrives as typing would have given it.
class CaptionTextBox final : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (source && source->hasText())
            insertPlainText(CaptionBox::AsTyped(source->text()));
        else
            QPlainTextEdit::insertFromMimeData(source);
    }
};

QFrame* MakeLine(QWidget* parent, const char* name, QFrame::Shape shape) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QPushButton* MakeButton(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setEnabled(false);
    return b;
}

QTimer* MakeTimer(QObject* parent, const char* name, int interval) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

// The grid's font as the settings have it.
QFont GridFont() {
    QFont font = QApplication::font();
    if (!gGridFontName.isEmpty()) font.setFamily(gGridFontName);
    if (gGridFontSize > 0) font.setPointSize(gGridFontSize);
    font.setBold(gGridFontBold);
    return font;
}

} // namespace

frmMain::frmMain(IMediaPlayer* player, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(AppIcon(0));
    // The layout needs this much room for the grid, the player and the bottom panel.
    setMinimumSize(700, 570);
    resize(900, 640);
    gMainWindow = this;

    WMP = player ? player : new QtMediaPlayer(nullptr);
    WMP->setParent(this);
    playerState = [this] { return WMP->playState(); };
    playerSeek = [this](double seconds) { WMP->setCurrentPosition(seconds); };
    showExportDialog = [this] { return ShowExportDialog(this); };
    connect(WMP, &IMediaPlayer::MediaError, this, &frmMain::OnMediaError);

    CreateControls();
    CreateTiming();
    CreateMenus();
    ConnectEditing();
    ConnectMenuCommands();
    ConnectHooks();
    CreateWave();
    CreateWindowHooks();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &frmMain::OnFocusWindowChanged);
    ApplyGridFont();
    ResetGrid(false);
    ApplyLanguageToMain();
}

frmMain::~frmMain() {
    // The filters on the controls go first: the controls are taken down after this body, and
    // a focus or resize event then must not reach a window that is half gone.
    delete mEditingEvents;
    mEditingEvents = nullptr;
    delete mLayoutEvents;
    mLayoutEvents = nullptr;
    DestroyWindowHooks();
    DisconnectHooks();
    disconnect(qApp, nullptr, this, nullptr);
    DestroyWave();
    DestroyTiming();
    // The player goes before the widgets that show it, so that no event of it reaches a
    // window half torn down.
    if (WMP) {
        disconnect(WMP, nullptr, this, nullptr);
        delete WMP;
        WMP = nullptr;
    }
}

frmMain* frmMain::Instance() {
    return gMainWindow.data();
}

void frmMain::CreateControls() {
    // Nothing here is laid out by Qt: ArrangeMainForm (mainlayout.cpp) places every control
    // whenever the window's size or a bar changes.
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));

    // Info bar: the etched rule under the menu bar, the two file labels with their icons and
    // the new-version button.
    picStatus = new QWidget(central);
    picStatus->setObjectName(QStringLiteral("picStatus"));
    Line1 = MakeLine(picStatus, "Line1", QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setForegroundRole(QPalette::Dark);
    Line2 = MakeLine(picStatus, "Line2", QFrame::HLine);
    Line2->setFrameShadow(QFrame::Plain);
    Line2->setForegroundRole(QPalette::Light);
    imgText = MakeIcon(picStatus, "imgText", 0, 16);
    lblTextFile = MakeLabel(picStatus, "lblTextFile");
    imgVideo = MakeIcon(picStatus, "imgVideo", 4, 16);
    lblVideoFile = MakeLabel(picStatus, "lblVideoFile");
    cmdUpdate = new QPushButton(picStatus);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setFocusPolicy(Qt::NoFocus);
    cmdUpdate->hide();
    imgText->hide();
    imgVideo->hide();

    // The grid beside the player, with the splitter between them (made by CreateLayout).
    grdSubsView = new GridView(grdSubs(), central);
    grdSubsView->setObjectName(QStringLiteral("grdSubs"));
    WMP->Widget()->setParent(central);
    picPLogo = MakeIcon(central, "picPLogo", 4, 64);
    CreatePreviewCaption();

    // Bottom panel: caption box, time boxes, timing buttons, position and the timing modes.
    picBottom = new QWidget(central);
    picBottom->setObjectName(QStringLiteral("picBottom"));
    txtSub = new CaptionTextBox(picBottom);
    txtSub->setObjectName(QStringLiteral("txtSub"));
    // Tab goes on to the next control, as in any text box of a form; a caption holds no tabs.
    txtSub->setTabChangesFocus(true);
    lblShow = MakeLabel(picBottom, "lblShow");
    lblDuration = MakeLabel(picBottom, "lblDuration");
    for (int i = 0; i < 2; ++i) {
        txtTime[i] = new QLineEdit(kZeroTime, picBottom);
        txtTime[i]->setObjectName(QStringLiteral("txtTime%1").arg(i));
        txtTime[i]->setMaxLength(12);
    }
    lblPosition = MakeLabel(picBottom, "lblPosition");
    lblStringPos = MakeLabel(picBottom, "lblStringPos");
    lblStringPos->setText(QStringLiteral("00:00.000"));
    lblTime = MakeLabel(picBottom, "lblTime");
    lblTime->setText(QStringLiteral("0"));
    cmdApply = MakeButton(picBottom, "cmdApply");
    cmdNext = MakeButton(picBottom, "cmdNext");
    cmdEnd = MakeButton(picBottom, "cmdEnd");
    // Two etched rules: at the panel's top and between the caption row and the modes.
    Line3 = MakeLine(picBottom, "Line3", QFrame::HLine);
    Line4 = MakeLine(picBottom, "Line4", QFrame::HLine);
    Line5 = MakeLine(picBottom, "Line5", QFrame::HLine);
    Line6 = MakeLine(picBottom, "Line6", QFrame::HLine);
    for (QFrame* line : {Line3, Line4, Line5, Line6}) {
        line->setFrameShadow(QFrame::Plain);
        line->setForegroundRole(line == Line3 || line == Line5 ? QPalette::Dark : QPalette::Light);
    }
    lblMainMode = MakeLabel(picBottom, "lblMainMode");
    QFont heading = lblMainMode->font();
    heading.setBold(true);
    lblMainMode->setFont(heading);
    optPress = new QRadioButton(picBottom);
    optPress->setObjectName(QStringLiteral("optPress"));
    optManual = new QRadioButton(picBottom);
    optManual->setObjectName(QStringLiteral("optManual"));
    optPreview = new QRadioButton(picBottom);
    optPreview->setObjectName(QStringLiteral("optPreview"));
    for (QRadioButton* o : {optPress, optManual, optPreview})
        o->setEnabled(false);
    lblMode = MakeLabel(picBottom, "lblMode");
    lblMode->setWordWrap(true);
    imgLogo = MakeIcon(picBottom, "imgLogo", 0, 48);

    // Audio bar: level meter, waveform pane and its zoom slider.
    picAudio = new QWidget(central);
    picAudio->setObjectName(QStringLiteral("picAudio"));
    picLevel = new LevelMeter(picAudio);
    picWave = new WavePane(picAudio);
    sldWavScale = new QSlider(Qt::Vertical, picAudio);
    sldWavScale->setObjectName(QStringLiteral("sldWavScale"));
    sldWavScale->setRange(1, 5000);
    sldWavScale->setFocusPolicy(Qt::NoFocus);
    imgWavPos = MakeLabel(picWave, "imgWavPos");
    lblWaveTip = MakeLabel(picWave, "lblWaveTip");
    lblWave = MakeLabel(picWave, "lblWave");
    for (QLabel* l : {imgWavPos, lblWaveTip, lblWave})
        l->hide();
    setCentralWidget(central);

    tmrWave = MakeTimer(this, "tmrWave", 20);

    connect(grdSubsView, &GridView::MouseDown, this, &frmMain::grdSubs_MouseDown);
    connect(grdSubsView, &GridView::MouseUp, this, &frmMain::grdSubs_MouseUp);
    connect(grdSubsView, &GridView::DblClick, this, &frmMain::grdSubs_DblClick);
    connect(grdSubsView, &GridView::KeyDown, this, &frmMain::grdSubs_KeyDown);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmMain::cmdUpdate_Click);
    connect(optPress, &QRadioButton::clicked, this, &frmMain::optPress_Click);
    connect(optManual, &QRadioButton::clicked, this, &frmMain::optManual_Click);
    connect(optPreview, &QRadioButton::clicked, this, &frmMain::optPreview_Click);
    CreateLayout();
}

void frmMain::CreateMenus() {
    // Every entry is captioned from the UI texts by ApplyLanguageToMain; dots adds "...".
    const auto item = [this](QMenu* menu, const char* name, int text, bool dots,
                             void (frmMain::*handler)() = nullptr, bool checkable = false) {
        QAction* a = menu->addAction(QString());
        a->setObjectName(QLatin1String(name));
        a->setCheckable(checkable);
        if (handler) connect(a, &QAction::triggered, this, handler);
        mMenuTexts.append({a, text, dots});
        return a;
    };
    const auto menu = [this](QMenu* parent, const char* name, int text) {
        QMenu* m = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        mMenuTexts.append({m->menuAction(), text, false});
        return m;
    };

    mnuFile = menu(nullptr, "mnuFile", 0);
    connect(mnuFile, &QMenu::aboutToShow, this, &frmMain::mnuFile_Click);
    mnuNew = item(mnuFile, "mnuNew", 17, false, &frmMain::mnuNew_Click);
    mnuNewClip = item(mnuFile, "mnuNewClip", 18, false, &frmMain::mnuNewClip_Click);
    mnuFile->addSeparator();
    mnuOpenText = item(mnuFile, "mnuOpenText", 59, false, &frmMain::mnuOpenText_Click);
    mnuOpenVideo = item(mnuFile, "mnuOpenVideo", 60, false, &frmMain::mnuOpenVideo_Click);
    mnuOpenURL = item(mnuFile, "mnuOpenURL", 353, false, &frmMain::mnuOpenURL_Click);
    mnuOpenWav = item(mnuFile, "mnuOpenWav", 61, false, &frmMain::mnuOpenWav_Click);
    mnuFile->addSeparator();
    mnuClose = item(mnuFile, "mnuClose", 64, false, &frmMain::mnuClose_Click);
    mnuFile->addSeparator();
    mnuSave = item(mnuFile, "mnuSave", 44, false, &frmMain::mnuSave_Click);
    mnuSaveAs = item(mnuFile, "mnuSaveAs", 45, false, &frmMain::mnuSaveAs_Click);
    mnuFile->addSeparator();
    mnuEmbed = item(mnuFile, "mnuEmbed", 362, true, &frmMain::mnuEmbed_Click);
    mnuLine0b = mnuFile->addSeparator();
    mnuLine0b->setObjectName(QStringLiteral("mnuLine0b"));
    mnuLine0b->setVisible(false);
    mnuTFileName = item(mnuFile, "mnuTFileName", -1, false, &frmMain::mnuTFileName_Click);
    mnuVFileName = item(mnuFile, "mnuVFileName", -1, false, &frmMain::mnuVFileName_Click);
    mnuAFileName = item(mnuFile, "mnuAFileName", -1, false, &frmMain::mnuAFileName_Click);
    for (QAction* recent : {mnuTFileName, mnuVFileName, mnuAFileName}) {
        // A path is shown as it is: "&" in a folder name is no shortcut.
        recent->setIconVisibleInMenu(false);
        recent->setVisible(false);
    }
    mnuFile->addSeparator();
    mnuExit = item(mnuFile, "mnuExit", 65, false, &frmMain::mnuExit_Click);

    mnuEdit = menu(nullptr, "mnuEdit", 1);
    mnuAdd = menu(mnuEdit, "mnuAdd", 9);
    mnuAddBelow = item(mnuAdd, "mnuAddBelow", 10, false, &frmMain::mnuAddBelow_Click);
    mnuAddBottom = item(mnuAdd, "mnuAddBottom", 11, false, &frmMain::mnuAddBottom_Click);
    mnuEditSelected = item(mnuEdit, "mnuEditSelected", 12, false, &frmMain::mnuEditSelected_Click);
    mnuRemove = item(mnuEdit, "mnuRemove", 13, false, &frmMain::mnuRemove_Click);
    mnuEdit->addSeparator();
    mnuFind = item(mnuEdit, "mnuFind", 138, true);
    mnuReplace = item(mnuEdit, "mnuReplace", 432, true);
    mnuGoTo = item(mnuEdit, "mnuGoTo", 246, true, &frmMain::mnuGoTo_Click);
    mnuEdit->addSeparator();
    mnuCountUntimed = item(mnuEdit, "mnuCountUntimed", 134, false, &frmMain::mnuCountUntimed_Click);
    mnuNextUntimed = item(mnuEdit, "mnuNextUntimed", 135, false, &frmMain::mnuNextUntimed_Click);
    mnuEdit->addSeparator();
    mnuAppend = item(mnuEdit, "mnuAppend", 72, false, &frmMain::mnuAppend_Click);
    mnuDelay = item(mnuEdit, "mnuDelay", 170, true);
    mnuReset = item(mnuEdit, "mnuReset", 14, false);
    mnuRemoveTags = item(mnuEdit, "mnuRemoveTags", 76, false);

    mnuFormat = menu(nullptr, "mnuFormat", 2);
    mnuFont = item(mnuFormat, "mnuFont", 153, false);
    mnuFormat->addSeparator();
    mnuFormatBold = item(mnuFormat, "mnuFormatBold", 154, false, &frmMain::mnuFormatBold_Click, true);
    mnuFormatItalic = item(mnuFormat, "mnuFormatItalic", 155, false, &frmMain::mnuFormatItalic_Click, true);
    mnuFormatUnderline =
        item(mnuFormat, "mnuFormatUnderline", 156, false, &frmMain::mnuFormatUnderline_Click, true);
    mnuFormat->addSeparator();
    mnuConvert = menu(mnuFormat, "mnuConvert", 284);
    mnuUTF8 = mnuConvert->addAction(QStringLiteral("UTF-8"));
    mnuUTF8->setObjectName(QStringLiteral("mnuUTF8"));

    mnuView = menu(nullptr, "mnuView", 3);
    mnuInfoBar = item(mnuView, "mnuInfoBar", 355, false, &frmMain::mnuInfoBar_Click, true);
    mnuAudioBar = item(mnuView, "mnuAudioBar", 356, false, nullptr, true);
    mnuAudioBarColor = item(mnuView, "mnuAudioBarColor", 357, false);
    mnuFullWave = item(mnuView, "mnuFullWave", 358, false, nullptr, true);

    mnuTools = menu(nullptr, "mnuTools", 4);
    mnuSpell = item(mnuTools, "mnuSpell", 259, false, &frmMain::mnuSpell_Click);
    mnuRules = item(mnuTools, "mnuRules", 31, false, &frmMain::mnuRules_Click);
    mnuAudioExtract = item(mnuTools, "mnuAudioExtract", 437, true, &frmMain::mnuAudioExtract_Click);
    mnuTools->addSeparator();
    mnuReport = item(mnuTools, "mnuReport", 184, false, &frmMain::mnuReport_Click);

    mnuSettings = menu(nullptr, "mnuSettings", 5);
    mnuFormatSettings = item(mnuSettings, "mnuFormatSettings", 325, true, &frmMain::mnuFormatSettings_Click);
    mnuLineSeparator = menu(mnuSettings, "mnuLineSeparator", 162);
    mSeparatorGroup = new QActionGroup(this);
    for (int i = 0; i < 4; ++i) {
        const int text = i == 0 ? 163 : i == 3 ? 164 : -1;
        mnuSeparator[i] = item(mnuLineSeparator, "mnuSeparator", text, false, nullptr, true);
        mnuSeparator[i]->setObjectName(QStringLiteral("mnuSeparator%1").arg(i));
        mSeparatorGroup->addAction(mnuSeparator[i]);
    }
    mnuSeparator[1]->setText(QStringLiteral("/n"));
    mnuSeparator[2]->setText(QStringLiteral("[br]"));
    mnuSettings->addSeparator();
    mnuGSettings = item(mnuSettings, "mnuGSettings", 193, true);

    mnuHelp = menu(nullptr, "mnuHelp", 6);
    mnuHelpTopics = item(mnuHelp, "mnuHelpTopics", 159, false);
    mnuSuggest = item(mnuHelp, "mnuSuggest", 132, false, &frmMain::mnuWebsite_Click);
    mnuUpdate = item(mnuHelp, "mnuUpdate", 288, false, &frmMain::mnuUpdate_Click);
    mnuWebsite = item(mnuHelp, "mnuWebsite", 19, false, &frmMain::mnuWebsite_Click);
    mnuHelp->addSeparator();
    mnuAbout = item(mnuHelp, "mnuAbout", 20, false, &frmMain::mnuAbout_Click);

    mnuRclick = new QMenu(this);
    mnuRclick->setObjectName(QStringLiteral("mnuRclick"));
    rmnuAdd = item(mnuRclick, "rmnuAdd", 9, false, &frmMain::rmnuAdd_Click);
    rmnuEdit = item(mnuRclick, "rmnuEdit", 12, false, &frmMain::rmnuEdit_Click);
    rmnuRemove = item(mnuRclick, "rmnuRemove", 13, false, &frmMain::rmnuRemove_Click);
    mnuRclick->addSeparator();
    rmnuBold = item(mnuRclick, "rmnuBold", 154, false, &frmMain::rmnuBold_Click, true);
    rmnuItalic = item(mnuRclick, "rmnuItalic", 155, false, &frmMain::rmnuItalic_Click, true);
    rmnuUnderline = item(mnuRclick, "rmnuUnderline", 156, false, &frmMain::rmnuUnderline_Click, true);

    // Entries without a text number keep the caption they are given.
    mMenuTexts.erase(
        std::remove_if(mMenuTexts.begin(), mMenuTexts.end(), [](const MenuText& m) { return m.text < 0; }),
        mMenuTexts.end());
}

void frmMain::ConnectHooks() {
    gOnShowSelectedLine = [this](int row) { ShowSelectedLine(row); };
    gOnShowCaption = [this](int row) { ShowCaption(row); };
    gOnFileStatus = [this](const QString& text, bool clearVideoLabel) {
        lblTextFile->setText(text);
        if (clearVideoLabel) lblVideoFile->clear();
    };
    gOnRefreshFileLabels = [this] { UpdateFileLabels(false); };
    gRulesHooks.pausePlayer = [this] {
        if (WMP->playState() != kPlayStatePlaying) return false;
        WMP->pause();
        return true;
    };
    gRulesHooks.resumePlayer = [this] { WMP->play(); };
    // The run's progress changes far faster than the screen shows it: the label takes it once a
    // frame, and ends on the run's last text before the file labels come back.
    auto* progress = new PacedLabel(lblTextFile);
    gRulesHooks.showProgress = [progress](const QString& text) { progress->SetText(text); };
    gRulesHooks.restoreFileLabels = [this, progress] {
        progress->Flush();
        UpdateFileLabels(false);
    };
    gRulesHooks.unloadSideWindows = UnloadFindWindows;
    gOnGetMediaLength = [this] { return GetMediaLength(*WMP); };
    gOnEnableFileCommands = [this](bool enabled) { EnableFileCommands(enabled); };
    gSettingsHooks.setStretch = [this](bool on) { WMP->setStretchToFit(on); };
    gSettingsHooks.applyCaptionFont = [this] { ApplyCaptionFont(); };
    gSettingsHooks.placeCaption = [this] { PlaceCaption(); };
    gSettingsHooks.applyLanguageToMain = [this] { ApplyLanguageToMain(); };
    gShowRulesSettings = [this] { mnuGSettings_Click(); };
    showSettingsDialog = [this] { ShowSettingsDialog(this); };
}

void frmMain::DisconnectHooks() {
    gOnShowSelectedLine = nullptr;
    gOnShowCaption = nullptr;
    gOnFileStatus = nullptr;
    gOnRefreshFileLabels = nullptr;
    gRulesHooks.pausePlayer = nullptr;
    gRulesHooks.resumePlayer = nullptr;
    gRulesHooks.showProgress = nullptr;
    gRulesHooks.restoreFileLabels = nullptr;
    gRulesHooks.unloadSideWindows = nullptr;
    gOnGetMediaLength = nullptr;
    gOnEnableFileCommands = nullptr;
    gSettingsHooks = SettingsHooks{};
    gShowRulesSettings = nullptr;
}

void frmMain::ApplyGridFont() {
    grdSubsView->SetGridFont(GridFont());
    // The number column is as wide as the font's digits need.
    if (RefreshDesign()) ArrangeMainForm(true);
    SizeGridColumns();
}

// --- Grid set-up and selection ---

void frmMain::ResetGrid(bool bSubtitle) {
    // A caption being timed and the previous end belong to the document that goes.
    mTiming->DocumentReset();
    ResetCaptionGrid(bSubtitle);
    SizeGridColumns();
    if (!bSubtitle) txtSub->clear();
    txtSub->setEnabled(bSubtitle);
    // In preview mode the time boxes stay off: the preview owns the times.
    for (QLineEdit* box : txtTime)
        box->setEnabled(gTimingMode == 2 ? false : bSubtitle);
}

void frmMain::SetStyleChecks(int row) {
    mnuFormatBold->setChecked(IsLineBold(row));
    mnuFormatItalic->setChecked(IsLineItalic(row));
    mnuFormatUnderline->setChecked(IsLineUnderline(row));
    rmnuBold->setChecked(mnuFormatBold->isChecked());
    rmnuItalic->setChecked(mnuFormatItalic->isChecked());
    rmnuUnderline->setChecked(mnuFormatUnderline->isChecked());
}

void frmMain::ShowSelectedLine(int row) {
    // Bulk operations disable the grid while they run; the checks are then left alone.
    if (grdSubs().Enabled()) SetStyleChecks(row);

    // Only a text that differs is put into the box, so that a box being typed in keeps its caret.
    QString text = GetLineText(row, true);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // While the box writes to the caption it already shows what the caption holds.
    // (Lengths first: a caption of many megabytes is not copied out of the box to compare.)
    if (!mCaptionBoxSync &&
        (txtSub->document()->characterCount() - 1 != text.size() || txtSub->toPlainText() != text)) {
        mCaptionBoxSync = true;
        txtSub->setPlainText(text);
        mCaptionBoxSync = false;
    }

    ShowTimeBoxes(row);
}

void frmMain::ShowTimeBoxes(int row) {
    const int32_t start = GetLineStart(row), end = GetLineEnd(row);
    const QString startText = MsToTime(start);
    if (txtTime[0]->text() != startText) txtTime[0]->setText(startText);
    // An end not after the start has no duration: the box never keeps another caption's.
    const QString duration = end > start ? MsToTime(SaturateToInt32(double(end) - double(start))) : kZeroTime;
    if (txtTime[1]->text() != duration) txtTime[1]->setText(duration);
}

// --- Grid events ---

void frmMain::grdSubs_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint pos) {
    if (button != Qt::RightButton || !IsDocumentGrid()) return;
    FlexGrid& grid = grdSubs();
    const int r = grid.MouseRow();
    if (r < 1 || r > grid.Rows() - 1) return;
    if (grid.Row() == grid.RowSel()) {
        grdSubsView->setFocus();
        if (r != grid.Row()) SelectLine(r, false);
        SetStyleChecks(grid.Row());
    }
    // A selection of several rows stays as it is: the pop-up's commands act on all of them.
    mnuRclick->popup(grdSubsView->viewport()->mapToGlobal(pos));
}

void frmMain::grdSubs_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    // A click on the header selects the first visible caption.
    if (grdSubs().MouseRow() == 0 && IsDocumentGrid()) SelectLine(grdSubs().TopRow(), false);
}

void frmMain::SeekToLine(int row, double extraSeconds) {
    if (!IsLineTimed(row) || !playerState || !playerSeek) return;
    if (playerState() != kPlayStatePlaying) return;
    playerSeek(GetLineStart(row) / 1000.0 + extraSeconds);
}

void frmMain::grdSubs_DblClick() {
    SeekToLine(grdSubs().Row(), 0.001);
}

void frmMain::grdSubs_KeyDown(int key, Qt::KeyboardModifiers) {
    FlexGrid& grid = grdSubs();
    if (key == Qt::Key_Delete && !IsDocumentBusy())
        RemoveLines(grid.Row(), grid.RowSel());
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        SeekToLine(grid.Row(), 0);
}

void frmMain::m_MW_MouseWheel(QObject* hWnd, int delta, int, int, int, int, bool&) {
    if (gSubFile.isEmpty() || !IsGridWindow(hWnd)) return;
    FlexGrid& grid = grdSubs();
    // One row per wheel event, whatever its size; the selection stays where it is.
    const int t = grid.TopRow() - (delta > 0 ? 1 : delta < 0 ? -1 : 0);
    if (t > 0 && t < grid.Rows() - 1) grid.SetTopRow(t);
}

// --- Menu commands ---

void frmMain::mnuGoTo_Click() {
    if (!IsDocumentGrid()) return;
    bool ok = false;
    const QString answer = Dialogs().InputBox(this, LangText(247), LangText(246), QString(), &ok);
    if (!ok) return;
    bool numeric = false;
    double value = answer.trimmed().toDouble(&numeric);
    if (!numeric || std::isnan(value) || value <= 0) return;
    const int rows = grdSubs().Rows();
    if (value > rows) value = rows;
    SelectLine(int(RoundHalfEven(value)), true);
}

void frmMain::mnuNextUntimed_Click() {
    FlexGrid& grid = grdSubs();
    const int last = grid.Rows() - 1;
    if (IsDocumentGrid()) {
        for (int i = grid.Row() + 1; i <= last; ++i) {
            if (!IsLineTimed(i)) {
                SelectLine(i, false);
                return;
            }
        }
    }
    MsgBox(LangText(137), vbInformation, LangText(135));
}

void frmMain::mnuCountUntimed_Click() {
    int count = 0;
    for (int i = 1; i <= CaptionCount(); ++i)
        if (!IsLineTimed(i)) ++count;
    MsgBox(LangText(136, QString::number(count)), vbInformation, LangText(134));
}

void frmMain::mnuFormatBold_Click() {
    if (IsDocumentBusy()) return;
    const bool on = ToggleBold(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatBold->setChecked(on);
    rmnuBold->setChecked(on);
}

void frmMain::mnuFormatItalic_Click() {
    if (IsDocumentBusy()) return;
    const bool on = ToggleItalic(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatItalic->setChecked(on);
    rmnuItalic->setChecked(on);
}

void frmMain::mnuFormatUnderline_Click() {
    if (IsDocumentBusy()) return;
    const bool on = ToggleUnderline(grdSubs().Row(), grdSubs().RowSel());
    mnuFormatUnderline->setChecked(on);
    rmnuUnderline->setChecked(on);
}

void frmMain::rmnuAdd_Click() {
    CreateCaption(grdSubs().Row() + 1);
}

void frmMain::rmnuEdit_Click() {
    EditLine(grdSubs().Row());
}

void frmMain::rmnuRemove_Click() {
    if (IsDocumentBusy()) return;
    RemoveLines(grdSubs().Row(), grdSubs().RowSel());
}

// --- Caption commands ---

bool frmMain::CreateCaption(int row) {
    if (IsDocumentBusy()) return false;
    bool ok = false;
    const QString answer = Dialogs().InputBox(this, LangText(55), LangText(54), QString(), &ok);
    // As the caption box would have taken it.
    const QString text = CaptionBox::ToCaption(answer, gLineBreak);
    if (!ok || text.isEmpty()) return false;
    const int written = AddLine(0, 0, text, row);
    if (written == 0) return false;
    SelectLine(written, false);
    gModified = true;
    return true;
}

void frmMain::EditLine(int row) {
    if (IsDocumentBusy()) return;
    if (!IsDocumentGrid() || row < 1 || row >= grdSubs().Rows()) return;
    bool ok = false;
    const QString answer = Dialogs().InputBox(this, LangText(58), LangText(57), GetLineText(row), &ok);
    // As the caption box would have taken it: no tabs or control characters, no empty line (so
    // it never ends with the line-break marker).
    const QString text = CaptionBox::ToCaption(answer, gLineBreak);
    if (!ok || text.trimmed().isEmpty()) return;
    grdSubs().SetText(row, text);
    MirrorTags(row);
    gModified = true;
    if (row == gCurrentRow) RefreshCurrentLine();
}

void frmMain::mnuAddBelow_Click() {
    CreateCaption(grdSubs().Row() + 1);
}

void frmMain::mnuAddBottom_Click() {
    if (!CreateCaption(0)) return;
    FlexGrid& grid = grdSubs();
    grid.SetRow(grid.Rows() - 1);
    // The new last caption shows with rows above it.
    if (grid.Rows() >= 11) grid.SetTopRow(grid.Rows() - 8);
}

void frmMain::mnuEditSelected_Click() {
    EditLine(grdSubs().Row());
}

void frmMain::mnuRemove_Click() {
    rmnuRemove_Click();
}
