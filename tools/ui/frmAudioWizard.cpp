#include "tools/ui/frmAudioWizard.h"

#include "base/appinfo.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "document/mediastate.h"
#include "language/lang.h"
#include "platform/Dialogs.h"
#include "platform/MsgBox.h"
#include "tools/jobscript.h"
#include "tools/ui/wizardparts.h"
#include "tools/videotool.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

QString gExtractedWav;

namespace {

void ResetAudioWizard() {
    gExtractedWav.clear();
}
SCRIVELLE_REGISTER_RESET(ResetAudioWizard);

const QString kCRLF = QStringLiteral("\r\n");
constexpr int kTaskIconSize = 16;

// The task icons: a disc in the state's colour (grey while idle).
QPixmap TaskPixmap(int state) {
    QColor color(0xb0, 0xb0, 0xb0);
    if (state == kTaskFailed) color = QColor(0xd0, 0x20, 0x20);
    if (state == kTaskDone) color = QColor(0x20, 0xa0, 0x30);
    if (state == kTaskRunning) color = QColor(0xe8, 0xc0, 0x10);
    QPixmap pm(kTaskIconSize, kTaskIconSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 1.5, kTaskIconSize - 3, kTaskIconSize - 3));
    return pm;
}

} // namespace

frmAudioWizard::frmAudioWizard(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAudioWizard"));
    setModal(true);

    picTop = new QWidget(this);
    BuildWizardTitle(picTop, &imgDrag, &lblTop);
    pages = MakeWizardPages(this, picStep, 5);

    // Page 0: the target format.
    QWidget* p0 = picStep[0];
    lblStep1 = MakeTextLabel(p0, "lblStep1");
    optOriginal = new QRadioButton(p0);
    optOriginal->setObjectName(QStringLiteral("optOriginal"));
    optWAV = new QRadioButton(p0);
    optWAV->setObjectName(QStringLiteral("optWAV"));
    optWAV->setChecked(true);
    chkAudioBar = new QCheckBox(p0);
    chkAudioBar->setObjectName(QStringLiteral("chkAudioBar"));
    chkAudioBar->setChecked(true);
    lblStep1b = MakeTextLabel(p0, "lblStep1b");
    {
        auto* l = new QVBoxLayout(p0);
        l->addWidget(lblStep1);
        l->addWidget(optOriginal);
        l->addWidget(optWAV);
        l->addSpacing(12);
        l->addWidget(chkAudioBar);
        l->addWidget(lblStep1b);
        l->addStretch(1);
    }

    // Page 1: the sample rate.
    QWidget* p1 = picStep[1];
    lblStep2 = MakeTextLabel(p1, "lblStep2");
    lblSampleRate = MakeTextLabel(p1, "lblSampleRate");
    cmbSampleRate = new QComboBox(p1);
    cmbSampleRate->setObjectName(QStringLiteral("cmbSampleRate"));
    lblStep2b = MakeTextLabel(p1, "lblStep2b");
    picWave = MakeIconLabel(p1, "picWave", 9, 32);
    {
        auto* g = new QGridLayout(p1);
        g->addWidget(picWave, 0, 0, 3, 1, Qt::AlignTop);
        g->addWidget(lblStep2, 0, 1, 1, 2);
        g->addWidget(lblSampleRate, 1, 1);
        g->addWidget(cmbSampleRate, 1, 2);
        g->addWidget(lblStep2b, 2, 1, 1, 2);
        g->setRowStretch(3, 1);
        g->setColumnStretch(2, 1);
    }

    // Page 2: the tool's folder.
    QWidget* p2 = picStep[2];
    lblStep3 = MakeTextLabel(p2, "lblStep3");
    lblVirtualdub = MakeTextLabel(p2, "lblVirtualdub");
    txtVirtualdub = new QLineEdit(p2);
    txtVirtualdub->setObjectName(QStringLiteral("txtVirtualdub"));
    txtVirtualdub->setReadOnly(true);
    cmdBrowseVD = MakeNamedButton(p2, "cmdBrowseVD");
    imgGetVirtualDub = MakeIconLabel(p2, "imgGetVirtualDub", 4, 32);
    imgGetVirtualDub->setCursor(Qt::PointingHandCursor);
    imgGetVirtualDub->installEventFilter(this);
    picVirtualDub = MakeIconLabel(p2, "picVirtualDub", 13, 32);
    {
        auto* g = new QGridLayout(p2);
        g->addWidget(picVirtualDub, 0, 0, 3, 1, Qt::AlignTop);
        g->addWidget(lblStep3, 0, 1, 1, 2);
        g->addWidget(lblVirtualdub, 1, 1, 1, 2);
        g->addWidget(txtVirtualdub, 2, 1);
        g->addWidget(cmdBrowseVD, 2, 2);
        g->addWidget(imgGetVirtualDub, 3, 1, Qt::AlignLeft);
        g->setRowStretch(4, 1);
        g->setColumnStretch(1, 1);
    }

    // Page 3: the output file.
    QWidget* p3 = picStep[3];
    lblStep4 = MakeTextLabel(p3, "lblStep4");
    lblSave = MakeTextLabel(p3, "lblSave");
    txtSave = new QLineEdit(p3);
    txtSave->setObjectName(QStringLiteral("txtSave"));
    cmdSave = MakeNamedButton(p3, "cmdSave");
    lblStep4b = MakeTextLabel(p3, "lblStep4b");
    picSaveAs = MakeIconLabel(p3, "picSaveAs", 19, 32);
    {
        auto* g = new QGridLayout(p3);
        g->addWidget(picSaveAs, 0, 0, 3, 1, Qt::AlignTop);
        g->addWidget(lblStep4, 0, 1, 1, 2);
        g->addWidget(lblSave, 1, 1, 1, 2);
        g->addWidget(txtSave, 2, 1);
        g->addWidget(cmdSave, 2, 2);
        g->addWidget(lblStep4b, 3, 1, 1, 2);
        g->setRowStretch(4, 1);
        g->setColumnStretch(1, 1);
    }

    // Page 4: the tasks.
    QWidget* p4 = picStep[4];
    lblStep5 = MakeTextLabel(p4, "lblStep5");
    chkClose = new QCheckBox(p4);
    chkClose->setObjectName(QStringLiteral("chkClose"));
    lblStep5b = MakeTextLabel(p4, "lblStep5b");
    {
        auto* g = new QGridLayout(p4);
        g->addWidget(lblStep5, 0, 0, 1, 2);
        for (int i = 0; i < 3; ++i) {
            picTask[i] = new QLabel(p4);
            picTask[i]->setObjectName(QStringLiteral("picTask%1").arg(i));
            picTask[i]->setFixedSize(kTaskIconSize, kTaskIconSize);
            lblTask[i] = MakeTextLabel(p4, "lblTask");
            lblTask[i]->setObjectName(QStringLiteral("lblTask%1").arg(i));
            g->addWidget(picTask[i], i + 1, 0);
            g->addWidget(lblTask[i], i + 1, 1);
        }
        g->addWidget(chkClose, 4, 0, 1, 2);
        g->addWidget(lblStep5b, 5, 0, 1, 2);
        g->setRowStretch(6, 1);
        g->setColumnStretch(1, 1);
    }

    MakeWizardButtons(this, &cmdBack, &cmdNext, &cmdCancel);
    LayOutWizard(this, picTop, nullptr, pages, cmdBack, cmdNext, cmdCancel);
    resize(520, 380);

    connect(cmdNext, &QPushButton::clicked, this, &frmAudioWizard::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmAudioWizard::cmdBack_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAudioWizard::cmdCancel_Click);
    connect(cmdBrowseVD, &QPushButton::clicked, this, &frmAudioWizard::cmdBrowseVD_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmAudioWizard::cmdSave_Click);
    connect(optOriginal, &QRadioButton::clicked, this, &frmAudioWizard::optOriginal_Click);
    connect(optWAV, &QRadioButton::clicked, this, &frmAudioWizard::optWAV_Click);
    // A name typed after the save dialog was used is a new choice: it is asked about again.
    connect(txtSave, &QLineEdit::textEdited, this, [this] { m_ConfirmOverwrite = true; });

    Form_Load();
}

