#include "tools/ui/frmEmbed.h"

#include "base/appinfo.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "document/captions.h"
#include "document/mediastate.h"
#include "document/rules.h"
#include "document/ui/frmReport.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "tools/jobscript.h"
#include "tools/ui/wizardhost.h"
#include "tools/ui/wizardparts.h"
#include "tools/videotool.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QPointer<frmEmbed> gEmbedWindow;

void ResetEmbedWindow() {
    delete gEmbedWindow.data();
    gEmbedWindow = nullptr;
}
SCRIVELLE_REGISTER_RESET(ResetEmbedWindow);

const QString kCRLF = QStringLiteral("\r\n");

// The output resolutions: items 1 to 8 set these sizes; 0 keeps the video's, 9 lets the user type.
struct Preset {
    const char* text;
    const char* width;
    const char* height;
};
constexpr Preset kPresets[] = {
    {"352x240 - VCD NTSC", "352", "240"},  {"352x288 - VCD PAL", "352", "288"},
    {"480x480 - SVCD NTSC", "480", "480"}, {"480x576 - SVCD PAL", "480", "576"},
    {"704x480 - DVD NTSC", "704", "480"},  {"704x576 - DVD PAL", "704", "576"},
    {"640x480 - VGA 4:3", "640", "480"},   {"1024x768 - XGA 4:3", "1024", "768"},
};
constexpr int kCustomSize = 9;

// The last three characters in lower case.
QString Tail3(const QString& path) {
    return path.right(3).toLower();
}

QLineEdit* MakeLineEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

QString ScriptFailedText(const QString& path, const QString& why) {
    QString text = QStringLiteral("Failed to create script file:") + kCRLF + kCRLF + path;
    if (!why.isEmpty()) text += kCRLF + kCRLF + why;
    return text;
}

} // namespace

bool CanEmbed() {
    const QString title = LangText(362);
    const QString videoTail = Tail3(gVideoFile);
    if (gSubFile.isEmpty()) {
        MsgBox(LangText(363), vbExclamation, title);
        return false;
    }
    if (gSubFile.right(4).toLower() != QLatin1String(".ssa")) {
        MsgBox(LangText(364), vbExclamation, title);
        return false;
    }
    static const QStringList kAudioTails{QStringLiteral("snd"), QStringLiteral("wav"), QStringLiteral(".au"),
                                         QStringLiteral("aif"), QStringLiteral("wma"), QStringLiteral("mp3")};
    if (gVideoFile.isEmpty() || kAudioTails.contains(videoTail)) {
        MsgBox(LangText(365), vbExclamation, title);
        return false;
    }
    if (!FileExists(gVideoFile) || !FileExists(gSubFile)) {
        MsgBox(LangText(406) + kCRLF + kCRLF + gSubFile + kCRLF + gVideoFile, vbCritical, title);
        return false;
    }
    return true;
}

