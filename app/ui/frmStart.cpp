#include "app/ui/frmStart.h"

#include "app/startup.h"
#include "base/appinfo.h"
#include "base/filenames.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "base/ui/formhelpers.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "mainwindow/frmMain.h"
#include "platform/GStreamerCheck.h"
#include "platform/MsgBox.h"
#include "platform/ui/FirstPaint.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {

// The main window could not be made: the program cannot go on without it.
const QString kMainWindowFailed = QStringLiteral("An error ocurred while loading main window.");

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* MakeLink(QWidget* parent, const char* name) {
    QLabel* l = MakeLabel(parent, name);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    l->setPalette(p);
    // The hand pointer over every link, as a link should show.
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

QFrame* MakeLine(QWidget* parent, const char* name) {
    auto* ln = new QFrame(parent);
    ln->setObjectName(QLatin1String(name));
    ln->setFrameShape(QFrame::HLine);
    ln->setFrameShadow(QFrame::Sunken);
    return ln;
}

} // namespace

frmStart::frmStart(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmStart"));
    setWindowIcon(AppIcon(0));

    commandLine = ProgramArguments();
    createMainWindow = [] {
        auto* w = new frmMain;
        w->Form_Load();
        return static_cast<QWidget*>(w);
    };
    exitProgram = [](int code) { QCoreApplication::exit(code); };
}

void frmStart::BuildPage() {
    // Built only when the page is shown: a normal start never shows it, and making its
    // widgets (fonts, cursors, icons) would hold up the main window.
    if (imgIco) return;
    imgIco = MakeLabel(this, "imgIco");
    imgIco->setPixmap(AppIcon(3).pixmap(48, 48));
    lblMain = MakeLabel(this, "lblMain");
    QFont headline = lblMain->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.3);
    lblMain->setFont(headline);

    fraMain = new QFrame(this);
    fraMain->setObjectName(QStringLiteral("fraMain"));
    fraMain->setFrameShape(QFrame::StyledPanel);
    lblFile = MakeLabel(fraMain, "lblFile");
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFile->setWordWrap(true);
    lblInfo = MakeLabel(fraMain, "lblInfo");
    lblInfo->setWordWrap(true);
    imgWMP = MakeLabel(fraMain, "imgWMP");
    imgWMP->setPixmap(AppIcon(4).pixmap(32, 32));
    imgWMP->setCursor(Qt::PointingHandCursor);
    lblMediaplayer = MakeLink(fraMain, "lblMediaplayer");

    lblWebsite = MakeLink(this, "lblWebsite");
    ln1 = MakeLine(this, "ln1");
    ln2 = MakeLine(this, "ln2");
    cmdIgnore = new QPushButton(this);
    cmdIgnore->setObjectName(QStringLiteral("cmdIgnore"));
    cmdExit = new QPushButton(this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdIgnore->setDefault(true);

    auto* head = new QHBoxLayout;
    head->addWidget(imgIco);
    head->addWidget(lblMain, 1);

    auto* player = new QHBoxLayout;
    player->addWidget(imgWMP);
    player->addWidget(lblMediaplayer, 1);
    auto* frame = new QVBoxLayout(fraMain);
    frame->addWidget(lblFile);
    frame->addWidget(lblInfo);
    frame->addLayout(player);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblWebsite);
    buttons->addStretch(1);
    buttons->addWidget(cmdIgnore);
    buttons->addWidget(cmdExit);

    auto* all = new QVBoxLayout(this);
    all->addLayout(head);
    all->addWidget(ln1);
    all->addWidget(fraMain, 1);
    all->addWidget(ln2);
    all->addLayout(buttons);
    setMinimumWidth(460);

    connect(cmdIgnore, &QPushButton::clicked, this, &frmStart::cmdIgnore_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmStart::cmdExit_Click);
    for (QLabel* link : {imgWMP, lblMediaplayer, lblWebsite})
        link->installEventFilter(this);
}

bool frmStart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (watched == imgWMP)
            imgWMP_MouseDown(button);
        else if (watched == lblMediaplayer)
            lblMediaplayer_MouseDown(button);
        else if (watched == lblWebsite)
            lblWebsite_MouseDown(button);
    }
    return QWidget::eventFilter(watched, event);
}

void frmStart::Form_Load() {
    const StartupResult r = RunStartupSequence(commandLine);
    mLibraryMissing = r.backendMissing;
    QString missing = r.missingPath;
    if (!mLibraryMissing) {
        // The main window is made while GStreamer is asked (in a process begun as the program
        // started) whether it can build the player; then the window is shown, or kept for Ignore.
        if (!MakeMainWindow()) return; // the program ends; nothing else to report
        QString lacking;
        if (!PlaysThroughGStreamer()) {
            EndGStreamerCheck();
        } else if (!GStreamerCanPlayAtStart(&lacking)) {
            mLibraryMissing = true;
            missing = lacking;
        }
    } else {
        EndGStreamerCheck();
    }
    if (mLibraryMissing) {
        BuildPage();
        // The path keeps its case: on this system file names are case-sensitive.
        lblFile->setText(missing);
        ApplyLanguage();
    } else {
        ShowMainWindow();
    }

    // Told once, whichever step failed; the start-up goes on as it stands.
    if (r.noSettingsFolder)
        MsgBox(NoSettingsFolderText(r.settingsFolder), vbExclamation, kProductName);
    else if (r.failed)
        MsgBox(LangText(151), vbExclamation, kProductName);

    if (mLibraryMissing)
        show();
    else
        UnloadForm(this);
}

void frmStart::ApplyLanguage() {
    BuildPage();
    for (QLabel* l : {lblMain, lblInfo, lblMediaplayer, lblWebsite}) {
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->setLayoutDirection(Qt::LeftToRight);
    }
    cmdIgnore->setText(LangText(70));
    cmdExit->setText(LangText(65));
    lblMain->setText(LangText(147));
    lblInfo->setText(LangText(148));
    lblMediaplayer->setText(LangText(131));
    lblWebsite->setText(LangText(19));
    setWindowTitle(LangText(146));
}

bool frmStart::MakeMainWindow() {
    if (mMainWindow) return true;
    QString reason;
    try {
        mMainWindow = createMainWindow ? createMainWindow() : nullptr;
        if (mMainWindow) return true;
        reason = QStringLiteral("The main window could not be created.");
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        reason = QStringLiteral("Unknown error.");
    }
    // Without its main window the program would go on running with nothing on screen.
    delete mMainWindow;
    mMainWindow = nullptr;
    MsgBox(kMainWindowFailed + QStringLiteral("\n\n") + reason, vbCritical, kProductName);
    EndProgram(1);
    return false;
}

void frmStart::ShowMainWindow() {
    mMainWindow->show();
    HastenFirstPaint(mMainWindow);
}

void frmStart::cmdIgnore_Click() {
    if (!MakeMainWindow()) return;
    ShowMainWindow();
    mMainWindow->raise();
    mMainWindow->activateWindow();
    UnloadForm(this);
}

void frmStart::cmdExit_Click() {
    EndProgram(0);
}

void frmStart::imgWMP_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) ShellOpen(LoadResString(800).value_or(QString()));
}

void frmStart::lblMediaplayer_MouseDown(Qt::MouseButton button) {
    imgWMP_MouseDown(button);
}

void frmStart::lblWebsite_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) OpenWebsite();
}

void frmStart::EndProgram(int code) {
    mEnded = true;
    mExitCode = code;
    if (exitProgram) exitProgram(code);
}
