// The settings file: exact round trips, case-insensitive keys, atomic writes.
#include "base/processstate.h"
#include "base/settingsstore.h"
#include "base/storelock.h"
#include "child.h"
#include "fixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

#include <csignal>

namespace {

// A copy of the program writing its own keys: "<prefix>0" ... as fast as it can, once every
// copy of the run is ready. Ends with the number of writes that reported failure.
SCRIVELLE_CHILD_ROLE(WriteSettingKeys) {
    const QString prefix = arguments.value(0);
    const int count = arguments.value(1).toInt();
    if (!WaitForEveryCopy(arguments.value(2), prefix, arguments.value(3).toInt())) return 255;
    int failed = 0;
    for (int i = 0; i < count; ++i)
        if (!WriteSetting(prefix + QString::number(i), QString::number(i * 7))) {
            ++failed;
            qWarning("write %d failed: %s", i, qPrintable(SettingsWriteError()));
        }
    return failed;
}

// A copy of the program that holds the settings file's lock until its input ends.
SCRIVELLE_CHILD_ROLE(HoldSettingsLock) {
    QLockFile lock(SettingsFilePath() + ".lock");
    if (!lock.tryLock(10000)) return 1;
    QFile out, in;
    out.open(stdout, QIODevice::WriteOnly);
    out.write("held\n");
    out.flush();
    in.open(stdin, QIODevice::ReadOnly);
    in.readAll(); // until the test closes our input
    return 0;
}

class Store : public ScrivelleTest {
protected:
    // Forgets everything in memory, so the next read comes from the file alone.
    void ForgetCache() { processstate::ResetAll(); }
};

TEST_F(Store, AwkwardValuesRoundTripThroughTheFile) {
    const QStringList values = {"  leading and trailing  ", "a=b=c", "; not a comment",
                                "# not a comment either", "line1\r\nline2\nline3\r", "tab\there",
                                "Grüße, Ελληνικά, 日本語, עברית", "back\\slash\\n", "[section]", "", " ",
                                "\\", "trailing\\",
                                // A file name's bytes that are not UTF-8, and text like their escape.
                                "/a/bad" + QString(QChar(0xDCE9)) + "name.srt",
                                QString(QChar(0xD800)) + "x" + QChar(0xDFFF), "\\udce9 \\u12"};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(SaveSetting(kMainSection, QString("k%1").arg(i), values[i]));
    ForgetCache();
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(GetSetting(kMainSection, QString("k%1").arg(i), "<absent>"), values[i]) << i;
}

TEST_F(Store, AwkwardKeysRoundTrip) {
    const QStringList keys = {"a=b", "[x]", "#hash", " spaced ", "ключ"};
    for (const QString& k : keys)
        ASSERT_TRUE(WriteSetting(k, k + "!"));
    ForgetCache();
    for (const QString& k : keys)
        EXPECT_EQ(ReadSetting(k, "<absent>"), k + "!") << k.toStdString();
}

TEST_F(Store, KeysAndSectionsIgnoreCase) {
    ASSERT_TRUE(WriteSetting("LastFolder", "/a"));
    ASSERT_TRUE(WriteSetting("LASTFOLDER", "/b"));
    EXPECT_EQ(ReadSetting("lastfolder"), "/b");
    ASSERT_TRUE(SaveSetting(FormatSection("SAMI"), "font", "Arial"));
    EXPECT_EQ(GetSetting("scrivelle\\sami", "FONT"), "Arial");
    // One key, stored once.
    ForgetCache();
    QFile f(SettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().count("astFolder") + 0, 1);
}

TEST_F(Store, SubsectionsAreSeparateFromTheMainSection) {
    ASSERT_TRUE(WriteSetting("font", "main"));
    ASSERT_TRUE(SaveSetting(FormatSection("SUBSTATIONALPHA"), "font", "ssa"));
    ForgetCache();
    EXPECT_EQ(ReadSetting("font"), "main");
    EXPECT_EQ(GetSetting(FormatSection("SUBSTATIONALPHA"), "font"), "ssa");
    EXPECT_EQ(GetSetting(FormatSection("SAMI"), "font", "none"), "none");
}

TEST_F(Store, MissingKeyGivesTheCallersDefault) {
    EXPECT_EQ(ReadSetting("Nothing", "dflt"), "dflt");
    ASSERT_TRUE(WriteSetting("Something", "1"));
    EXPECT_EQ(ReadSetting("Nothing", "dflt"), "dflt");
    ASSERT_TRUE(DeleteSetting(kMainSection, "something"));
    EXPECT_EQ(ReadSetting("Something", "gone"), "gone");
}

TEST_F(Store, BooleansAndNumbersAreWrittenAsDecimalText) {
    ASSERT_TRUE(WriteSettingBool("F_OPAQUE", true));
    ASSERT_TRUE(WriteSettingBool("F_FOLLOW", false));
    ASSERT_TRUE(WriteSetting("Near", -15));
    EXPECT_EQ(ReadSetting("F_OPAQUE"), "255");
    EXPECT_EQ(ReadSetting("F_FOLLOW"), "0");
    EXPECT_EQ(ReadSetting("Near"), "-15");
}

TEST_F(Store, FailedWriteIsReportedAndNotRemembered) {
    // The store's folder cannot be made: a plain file stands where it should be.
    WriteFile("config/Orvalent", "in the way");
    EXPECT_FALSE(WriteSetting("Language", "GERMAN"));
    EXPECT_EQ(ReadSetting("Language", "---"), "---");
}

TEST_F(Store, UnreadableStoreIsNeverOverwritten) {
    QDir().mkpath(SettingsFilePath()); // a folder where the file should be
    EXPECT_FALSE(WriteSetting("Language", "ENGLISH"));
    EXPECT_TRUE(QFileInfo(SettingsFilePath()).isDir());
}

TEST_F(Store, AnotherInstancesWriteIsSeen) {
    ASSERT_TRUE(WriteSetting("Volume", "50"));
    EXPECT_EQ(ReadSetting("Volume"), "50");
    // Rewrite the file behind the cache's back, as a second running copy would.
    QFile f(SettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Orvalent\\\\Scrivelle]\nVolume=75\nLastFolder=/x\n");
    f.close();
    EXPECT_EQ(ReadSetting("Volume"), "75");
    ASSERT_TRUE(WriteSetting("Language", "ENGLISH"));
    EXPECT_EQ(ReadSetting("LastFolder"), "/x"); // its keys survive our next write
}

TEST_F(Store, ABatchOfReadsLooksAtTheFileOnceAndOnlyWhileItLasts) {
    ASSERT_TRUE(WriteSetting("Volume", "50"));
    const auto rewrite = [](const char* volume) {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[Orvalent\\\\Scrivelle]\nVolume=") + volume + "\n");
    };
    {
        const SettingsReadBatch batch;
        // Each rewrite changes the file's size: its time may not move within a millisecond.
        rewrite("755"); // before the batch's first read: that read sees it
        EXPECT_EQ(ReadSetting("Volume"), "755");
        rewrite("80");
        {
            const SettingsReadBatch inner;
            EXPECT_EQ(ReadSetting("Volume"), "755");
        }
        EXPECT_EQ(ReadSetting("Volume"), "755"); // the outer batch still holds
        ASSERT_TRUE(WriteSetting("Language", "ENGLISH"));
        EXPECT_EQ(ReadSetting("Language"), "ENGLISH"); // its own writes are seen
    }
    rewrite("9");
    EXPECT_EQ(ReadSetting("Volume"), "9");
}

TEST_F(Store, AFileThatDoesNotReadBackCleanlyIsKeptBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* volume; // what the store reads for "Volume"; null: the caller's default
        bool backup;
    } const cases[] = {
        {"random bytes", QByteArray("\x89\xff\x00\x13\xfe\x80garbage\x01\x02", 16), nullptr, true},
        {"a file of another kind", "<?xml version=\"1.0\"?>\n<settings volume=\"3\"/>\n", nullptr, true},
        {"values outside any section", "Volume=9\n[Orvalent\\\\Scrivelle]\nLanguage=X\n", nullptr, true},
        {"CR-only line ends", "[Orvalent\\\\Scrivelle]\rVolume=42\rLanguage=GERMAN\r", "42", false},
        {"Latin-1 text", "[Orvalent\\\\Scrivelle]\nVolume=caf\xe9\n", "caf\u00e9", true},
        {"a clean file", "[Orvalent\\\\Scrivelle]\r\nVolume=7\r\n", "7", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetCache();
        const QString path = SettingsFilePath();
        for (const QString& old : {path, path + ".bak", path + ".bak1"})
            QFile::remove(old);
        WriteFile("config/Orvalent/Scrivelle.conf", c.bytes);
        EXPECT_EQ(ReadSetting("Volume", "default"), c.volume ? QString(c.volume) : QString("default"));
        ASSERT_TRUE(WriteSetting("WindowState", "2"));
        ASSERT_TRUE(WriteSetting("WindowWidth", "800"));
        EXPECT_EQ(QFileInfo::exists(path + ".bak"), c.backup);
        EXPECT_FALSE(QFileInfo::exists(path + ".bak1")) << "one backup, before the first write";
        if (c.backup) {
            QFile kept(path + ".bak");
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), c.bytes);
        }
        // Whatever was read survives the rewrite, and the new file reads back as written.
        ForgetCache();
        EXPECT_EQ(ReadSetting("Volume", "default"), c.volume ? QString(c.volume) : QString("default"));
        EXPECT_EQ(ReadSetting("WindowWidth"), "800");
    }
    // An older backup is never overwritten.
    for (const char* text : {"not settings at all", "nor this"}) {
        ForgetCache();
        WriteFile("config/Orvalent/Scrivelle.conf", text);
        ASSERT_TRUE(WriteSetting("WindowState", "1"));
    }
    QFile first(SettingsFilePath() + ".bak"), second(SettingsFilePath() + ".bak1");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), "not settings at all");
    EXPECT_EQ(second.readAll(), "nor this");
}

