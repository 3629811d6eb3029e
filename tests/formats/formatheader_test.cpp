// The generated headers of the DVD subtitle script, SAMI and SubStation Alpha: byte for byte
// with nothing stored and with stored values, what the settings' edge values give, and files
// written with them read back whole by our reader and by ffmpeg's.
#include "formats/reader_fixture.h"
#include "support/fixture.h"

#include "base/settingsstore.h"
#include "formats/formatheader.h"
#include "formats/formatsettings.h"
#include "language/lang.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

namespace {

QString GoldenPath(const QString& name) {
    return SourceDir() + "/tests/formats/data/headers/" + name;
}

const std::map<QString, std::map<QString, QString>> kStored{
    {"DVDSUBTITLE",
     {{"discid", "DISC-42"},
      {"dvdtitle", "The Long Night"},
      {"lang", "DE"},
      {"author", "A. Writer"},
      {"web", "http://example.org/"},
      {"info", "Second cut"},
      {"license", "CC BY 4.0"}}},
    {"SAMI",
     {{"font", "Verdana"},
      {"size", "24"},
      {"bold", "0"},
      {"italic", "1"},
      {"alignment", "left"},
      {"color", "#0C0B0A"},
      {"background", "#102030"}}},
    {"SUBSTATIONALPHA",
     {{"fontname", "Arial"},
      {"fontsize", "32"},
      {"bold", "1"},
      {"italic", "1"},
      {"alignment", "7"},
      {"primarycolour", "16777215"},
      {"backcolour", "255"},
      {"borderstyle", "3"},
      {"outline", "2"},
      {"shadow", "0"},
      {"marginl", "10"},
      {"marginr", "20"},
      {"marginv", "40"}}},
};

void Store(const QString& id, const std::map<QString, QString>& values) {
    for (const auto& [key, value] : values)
        ASSERT_TRUE(SaveSetting(FormatSection(id), key, value));
}

const std::vector<tSubtitleLine> kCaptions{
    {1000, 2500, "First|second line"},
    {3000, 4000, "<i>Italic"},
    {5000, 6500, "Third, with a comma"},
};

} // namespace

class FormatHeaderTest : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        gCharset = 0;
    }
    // Saves kCaptions in format id as the Save command does and returns the file's path.
    QString Save(const QString& id, const QString& name) {
        gFormatIndex = int(gFormatIds.indexOf(id));
        ResetCaptionGrid(true);
        EXPECT_TRUE(FillLines(0, kCaptions));
        gSubFile = TempPath(name);
        EXPECT_TRUE(SaveSubtitleFile(int(kCaptions.size())));
        return gSubFile;
    }
};

TEST_F(FormatHeaderTest, HeadersMatchTheGoldenFilesWithDefaultsAndStoredValues) {
    const bool update = qEnvironmentVariableIsSet("SCRIVELLE_UPDATE_GOLDEN");
    for (const auto& [id, values] : kStored) {
        for (const bool stored : {false, true}) {
            if (stored) Store(id, values);
            gCharset = stored ? 204 : 0;
            const QByteArray header = BuildFormatHeader(id).toUtf8();
            QFile golden(GoldenPath(id + (stored ? ".stored" : ".default")));
            if (update) {
                ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
                golden.write(header);
                continue;
            }
            ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << qPrintable(golden.fileName());
            EXPECT_EQ(header, golden.readAll()) << qPrintable(id) << (stored ? " stored" : " default");
            EXPECT_FALSE(header.endsWith("\n"));
            EXPECT_EQ(header.count("\n"), header.count("\r\n"));
        }
    }
    // The header of the current format, and none for a format without a generated one.
    gFormatIndex = int(gFormatIds.indexOf("SAMI"));
    EXPECT_EQ(BuildFormatHeader(), BuildFormatHeader("SAMI"));
    EXPECT_EQ(BuildFormatHeader("SUBRIP"), "");
    EXPECT_EQ(BuildFormatHeader("ADVANCEDSSA"), "");
}