frmEmbed::frmEmbed(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmEmbed"));
    setModal(false);
    setMouseTracking(true);

    // Header: the program icon, the two titles; the whole strip drags the window.
    picTop = new QFrame(this);
    QVBoxLayout* titles = BuildWizardTitle(picTop, &imgDrag, &lblTop);
    lblTop2 = MakeTextLabel(picTop, "lblTop2");
    titles->addWidget(lblTop2);
    const QFont bold = lblTop->font();

    // The help panel.
    picMenu = new QFrame(this);
    picMenu->setObjectName(QStringLiteral("picMenu"));
    picMenu->setFixedWidth(200);
    shpDetails = new QFrame(picMenu);
    shpDetails->setObjectName(QStringLiteral("shpDetails"));
    shpDetails->setFrameShape(QFrame::StyledPanel);
    lblDetailsTitle = MakeTextLabel(shpDetails, "lblDetailsTitle");
    lblDetailsTitle->setFont(bold);
    lblDetails = MakeTextLabel(shpDetails, "lblDetails");
    lblDetails->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* detailsLayout = new QVBoxLayout(shpDetails);
    detailsLayout->addWidget(lblDetailsTitle);
    detailsLayout->addWidget(lblDetails, 1);
    auto* menuLayout = new QVBoxLayout(picMenu);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->addWidget(shpDetails);

    pages = MakeWizardPages(this, picStep, 4);
    for (QWidget* page : picStep) {
        page->setMouseTracking(true);
        page->installEventFilter(this);
    }

    // Page 0: output settings.
    QWidget* p0 = picStep[0];
    lblFormat = MakeTextLabel(p0, "lblFormat");
    cmbFormat = MakeCombo(p0, "cmbFormat");
    imgFormat = MakeIconLabel(p0, "imgFormat", 15, 32);
    cmdConfigure = MakeNamedButton(p0, "cmdConfigure");
    imgConfigure = MakeIconLabel(p0, "imgConfigure", 2, 16);
    imgConfigure->setCursor(Qt::PointingHandCursor);
    lblRes = MakeTextLabel(p0, "lblRes");
    cmbResolution = MakeCombo(p0, "cmbResolution");
    imgRes = MakeIconLabel(p0, "imgRes", 18, 32);
    lblSize = MakeTextLabel(p0, "lblSize");
    txtWidth = MakeLineEdit(p0, "txtWidth");
    txtHeight = MakeLineEdit(p0, "txtHeight");
    // Sizes are whole numbers of pixels: digits only, and no more than the largest size has.
    for (QLineEdit* box : {txtWidth, txtHeight}) {
        box->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), box));
        box->setMaxLength(4);
        box->setFixedWidth(60);
        box->installEventFilter(this);
    }
    txtWidth->setText(QStringLiteral("352"));
    txtHeight->setText(QStringLiteral("288"));
    lblX = MakeTextLabel(p0, "lblX");
    lblX->setText(QStringLiteral("x"));
    lblMode = MakeTextLabel(p0, "lblMode");
    cmbMode = MakeCombo(p0, "cmbMode");
    imgMode = MakeIconLabel(p0, "imgMode", 1, 16);
    chkPreview = new QCheckBox(p0);
    chkPreview->setObjectName(QStringLiteral("chkPreview"));
    sldPreview = new QSlider(Qt::Horizontal, p0);
    sldPreview->setObjectName(QStringLiteral("sldPreview"));
    // The label promises at least one minute, and the script counts the value in minutes.
    sldPreview->setRange(1, 1);
    sldPreview->setValue(1);
    lblPreview = MakeTextLabel(p0, "lblPreview");
    imgPreview = MakeIconLabel(p0, "imgPreview", 17, 32);
    {
        auto* g = new QGridLayout(p0);
        g->addWidget(imgFormat, 0, 0, 2, 1, Qt::AlignTop);
        g->addWidget(lblFormat, 0, 1, 1, 4);
        g->addWidget(cmbFormat, 1, 1, 1, 2);
        g->addWidget(cmdConfigure, 1, 3);
        g->addWidget(imgConfigure, 1, 4);
        g->addWidget(imgRes, 2, 0, 2, 1, Qt::AlignTop);
        g->addWidget(lblRes, 2, 1, 1, 4);
        g->addWidget(cmbResolution, 3, 1, 1, 2);
        auto* size = new QHBoxLayout;
        size->addWidget(lblSize);
        size->addWidget(txtWidth);
        size->addWidget(lblX);
        size->addWidget(txtHeight);
        size->addStretch(1);
        g->addLayout(size, 4, 1, 1, 4);
        auto* mode = new QHBoxLayout;
        mode->addWidget(lblMode);
        mode->addWidget(cmbMode, 1);
        mode->addWidget(imgMode);
        g->addLayout(mode, 5, 1, 1, 4);
        g->addWidget(imgPreview, 6, 0, 2, 1, Qt::AlignTop);
        g->addWidget(chkPreview, 6, 1, 1, 4);
        g->addWidget(sldPreview, 7, 1, 1, 2);
        g->addWidget(lblPreview, 7, 3, 1, 2);
        g->setRowStretch(8, 1);
        g->setColumnStretch(2, 1);
    }

    // Page 1: the tool's folder.
    QWidget* p1 = picStep[1];
    picVirtualDub = MakeIconLabel(p1, "picVirtualDub", 13, 32);
    lblVD = MakeTextLabel(p1, "lblVD");
    txtVirtualdub = MakeLineEdit(p1, "txtVirtualdub");
    txtVirtualdub->setReadOnly(true);
    cmdBrowseVD = MakeNamedButton(p1, "cmdBrowseVD");
    imgVD = MakeIconLabel(p1, "imgVD", 2, 16);
    lblVDinfo = MakeTextLabel(p1, "lblVDinfo");
    imgGetVirtualDub = MakeIconLabel(p1, "imgGetVirtualDub", 4, 32);
    imgGetVirtualDub->setCursor(Qt::PointingHandCursor);
    {
        auto* g = new QGridLayout(p1);
        g->addWidget(picVirtualDub, 0, 0, 2, 1, Qt::AlignTop);
        g->addWidget(lblVD, 0, 1, 1, 3);
        g->addWidget(txtVirtualdub, 1, 1);
        g->addWidget(cmdBrowseVD, 1, 2);
        g->addWidget(imgVD, 1, 3);
        g->addWidget(lblVDinfo, 2, 1, 1, 3);
        g->addWidget(imgGetVirtualDub, 3, 1, Qt::AlignLeft);
        g->setRowStretch(4, 1);
        g->setColumnStretch(1, 1);
    }

    // Page 2: the output file.
    QWidget* p2 = picStep[2];
    picSaveAs = MakeIconLabel(p2, "picSaveAs", 16, 32);
    lblVideo = MakeTextLabel(p2, "lblVideo");
    txtSave = MakeLineEdit(p2, "txtSave");
    cmdSave = MakeNamedButton(p2, "cmdSave");
    imgSave = MakeIconLabel(p2, "imgSave", 2, 16);
    {
        auto* g = new QGridLayout(p2);
        g->addWidget(picSaveAs, 0, 0, 2, 1, Qt::AlignTop);
        g->addWidget(lblVideo, 0, 1, 1, 3);
        g->addWidget(txtSave, 1, 1);
        g->addWidget(cmdSave, 1, 2);
        g->addWidget(imgSave, 1, 3);
        g->setRowStretch(2, 1);
        g->setColumnStretch(1, 1);
    }

    // Page 3: ready.
    QWidget* p3 = picStep[3];
    auto* readyIcon = MakeIconLabel(p3, "imgReady", 20, 32);
    lblReady = MakeTextLabel(p3, "lblReady");
    txtTFileName = MakeLineEdit(p3, "txtTFileName");
    txtVFileName = MakeLineEdit(p3, "txtVFileName");
    for (QLineEdit* box : {txtTFileName, txtVFileName})
        box->setReadOnly(true);
    imgNotice = MakeIconLabel(p3, "imgNotice", 3, 32);
    lblNotice = MakeTextLabel(p3, "lblNotice");
    lblNotice->setFont(bold);
    lblNote1 = MakeTextLabel(p3, "lblNote1");
    lblNote2 = MakeTextLabel(p3, "lblNote2");
    lblConvert = MakeLinkLabel(p3, "lblConvert");
    lblConvert->installEventFilter(this);
    {
        auto* g = new QGridLayout(p3);
        g->addWidget(readyIcon, 0, 0, Qt::AlignTop);
        g->addWidget(lblReady, 0, 1);
        g->addWidget(txtTFileName, 1, 1);
        g->addWidget(txtVFileName, 2, 1);
        g->addWidget(imgNotice, 3, 0, Qt::AlignTop);
        g->addWidget(lblNotice, 3, 1);
        // The notes follow one another 8 pixels apart.
        g->addWidget(lblNote1, 4, 1);
        g->addWidget(lblNote2, 5, 1);
        g->addWidget(lblConvert, 6, 1);
        g->setVerticalSpacing(8);
        g->setRowStretch(7, 1);
        g->setColumnStretch(1, 1);
    }

    MakeWizardButtons(this, &cmdBack, &cmdNext, &cmdCancel);

    // Every control whose hint the help panel shows.
    for (QWidget* w : std::initializer_list<QWidget*>{cmdBrowseVD, imgVD, imgSave, imgFormat, cmdConfigure,
                                                      imgRes, imgMode, imgPreview, cmdCancel, imgConfigure,
                                                      imgGetVirtualDub, cmbResolution})
        w->installEventFilter(this);

    LayOutWizard(this, picTop, picMenu, pages, cmdBack, cmdNext, cmdCancel);
    resize(640, 440);

    connect(cmdNext, &QPushButton::clicked, this, &frmEmbed::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmEmbed::cmdBack_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEmbed::cmdCancel_Click);
    connect(cmdBrowseVD, &QPushButton::clicked, this, &frmEmbed::cmdBrowseVD_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmEmbed::cmdSave_Click);
    connect(cmdConfigure, &QPushButton::clicked, this, &frmEmbed::cmdConfigure_Click);
    connect(chkPreview, &QCheckBox::clicked, this, &frmEmbed::chkPreview_Click);
    connect(sldPreview, &QSlider::valueChanged, this, &frmEmbed::sldPreview_Change);
    connect(cmbResolution, &QComboBox::activated, this, &frmEmbed::cmbResolution_Click);
    // A name typed after the save dialog was used is a new choice: it is asked about again.
    connect(txtSave, &QLineEdit::textEdited, this, [this] { m_ConfirmOverwrite = true; });

    Form_Load();
}

