// The shipped format catalogue: every id the program relies on is there and loads cleanly,
// every format writes the golden test document byte for byte, what it writes follows that
// format's own grammar, and its samples are ordered so that each format's files are recognised
// as that format.
#include "formats/reader_fixture.h"
#include "support/fixture.h"

#include "base/paths.h"
#include "base/settings.h"
#include "base/toolbox.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/writer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <map>
#include <vector>

namespace {

// Multi-line captions, styles, an untimed row, an empty row, characters that are delimiters
// or markup in one format or another, a time past an hour and a character beyond ASCII.
const std::vector<tSubtitleLine> kGoldenDocument{
    {1000, 3500, "First line|second line"},
    {4000, 6250, "<b>Bold; with, commas"},
    {0, 0, "Untimed caption"},
    {7000, 9999, "<i><b>Both: a < b --> c & d"},
    {10000, 12000, ""},
    {3723450, 3725010, QString::fromUtf8("<u>Under|line \xC3\xA9")},
};

QString GoldenPath(const QString& id) {
    return SourceDir() + "/tests/formats/data/golden/" + id + ".out";
}

// Time fields as the formats write them.
const std::map<QString, QString> kFields{
    {"<srt>", R"(\d\d:\d\d:\d\d,\d{3})"}, {"<vtt>", R"(\d\d:\d\d:\d\d\.\d{3})"},
    {"<sbv>", R"(\d+:\d\d:\d\d\.\d{3})"}, {"<ssa>", R"(\d+:\d\d:\d\d\.\d\d)"},
    {"<hms>", R"(\d\d:\d\d:\d\d)"},       {"<ff>", R"(\d\d:\d\d:\d\d:\d\d)"},
};

// Each format's grammar over the whole file (line ends as "\n").
const std::map<QString, QString> kGrammar{
    {"PLAINTEXT", R"((?:[^\n]*\n)+)"},
    {"SUBSTATIONALPHA", R"((?:Dialogue: Marked=0,<ssa>,<ssa>,Default,,0000,0000,0000,,[^\n]+\n)+)"},
    {"ADVANCEDSSA", R"(\[Script Info\]\n(?:[^\n]*\n)*?\[V4\+ Styles\]\nFormat: [^\n]+\nStyle: [^\n]+\n\n)"
                    R"(\[Events\]\nFormat: [^\n]+\n(?:Dialogue: 0,<ssa>,<ssa>,Default,,0,0,0,,[^\n]+\n)+)"},
    {"WEBVTT", R"(WEBVTT\n\n(?:<vtt> --> <vtt>\n(?:[^\n]+\n)+\n)+)"},
    {"SUBRIP", R"((?:\d+\n<srt> --> <srt>\n(?:[^\n]+\n)+\n)+)"},
    {"YOUTUBESBV", R"((?:<sbv>,<sbv>\n(?:[^\n]+\n)+\n)+)"},
    {"SUBVIEWER2",
     R"(\[INFORMATION\]\n(?:[^\n]*\n)*?\[END INFORMATION\]\n\[SUBTITLE\]\n[^\n]*\n(?:<ssa>,<ssa>\n[^\n]+\n\n)+)"},
    {"SUBVIEWER1",
     R"((?:[^\n]*\n)*?\[BEGIN\]\n\*{8} START SCRIPT \*{8}\n(?:\[<hms>\]\n[^\n]+\n\[<hms>\]\n\n)+)"
     R"(\[end\]\n\*{8} END SCRIPT \*{8}\n\n)"},
    {"DKS", R"((?:\[<hms>\][^\n]+\n\[<hms>\]\n)+)"},
    {"KARAOKELRC", R"(\[by:[^\]\n]*\]\n(?:\[\d\d+:\d\d\.\d\d\][^\n]+\n\[\d\d+:\d\d\.\d\d\]\n)+)"},
    {"TMPLAYER", R"((?:<hms>,1=[^\n]*\n(?:<hms>,2=[^\n]*\n)+<hms>,1=\n<hms>,2=\n)+)"},
    {"POWERDIVX", R"((?:\{\d+:\d\d:\d\d\}\{\d+:\d\d:\d\d\}[^\n]+\n)+)"},
    {"JACOSUB", R"(#TITLE [^\n]*\n#TIMERES 100\n(?:<ssa> <ssa> D [^\n]+\n)+)"},
    {"SUBCREATOR", R"((?:<hms>\.\d:[^\n]+\n<hms>\.\d:\n)+)"},
    {"QUICKTIMETEXT",
     R"(\{QTtext\}[^\n]*\n(?:\{[^\n]*\n){4}(?:\[<hms>\.\d\d\]\n(?:[^\n\[]+\n)+\[<hms>\.\d\d\]\n\n)+)"},
    {"REALTEXT",
     R"(<window [^\n]*>\n(?:<time begin="<hms>\.\d\d" end="<hms>\.\d\d"/><clear/>[^\n]+\n)+</window>\n\n)"},
    {"DFXP",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<p begin="<hms>\.\d\d" end="<hms>\.\d\d">[^\n]+</p>\n)+</div>\n</body>\n</tt>\n\n)"},
    {"EBUTTD",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<tt:p xml:id="sub\d+" region="bottom" begin="<vtt>" end="<vtt>">)"
     R"(<tt:span style="defaultStyle">[^\n]+</tt:span></tt:p>\n)+</tt:div>\n</tt:body>\n</tt:tt>\n\n)"},
    {"SMPTETT",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<p begin="<vtt>" end="<vtt>">[^\n]+</p>\n)+</div>\n</body>\n</tt>\n\n)"},
    {"TTML",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<p begin="<vtt>" end="<vtt>">[^\n]+</p>\n)+</div>\n</body>\n</tt>\n\n)"},
    {"USF",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<subtitle start="<vtt>" stop="<vtt>">\n<text>[^\n]+</text>\n</subtitle>\n)+)"
     R"(</subtitles>\n</USFSubtitles>\n\n)"},
    {"GPACTTXT",
     R"(<\?xml[^\n]*\n(?:[^\n]*\n)*?(?:<TextSample sampleTime="<vtt>" xml:space="preserve">(?:[^\n]+\n)*[^\n]*</TextSample>\n)"
     R"(<TextSample sampleTime="<vtt>" xml:space="preserve"></TextSample>\n)+</TextStream>\n\n)"},
    {"CSVE", R"(Number;Start time;End time;Text\n(?:\d+;<vtt>;<vtt>;[^;\n]+\n)+)"},
    {"AVIDDS", R"(@[^\n]*\n\n<begin subtitles>\n\n(?:<ff> <ff>\n(?:[^\n]+\n)+\n)+<end subtitles>\n\n)"},
    {"DVDSUBTITLE", R"((?:\{T <ff>\n(?:[^\n]+\n)+\}\n\{T <ff>\n\n\}\n)+)"},
    {"SONICSCENARIST",
     R"(st_format\t2\n(?:[^\n]*\n)*?SP_NUMBER\tSTART\tEND\tFILE_NAME\n(?:\d{4}\t<ff>\t<ff>\t[^\t\n]+\n)+)"},
    {"UDVDWORKSHOP20",
     R"(#Ulead subtitle format\n(?:[^\n]*\n)*?#Subtitle text begin\n)"
     R"((?:#\d+ \d\d;\d\d;\d\d;\d\d \d\d;\d\d;\d\d;\d\d\n(?:[^#\n][^\n]*\n)+)+#Subtitle text end\n\n)"},
    {"CAPTIONCUE", R"((?:\*TC<ff>\n(?:[^*\n][^\n]*\n)+\*ERASE<ff>\n)+)"},
    {"ADOBEENCORE", R"((?:<ff> <ff> [^\n]+\n(?:[^\d\n][^\n]*\n)*)+)"},
    {"PINNACLEIMP", R"(#INPOINT OUTPOINT PATH\n(?:<ff> <ff> [^\n]+\n(?:[^\d\n][^\n]*\n)*)+)"},
    {"DVDSUBSYSTEM", R"((?:<ff> <ff> [^\n]+\n)+)"},
    {"MACDVDPRO", R"((?:<ff>\t<ff>\t[^\t\n]+\n)+)"},
    {"SPRUCEDVDMAESTRO", R"(SP_NUMBER\tSTART\tEND\tFILE_NAME\n(?:\d{4}\t<ff>\t<ff>\t[^\t\n]+\n)+)"},
    {"FABSUBTITLER", R"((?:<ff>  <ff>\n(?:[^\n]+\n)+\n)+)"},
    {"SPRUCESTL", R"((?:(?://[^\n]*|\$\w+ = [^\n]*|)\n)*(?:<ff> , <ff> , [^\n]+\n)+)"},
    {"VPLAYER", R"((?:<hms>:[^\n]+\n<hms>:\n)+)"},
    {"SAMI",
     R"((?:<SYNC Start=\d+><P Class=SUBTTL>\n[^\n]+\n<SYNC Start=\d+><P Class=SUBTTL>\n&nbsp;\n)+</BODY>\n</SAMI>\n\n)"},
    {"CAPTIONATE",
     R"(<captionate>\n(?:[^\n]*\n)*?<captions>\n(?:<caption time="\d+"><tracks><track0>(?:[^\n]+\n)*[^\n]*</track0></tracks></caption>\n)"
     R"(<caption time="\d+"><tracks><track0></track0></tracks></caption>\n)+</captions>\n</captionate>\n\n)"},
    {"AQTITLE", R"((?:-->> \d+\n(?:[^\n]+\n)+-->> \d+\n\n)+)"},
    {"PJS", R"((?:\d+, \d+, "[^\n]*"\n)+)"},
    {"MICRODVD", R"((?:\{\d+\}\{\d+\}[^\n]+\n)+)"},
};

