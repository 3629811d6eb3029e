// The command-line reader and writer, run as a user runs it: a process, its output and its
// exit code.
#include "support/fixture.h"
#include "support/scoped.h"

#include <QProcess>

namespace {

class SubtitleIoTest : public ScrivelleTest {
protected:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run Tool(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(SCRIVELLE_SUBTITLE_IO), args);
        Run r;
        if (!p.waitForFinished(60000)) {
            ADD_FAILURE() << "subtitle_io did not finish";
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    EnvVar codePage{"SCRIVELLE_ANSI_CODEPAGE", "1252"};
};

constexpr char kSrt[] = "1\r\n00:00:01,250 --> 00:00:03,000\r\nFirst line\r\nsecond line\r\n\r\n"
                        "2\r\n00:01:02,003 --> 00:01:04,500\r\n<i>Caf\xc3\xa9</i>\r\n\r\n";
const QString kDump = QStringLiteral("1250\t3000\tFirst line|second line\n"
                                     "62003\t64500\t<i>Caf\u00e9\n");

} // namespace

TEST_F(SubtitleIoTest, ReadsDumpsAndConvertsFiles) {
    const QString srt = WriteFile("film.srt", kSrt);
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        QString outStart; // what the output starts with (nothing at all when empty)
    } cases[] = {
        {"dump", {"dump", srt}, 0, kDump},
        {"read", {"read", srt}, 0, "format SUBRIP, 2 captions, read in "},
        {"convert", {"convert", srt, TempPath("film.vtt"), "webvtt"}, 0, srt + " (SUBRIP, 2 captions) -> "},
        {"dump of the converted file", {"dump", TempPath("film.vtt")}, 0, kDump},
        {"a file that is not there", {"dump", TempPath("missing.srt")}, 1, ""},
        {"an unknown format", {"convert", srt, TempPath("x.out"), "NOSUCHFORMAT"}, 1, ""},
        {"no command", {}, 2, ""},
        {"an unknown command", {"shred", srt}, 2, ""},
        {"too many arguments", {"dump", srt, "25", "more"}, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Run r = Tool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (c.outStart.isEmpty()) {
            EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        } else {
            EXPECT_TRUE(r.out.startsWith(c.outStart)) << r.out.toStdString();
        }
        if (c.exitCode == 2) {
            EXPECT_TRUE(r.err.startsWith("usage: subtitle_io")) << r.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(TempPath("x.out")));
}

TEST_F(SubtitleIoTest, WritesGeneratedCaptionsThatReadBack) {
    const QString out = TempPath("demo.srt");
    const Run written = Tool({"write-demo", "40", "subrip", out});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_TRUE(written.out.startsWith("format SUBRIP, 40 captions, ")) << written.out.toStdString();
    const Run dumped = Tool({"dump", out});
    ASSERT_EQ(dumped.exitCode, 0);
    const QStringList lines = dumped.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 40);
    EXPECT_EQ(lines[0], "1000\t3400\tCaption 1, the quick brown fox");
    EXPECT_EQ(lines[39], "118000\t120400\tCaption 40, the quick brown fox");
}