frmEmbed::~frmEmbed() {
    // Unloaded from outside in the middle of a wait: the busy pointer goes with it.
    if (mBusy) QGuiApplication::restoreOverrideCursor();
}

void frmEmbed::Form_Load() {
    if (QWidget* owner = parentWidget()) move(owner->pos() + QPoint(62, 92));

    m_Step = 0;
    m_ScriptPath = gTempDir + QStringLiteral("embedsub.vcf");
    m_CodecDll = gSysDir + kCodecLibrary;
    txtVirtualdub->setText(ReadSetting(SettingKeys::VDPath));
    m_ToolExe = ToolExePath(txtVirtualdub->text());
    // A script left from an earlier run must not be taken for this one's.
    if (FileExists(m_ScriptPath)) QFile::remove(m_ScriptPath);

    setWindowTitle(LangText(362));
    lblTop->setText(LangText(362));
    lblTop2->setText(LangText(367));
    lblDetailsTitle->setText(LangText(190));
    SetWizardButtonTexts(cmdBack, cmdNext, cmdCancel);

    lblFormat->setText(LangText(368));
    cmbFormat->clear();
    cmbFormat->addItem(QStringLiteral("AVI (XviD)"));
    cmdConfigure->setText(LangText(370));
    imgConfigure->setToolTip(LangText(17).remove(QLatin1Char('&')));
    lblRes->setText(LangText(376));
    cmbResolution->clear();
    cmbResolution->addItem(LangText(397));
    for (const Preset& p : kPresets)
        cmbResolution->addItem(QLatin1String(p.text));
    cmbResolution->addItem(LangText(398));
    lblSize->setText(LangText(384));
    lblMode->setText(LangText(378));
    cmbMode->clear();
    for (int k = 380; k <= 383; ++k)
        cmbMode->addItem(LangText(k));
    chkPreview->setText(LangText(389));
    lblPreview->setText(QStringLiteral("1 ") + LangText(172));

    lblVD->setText(LangText(373));
    cmdBrowseVD->setText(LangText(374));
    lblVDinfo->setText(LangText(446));
    imgGetVirtualDub->setToolTip(LangText(449));
    lblVideo->setText(LangText(387));
    cmdSave->setText(LangText(45));
    lblReady->setText(LangText(394));
    lblNotice->setText(LangText(407));
    lblNote1->setText(LangText(408));
    lblNote2->setText(LangText(409));
    lblConvert->setText(LangText(411));
    for (QWidget* w : std::initializer_list<QWidget*>{imgNotice, lblNotice, lblNote1, lblNote2, lblConvert})
        w->setVisible(false);

    cmbFormat->setCurrentIndex(0);
    cmbMode->setCurrentIndex(0);
    cmbResolution->setCurrentIndex(0);
    cmbResolution_Click();
    chkPreview_Click();

    txtSave->setText(RemoveExtension(gVideoFile) + QStringLiteral("[sub].avi"));
    ShowPage(0);
    cmdBack->setEnabled(false);
    ShowDetails(LangText(396));
}