frmAudioWizard::~frmAudioWizard() = default;

void frmAudioWizard::Form_Load() {
    setWindowTitle(LangText(437));
    lblTop->setText(LangText(439));
    SetWizardButtonTexts(cmdBack, cmdNext, cmdCancel);

    lblStep1->setText(LangText(440));
    optOriginal->setText(LangText(458));
    optWAV->setText(LangText(459));
    chkAudioBar->setText(LangText(441));
    lblStep1b->setText(LangText(442));

    lblStep2->setText(LangText(443));
    lblSampleRate->setText(LangText(444));
    cmbSampleRate->clear();
    cmbSampleRate->addItem(LangText(397));
    for (const char* rate : {"8000", "11025", "16000", "22050", "44100", "48000"})
        cmbSampleRate->addItem(QLatin1String(rate));
    cmbSampleRate->setCurrentIndex(0);
    lblStep2b->setText(LangText(445));

    lblStep3->setText(LangText(446));
    lblVirtualdub->setText(LangText(373));
    txtVirtualdub->setText(ReadSetting(SettingKeys::VDPath));
    cmdBrowseVD->setText(LangText(374));
    imgGetVirtualDub->setToolTip(LangText(449));

    lblStep4->setText(LangText(450));
    lblSave->setText(LangText(451));
    txtSave->setText(RemoveExtension(gVideoFile) + QStringLiteral(".wav"));
    cmdSave->setText(LangText(45));
    lblStep4b->setText(LangText(452));

    lblStep5->setText(LangText(453));
    for (int i = 0; i < 3; ++i) {
        lblTask[i]->setText(LangText(454 + i));
        SetTaskIcon(i, kTaskIdle);
    }
    chkClose->setText(LangText(468));
    lblStep5b->setText(LangText(457));

    m_ToolExe = ToolExePath(txtVirtualdub->text());
    m_ScriptPath = gTempDir + QStringLiteral("aext.vcf");
    gExtractedWav.clear();
    m_Step = 0;
    m_Cancelled = false;
    ShowPage(0);
    cmdBack->setEnabled(false);
}

