// The start window driven through its real widgets: hand-over to the main window, the
// warning page for a missing media backend, and what it reports.
#include "app/startup.h"
#include "app/ui/frmStart.h"
#include "base/appinfo.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "fixture.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "platform/GStreamerCheck.h"
#include "platform/MsgBox.h"
#include "scoped.h"
#include "support/child.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include <stdexcept>

namespace {

// Counts how often a window was shown.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) ++shows;
        return false;
    }
};

class StartWindow : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        start = new frmStart;
        start->commandLine = {};
        start->createMainWindow = [this]() -> QWidget* {
            ++mainWindowsMade;
            if (mainFails) throw std::runtime_error("no formats");
            auto* w = new QWidget;
            w->setObjectName("fakeMain");
            mainWindow.reset(w);
            return w;
        };
        start->exitProgram = [this](int code) { exits << code; };
    }
    void TearDown() override {
        delete start.data();
        mainWindow.reset();
        ScrivelleTest::TearDown();
    }
    // Lets the start window's own deletion happen, as the event loop would.
    void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QPointer<frmStart> start;
    std::unique_ptr<QWidget> mainWindow;
    int mainWindowsMade = 0;
    bool mainFails = false;
    QList<int> exits;
    ShowCounter showsOfStart;
};

TEST_F(StartWindow, WithBackendTheMainWindowOpensAndTheStartWindowNeverShows) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    start->installEventFilter(&showsOfStart);
    start->commandLine = {"/home/u/My Films/Film.SRT"};
    start->Form_Load();
    EXPECT_EQ(mainWindowsMade, 1);
    ASSERT_TRUE(mainWindow);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(start->mainWindow(), mainWindow.get());
    EXPECT_EQ(showsOfStart.shows, 0);
    EXPECT_FALSE(start->programEnded());
    EXPECT_EQ(gCmdFile, "/home/u/My Films/Film.SRT");
    EXPECT_EQ(msgbox.count(), 0);
    RunDeferredDeletes();
    EXPECT_TRUE(start.isNull());
}

TEST_F(StartWindow, WithoutBackendTheWarningPageShowsInTheUiLanguage) {
    EnvVar backend("QT_MEDIA_BACKEND", "MixedCase");
    start->Form_Load();
    EXPECT_EQ(mainWindowsMade, 0);
    EXPECT_TRUE(start->isVisible());
    EXPECT_TRUE(start->backendMissing());
    EXPECT_EQ(start->windowTitle(), LangText(146));
    EXPECT_EQ(start->cmdIgnore->text(), LangText(70));
    EXPECT_EQ(start->cmdExit->text(), LangText(65));
    EXPECT_EQ(start->lblMain->text(), LangText(147));
    EXPECT_EQ(start->lblInfo->text(), LangText(148));
    EXPECT_EQ(start->lblMediaplayer->text(), LangText(131));
    EXPECT_EQ(start->lblWebsite->text(), LangText(19));
    EXPECT_EQ(start->windowTitle(), "Warning");
    // The path keeps its case: folder names differ by case on this system.
    EXPECT_EQ(start->lblFile->text(), MediaBackendPath());
    EXPECT_TRUE(start->lblFile->text().endsWith("/libMixedCasemediaplugin.so"));
    EXPECT_EQ(start->lblFile->textFormat(), Qt::PlainText);
    EXPECT_EQ(start->lblMain->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(msgbox.count(), 0);
}

// The start window in a process of its own (GStreamer is set up once per process): says whether
// it showed the warning page and what the page names.
SCRIVELLE_CHILD_ROLE(StartTheProgram) {
    QTextStream out(stdout);
    SetMsgBoxHandler([&out](const QString& text, int, const QString&) {
        out << "box: " << text << "\n";
        return int(vbOK);
    });
    StartGStreamerCheck(); // as the program starts it
    frmStart start;
    start.createMainWindow = [] { return new QWidget; };
    start.exitProgram = [](int) {};
    start.Form_Load();
    out << "warning page: " << start.backendMissing() << "\n";
    if (start.backendMissing()) out << "names: " << start.lblFile->text() << "\n";
    return 0;
}

TEST_F(StartWindow, AGStreamerThatCannotBuildThePlayerShowsTheWarningPage) {
    const QString noPlugins = TempPath(QStringLiteral("no-plugins"));
    ASSERT_TRUE(QDir().mkpath(noPlugins));
    for (const bool plugins : {true, false}) {
        SCOPED_TRACE(plugins ? "GStreamer with its plugins" : "GStreamer without its plugins");
        QProcessEnvironment env;
        env.insert("SCRIVELLE_NO_MEDIA_BACKEND", "0");
        if (!plugins) {
            env.insert("GST_PLUGIN_PATH", noPlugins);
            env.insert("GST_PLUGIN_SYSTEM_PATH", QString());
            env.insert("GST_REGISTRY", TempPath(QStringLiteral("registry.bin")));
        }
        auto child = StartChild("StartTheProgram", {}, env);
        ASSERT_TRUE(child->waitForFinished(120000));
        ASSERT_EQ(child->exitStatus(), QProcess::NormalExit);
        const QString said = QString::fromUtf8(child->readAllStandardOutput());
        EXPECT_TRUE(said.contains(QStringLiteral("warning page: %1\n").arg(plugins ? 0 : 1))) << said.toStdString();
        // The page says what GStreamer lacks, the playing bin first.
        if (!plugins) {
            EXPECT_TRUE(said.contains("names: GStreamer lacks the plugins that provide: playbin, ")) << said.toStdString();
        }
        EXPECT_FALSE(said.contains("box:")) << said.toStdString();
    }
}

TEST_F(StartWindow, IgnoreOpensTheMainWindowAndClosesTheWarningPage) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "1");
    start->Form_Load();
    ASSERT_TRUE(start->isVisible());
    QTest::mouseClick(start->cmdIgnore, Qt::LeftButton);
    EXPECT_EQ(mainWindowsMade, 1);
    ASSERT_TRUE(mainWindow);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_TRUE(exits.isEmpty());
    RunDeferredDeletes();
    EXPECT_TRUE(start.isNull());
}