void frmEmbed::ShowDetails(const QString& text) {
    shpDetails->setVisible(!text.isEmpty());
    lblDetailsTitle->setVisible(!text.isEmpty());
    lblDetails->setText(text);
}

void frmEmbed::Form_MouseMove() {
    switch (m_Step) {
    case 0:
        ShowDetails(LangText(396));
        break;
    case 1:
        ShowDetails(LangText(375));
        break;
    case 2:
        ShowDetails(LangText(388));
        break;
    default:
        ShowDetails(LangText(395) + kCRLF + LangText(391));
        break;
    }
}

void frmEmbed::ShowPage(int step) {
    m_Step = step;
    pages->setCurrentIndex(step);
}

void frmEmbed::SetBusy(bool busy) {
    if (busy == mBusy) return;
    mBusy = busy;
    QPushButton* const buttons[] = {cmdBack, cmdNext, cmdCancel};
    for (int i = 0; i < 3; ++i) {
        if (busy) mEnabledBefore[i] = buttons[i]->isEnabled();
        buttons[i]->setEnabled(busy ? false : mEnabledBefore[i]);
    }
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void frmEmbed::cmdNext_Click() {
    if (mBusy) return;
    if (!CanEmbed()) return;
    switch (m_Step) {
    case 0:
        m_CodecDll = CodecLibraryPath(txtVirtualdub->text());
        if (!FileExists(m_CodecDll)) {
            if (MsgBox(LangText(404), vbYesNo + vbExclamation, windowTitle()) == vbYes)
                ShellOpen(kCodecDownloadPage);
            return;
        }
        break;
    case 1:
        if (!ToolPageDone(this, txtVirtualdub->text(), m_ToolExe)) return;
        m_ConfirmOverwrite = true;
        break;
    case 2: {
        m_TargetPath = txtSave->text();
        if (!TargetAccepted(this, m_TargetPath, {gVideoFile, gSubFile}, m_ConfirmOverwrite)) return;
        // The next page shows what the script holds: without a script it is not entered.
        QPointer<frmEmbed> self(this);
        SetBusy(true);
        const bool written = WriteScript();
        if (!self) return;
        SetBusy(false);
        if (!written) return;
        break;
    }
    default:
        Run();
        return;
    }
    Advance();
}

void frmEmbed::Advance() {
    ShowPage(m_Step + 1);
    cmdBack->setEnabled(true);
    Form_MouseMove();
    if (m_Step == 3) EnterReadyPage();
}

void frmEmbed::EnterReadyPage() {
    QPointer<frmEmbed> self(this);
    SetBusy(true);
    txtTFileName->setText(gSubFile);
    txtVFileName->setText(gVideoFile);
    cmdNext->setText(LangText(66));
    lblTop2->setText(LangText(410));
    Wait(ToolPause(1000));
    if (!self) return;
    SetBusy(false);
    cmdNext->setFocus();
    const bool avi = Tail3(gVideoFile) == QLatin1String("avi");
    for (QWidget* w : std::initializer_list<QWidget*>{imgNotice, lblNotice, lblNote1, lblNote2, lblConvert})
        w->setVisible(avi);
}

bool frmEmbed::WriteScript() {
    QPointer<frmEmbed> self(this);
    // Whatever happens below, no script of an earlier choice is left for the run to find.
    QFile::remove(m_ScriptPath);
    if (const auto unfit = UnfitScriptPath({gVideoFile, gSubFile, m_TargetPath})) {
        MsgBox(UnfitPathText(*unfit), vbCritical, windowTitle());
        return false;
    }
    tEmbedScriptInput in;
    in.videoFile = gVideoFile;
    in.subFile = gSubFile;
    in.targetPath = m_TargetPath;
    in.preview = chkPreview->isChecked();
    if (in.preview) {
        // Asked again now: the media may have changed since the box was checked.
        const int32_t length = WizardHost().MediaLength();
        if (!self) return false;
        const auto end = PreviewEndTime(length, sldPreview->value());
        if (!end) {
            MsgBox(LangText(length <= 0 ? 399 : 400), length <= 0 ? vbCritical : vbExclamation,
                   windowTitle());
            return false;
        }
        in.previewEndMs = *end;
    }
    in.resize = cmbMode->isEnabled();
    in.width = ClampFrameSize(txtWidth->text());
    in.height = ClampFrameSize(txtHeight->text());
    in.mode = cmbMode->currentIndex();
    if (in.resize) {
        txtWidth->setText(QString::number(in.width));
        txtHeight->setText(QString::number(in.height));
    }
    QString why;
    if (!WriteJobScript(m_ScriptPath, BuildEmbedScript(in), &why)) {
        MsgBox(ScriptFailedText(m_ScriptPath, why), vbCritical, kProductName);
        return false;
    }
    return true;
}

void frmEmbed::Run() {
    QPointer<frmEmbed> self(this);
    // What the tool burns in is the file on disk: edits not yet saved are asked about first.
    if (!WizardHost().PromptForSave()) return;
    if (!self || !CanEmbed()) return;
    // The files may have changed while the ready page was open; the script says what is open now.
    SetBusy(true);
    const bool written = WriteScript();
    if (!self) return;
    if (!written) {
        SetBusy(false);
        return;
    }
    ShowToolStatusWindow();
    if (gRulesHooks.unloadSideWindows) gRulesHooks.unloadSideWindows();
    UnloadReportWindow();

    if (!StartToolDetached(m_ToolExe, m_ScriptPath, txtVirtualdub->text())) {
        // Nothing was handed over: the editor keeps its files.
        SetBusy(false);
        MsgBox(LangText(462) + kCRLF + kCRLF + m_ToolExe, vbCritical, kProductName);
        UnloadForm(this);
        return;
    }
    // The tool has the files now; the editor lets go of them without asking again (the ready
    // page said it would).
    gSubFile.clear();
    gVideoFile.clear();
    gModified = false;
    WizardHost().ReleaseFiles();
    Wait(ToolPause(1000));
    if (!self) return;
    SetBusy(false);
    UnloadForm(this);
}

void frmEmbed::cmdBack_Click() {
    if (mBusy || m_Step == 0) return;
    ShowPage(m_Step - 1);
    cmdBack->setEnabled(m_Step > 0);
    cmdNext->setEnabled(true);
    cmdNext->setText(WizardNextText());
    Form_MouseMove();
    lblTop2->setText(LangText(367));
}

void frmEmbed::cmdCancel_Click() {
    if (mBusy) return;
    QWidget* owner = parentWidget();
    UnloadForm(this);
    if (owner) owner->activateWindow();
}

void frmEmbed::cmdBrowseVD_Click() {
    BrowseToolInto(this, true, txtVirtualdub, &m_ToolExe);
}

void frmEmbed::cmdSave_Click() {
    // Replacing the chosen file has been agreed to: Next does not ask again.
    if (ChooseTargetFile(this, cmdSave, txtSave, LangText(405) + QStringLiteral("|*.avi"),
                         QStringLiteral(".avi")))
        m_ConfirmOverwrite = false;
}

void frmEmbed::cmdConfigure_Click() {
    if (FileExists(m_CodecDll)) {
        // The codec's own settings page; nothing here waits for it.
        QProcess::startDetached(QStringLiteral("rundll32.exe"), {m_CodecDll + QStringLiteral(",Configure")});
        return;
    }
    if (MsgBox(LangText(404), vbYesNo + vbExclamation, windowTitle()) == vbYes) ShellOpen(kCodecDownloadPage);
}

void frmEmbed::chkPreview_Click() {
    const bool on = chkPreview->isChecked();
    lblPreview->setEnabled(on);
    sldPreview->setEnabled(on);
    if (!on) return;
    QPointer<frmEmbed> self(this);
    SetBusy(true);
    const int32_t length = WizardHost().MediaLength();
    if (!self) return;
    SetBusy(false);
    if (length <= 0) {
        MsgBox(LangText(399), vbCritical, windowTitle());
    } else if (length < 120) {
        MsgBox(LangText(400), vbExclamation, windowTitle());
    } else {
        sldPreview->setMaximum(length / 60);
        return;
    }
    chkPreview->setChecked(false);
    chkPreview_Click();
}

void frmEmbed::sldPreview_Change() {
    const int v = sldPreview->value();
    lblPreview->setText(QString::number(v) + QLatin1Char(' ') + LangText(v == 1 ? 172 : 173));
}

void frmEmbed::cmbResolution_Click() {
    const int index = cmbResolution->currentIndex();
    if (index >= 1 && index <= 8) {
        txtWidth->setText(QLatin1String(kPresets[index - 1].width));
        txtHeight->setText(QLatin1String(kPresets[index - 1].height));
    }
    const bool custom = index == kCustomSize;
    for (QWidget* w : std::initializer_list<QWidget*>{lblSize, lblX, txtWidth, txtHeight})
        w->setEnabled(custom);
    for (QWidget* w : std::initializer_list<QWidget*>{lblMode, cmbMode, imgMode})
        w->setEnabled(index != 0);
}

int frmEmbed::HintFor(QObject* watched) const {
    // Pictures explain themselves only while the wizard waits for the user.
    const bool images = cmdNext->isEnabled();
    if (watched == cmdBrowseVD) return 375;
    if (watched == cmdConfigure) return 372;
    if (watched == txtWidth) return 385;
    if (watched == txtHeight) return 386;
    if (watched == cmdCancel) return 392;
    if (!images) return -1;
    if (watched == imgVD) return 375;
    if (watched == imgSave) return 388;
    if (watched == imgFormat) return 369;
    if (watched == imgRes) return 377;
    if (watched == imgMode) return 379;
    if (watched == imgPreview) return 390;
    return -1;
}

bool frmEmbed::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == imgConfigure) ShellOpen(kCodecMakerPage);
        if (watched == imgGetVirtualDub) ShellOpen(kToolDownloadPage);
        if (watched == lblConvert) OpenWebsite();
    }
    if (type == QEvent::Enter || type == QEvent::MouseMove) {
        for (QWidget* page : picStep)
            if (watched == page) Form_MouseMove();
        if (const int hint = HintFor(watched); hint >= 0) ShowDetails(LangText(hint));
    }
    if (type == QEvent::FocusIn) {
        if (watched == cmbResolution) ShowDetails(LangText(377));
        if (watched == txtWidth || watched == txtHeight) static_cast<QLineEdit*>(watched)->setSelection(0, 4);
    }
    if (type == QEvent::FocusOut && (watched == txtWidth || watched == txtHeight)) {
        auto* box = static_cast<QLineEdit*>(watched);
        box->setText(QString::number(ClampFrameSize(box->text())));
    }
    return QDialog::eventFilter(watched, event);
}

void frmEmbed::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void frmEmbed::closeEvent(QCloseEvent* event) {
    // A wait under way must end before the window goes.
    if (mBusy) {
        event->ignore();
        return;
    }
    if (gEmbedWindow.data() == this) gEmbedWindow = nullptr;
    QDialog::closeEvent(event);
}

void frmEmbed::reject() {
    if (mBusy) return;
    QDialog::reject();
}

frmEmbed* EmbedWindow() {
    return gEmbedWindow.data();
}

void UnloadEmbedWindow() {
    UnloadForm(gEmbedWindow.data());
    gEmbedWindow = nullptr;
}

frmEmbed* ShowEmbedWindow(QWidget* owner) {
    UnloadEmbedWindow();
    gEmbedWindow = new frmEmbed(owner);
    gEmbedWindow->show();
    return gEmbedWindow.data();
}