TEST_F(FormatHeaderTest, StoredValuesShapeTheHeaderLines) {
    struct Case {
        QString id, key, value, expected;
        bool present;
    };
    const Case cases[] = {
        // Only exactly 1 turns a SAMI style on.
        {"SAMI", "bold", "1", "font-family: Tahoma; font-weight: bold; color: #FFFF00;", true},
        {"SAMI", "bold", "2", "font-weight", false},
        {"SAMI", "bold", "-1", "font-weight", false},
        {"SAMI", "italic", "1", "font-family: Tahoma; font-style: italic; color:", true},
        {"SAMI", "italic", "yes", "font-style", false},
        // The DVD head keeps its fixed code page and format whatever the character set.
        {"DVDSUBTITLE", "lang", "FR", "\r\nCODEPAGE=1250\r\nFORMAT=ASCII\r\nLANG=FR\r\n", true},
        // SubStation Alpha: the three colours are the one primary colour.
        {"SUBSTATIONALPHA", "primarycolour", "255", "Style: Default,Tahoma,28,255,255,255,0,", true},
        // Values that would break the file: line breaks become blanks, field and block
        // delimiters are left out.
        {"SUBSTATIONALPHA", "fontname", "Arial,\r\n[Events]\r\nDialogue: x",
         "Style: Default,Arial  [Events]  Dialogue: x,28,", true},
        {"DVDSUBTITLE", "dvdtitle", "Part ] {T 00:00:01:00}\nDone", "DVDTITLE=Part ] T 00:00:01:00 Done\r\n",
         true},
        {"SAMI", "font", "X;} </Style><BODY><SYNC Start=5>", "font-family: X; /StyleBODYSYNC Start=5; color",
         true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(DeleteSetting(FormatSection(c.id), c.key));
        Store(c.id, {{c.key, c.value}});
        gCharset = 161;
        const QString header = BuildFormatHeader(c.id);
        EXPECT_EQ(header.contains(c.expected), c.present) << qPrintable(c.value) << "\n"
                                                          << qPrintable(header);
        EXPECT_EQ(header.count("\r\n"), c.id == "SAMI" ? 10 : 12) << qPrintable(c.value);
        DeleteSetting(FormatSection(c.id), c.key);
    }
    EXPECT_TRUE(BuildFormatHeader("SUBSTATIONALPHA")
                    .endsWith(",30,30,30,0,161\r\n\r\n[Events]\r\n"
                              "Format: Marked, Start, End, Style, Name, MarginL, "
                              "MarginR, MarginV, Effect, Text"));
}

TEST_F(FormatHeaderTest, TheHeaderIsBuiltBySaveNotByEveryDefinitionLoad) {
    // Detection loads every definition; none of them reads the format settings.
    ASSERT_TRUE(LoadFormatDefinition("SAMI", false, false));
    EXPECT_EQ(gFormatDef.Header, "");

    Store("SAMI", {{"font", "First"}});
    const QByteArray first = ReadFileBytes(Save("SAMI", "a.smi"));
    Store("SAMI", {{"font", "Second"}});
    const QByteArray second = ReadFileBytes(Save("SAMI", "b.smi"));
    EXPECT_TRUE(
        first.startsWith(BuildFormatHeader("SAMI").replace("Second", "First").toLatin1() + "\r\n<SYNC"));
    EXPECT_TRUE(second.contains("font-family: Second;"));
    EXPECT_TRUE(second.endsWith("&nbsp;\r\n</BODY>\r\n</SAMI>\r\n\r\n"));
}

TEST_F(FormatHeaderTest, FilesWithHeadersReadBackWhole) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    // Per format a value that would open a caption of its own if it were inserted as it is.
    const std::map<QString, std::pair<QString, QString>> hostile{
        {"DVDSUBTITLE", {"dvdtitle", "Odd] }\r\n{T 00:00:09:00\r\nGhost\r\n}"}},
        {"SAMI", {"font", "Odd]} -->\r\n</Style>\r\n<BODY>\r\n<SYNC Start=9000><P>Ghost"}},
        {"SUBSTATIONALPHA",
         {"fontname",
          "Odd, Font]\r\n[Events]\r\nDialogue: Marked=0,0:00:09.00,0:00:10.00,Default,,0,0,0,,Ghost"}},
    };
    for (const bool stored : {false, true}) {
        for (const auto& [id, value] : hostile) {
            if (stored) {
                Store(id, kStored.at(id));
                Store(id, {{value.first, value.second}});
            }
            const QString ext = ReadFormatIni(id, "extension");
            const QString path = Save(id, id + (stored ? "-stored." : "-default.") + ext);

            // Ours: the format is recognised and every caption comes back.
            Open(path);
            EXPECT_EQ(OpenFormat(), id) << qPrintable(path);
            // The DVD script carries no styles.
            const QString italic = id == "DVDSUBTITLE" ? "Italic" : "<i>Italic";
            EXPECT_EQ(Document(), (std::vector<tSubtitleLine>{{1000, 2500, "First|second line"},
                                                              {3000, 4000, italic},
                                                              {5000, 6500, "Third, with a comma"}}))
                << qPrintable(path) << "\n"
                << ReadFileBytes(path).constData();

            // ffmpeg's (it has no reader for the DVD script).
            if (id == "DVDSUBTITLE" || ffmpeg.isEmpty()) continue;
            QProcess p;
            p.start(ffmpeg, {"-v", "error", "-i", path, "-f", "srt", "-"});
            ASSERT_TRUE(p.waitForFinished(30000));
            const QString srt = QString::fromUtf8(p.readAllStandardOutput()).replace("\r\n", "\n");
            EXPECT_EQ(p.exitCode(), 0) << qPrintable(path) << p.readAllStandardError().constData();
            // ffmpeg dresses each caption in the style of the header (font, bold, italic,
            // alignment); without that dress the captions are ours.
            const QString plain =
                QString(srt).remove(QRegularExpression(R"(</?(?:font|b|i)[^>]*>|\{\\an\d\})"));
            EXPECT_TRUE(plain.contains("00:00:01,000 --> 00:00:02,500\nFirst\nsecond line\n"))
                << qPrintable(srt);
            EXPECT_TRUE(plain.contains("00:00:03,000 --> 00:00:04,000\nItalic\n")) << qPrintable(srt);
            EXPECT_TRUE(plain.contains("00:00:05,000 --> 00:00:06,500\nThird, with a comma\n"))
                << qPrintable(srt);
            EXPECT_TRUE(srt.contains("<i>Italic</i>")) << qPrintable(srt);
            // The stored SubStation Alpha style reaches ffmpeg field by field: bold, italic and
            // alignment 7 (top right).
            if (id == "SUBSTATIONALPHA" && stored) {
                EXPECT_TRUE(srt.contains("<b><i>{\\an9}First")) << qPrintable(srt);
            }
            EXPECT_FALSE(plain.contains("Ghost")) << qPrintable(srt);
            EXPECT_EQ(srt.count(" --> "), 3) << qPrintable(srt);
        }
    }
    if (ffmpeg.isEmpty()) GTEST_SKIP() << "ffmpeg is not installed (scripts/setup installs it)";
}
