// The start-up sequence without its window: command line, folders, screen, backend check and
// the choice of the UI language.
#include "app/startup.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/storelock.h"
#include "fixture.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "platform/MsgBox.h"
#include "scoped.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLockFile>

#include <cmath>
#include <optional>

#include <unistd.h>

namespace {

QFile::Permissions Perms(const QString& path) {
    return QFileInfo(path).permissions() &
           (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
            QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}
const QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

TEST(CommandLine, KeepsPathsAndDropsTheRest) {
    const QString here = "/home/u/My Films";
    const struct {
        QStringList arguments;
        const char* file;
    } cases[] = {
        {{"\"/home/u/b.srt\""}, "/home/u/b.srt"},
        {{"/home/u/b.srt"}, "/home/u/b.srt"},
        {{"/a/b.c"}, ""},           // shorter than 8
        {{"/ab/c.de"}, "/ab/c.de"}, // exactly 8
        {{"/home/user/film"}, ""},  // no "."
        {{}, ""},
        {{""}, ""},
        {{"\"\""}, ""},
        {{" "}, ""},
        // Everything given is one path: two paths stay whole, with their quotes removed.
        {{"\"/a/x.srt\"", "\"/b/y.avi\""}, "/a/x.srt /b/y.avi"},
        {{"/home/u/my", "film.srt"}, "/home/u/my film.srt"},
        // The test counts the quotes: a short path inside quotes still passes.
        {{"\"/a/b.c\""}, "/a/b.c"},
        // A relative path names a file in the folder the program was started from.
        {{"film.srt"}, "/home/u/My Films/film.srt"},
        {{"\"film.srt\""}, "/home/u/My Films/film.srt"},
        {{"my", "film.srt"}, "/home/u/My Films/my film.srt"},
        {{"./sub/film.srt"}, "/home/u/My Films/sub/film.srt"},
        {{"../film.srt"}, "/home/u/film.srt"},
        {{"sub/../film.SRT"}, "/home/u/My Films/film.SRT"},
        // An address is not a file name.
        {{"http://example.com/v.avi"}, "http://example.com/v.avi"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandLineFile(c.arguments, here), QString(c.file)) << c.arguments.join('|').toStdString();
    // Relative to the root, a short name stays too short.
    EXPECT_EQ(CommandLineFile({"b.c"}, "/"), "");
    // Without a folder given, the current one.
    EXPECT_EQ(CommandLineFile({"film.srt"}), QDir::current().absoluteFilePath("film.srt"));
}

TEST(Folders, OneTrailingSlash) {
    EXPECT_EQ(FolderWithSlash("/"), "/");
    EXPECT_EQ(FolderWithSlash("/usr/bin"), "/usr/bin/");
    EXPECT_EQ(FolderWithSlash("/usr/bin/"), "/usr/bin/");
    EXPECT_EQ(FolderWithSlash("/usr/bin//"), "/usr/bin/");
    EXPECT_EQ(FolderWithSlash("//"), "/");
}

TEST(Screen, TwipsPerPixel) {
    EXPECT_EQ(TwipsPerPixel(96), 15);
    EXPECT_EQ(TwipsPerPixel(120), 12);
    EXPECT_EQ(TwipsPerPixel(144), 10);
    EXPECT_EQ(TwipsPerPixel(72), 20);
    EXPECT_EQ(TwipsPerPixel(100), 14);
    EXPECT_EQ(TwipsPerPixel(192), 8); // 7.5: halves to even
    EXPECT_EQ(TwipsPerPixel(2000), 1);
    EXPECT_EQ(TwipsPerPixel(100000), 1);
    EXPECT_EQ(TwipsPerPixel(0), 15);
    EXPECT_EQ(TwipsPerPixel(-96), 15);
    EXPECT_EQ(TwipsPerPixel(std::nan("")), 15);
}

class Startup : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        locale_ = std::make_unique<UserLocale>(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        locale_.reset();
        ScrivelleTest::TearDown();
    }
    StartupResult Run(const QStringList& args = {}) { return RunStartupSequence(args); }
    std::unique_ptr<UserLocale> locale_;
    EnvVar backend_{"SCRIVELLE_NO_MEDIA_BACKEND", "0"};
};

TEST_F(Startup, PrivateFolderIsCreatedWithItsParents) {
    const QString path = TempPath("a/b/c/");
    ASSERT_TRUE(MakePrivateFolder(path));
    for (const char* p : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(Perms(TempPath(p)), kPrivate) << p;
    // An existing folder is not touched.
    QDir().mkpath(TempPath("open"));
    QFile::setPermissions(TempPath("open"), kPrivate | QFile::ReadGroup | QFile::ExeGroup);
    EXPECT_TRUE(MakePrivateFolder(TempPath("open")));
    EXPECT_EQ(Perms(TempPath("open")), kPrivate | QFile::ReadGroup | QFile::ExeGroup);
    // A file in the way cannot become a folder.
    WriteFile("blocker", "x");
    EXPECT_FALSE(MakePrivateFolder(TempPath("blocker/inner/")));
}

TEST_F(Startup, SetsThePathsAndCreatesTheScratchFolder) {
    const StartupResult r = Run({"/home/u/film.srt"});
    EXPECT_FALSE(r.failed);
    EXPECT_FALSE(r.backendMissing);
    EXPECT_EQ(gCmdFile, "/home/u/film.srt");
    EXPECT_EQ(gTempDir, TempPath("cache/vellumix/"));
    EXPECT_TRUE(QFileInfo(gTempDir).isDir());
    EXPECT_EQ(Perms(gTempDir), kPrivate);
    EXPECT_EQ(gAppPath, QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(gFormatFile, gAppPath + "formats.ini");
    EXPECT_EQ(gFormatDatFile, gAppPath + "formats.dat");
    EXPECT_TRUE(gSysDir.endsWith('/'));
    EXPECT_TRUE(QFileInfo(gSysDir).isDir()) << gSysDir.toStdString();
    EXPECT_GE(gTwipsX, 1);
    EXPECT_GE(gTwipsY, 1);
    EXPECT_EQ(gLangInfo[7][kLangKey], "PORTUGUESE");
    EXPECT_EQ(gCharsetName.isEmpty(), false);
}

TEST_F(Startup, ExistingScratchFolderIsKeptAsItIs) {
    const QString dir = TempPath("cache/vellumix");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, kPrivate | QFile::ReadGroup | QFile::ExeGroup);
    WriteFile("cache/vellumix/keep.txt", "old");
    EXPECT_FALSE(Run().failed);
    EXPECT_TRUE(QFileInfo::exists(dir + "/keep.txt"));
    EXPECT_EQ(Perms(dir), kPrivate | QFile::ReadGroup | QFile::ExeGroup);
}

TEST_F(Startup, MissingParentsOfTheScratchFolderAreCreated) {
    EnvVar cache("XDG_CACHE_HOME", QFile::encodeName(TempPath("deep/cache")));
    EXPECT_FALSE(Run().failed);
    EXPECT_TRUE(QFileInfo(TempPath("deep/cache/vellumix")).isDir());
}

TEST_F(Startup, ScratchFolderFailureIsNotedAndTheRestStillRuns) {
    WriteFile("not-a-folder", "x");
    EnvVar cache("XDG_CACHE_HOME", QFile::encodeName(TempPath("not-a-folder")));
    WriteSetting("Language", "GERMAN");
    const StartupResult r = Run({"/home/u/film.srt"});
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(gTempDir, TempPath("not-a-folder/vellumix/"));
    EXPECT_FALSE(gAppPath.isEmpty());
    EXPECT_EQ(gCmdFile, "/home/u/film.srt");
    EXPECT_EQ(gLanguage, "GERMAN");
    EXPECT_EQ(gLangIndex, 21);
    EXPECT_EQ(LangText(146), "Warnung");
}

QString NoUserDatabaseEntry() {
    return QString();
}

TEST_F(Startup, TheHomeFolderComesFromTheUserDatabaseWhenHomeIsNotSet) {
    EnvVar config("XDG_CONFIG_HOME", "");
    EnvVar cache("XDG_CACHE_HOME", "relative/cache"); // only an absolute folder counts
    const QString database = UserDatabaseHome();
    ASSERT_TRUE(QDir::isAbsolutePath(database)) << database.toStdString();
    const struct {
        const char* home; // null: not set
        QString expected;
    } cases[] = {
        {nullptr, database}, {"", database}, {"relative/home", database}, {"/srv/u/", "/srv/u"}, {"/", "/"},
    };
    for (const auto& c : cases) {
        std::optional<EnvVar> home;
        home.emplace("HOME", c.home ? QByteArray(c.home) : QByteArray());
        if (!c.home) qunsetenv("HOME");
        SCOPED_TRACE(c.home ? c.home : "(not set)");
        EXPECT_EQ(HomeFolder(), c.expected);
        const QString base = c.expected == "/" ? "" : c.expected;
        EXPECT_EQ(SettingsFilePath(), base + "/.config/Orvalent/Scrivelle.conf");
        EXPECT_EQ(ScratchFolderPath(), base + "/.cache/vellumix/");
    }
}

TEST_F(Startup, WithoutAnyHomeFolderNoSettingsAreKeptAndTheScratchFolderIsPrivate) {
    EnvVar config("XDG_CONFIG_HOME", "");
    EnvVar cache("XDG_CACHE_HOME", "");
    EnvVar home("HOME", "");
    EnvVar tmpdir("TMPDIR", QFile::encodeName(TempPath("shared-tmp")));
    QDir().mkpath(TempPath("shared-tmp"));
    SetUserDatabaseLookup(NoUserDatabaseEntry);
    EXPECT_EQ(SettingsFilePath(), "");
    const StartupResult r = Run({"/home/u/film.srt"});
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.noSettingsFolder);
    EXPECT_EQ(gNear, 200); // the defaults
    EXPECT_EQ(gTempDir, TempPath(QString("shared-tmp/vellumix-%1/").arg(geteuid())));
    EXPECT_EQ(Perms(gTempDir), kPrivate);
    EXPECT_FALSE(QFileInfo::exists("/.config/Orvalent"));
    // A write fails and says why; the start window has told it already, so no box.
    EXPECT_FALSE(WriteSetting("Volume", "20"));
    EXPECT_EQ(SettingsWriteError(), kNoSettingsFolder);
    EXPECT_EQ(msgbox.count(), 0);

    // A folder of that name that is not the user's alone is not used.
    processstate::ResetAll();
    SetUserDatabaseLookup(NoUserDatabaseEntry);
    QFile::setPermissions(TempPath(QString("shared-tmp/vellumix-%1").arg(geteuid())),
                          kPrivate | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
    EXPECT_TRUE(Run().failed);
    EXPECT_EQ(gTempDir, "");
}

TEST_F(Startup, AFailedSettingsWriteIsToldOnceInABox) {
    Run();
    SetStoreLockWaitMs(0);
    QDir().mkpath(QFileInfo(SettingsFilePath()).absolutePath());
    // Held by this process here; what matters is that the store cannot take it.
    QLockFile other(SettingsFilePath() + ".lock");
    ASSERT_TRUE(other.tryLock(0));
    msgbox.Answer(vbOK);
    EXPECT_FALSE(WriteSetting("Volume", "20"));
    EXPECT_FALSE(WriteSetting("Near", "20"));
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(msgbox.last().text.startsWith("The settings could not be saved.\n\n"));
    EXPECT_TRUE(msgbox.last().text.contains("Scrivelle.conf.lock"));
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
}

TEST_F(Startup, UnreadableSettingsStoreIsNoted) {
    QDir().mkpath(SettingsFilePath());
    const StartupResult r = Run();
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(gNear, 200); // defaults all the same
    EXPECT_EQ(gLanguage, "ENGLISH");
}

TEST_F(Startup, StoredLanguageIsMatchedByItsWholeName) {
    const struct {
        const char* stored;
        int row;
    } cases[] = {
        {"PORTUGUESE", 7}, {"PORTUGUESE_BR", 6}, {"BPORTUGUESE", 6}, // renamed key of older versions
        {"GERMAN", 21},    {"CHINESE", 25},      {"KLINGON", 0},     // unknown: English, and the name is kept
        {"", 0},    // empty: contained in every name, but picks none
        {"ESE", 0}, // part of several names
        {"german", 0},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        WriteSetting("Language", c.stored);
        Run();
        EXPECT_EQ(gLangIndex, c.row) << c.stored;
        const QString kept = QString::fromLatin1(c.stored) == "BPORTUGUESE" ? "PORTUGUESE_BR" : c.stored;
        EXPECT_EQ(gLanguage, kept) << c.stored;
        EXPECT_EQ(LangText(0), LoadResString(c.row * 1000).value_or(QString())) << c.stored;
    }
}

TEST_F(Startup, FirstRunFollowsTheUsersLanguage) {
    {
        UserLocale german(QLocale(QLocale::German, QLocale::Germany));
        Run();
        EXPECT_EQ(gLanguage, "GERMAN");
        EXPECT_EQ(gLangIndex, 21);
        EXPECT_TRUE(gLangComplete);
        EXPECT_EQ(LangText(65), "Beenden");
    }
    TearDown();
    SetUp();
    {
        UserLocale korean(QLocale(QLocale::Korean, QLocale::SouthKorea));
        Run();
        EXPECT_EQ(gLanguage, "ENGLISH");
        EXPECT_EQ(gLangIndex, 0);
        EXPECT_TRUE(gLangComplete);
    }
}

TEST_F(Startup, MediaBackendIsFoundAndCanBeSimulatedMissing) {
    EXPECT_TRUE(MediaBackendPresent());
    {
        EnvVar none("SCRIVELLE_NO_MEDIA_BACKEND", "1");
        EXPECT_FALSE(MediaBackendPresent());
        const StartupResult r = Run();
        EXPECT_TRUE(r.backendMissing);
        EXPECT_FALSE(r.failed);
        EXPECT_EQ(r.missingPath, MediaBackendPath());
        // The rest of the start-up ran all the same.
        EXPECT_EQ(LangText(147), "Required file missing");
    }
    {
        EnvVar none("QT_MEDIA_BACKEND", "nosuchbackend");
        EXPECT_FALSE(MediaBackendPresent());
        EXPECT_TRUE(MediaBackendPath().endsWith("/multimedia/libnosuchbackendmediaplugin.so"));
    }
    EXPECT_TRUE(MediaBackendPath().startsWith(QLibraryInfo::path(QLibraryInfo::PluginsPath)));
}

} // namespace
