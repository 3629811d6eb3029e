// File names that are not UTF-8: kept as their bytes from wherever they come, through the
// settings, opens and saves, and shown with those bytes.
#include "app/startup.h"
#include "base/filenames.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "document/captions.h"
#include "mainwindow/mainstate.h"
#include "mainwindow/mainwindow_fixture.h"

#include <QAction>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(FileNameBytes, EveryByteStringRoundTripsAndUtf8IsQtsOwnText) {
    const QByteArray cases[] = {
        "plain.srt",
        "caf\xC3\xA9.srt",
        "\xF0\x9F\x8E\xAC.srt", // valid: as Qt reads them
        "bad\xE9name.srt",
        "\xFF\xFE",
        "\xC0\xAF",
        "\xE0\x80\xAF", // a byte alone, overlong
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\xF5\x80",
        "end\xC3",
        "\xE2\x82", // surrogate, >U+10FFFF, cut
        "\xED\xB3\xA9 (the UTF-8 form of an escape)",
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        const QString name = DecodeFileName(bytes);
        EXPECT_EQ(EncodeFileName(name), bytes);
        const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
        EXPECT_EQ(QtNamesFile(name), utf8);
        if (utf8) {
            EXPECT_EQ(name, QString::fromUtf8(bytes));
        }
        EXPECT_EQ(FileNameFromUrl(FileNameUrl("/d/" + name)), "/d/" + name);
    }
    QRandomGenerator random(37);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(1 + random.bounded(12), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(1 + random.bounded(255));
        ASSERT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(DisplayFileName(DecodeFileName("/a/bad\xE9\xFFname.srt")), "/a/bad\\xE9\\xFFname.srt");
}

class NotUtf8Names : public MainWindowFixture {
protected:
    static QByteArray ReadBytes(const QByteArray& path) {
        QFile f;
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return "(missing)";
        return f.readAll();
    }
    static void WriteBytes(const QByteArray& path, const QByteArray& content) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
    }
};

// The name comes from the command line, the open dialog or the recent entry (read back from the
// settings file); the folder holds such bytes too, and is the one the next dialog starts in.
TEST_F(NotUtf8Names, OpenSaveAndShowFromEverySource) {
    const QByteArray folder = QFile::encodeName(TempPath("")) + "/d\xE9j\xE0";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray file = folder + "/bad\xE9name.srt";
    const QString name = DecodeFileName(file);
    const QByteArray srt = "1\r\n00:00:01,000 --> 00:00:02,000\r\nfirst\r\n\r\n"
                           "2\r\n00:00:03,000 --> 00:00:04,000\r\nsecond\r\n\r\n";
    for (const char* source : {"command line", "open dialog", "recent entry"}) {
        SCOPED_TRACE(source);
        w.reset();
        gSubFile.clear();
        WriteBytes(file, srt);
        if (QByteArray(source) == "command line") {
            QByteArray program("scrivelle"), argument(file);
            char* argv[] = {program.data(), argument.data(), nullptr};
            SetProgramArguments(2, argv);
            gCmdFile = CommandLineFile(ProgramArguments());
            Make();
            w->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
            ASSERT_TRUE(WaitFor([] { return !gSubFile.isEmpty(); }));
        } else if (QByteArray(source) == "open dialog") {
            Make();
            dialogs.paths.push_back(name);
            w->mnuOpenText_Click();
        } else {
            WriteSetting(SettingKeys::TFileName, name);
            QFile::remove(SettingsFilePath() + ".lock");
            ASSERT_TRUE(ReadFileBytes(SettingsFilePath()).contains("\\udce9"));
            Make();
            ASSERT_TRUE(w->mnuTFileName->isVisible());
            w->mnuTFileName_Click();
        }
        EXPECT_EQ(msgbox.count(), 0);
        EXPECT_EQ(gSubFile, name);
        ASSERT_EQ(CaptionCount(), 2);
        EXPECT_EQ(GetLineText(2), "second");
        EXPECT_TRUE(w->lblTextFile->text().endsWith("/d\\xE9j\\xE0/bad\\xE9name.srt"))
            << w->lblTextFile->text().toStdString();
        EXPECT_TRUE(w->mnuTFileName->text().contains("bad\\xE9name.srt"));
        EXPECT_EQ(ReadSetting(SettingKeys::LastFolder), DecodeFileName(folder + "/"));

        // Saved over itself, then under a new name of the same kind in the remembered folder.
        SetLineText(1, "changed");
        w->mnuSave_Click();
        EXPECT_TRUE(ReadBytes(file).contains("changed")) << ReadBytes(file).toStdString();
        const QByteArray other = folder + "/sav\xFF.srt";
        dialogs.paths.push_back(DecodeFileName(other));
        const qsizetype calls = dialogs.calls.size();
        w->mnuSaveAs_Click();
        ASSERT_EQ(dialogs.calls.size(), calls + 1);
        EXPECT_EQ(dialogs.calls.last().folder, DecodeFileName(folder + "/"));
        EXPECT_TRUE(ReadBytes(other).contains("second"));
        EXPECT_EQ(gSubFile, DecodeFileName(other));
        EXPECT_EQ(msgbox.count(), 0);
        ::unlink(other.constData());
    }
    // Qt cannot see these to clear them away.
    w.reset();
    ::unlink(file.constData());
    EXPECT_EQ(::rmdir(folder.constData()), 0);
}

} // namespace