const QStringList kXmlFormats{"DFXP", "EBUTTD", "SMPTETT", "TTML", "USF", "GPACTTXT", "CAPTIONATE"};

QString Expand(QString pattern) {
    for (const auto& [name, regex] : kFields)
        pattern.replace(name, regex);
    return pattern;
}

// The format that recognition picks for a file, "" for none.
QString Recognise(const QByteArray& bytes) {
    const tDetection found = DetectFormat(DecodeFileText(bytes, DetectTextEncoding(bytes)));
    return found.index == 0 ? QString() : gFormatIds[found.index];
}

// The captions a file reads as in the format recognised (frame-based ones at 25 fps), each line
// of a text without the blanks around it.
std::vector<tSubtitleLine> ReadBack(const QByteArray& bytes) {
    const QString text = DecodeFileText(bytes, DetectTextEncoding(bytes));
    const tDetection found = DetectFormat(text);
    tReadSetup setup;
    setup.def = gFormatDef;
    setup.fps = 25.0f;
    setup.timedSample = found.timedSample;
    std::vector<tSubtitleLine> captions = ParseSubtitleText(text, setup).captions;
    for (tSubtitleLine& c : captions) {
        QStringList lines = c.text.split(setup.lineBreak);
        for (QString& line : lines)
            line = line.trimmed();
        c.text = lines.join(setup.lineBreak);
    }
    return captions;
}

} // namespace