TEST_F(StartWindow, ExitEndsTheProgramWithoutAMainWindow) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "1");
    start->Form_Load();
    QTest::mouseClick(start->cmdExit, Qt::LeftButton);
    EXPECT_EQ(exits, QList<int>{0});
    EXPECT_TRUE(start->programEnded());
    EXPECT_EQ(start->exitCode(), 0);
    EXPECT_EQ(mainWindowsMade, 0);
}

TEST_F(StartWindow, LinksOpenWithTheLeftButtonOnly) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "1");
    start->Form_Load();
    const QString download = LoadResString(800).value();
    QTest::mouseClick(start->lblMediaplayer, Qt::RightButton);
    QTest::mouseClick(start->lblWebsite, Qt::RightButton);
    EXPECT_TRUE(shell.opened.isEmpty());
    QTest::mouseClick(start->lblMediaplayer, Qt::LeftButton);
    QTest::mouseClick(start->imgWMP, Qt::LeftButton);
    QTest::mouseClick(start->lblWebsite, Qt::LeftButton);
    EXPECT_EQ(shell.opened, (QStringList{download, download, kProductWebPage}));
    for (QWidget* link : {static_cast<QWidget*>(start->lblMediaplayer), static_cast<QWidget*>(start->imgWMP),
                          static_cast<QWidget*>(start->lblWebsite)})
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor) << link->objectName().toStdString();
}

TEST_F(StartWindow, FailedStepIsToldOnceAndStartUpGoesOn) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    // Two failing steps: the scratch folder cannot be made and the settings cannot be read.
    WriteFile("cache-file", "x");
    EnvVar cache("XDG_CACHE_HOME", QFile::encodeName(TempPath("cache-file")));
    QDir().mkpath(SettingsFilePath());
    msgbox.Answer(vbOK);
    start->Form_Load();
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(151));
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_EQ(msgbox.last().buttons, vbOKOnly);
    EXPECT_EQ(msgbox.last().title, kProductName);
    ASSERT_TRUE(mainWindow);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_FALSE(start->programEnded());
}

QString gDatabaseHome;
QString DatabaseHome() {
    return gDatabaseHome;
}