void frmAudioWizard::ShowPage(int step) {
    m_Step = step;
    pages->setCurrentIndex(step);
}

void frmAudioWizard::SetTaskIcon(int task, int state) {
    if (task < 0 || task > 2) return;
    if (state != kTaskFailed && state != kTaskDone && state != kTaskRunning) state = kTaskIdle;
    mTaskState[task] = state;
    picTask[task]->clear();
    picTask[task]->setPixmap(TaskPixmap(state));
}

void frmAudioWizard::SetTaskBold(int task, bool bold) {
    QFont font = lblTask[task]->font();
    font.setBold(bold);
    lblTask[task]->setFont(font);
}

void frmAudioWizard::cmdNext_Click() {
    if (mFinished) {
        close();
        return;
    }
    switch (m_Step) {
    case 0: {
        const bool wav = optWAV->isChecked();
        cmbSampleRate->setEnabled(wav);
        lblSampleRate->setEnabled(wav);
        lblStep2b->setVisible(wav);
        m_ConfirmOverwrite = true;
        break;
    }
    case 2:
        if (!ToolPageDone(this, txtVirtualdub->text(), m_ToolExe)) return;
        break;
    case 3: {
        m_TargetPath = txtSave->text();
        // Everything the run needs is checked before anything is replaced.
        if (!FileExists(gVideoFile)) {
            MsgBox(LangText(406) + kCRLF + kCRLF + gVideoFile, vbCritical, windowTitle());
            return;
        }
        if (!TargetAccepted(this, m_TargetPath, {gVideoFile}, m_ConfirmOverwrite)) return;
        // Replacing was agreed to: the old file goes, so that only a new one shows the run worked.
        if (m_ConfirmOverwrite && FileExists(m_TargetPath)) QFile::remove(m_TargetPath);
        break;
    }
    default:
        break;
    }
    if (m_Step >= 4) return;
    ShowPage(m_Step + 1);
    if (m_Step == 4) {
        for (QPushButton* b : {cmdBack, cmdNext, cmdCancel})
            b->setEnabled(false);
        ExtractAudio();
    } else {
        cmdBack->setEnabled(true);
    }
}

void frmAudioWizard::cmdBack_Click() {
    if (m_Step == 0 || m_Step >= 4) return;
    ShowPage(m_Step - 1);
    cmdBack->setEnabled(m_Step > 0);
    cmdNext->setEnabled(true);
}

void frmAudioWizard::cmdCancel_Click() {
    close();
}

void frmAudioWizard::optOriginal_Click() {
    chkAudioBar->setEnabled(false);
}

void frmAudioWizard::optWAV_Click() {
    chkAudioBar->setEnabled(true);
}

void frmAudioWizard::cmdBrowseVD_Click() {
    BrowseToolInto(this, false, txtVirtualdub, &m_ToolExe);
}

void frmAudioWizard::cmdSave_Click() {
    // Replacing the chosen file has been agreed to: Next does not ask again.
    if (ChooseTargetFile(this, cmdSave, txtSave, QStringLiteral("WAVE audio (wav)|*.wav"),
                         QStringLiteral(".wav")))
        m_ConfirmOverwrite = false;
}