class CatalogueTest : public FormatsTest {
protected:
    QByteArray WriteGolden(const QString& id, const std::vector<tSubtitleLine>& doc = kGoldenDocument) {
        if (id != "PLAINTEXT") {
            EXPECT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
        }
        const float fps = ReadFormatIni(id, "timecode").contains("ff") ? 25.0f : 0.0f;
        const tWriteJob job{id, gFormatDef, doc, int(doc.size()), fps, gLineBreak};
        return BuildSubtitleFile(job);
    }
};

TEST_F(CatalogueTest, ListsEveryFormatTheProgramRelieson) {
    EXPECT_EQ(gFormatIds.value(0), "PLAINTEXT");
    EXPECT_GE(gFormatIds.size(), 41);
    for (const char* id : {"SUBRIP", "MICRODVD", "SAMI", "SUBSTATIONALPHA", "ADVANCEDSSA", "DVDSUBTITLE",
                           "ADOBEENCORE", "PINNACLEIMP", "DVDSUBSYSTEM", "MACDVDPRO", "SPRUCEDVDMAESTRO",
                           "SONICSCENARIST", "TMPLAYER", "UDVDWORKSHOP20", "CSVE", "KARAOKELRC"})
        EXPECT_EQ(gFormatIds.count(id), 1) << id;
    EXPECT_EQ(QSet<QString>(gFormatIds.begin(), gFormatIds.end()).size(), gFormatIds.size());
    EXPECT_FALSE(ReadIni("SFD_FILEINFO", "version", "", gFormatFile).isEmpty());
    // Fix-ups move from one look-alike to the other: the first must stand before the second.
    EXPECT_LT(gFormatIds.indexOf("ADOBEENCORE"), gFormatIds.indexOf("PINNACLEIMP"));
    EXPECT_LT(gFormatIds.indexOf("ADOBEENCORE"), gFormatIds.indexOf("DVDSUBSYSTEM"));
    EXPECT_LT(gFormatIds.indexOf("MACDVDPRO"), gFormatIds.indexOf("SPRUCEDVDMAESTRO"));
}

TEST_F(CatalogueTest, EveryDefinitionLoadsWithoutWarningAndIsConsistent) {
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        ASSERT_TRUE(LoadFormatDefinition(id, false, false)) << qPrintable(id);
        EXPECT_FALSE(ReadFormatIni(id, "name").isEmpty()) << qPrintable(id);
        EXPECT_FALSE(ReadFormatIni(id, "extension").isEmpty()) << qPrintable(id);
        EXPECT_NE(gFormatDef.Sample, "\t\t\t") << qPrintable(id) << " has no sample";
        // Pattern fields are lower-case letters; upper-case ones would never be masked.
        const QString rss = ReadFormatIni(id, "timecoderss");
        EXPECT_EQ(rss, rss.toLower()) << qPrintable(id);
        // Short patterns would make nearly every file look timed and lock out ms/frame formats.
        if (gFormatDef.TimeMask != "0") {
            EXPECT_GE(gFormatDef.TimeMask.size(), 7) << qPrintable(id);
        }
        // Files are compared with their digits masked as 0: other digits could never match.
        EXPECT_FALSE(gFormatDef.Sample.contains(QRegularExpression("[1-9]"))) << qPrintable(id);
        // Placeholders stay inside the reader's 255-column window.
        EXPECT_LT(gFormatDef.Body.lastIndexOf("zrv"), 240) << qPrintable(id);
        if (gFormatDef.TagFlags != 0) {
            EXPECT_TRUE(gFormatDef.TagOpen.contains('b')) << qPrintable(id);
        }
    }
    EXPECT_FALSE(gBadFormatWarned);
    EXPECT_EQ(msgbox.count(), 0);
}