// Started without HOME, as a service's user: whether the user database names no home or one
// that cannot be made, one box says so (naming the folder), the scratch folder is a private one
// in the temporary folder, and writing a setting later tells nothing more.
TEST_F(StartWindow, NoSettingsFolderIsToldOnceInsteadOfTheRegistryText) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    EnvVar config("XDG_CONFIG_HOME", "");
    EnvVar cache("XDG_CACHE_HOME", "");
    EnvVar home("HOME", "");
    EnvVar tmpdir("TMPDIR", QFile::encodeName(TempPath("tmp")));
    QDir().mkpath(TempPath("tmp"));
    const QString file = WriteFile("a-file", "x"); // nothing can be made below a file, even by root
    const struct {
        QString home;   // as the user database gives it
        QString folder; // the box names it (empty: the box says there is no home)
    } cases[] = {
        {"", ""},
        {file + "/nonexistent", file + "/nonexistent/.config/Orvalent"},
        {file, file + "/.config/Orvalent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.home.toStdString());
        processstate::ResetAll();
        SetUserDatabaseLookup(DatabaseHome);
        gDatabaseHome = c.home;
        const int before = msgbox.count();
        if (!start) {
            start = new frmStart;
            start->createMainWindow = [this]() -> QWidget* {
                mainWindow.reset(new QWidget);
                return mainWindow.get();
            };
        }
        msgbox.Answer(vbOK);
        start->Form_Load();
        ASSERT_EQ(msgbox.count(), before + 1);
        EXPECT_EQ(msgbox.last().icon, vbExclamation);
        if (c.folder.isEmpty()) {
            EXPECT_EQ(msgbox.last().text, kNoSettingsFolder);
        } else {
            EXPECT_TRUE(msgbox.last().text.contains(c.folder)) << msgbox.last().text.toStdString();
        }
        EXPECT_EQ(gTempDir, TempPath(QString("tmp/vellumix-%1/").arg(geteuid())));
        ASSERT_TRUE(mainWindow);
        EXPECT_TRUE(mainWindow->isVisible());
        EXPECT_FALSE(WriteSetting("Volume", "20"));
        EXPECT_EQ(msgbox.count(), before + 1);
        RunDeferredDeletes();
    }
}

TEST_F(StartWindow, FailedStepOnTheWarningPageIsToldOnceToo) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "1");
    QDir().mkpath(SettingsFilePath());
    msgbox.Answer(vbOK);
    start->Form_Load();
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(start->isVisible());
    EXPECT_EQ(mainWindowsMade, 0);
}

TEST_F(StartWindow, MainWindowThatFailsToLoadEndsTheProgram) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    mainFails = true;
    msgbox.Answer(vbOK);
    start->Form_Load();
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(msgbox.last().text.startsWith("An error ocurred while loading main window.\n\n"));
    EXPECT_TRUE(msgbox.last().text.contains("no formats"));
    EXPECT_EQ(msgbox.last().icon, vbCritical);
    EXPECT_EQ(exits, QList<int>{1});
    EXPECT_TRUE(start->programEnded());
    EXPECT_EQ(start->exitCode(), 1);
    EXPECT_FALSE(start->isVisible());
}

TEST_F(StartWindow, MainWindowThatFailsAfterIgnoreEndsTheProgram) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "1");
    start->Form_Load();
    mainFails = true;
    msgbox.Answer(vbOK);
    QTest::mouseClick(start->cmdIgnore, Qt::LeftButton);
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(exits, QList<int>{1});
    EXPECT_EQ(mainWindowsMade, 1);
}

TEST_F(StartWindow, NoMainWindowAtAllEndsTheProgram) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    start->createMainWindow = [] { return static_cast<QWidget*>(nullptr); };
    msgbox.Answer(vbOK);
    start->Form_Load();
    EXPECT_EQ(msgbox.count(), 1);
    EXPECT_EQ(exits, QList<int>{1});
}

} // namespace

// The warning page costs start-up time; a start that opens the main window never builds it.
TEST_F(StartWindow, WithBackendTheWarningPageIsNeverBuilt) {
    EnvVar backend("SCRIVELLE_NO_MEDIA_BACKEND", "0");
    start->Form_Load();
    ASSERT_FALSE(start.isNull());
    EXPECT_EQ(start->lblFile, nullptr);
    EXPECT_TRUE(start->findChildren<QWidget*>().isEmpty());
}