void frmAudioWizard::ExtractAudio() {
    QPointer<frmAudioWizard> self(this);
    m_TargetPath = txtSave->text();
    chkClose->setEnabled(true);
    if (!FileExists(gVideoFile)) {
        FinishWizard(true, 0, LangText(406) + kCRLF + kCRLF + gVideoFile);
        return;
    }
    ShowToolStatusWindow();

    SetTaskIcon(0, kTaskRunning);
    SetTaskBold(0, true);
    m_SourceShort = GetShortPath(gVideoFile);
    m_TargetShort = ShortFolderPath(m_TargetPath);
    tAudioScriptInput in;
    in.videoFile = gVideoFile;
    in.targetPath = m_TargetPath;
    in.wav = optWAV->isChecked();
    in.sampleRate = cmbSampleRate->currentText();
    QString why;
    if (!WriteJobScript(m_ScriptPath, BuildAudioScript(in), &why)) {
        FinishWizard(true, 0,
                     QStringLiteral("Failed to create script file:") + kCRLF + kCRLF + m_ScriptPath + kCRLF +
                         why);
        return;
    }
    Wait(ToolPause(2000));
    if (!self || m_Cancelled) return;

    SetTaskIcon(0, kTaskDone);
    SetTaskBold(0, false);
    SetTaskIcon(1, kTaskRunning);
    SetTaskBold(1, true);
    // A file that was there before the run does not show that the run worked.
    const tFileStamp before = StampFile(m_TargetPath);
    m_CommandLine = m_ToolExe + QStringLiteral(" /s ") + m_ScriptPath + QStringLiteral(" /x");
    const bool started = RunAndWait();
    if (!self) return;
    if (!started) {
        FinishWizard(true, 1, LangText(462) + kCRLF + m_ToolExe);
        return;
    }
    if (m_Cancelled) return;

    SetTaskIcon(1, kTaskDone);
    SetTaskBold(1, false);
    SetTaskIcon(2, kTaskRunning);
    SetTaskBold(2, true);
    Wait(ToolPause(3000));
    if (!self || m_Cancelled) return;

    if (!WrittenSince(m_TargetPath, before)) {
        FinishWizard(true, 2, LangText(464));
        return;
    }
    SetTaskIcon(2, kTaskDone);
    SetTaskBold(2, false);
    QFont heading = lblStep5->font();
    heading.setBold(true);
    lblStep5->setFont(heading);
    lblStep5->setText(LangText(466));
    lblStep5b->setText(LangText(467) + kCRLF + kCRLF + m_TargetPath);
    gExtractedWav = optWAV->isChecked() && chkAudioBar->isChecked() ? m_TargetPath : QString();
    FinishWizard(false, 0, QString());
    if (chkClose->isChecked())
        close();
    else
        chkClose->setEnabled(false);
}

bool frmAudioWizard::RunAndWait() {
    QPointer<frmAudioWizard> self(this);
    auto* tool = new QProcess;
    tool->setProgram(m_ToolExe);
    tool->setArguments(ToolArguments(m_ScriptPath));
    tool->start();
    if (!tool->waitForStarted(10000)) {
        delete tool;
        return false;
    }
    // The user may give up waiting; the tool then goes on by itself (text 457 says to close it).
    cmdCancel->setEnabled(true);
    while (self && !m_Cancelled && tool->state() != QProcess::NotRunning)
        Wait(std::max(10, ToolPause(500)));
    if (self) cmdCancel->setEnabled(false);
    if (tool->state() == QProcess::NotRunning) {
        delete tool;
    } else {
        // Deleting a running QProcess would kill the tool: it is left to end on its own.
        QObject::connect(tool, &QProcess::finished, tool, &QObject::deleteLater);
    }
    return true;
}

void frmAudioWizard::FinishWizard(bool failed, int task, const QString& message) {
    mFinished = true;
    cmdNext->setText(LangText(53));
    cmdNext->setEnabled(true);
    cmdBack->setEnabled(false);
    cmdCancel->setEnabled(false);
    if (!failed) return;
    SetTaskIcon(task, kTaskFailed);
    chkClose->setEnabled(false);
    SetTaskBold(task, true);
    QPalette palette = lblTask[task]->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblTask[task]->setPalette(palette);
    lblStep5->setText(LangText(463));
    lblStep5b->setText(message);
}

void frmAudioWizard::Form_QueryUnload() {
    m_Cancelled = true;
}

void frmAudioWizard::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    QDialog::closeEvent(event);
}

void frmAudioWizard::done(int result) {
    // Esc and close() both end here: any wait for the tool stops.
    Form_QueryUnload();
    QDialog::done(result);
}

bool frmAudioWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == imgGetVirtualDub) ShellOpen(kToolDownloadPage);
    }
    return QDialog::eventFilter(watched, event);
}