TEST_F(Store, CopiesWritingAtOnceKeepEveryValue) {
    ASSERT_TRUE(WriteSetting("Language", "GERMAN")); // a value from before stays too
    const int copies = 2, keys = 300;
    const QString barrier = TempPath("barrier");
    QDir().mkpath(barrier);
    std::vector<std::unique_ptr<QProcess>> children;
    for (int c = 0; c < copies; ++c)
        children.push_back(StartChild("WriteSettingKeys", {QString("copy%1_").arg(c), QString::number(keys),
                                                           barrier, QString::number(copies)}));
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(180000)) << child->errorString().toStdString();
        EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child->exitCode(), 0) << "writes that reported failure\n"
                                        << child->readAllStandardError().toStdString();
    }
    ForgetCache();
    int lost = 0;
    for (int c = 0; c < copies; ++c)
        for (int i = 0; i < keys; ++i)
            if (ReadSetting(QString("copy%1_%2").arg(c).arg(i)) != QString::number(i * 7)) ++lost;
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(ReadSetting("Language"), "GERMAN");
}

TEST_F(Store, AWriteThatCannotTakeTheLockFailsAndIsToldOnce) {
    ASSERT_TRUE(WriteSetting("Volume", "50"));
    const QByteArray before = ReadFileBytes(SettingsFilePath());
    SetStoreLockWaitMs(300);
    QStringList told;
    SetSettingsWriteFailureHandler([&](const QString& reason) { told << reason; });

    struct Case {
        const char* name;
        bool killed; // the holder crashed: its lock is stale and is taken over
    } const cases[] = {{"held by a running copy", false}, {"left by a copy that died", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        told.clear();
        auto holder = StartChild("HoldSettingsLock", {});
        ASSERT_TRUE(WaitFor([&] { return holder->canReadLine() || holder->waitForReadyRead(50); }, 30000));
        ASSERT_EQ(holder->readLine(), "held\n");
        if (c.killed) {
            ::kill(pid_t(holder->processId()), SIGKILL);
            ASSERT_TRUE(holder->waitForFinished(30000));
            EXPECT_TRUE(WriteSetting("Volume", "60"));
            EXPECT_EQ(ReadSetting("Volume"), "60");
            EXPECT_TRUE(told.isEmpty());
            continue;
        }
        // A burst of writes (OK in the settings dialog) while another copy is stuck: each one
        // fails, the file is left alone, and the user is told once, naming the lock file.
        for (const char* key : {"Volume", "Near", "Language"})
            EXPECT_FALSE(WriteSetting(key, "70")) << key;
        EXPECT_FALSE(DeleteSetting(kMainSection, "Volume"));
        EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains("Scrivelle.conf.lock")) << told[0].toStdString();
        EXPECT_EQ(SettingsWriteError(), told[0]);
        holder->closeWriteChannel();
        ASSERT_TRUE(holder->waitForFinished(30000));
        // The copy is done: the next write goes through, and a later failure is told again.
        EXPECT_TRUE(WriteSetting("Volume", "65"));
        EXPECT_TRUE(SettingsWriteError().isEmpty());
        EXPECT_EQ(ReadSetting("Volume"), "65");
    }
    {
        // A lock file that tells nothing, left long ago: taken over.
        const QString path = WriteFile("config/Orvalent/Scrivelle.conf.lock", "not a lock");
        QFile lockFile(path);
        ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
        ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                         QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(WriteSetting("Volume", "66"));
    QFile::remove(SettingsFilePath());
    QDir().mkpath(SettingsFilePath()); // now the store cannot be read
    EXPECT_FALSE(WriteSetting("Volume", "67"));
    EXPECT_EQ(told.size(), 1);
}

// Saving what the file holds already changes nothing, so it needs neither the lock nor a write:
// it succeeds while another copy holds the lock. What the file holds is what counts, not what
// this copy read before.
TEST_F(Store, AValueTheFileHoldsAlreadyIsSavedWithoutTheLock) {
    ASSERT_TRUE(WriteSetting("Volume", "50"));
    ASSERT_TRUE(SaveSetting("Wave", "Color", "255"));
    SetStoreLockWaitMs(200);
    SetSettingsWriteFailureHandler([](const QString&) {});
    QLockFile held(SettingsFilePath() + ".lock");
    ASSERT_TRUE(held.tryLock(0));
    const QByteArray before = ReadFileBytes(SettingsFilePath());
    const QFileInfo beforeInfo(SettingsFilePath());
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        bool saved; // without the lock
    } const cases[] = {
        {"Scrivelle", "Volume", "50", true},
        {"Scrivelle", "VOLUME", "50", true}, // keys ignore case
        {"Wave", "Color", "255", true},
        {"Scrivelle", "Volume", "50 ", false}, // values do not
        {"Scrivelle", "Volume", "", false},
        {"Scrivelle", "Color", "255", false}, // another section's key
        {"Scrivelle", "Missing", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.section << "/" << c.key << "=" << c.value);
        EXPECT_EQ(SaveSetting(c.section, c.key, c.value), c.saved);
    }
    EXPECT_EQ(ReadFileBytes(SettingsFilePath()), before);
    EXPECT_EQ(QFileInfo(SettingsFilePath()).lastModified(), beforeInfo.lastModified());

    // Another copy changed it behind this one's back, also within a batch of reads.
    const auto rewrite = [](const char* volume) {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("[Orvalent\\\\Scrivelle]\nVolume=") + volume + "\n");
    };
    rewrite("75");
    EXPECT_FALSE(WriteSetting("Volume", "50"));
    {
        const SettingsReadBatch batch;
        EXPECT_EQ(ReadSetting("Volume"), "75");
        rewrite("8");
        EXPECT_FALSE(WriteSetting("Volume", "75"));
        EXPECT_TRUE(WriteSetting("Volume", "8"));
    }
    held.unlock();
    EXPECT_TRUE(WriteSetting("Volume", "50"));
    EXPECT_EQ(ReadSetting("Volume"), "50");
}

TEST_F(Store, LivesUnderTheConfigHome) {
    EXPECT_EQ(SettingsFilePath(), TempPath("config/Orvalent/Scrivelle.conf"));
}

} // namespace