TEST_F(CatalogueTest, EveryFormatWritesTheGoldenDocument) {
    const bool update = qEnvironmentVariableIsSet("SCRIVELLE_UPDATE_GOLDEN");
    for (const QString& id : gFormatIds) {
        const QByteArray bytes = WriteGolden(id);
        QFile golden(GoldenPath(id));
        if (update) {
            ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
            golden.write(bytes);
            continue;
        }
        ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << qPrintable(GoldenPath(id));
        EXPECT_EQ(bytes, golden.readAll()) << qPrintable(id);
    }
}

TEST_F(CatalogueTest, WhatEachFormatWritesFollowsItsGrammar) {
    for (const QString& id : gFormatIds) {
        const QByteArray bytes = WriteGolden(id);
        // One kind of line end throughout, and no stray bytes of other encodings.
        EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << qPrintable(id);
        const bool utf8 = id == "ADOBEENCORE" || id == "WEBVTT";
        const QString text = (utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes))
                                 .replace("\r\n", "\n");
        const auto grammar = kGrammar.find(id);
        ASSERT_NE(grammar, kGrammar.end()) << qPrintable(id) << " has no grammar here";
        const QRegularExpression re(QRegularExpression::anchoredPattern(Expand(grammar->second)));
        ASSERT_TRUE(re.isValid()) << qPrintable(id) << qPrintable(re.errorString());
        EXPECT_TRUE(re.match(text).hasMatch()) << qPrintable(id) << "\n" << qPrintable(text);
        if (id == "PLAINTEXT") continue;
        // Every caption with text is there, empty ones are not.
        EXPECT_TRUE(text.contains("Untimed caption")) << qPrintable(id);
        EXPECT_TRUE(text.contains("commas")) << qPrintable(id);
        if (kXmlFormats.contains(id) || id == "WEBVTT" || id == "SAMI" || id == "REALTEXT") {
            // Markup formats: the text is escaped, nothing beyond ASCII is left to the code page
            // (WebVTT is UTF-8 by definition: it needs no references).
            EXPECT_TRUE(text.contains("a &lt; b --&gt; c &amp; d")) << qPrintable(id);
            EXPECT_TRUE(text.contains(id == "WEBVTT" ? "\u00e9" : "&#233;")) << qPrintable(id);
        } else {
            EXPECT_TRUE(text.contains("a < b --> c & d")) << qPrintable(id);
        }
        if (kXmlFormats.contains(id)) {
            QXmlStreamReader xml(bytes);
            while (!xml.atEnd())
                xml.readNext();
            EXPECT_FALSE(xml.hasError()) << qPrintable(id) << " " << qPrintable(xml.errorString());
        }
    }
}

TEST_F(CatalogueTest, EachFormatsFilesAreRecognisedAsThatFormat) {
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        EXPECT_EQ(Recognise(WriteGolden(id)), id);
    }
    // Blanks typed at the start of a caption, the first or a later one, are its text: the file
    // stays its format and reads the same captions.
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        const std::vector<tSubtitleLine> bare{{1000, 3000, "indented"}, {4000, 6000, "plain|two lines"}};
        for (const int row : {0, 1}) {
            for (const char* blanks : {" ", "   "}) {
                SCOPED_TRACE(qPrintable(
                    QStringLiteral("%1, caption %2 after \"%3\"").arg(id).arg(row + 1).arg(blanks)));
                std::vector<tSubtitleLine> doc = bare;
                doc[size_t(row)].text.prepend(blanks);
                const QByteArray bytes = WriteGolden(id, doc);
                EXPECT_EQ(Recognise(bytes), id);
                EXPECT_EQ(ReadBack(bytes), ReadBack(WriteGolden(id, bare))) << bytes.toStdString();
            }
        }
    }
    // A SubRip file written with decimal points is SubRip through its second time pattern.
    const QByteArray dotted = "1\r\n00:00:01.000 --> 00:00:02.000\r\nText\r\n\r\n";
    EXPECT_EQ(Recognise(dotted), "SUBRIP");
    EXPECT_EQ(msgbox.count(), 0);
}
