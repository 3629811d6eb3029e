// Files as other editors, converters and sites write them: each is opened as the open command
// opens it (recognised, then read), and every caption comes back with its times and text, or
// the user is told what could not be read.
#include "formats/reader_fixture.h"

#include "formats/formattime.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

using Captions = std::vector<tSubtitleLine>;

// What the reading message ends with when it tells a loss.
const QString kNotWrittenOver = " Save will ask for a file name, so that the file is not written over.";

struct ForeignFile {
    const char* what;
    QByteArray bytes;
    QString format;
    Captions captions;
    // What the caption list cannot keep of the file (tLeftOut): the user is told.
    uint32_t leftOut = 0;
    // Captions that nothing in the file ends, given the default length: the user is told.
    int endsSet = 0;
};

QByteArray Utf8(const char* text) {
    return QByteArray(text);
}

// Three paragraphs the way three producers of timed text write them.
const QByteArray kTtmlConverterA = R"(<?xml version="1.0" encoding="utf-8"?>
<tt xmlns="http://www.w3.org/ns/ttml" xmlns:tts="http://www.w3.org/ns/ttml#styling"
    xmlns:ttp="http://www.w3.org/ns/ttml#parameter" ttp:frameRate="25" xml:lang="en">
  <head><styling><style xml:id="s1" tts:color="white"/></styling></head>
  <body>
    <div>
      <p end="00:00:03.000" begin="00:00:01.000" style="s1"
         region="bottom">First <span tts:fontStyle="italic">line</span><br/>second line</p>
      <p begin="5.5s" dur="1200ms">Offsets &amp; durations</p>
      <p begin="00:00:10:12" end="00:00:11:00">Frames at 25</p>
      <!-- <p begin="1s" end="2s">commented out</p> -->
    </div>
  </body>
</tt>
)";

const QByteArray kTtmlConverterB =
    R"(<?xml version="1.0" encoding="UTF-8"?><ttml:tt xmlns:ttml="http://www.w3.org/ns/ttml" )"
    R"(xmlns:ttp="http://www.w3.org/ns/ttml#parameter" ttp:tickRate="10000000"><ttml:body><ttml:div>)"
    R"(<ttml:p begin="10000000t" end="25000000t" xml:id="c1">One<ttml:br/>two</ttml:p>)"
    R"(<ttml:p xml:id="c2" end="5s" begin="3s"><ttml:span>Three</ttml:span></ttml:p>)"
    R"(</ttml:div></ttml:body></ttml:tt>)";

const QByteArray kDfxpHandWritten =
    "<tt xmlns=\"http://www.w3.org/2006/10/ttaf1\">\n"
    "<body><div>\n"
    "<p begin=\"00:00:01.00\" end=\"00:00:02.00\">One</p>\n"
    "<p begin=\"00:00:02.50\"\n"
    "   end=\"00:00:04.00\"><span style=\"x\">Two</span>\n"
    "   <br />lines</p>\n"
    "<p\n"
    "begin=\"00:00:05.00\" end=\"00:00:06.00\">Three &#10;broken&#13;&#10;up</p>\n"
    "</div></body></tt>\n";

QByteArray WebVttOfManyCues(int n) {
    QByteArray vtt = "WEBVTT\n\n";
    for (int i = 0; i < n; ++i) {
        const int at = i * 2000;
        vtt += QString::asprintf("%02d:%02d.%03d --> %02d:%02d.%03d\nCue %d\n\n", at / 60000, at / 1000 % 60,
                                 at % 1000, (at + 1500) / 60000, (at + 1500) / 1000 % 60, (at + 1500) % 1000,
                                 i + 1)
                   .toLatin1();
    }
    return vtt;
}

// An ASS file with an embedded font of many encoded lines before its events.
QByteArray AssWithEmbeddedFont(bool v4plus) {
    QByteArray ass = "[Script Info]\nScriptType: v4.00+\n\n";
    ass += "[Fonts]\nfontname: Foo_0.ttf\n";
    for (int i = 0; i < 2000; ++i)
        ass += "M)!$H0\"8.'<\\'L)DT%;48Z0\\2S%M3PT:6U+6$LR2!T`*7D`.V5E8U)-1(5C.2$\n";
    ass += "\n[Graphics]\nfilename: logo.png\n";
    for (int i = 0; i < 500; ++i)
        ass += "B7E.A?0I%40!O9=<\n";
    if (v4plus) {
        ass += "\n[V4+ Styles]\nFormat: Name, Fontname\nStyle: Default,Arial\n\n[Events]\n"
               "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
               "Dialogue: 0,0:00:01.00,0:00:02.50,Default,,0,0,0,,Hello, world\n"
               "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Two\\Nlines\n";
    } else {
        ass += "\n[V4 Styles]\nFormat: Name, Fontname\n\n[Events]\n"
               "Dialogue: Marked=0,0:00:01.00,0:00:02.50,Default,,0000,0000,0000,,Hello\n";
    }
    return ass;
}

} // namespace

class ForeignFilesTest : public ReaderTest {
protected:
    // Opens the file as the open command does and returns the document.
    Captions OpenBytes(const QByteArray& bytes, const QString& name = "foreign.sub") {
        Open(WriteFile(name, bytes), false);
        return Document();
    }
};

TEST_F(ForeignFilesTest, EachLayoutReadsEveryCaption) {
    const std::vector<ForeignFile> files{
        {"WebVTT without hours, with identifiers, settings, NOTE, STYLE and REGION blocks",
         "WEBVTT - made by a converter\nKind: captions\nLanguage: en\n\n"
         "REGION\nid:fred\nwidth:40%\n\nSTYLE\n::cue { color: yellow }\n\n"
         "NOTE a comment\nthat spans lines\n\n"
         "intro\n01:02.500 --> 01:04.000 align:start line:90%\n<v Anna>Hello</v> <c.yellow>there</c>\n\n"
         "2\n01:05.000 --> 01:07.250\n<i>Karaoke</i> <01:05.500>in <01:06.000>time\n\n"
         "01:00:00.000 --> 01:00:01.000\nA &lt;b&gt; tag &amp; x &gt; y\n\n"
         "01:08.000 --> 01:09.000\nThe train leaves at 10:30:00.000 today\nMeet at 10:30 sharp\n",
         "WEBVTT",
         {{62500, 64000, "Hello there"},
          {65000, 67250, "<i>Karaoke in time"},
          {3600000, 3601000, "A <b> tag & x > y"},
          {68000, 69000, "The train leaves at 10:30:00.000 today|Meet at 10:30 sharp"}},
         kLeftHeader | kLeftPositions | kLeftStyles | kLeftComments | kLeftNames | kLeftInlineStyles |
             kLeftInlineTimes},
        {"WebVTT for streaming: the timestamp map belongs to the header",
         "WEBVTT\nX-TIMESTAMP-MAP=LOCAL:00:00:00.000,MPEGTS:0\n\n00:00:05.000 --> 00:00:06.000\nFirst\n",
         "WEBVTT",
         {{5000, 6000, "First"}},
         kLeftHeader},
        {"WebVTT in UTF-8 with a byte-order mark and CR LF lines",
         Utf8("\xEF\xBB\xBFWEBVTT\r\n\r\n00:01.000 --> 00:02.000\r\nCaf\xC3\xA9 &nbsp;ol\xC3\xA9\r\n"),
         "WEBVTT",
         {{1000, 2000, QString::fromUtf8("Caf\xC3\xA9 \xC2\xA0ol\xC3\xA9")}}},
        {"VPlayer: each line runs until the next",
         "00:00:01:Hello\n00:00:04:World\n00:00:06:\n00:00:08:Last\n",
         "VPLAYER",
         {{1000, 4000, "Hello"}, {4000, 6000, "World"}, {8000, 11000, "Last"}},
         0,
         1},
        // TMPlayer as other tools write it: one-digit hours, "=" after the time.
        {"VPlayer with one-digit hours",
         "0:00:01:Hello\n0:00:04:World|again\n0:00:06:\n",
         "VPLAYER",
         {{1000, 4000, "Hello"}, {4000, 6000, "World|again"}}},
        {"VPlayer with an equals sign",
         "00:00:01=Hello\n00:00:04=World\n00:00:06=\n",
         "VPLAYER",
         {{1000, 4000, "Hello"}, {4000, 6000, "World"}}},
        {"VPlayer with one-digit hours and an equals sign",
         "0:00:01=Hello\n0:00:04=World\n",
         "VPLAYER",
         {{1000, 4000, "Hello"}, {4000, 7000, "World"}},
         0,
         1},
        {"LRC lyrics with tags, a closing time and a repeated line",
         "[ti:Song]\n[ar:Someone]\n[length:03:20]\n[00:12.00]Line one\n[00:17.20]Line two\n[00:21.10]\n"
         "[00:25.00][00:40.00]Chorus\n[00:30.5]Verse\n",
         "KARAOKELRC",
         {{12000, 17200, "Line one"},
          {17200, 21100, "Line two"},
          {25000, 30500, "Chorus"},
          {30500, 40000, "Verse"},
          {40000, 43000, "Chorus"}},
         kLeftHeader,
         1},
        {"SubCreator",
         "00:00:01.0:Hello|world\n00:00:03.5:Next\n",
         "SUBCREATOR",
         {{1000, 3500, "Hello|world"}, {3500, 6500, "Next"}},
         0,
         1},
        {"DKS",
         "[00:00:01]Hello[br]there\n[00:00:03]\n[00:00:05]Again\n[00:00:07]\n",
         "DKS",
         {{1000, 3000, "Hello|there"}, {5000, 7000, "Again"}}},
        // --- A last caption that nothing ends, in every format whose files may leave it so: it
        // shows for the default length, and the user is told ---
        {"DKS lines out of order: the one before a later line's time has no end either",
         "[00:00:05]Late\n[00:00:01]Early\n",
         "DKS",
         {{5000, 8000, "Late"}, {1000, 4000, "Early"}},
         0,
         2},
        {"TMPlayer without closing lines",
         "00:00:01,1=One\n00:00:03,1=Two\n00:00:03,2=lines\n",
         "TMPLAYER",
         {{1000, 3000, "One"}, {3000, 6000, "Two|lines"}},
         0,
         1},
        {"QuickTime chained samples",
         "{QTtext} {font:Tahoma}\n{timeScale:100}\n[00:00:01.00]\nOne\n[00:00:02.50]\nTwo\n",
         "QUICKTIMETEXT",
         {{1000, 2500, "One"}, {2500, 5500, "Two"}},
         0,
         1},
        {"AQTitle chained samples",
         "-->> 25\nOne\n-->> 50\nTwo\n",
         "AQTITLE",
         {{1000, 2000, "One"}, {2000, 5000, "Two"}},
         0,
         1},
        {"MicroDVD with empty end fields: each runs until the next",
         "{25}{50}One\n{75}{}Two\n{125}{150}Three\n{175}{}Four\n",
         "MICRODVD",
         {{1000, 2000, "One"}, {3000, 5000, "Two"}, {5000, 6000, "Three"}, {7000, 10000, "Four"}},
         0,
         1},
        {"PowerDivX with an empty end field",
         "{0:00:01}{0:00:02}One\n{0:00:03}{}Two\n",
         "POWERDIVX",
         {{1000, 2000, "One"}, {3000, 6000, "Two"}},
         0,
         1},
        {"SubViewer 1 without the last end line",
         "[TITLE]\n\n[BEGIN]\n******** START SCRIPT ********\n"
         "[00:00:01]\nOne\n[00:00:02]\n\n[00:00:04]\nTwo\n\n[end]\n******** END SCRIPT ********\n",
         "SUBVIEWER1",
         {{1000, 2000, "One"}, {4000, 7000, "Two"}},
         0,
         1},
        {"Caption cue list without the last erase",
         "*TC00:00:01:00\nOne\n*ERASE00:00:02:00\n*TC00:00:04:00\nTwo\n",
         "CAPTIONCUE",
         {{1000, 2000, "One"}, {4000, 7000, "Two"}},
         0,
         1},
        {"SAMI without a last SYNC, and one earlier than the caption it follows",
         "<SAMI><BODY>\n<SYNC Start=5000><P>Late\n<SYNC Start=1000><P>Early\n</BODY></SAMI>\n",
         "SAMI",
         {{5000, 8000, "Late"}, {1000, 4000, "Early"}},
         0,
         2},
        {"GPAC timed text whose last sample nothing ends",
         "<TextStream version=\"1.1\">\n<TextSample sampleTime=\"00:00:01.000\">One</TextSample>\n"
         "<TextSample sampleTime=\"00:00:02.000\">Two</TextSample>\n</TextStream>\n",
         "GPACTTXT",
         {{1000, 2000, "One"}, {2000, 5000, "Two"}},
         0,
         1},
        {"Captionate whose last caption nothing ends",
         "<captionate>\n<captions>\n<caption time=\"1000\"><tracks><track0>One</track0></tracks></caption>\n"
         "<caption time=\"2000\"><tracks><track0>Two</track0></tracks></caption>\n</captions>\n"
         "</captionate>\n",
         "CAPTIONATE",
         {{1000, 2000, "One"}, {2000, 5000, "Two"}},
         0,
         1},
        {"USF subtitles with a start only",
         "<USFSubtitles version=\"1.0\"><subtitles>\n"
         "<subtitle start=\"00:00:01.000\"><text>One</text></subtitle>\n"
         "<subtitle start=\"00:00:02.000\"><text>Two</text></subtitle>\n</subtitles></USFSubtitles>\n",
         "USF",
         {{1000, 2000, "One"}, {2000, 5000, "Two"}},
         0,
         1},
        {"TTML paragraphs with a begin only",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div>\n<p begin=\"1s\">One</p>\n"
         "<p begin=\"2s\">Two</p>\n</div></body></tt>\n",
         "TTML",
         {{1000, 2000, "One"}, {2000, 5000, "Two"}},
         0,
         1},
        {"TTML from a converter: attributes in any order, over several lines, offsets and frames",
         kTtmlConverterA,
         "TTML",
         {{1000, 3000, "<i>First line|second line"},
          {5500, 6700, "Offsets & durations"},
          {10480, 11000, "Frames at 25"}},
         kLeftStyles | kLeftInlineStyles | kLeftPositions},
        {"TTML on one line with a namespace prefix and ticks",
         kTtmlConverterB,
         "TTML",
         {{1000, 2500, "One|two"}, {3000, 5000, "Three"}}},
        {"DFXP written by hand, line breaks as character references",
         kDfxpHandWritten,
         "DFXP",
         {{1000, 2000, "One"}, {2500, 4000, "Two|lines"}, {5000, 6000, "Three |broken|up"}},
         kLeftInlineStyles},
        {"SAMI with named character references",
         "<SAMI>\n<BODY>\n<SYNC Start=1000><P Class=ENCC>Caf&eacute; cr&egrave;me &amp; &lt;tea&gt; "
         "&quot;hot&quot;\n"
         "<SYNC Start=2000><P Class=ENCC>&nbsp;\n"
         "<SYNC Start=3000><P Class=ENCC>Two&nbsp;words &euro;5&#13;&#10;next\n"
         "<SYNC Start=4000><P Class=ENCC>&nbsp;\n</BODY></SAMI>\n",
         "SAMI",
         {{1000, 2000, QString::fromUtf8("Caf\xC3\xA9 cr\xC3\xA8me & <tea> \"hot\"")},
          {3000, 4000, QString::fromUtf8("Two\xC2\xA0words \xE2\x82\xAC") + "5|next"}}},
        {"Advanced SSA with embedded fonts and pictures",
         AssWithEmbeddedFont(true),
         "ADVANCEDSSA",
         {{1000, 2500, "Hello, world"}, {3000, 4000, "Two|lines"}},
         kLeftEmbedded},
        {"SubStation Alpha with embedded fonts and pictures",
         AssWithEmbeddedFont(false),
         "SUBSTATIONALPHA",
         {{1000, 2500, "Hello"}},
         kLeftEmbedded},
        {"SubRip with one-digit hours",
         "1\n0:00:01,000 --> 0:00:02,000\nOne\n\n2\n0:00:03,500 --> 0:00:04,000\nTwo\n\n",
         "SUBRIP",
         {{1000, 2000, "One"}, {3500, 4000, "Two"}}},
        {"SubRip with one-digit hours and decimal points",
         "1\n0:00:01.000 --> 0:00:02.000\nOne\n",
         "SUBRIP",
         {{1000, 2000, "One"}}},
        {"SubRip whose text holds a time",
         "1\n00:00:01,000 --> 00:00:02,000\nThe train leaves at 10:30:00 today\n",
         "SUBRIP",
         {{1000, 2000, "The train leaves at 10:30:00 today"}}},
        {"YouTube SBV whose text holds a time",
         "0:00:01.000,0:00:02.000\nMeet at 10:30:00.000 sharp\n\n0:00:03.000,0:00:04.000\n"
         "10:30:00.000 is when\n\n",
         "YOUTUBESBV",
         {{1000, 2000, "Meet at 10:30:00.000 sharp"}, {3000, 4000, "10:30:00.000 is when"}}},
        {"MicroDVD whose text holds a time",
         "{25}{50}The train leaves at 10:30:00 today\n{75}{100}Next\n",
         "MICRODVD",
         {{1000, 2000, "The train leaves at 10:30:00 today"}, {3000, 4000, "Next"}}},
        // --- USF, GPAC timed text, RealText and Captionate as other tools lay them out ---
        {"USF with metadata and styles, aligned and styled text, the text on the subtitle's line, stop "
         "before start, a duration",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE USFSubtitles SYSTEM \"USFV100.dtd\">\n"
         "<USFSubtitles version=\"1.0\">\n  <metadata>\n    <title>Episode 1</title>\n"
         "    <author><name>A. Translator</name><email>a@example.com</email></author>\n"
         "    <language code=\"eng\">English</language>\n  </metadata>\n"
         "  <styles><style name=\"Default\"><fontstyle face=\"Arial\" size=\"24\"/></style></styles>\n"
         "  <subtitles>\n    <subtitle start=\"00:00:01.000\" stop=\"00:00:02.500\">\n"
         "      <text halign=\"center\" valign=\"bottom\">Aligned</text>\n    </subtitle>\n"
         "    <subtitle start=\"00:00:03.000\" stop=\"00:00:04.000\">\n      <text style=\"Default\">Styled</text>\n"
         "    </subtitle>\n    <subtitle start=\"00:00:05.000\" stop=\"00:00:06.000\"><text>Same line</text></subtitle>\n"
         "    <subtitle stop=\"00:00:08.000\" start=\"00:00:07.000\">\n      <text>Stop first</text>\n    </subtitle>\n"
         "    <subtitle start=\"00:00:09.000\" duration=\"00:00:01.500\">\n      <text>A duration</text>\n"
         "    </subtitle>\n    <subtitle start=\"00:00:11.000\" stop=\"00:00:12.000\">\n"
         "      <text>Two<br/>lines &amp; more</text>\n    </subtitle>\n"
         "    <subtitle start=\"00:00:13.000\" stop=\"00:00:14.000\"><text><i>All italic</i></text></subtitle>\n"
         "    <subtitle start=\"00:01:00.000\" stop=\"00:01:02.000\">\n      <text>Last</text>\n    </subtitle>\n"
         "  </subtitles>\n</USFSubtitles>\n",
         "USF",
         {{1000, 2500, "Aligned"},
          {3000, 4000, "Styled"},
          {5000, 6000, "Same line"},
          {7000, 8000, "Stop first"},
          {9000, 10500, "A duration"},
          {11000, 12000, "Two|lines & more"},
          {13000, 14000, "<i>All italic"},
          {60000, 62000, "Last"}},
         kLeftHeader | kLeftStyles | kLeftPositions},
        {"GPAC timed text with sample description indexes, chained samples and text attributes",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!-- GPAC 3GPP Text Stream -->\n<TextStream version=\"1.1\">\n"
         "<TextStreamHeader width=\"320\" height=\"40\" layer=\"0\" translation_x=\"0\" translation_y=\"0\">\n"
         "<TextSampleDescription horizontalJustification=\"center\" verticalJustification=\"bottom\">\n"
         "<FontTable>\n<FontTableEntry fontName=\"Arial\" fontID=\"1\"/>\n</FontTable>\n"
         "</TextSampleDescription>\n</TextStreamHeader>\n"
         "<TextSample sampleTime=\"00:00:00.000\" sampleDescriptionIndex=\"1\" xml:space=\"preserve\"></TextSample>\n"
         "<TextSample sampleTime=\"00:00:01.000\" sampleDescriptionIndex=\"1\" xml:space=\"preserve\">One</TextSample>\n"
         "<TextSample sampleTime=\"00:00:02.500\" sampleDescriptionIndex=\"1\" text=\"'Two' 'lines'\"/>\n"
         "<TextSample sampleTime=\"00:00:04.000\" sampleDescriptionIndex=\"1\" xml:space=\"preserve\">Three</TextSample>\n"
         "<TextSample sampleTime=\"00:00:05.000\" sampleDescriptionIndex=\"1\" xml:space=\"preserve\"></TextSample>\n"
         "</TextStream>\n",
         "GPACTTXT",
         {{1000, 2500, "One"}, {2500, 4000, "Two|lines"}, {4000, 5000, "Three"}},
         kLeftHeader},
        {"RealText with begin-only times and bare seconds",
         "<window type=\"generic\" duration=\"00:01:00.00\" bgcolor=\"blue\">\n"
         "<time begin=\"00:00:01.00\" end=\"00:00:02.00\"/><clear/>One\n<time begin=\"3\"/><clear/>Two\n"
         "<time begin=\"4.5\"/><clear/>Three<br/>lines\n<time begin=\"00:00:06.00\" end=\"00:00:07.00\"/><clear/>"
         "<b>Four</b>\n<time begin=\"12\"/><clear/>Five\n</window>\n",
         "REALTEXT",
         {{1000, 2000, "One"}, {3000, 4500, "Two"}, {4500, 6000, "Three|lines"}, {6000, 7000, "<b>Four"},
          {12000, 15000, "Five"}},
         kLeftHeader,
         1},
        {"Captionate with chained captions",
         "<captionate>\n<captioninfo>\n<trackinfo>\n<track>\n<displayname>Default</displayname>\n"
         "<languagecode>en</languagecode>\n</track>\n</trackinfo>\n</captioninfo>\n<captions>\n"
         "<caption time=\"1000\">\n  <tracks>\n    <track0>One</track0>\n  </tracks>\n</caption>\n"
         "<caption time=\"2000\">\n  <tracks>\n    <track0>Two\nlines</track0>\n  </tracks>\n</caption>\n"
         "<caption time=\"3000\"><tracks><track0>Three</track0></tracks></caption>\n"
         "<caption time=\"4500\"><tracks><track0></track0></tracks></caption>\n</captions>\n</captionate>\n",
         "CAPTIONATE",
         {{1000, 2000, "One"}, {2000, 3000, "Two|lines"}, {3000, 4500, "Three"}}},
    };
    for (const ForeignFile& f : files) {
        SCOPED_TRACE(f.what);
        const int before = msgbox.count();
        const bool told = f.leftOut != 0 || f.endsSet > 0;
        if (told) msgbox.Answer(vbOK);
        ExpectOpens("foreign.sub", f.bytes, f.format, f.captions);
        // Save must not write the set ends over the file.
        EXPECT_EQ(gImportLeftOut, told);
        ASSERT_EQ(msgbox.count(), before + (told ? 1 : 0)) << (msgbox.count() ? qPrintable(msgbox.last().text) : "");
        if (f.leftOut) {
            EXPECT_TRUE(msgbox.last().text.contains(LeftOutNames(f.leftOut)))
                << qPrintable(msgbox.last().text);
        }
        if (f.endsSet) {
            EXPECT_TRUE(msgbox.last().text.startsWith(
                f.endsSet == 1
                    ? QString("1 caption of the file has no end and was given one 3 seconds after its start.")
                    : QString("%1 captions of the file have no end and were given one 3 seconds after their start.")
                          .arg(f.endsSet)))
                << qPrintable(msgbox.last().text);
        }
    }
}

TEST_F(ForeignFilesTest, ThreeHundredWebVttCuesWithoutHoursAreThreeHundredCaptions) {
    const Captions got = OpenBytes(WebVttOfManyCues(300), "many.vtt");
    ASSERT_EQ(got.size(), 300u);
    EXPECT_EQ(got[0], (tSubtitleLine{0, 1500, "Cue 1"}));
    EXPECT_EQ(got[299], (tSubtitleLine{598000, 599500, "Cue 300"}));
}

TEST_F(ForeignFilesTest, WhatCannotBeReadIsCountedAndTold) {
    struct Case {
        const char* what;
        QByteArray bytes;
        size_t read;
        QString told;
    } const cases[] = {
        {"SubRip block with a broken time line",
         "1\n00:00:01,000 --> 00:00:02,000\nOne\n\n2\n00:00:0x,000 -> 00:00:04,000\nLost\n\n"
         "3\n00:00:05,000 --> 00:00:06,000\nThree\n",
         2, "1 caption of the file could not be read and was skipped."},
        {"WebVTT cues with broken timing lines",
         "WEBVTT\n\n00:01.000 --> 00:02.000\nOne\n\n00:03.000 --> 00:0x.000\nLost\n\n"
         "abc --> def\nLost too\n\n00:05.000 --> 00:06.000\nThree\n",
         2, "2 captions of the file could not be read and were skipped."},
        {"SubViewer 2 block with a broken time line",
         "[INFORMATION]\n[END INFORMATION]\n[SUBTITLE]\n00:00:01.00,00:00:02.00\nOne\n\n"
         "00:00:0x.00,00:00:04.00\nLost\n\n00:00:05.00,00:00:06.00\nThree\n",
         2, "1 caption of the file could not be read and was skipped."},
        {"YouTube SBV blocks whose time lines are broken",
         "0:00:01.000,0:00:02.000\nOne\n\n0:00:03.000;0:00:04.000\nLost\n\n0:00:0.000,0:00:06.000\nLost "
         "too\n\n"
         "0:00:07.000,0:00:08.000\nFour\n",
         2, "2 captions of the file could not be read and were skipped."},
        {"SSA dialogue lines with too few fields",
         "[V4+ Styles]\n[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\n"
         "Dialogue: 0,0:00:03.00,0:00:04.00,Default,short\n",
         1, "1 caption of the file could not be read and was skipped."},
        {"TTML paragraph without a time",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div><p begin=\"1s\" end=\"2s\">One</p>"
         "<p>No time</p></div></body></tt>\n",
         1, "1 line of the file is not part of any caption and was not read: \"<p>No time\"."},
        {"SubRip lines of another tool between captions, and a caption's line after a blank line",
         "Made by a tool\n\n1\n00:00:01,000 --> 00:00:02,000\nOne\n\nstill one\n\n"
         "2\n00:00:03,000 --> 00:00:04,000\nTwo\n",
         2,
         "2 lines of the file are not part of any caption and were not read: \"Made by a tool\", \"still "
         "one\"."},
        {"WebVTT line that no timing line follows",
         "WEBVTT\n\n00:01.000 --> 00:02.000\nOne\n\nKind of a note\n\n00:03.000 --> 00:04.000\nTwo\n", 2,
         "1 line of the file is not part of any caption and was not read: \"Kind of a note\"."},
        {"SubViewer 2 lines that are no time line",
         "[INFORMATION]\n[END INFORMATION]\n[SUBTITLE]\n00:00:01.00,00:00:02.00\nOne\n\n#made by x\n"
         "NOTE y\n\n00:00:05.00,00:00:06.00\nThree\n",
         2, "2 lines of the file are not part of any caption and were not read: \"#made by x\", \"NOTE y\"."},
        {"PowerDivX, each line its own",
         "{0:00:01}{0:00:02}One\n{0:0x:03}{0:00:04}Lost\n{0:00:05}{0:00:06}Three\n; comment\n", 2,
         "1 caption of the file could not be read and was skipped.\r\n\r\n1 line of the file is not part of "
         "any "
         "caption and was not read: \"; comment\"."},
        {"Advanced SSA lines of no section the format knows",
         "[Script Info]\nScriptType: v4.00+\nMadeBy: x\n[Events]\nFormat: Layer, Start\n"
         "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\n[Notes]\nremember\n",
         1,
         "3 lines of the file are not part of any caption and were not read: \"MadeBy: x\", \"[Notes]\", "
         "\"remember\"."},
        {"SAMI times beyond the largest one",
         "<SAMI><BODY>\n<SYNC Start=1000><P>One\n<SYNC Start=99999999999><P>&nbsp;\n</BODY></SAMI>\n", 1,
         "1 time of the file lay beyond 99:59:59.999 and was read as 99:59:59.999."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = msgbox.count();
        msgbox.Answer(vbOK);
        const Captions got = OpenBytes(c.bytes);
        EXPECT_EQ(got.size(), c.read);
        ASSERT_EQ(msgbox.count(), before + 1);
        EXPECT_EQ(msgbox.last().text, c.told + kNotWrittenOver);
        EXPECT_EQ(msgbox.last().icon, vbExclamation);
    }
}

TEST_F(ForeignFilesTest, FramesBeyondTheLargestTimeAreReadAsItAndTold) {
    msgbox.Answer(vbOK);
    Open(WriteFile("big.sub", "{25}{9000000}Long\n"), true);
    EXPECT_EQ(Document(), (Captions{{1000, kMaxTimeMs, "Long"}}));
    EXPECT_EQ(msgbox.count(), 1);
}

TEST_F(ForeignFilesTest, OnlyRegularFilesAreOpened) {
    // A pipe would block the window until something writes to it; a device never ends.
    const QString fifo = TempPath("pipe.srt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(qPrintable(path));
        const int before = msgbox.count();
        msgbox.Answer(vbOK);
        ImportSubtitleFile(path, false, false);
        ASSERT_EQ(msgbox.count(), before + 1);
        EXPECT_TRUE(msgbox.last().text.contains("Not a regular file")) << qPrintable(msgbox.last().text);
    }
}

namespace {

QByteArray Utf16(const QString& text, bool bigEndian) {
    QByteArray out;
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
    return out;
}

} // namespace

// Files joined with cat keep every part's byte-order mark: in the middle of the text it is not
// text, and the caption it stands before is read as any other.
TEST_F(ForeignFilesTest, ByteOrderMarksWhereFilesWereJoinedAreNoText) {
    const QString bom(QChar(0xFEFF));
    const QString srt1 = bom + "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n";
    const QString srt2 = bom + "1\r\n00:00:03,000 --> 00:00:04,000\r\nTwo \u00e9\r\n\r\n";
    const QString srt3 = bom + "1\r\n00:00:05,000 --> 00:00:06,000\r\nTh" + bom + "ree\r\n";
    const Captions subrip{{1000, 2000, "One"}, {3000, 4000, "Two \u00e9"}, {5000, 6000, "Three"}};
    const QString sub =
        bom + "{25}{50}One\r\n" + bom + "{75}{100}Two \u00e9\r\n" + bom + "{125}{150}Three\r\n";
    const Captions microdvd{{1000, 2000, "One"}, {3000, 4000, "Two \u00e9"}, {5000, 6000, "Three"}};
    const QString ass = bom +
                        "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\n\r\n[Events]\r\n"
                        "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,One\r\n" +
                        bom + "[Events]\r\nDialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Two \u00e9\r\n";
    const Captions assCaptions{{1000, 2000, "One"}, {3000, 4000, "Two \u00e9"}};
    const Captions joinedCaptions{{1000, 2000, "One"}, {3000, 4000, "Two \u00e9"}};
    const auto Joined = [&](const QString& id) {
        return (bom + QString::fromLatin1(Write(id, {joinedCaptions[0]})) + bom +
                QString::fromLatin1(Write(id, {joinedCaptions[1]})))
            .toUtf8();
    };
    const struct Case {
        const char* what;
        QByteArray bytes;
        QString format;
        Captions captions;
    } cases[] = {
        {"UTF-8 SubRip files joined", (srt1 + srt2 + srt3).toUtf8(), "SUBRIP", subrip},
        {"a SubRip file without a mark joined to ones with", (srt1.mid(1) + srt2 + srt3).toUtf8(), "SUBRIP",
         subrip},
        {"UTF-16 little-endian SubRip files joined", Utf16(srt1 + srt2 + srt3, false), "SUBRIP", subrip},
        {"UTF-16 big-endian SubRip files joined", Utf16(srt1 + srt2 + srt3, true), "SUBRIP", subrip},
        {"UTF-8 MicroDVD files joined", sub.toUtf8(), "MICRODVD", microdvd},
        {"UTF-8 Advanced SSA files joined", ass.toUtf8(), "ADVANCEDSSA", assCaptions},
        // The markup formats: the second file's header stands between captions.
        {"UTF-8 USF files joined", Joined("USF"), "USF", joinedCaptions},
        {"UTF-8 GPAC timed text files joined", Joined("GPACTTXT"), "GPACTTXT", joinedCaptions},
        {"UTF-8 Captionate files joined", Joined("CAPTIONATE"), "CAPTIONATE", joinedCaptions},
        {"UTF-8 RealText files joined", Joined("REALTEXT"), "REALTEXT", joinedCaptions},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = msgbox.count();
        ExpectOpens("joined.sub", c.bytes, c.format, c.captions);
        EXPECT_EQ(msgbox.count(), before) << qPrintable(msgbox.count() ? msgbox.last().text : QString());
    }
}

// A time written with a minus lies before the media's start: every reader reads it as 0 (never
// as the time its digits alone give) and the user is told.
TEST_F(ForeignFilesTest, NegativeTimesAreReadAsZeroAndTold) {
    const Captions beforeAfter{{0, 2000, "Before"}, {3000, 4000, "After"}};
    const struct Case {
        const char* what;
        QByteArray bytes;
        QString format;
        Captions captions;
        int negative;
    } cases[] = {
        {"Advanced SSA",
         "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n\n[Events]\n"
         "Dialogue: 0,-1:59:54.93,0:00:02.00,Default,,0,0,0,,Before\n"
         "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,After\n",
         "ADVANCEDSSA", beforeAfter, 1},
        {"SubStation Alpha, both times",
         "[Script Info]\nScriptType: v4.00\n\n[V4 Styles]\n\n[Events]\n"
         "Dialogue: Marked=0,-0:00:05.00,-0:00:01.00,Default,,0,0,0,,Gone\n"
         "Dialogue: Marked=0,0:00:03.00,0:00:04.00,Default,,0,0,0,,After\n",
         "SUBSTATIONALPHA",
         {{0, 0, "Gone"}, {3000, 4000, "After"}},
         2},
        {"SubRip", "1\n-00:00:01,500 --> 00:00:02,000\nBefore\n\n2\n00:00:03,000 --> 00:00:04,000\nAfter\n",
         "SUBRIP", beforeAfter, 1},
        {"WebVTT", "WEBVTT\n\n-00:01.000 --> 00:02.000\nBefore\n\n00:03.000 --> 00:04.000\nAfter\n", "WEBVTT",
         beforeAfter, 1},
        {"LRC",
         "[-00:01.00]Before\n[00:03.00]After\n[00:06.00]\n",
         "KARAOKELRC",
         {{0, 3000, "Before"}, {3000, 6000, "After"}},
         1},
        {"VPlayer",
         "-00:00:01:Before\n00:00:03:After\n00:00:06:\n",
         "VPLAYER",
         {{0, 3000, "Before"}, {3000, 6000, "After"}},
         1},
        {"YouTube SBV", "-0:00:01.000,0:00:02.000\nBefore\n\n0:00:03.000,0:00:04.000\nAfter\n\n",
         "YOUTUBESBV", beforeAfter, 1},
        {"SubViewer 2",
         "[INFORMATION]\n[END INFORMATION]\n[SUBTITLE]\n00:00:01.00,-00:00:02.00\nGone\n\n"
         "00:00:03.00,00:00:04.00\nAfter\n",
         "SUBVIEWER2",
         {{1000, 0, "Gone"}, {3000, 4000, "After"}},
         1},
        {"Advanced SSA as some converters write it: lower case, no blank after the colon",
         "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\n\n[Events]\n"
         "dialogue:0,-0:00:01.00,0:00:02.00,Default,,0,0,0,,Before\n"
         "DIALOGUE: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,After\n",
         "ADVANCEDSSA", beforeAfter, 1},
        {"SAMI",
         "<SAMI>\n<BODY>\n<SYNC Start=-500><P>Before\n<SYNC Start=2000><P>&nbsp;\n"
         "<SYNC Start=\"3000\"><P>After\n<SYNC Start=4000><P>&nbsp;\n</BODY>\n</SAMI>\n",
         "SAMI", beforeAfter, 1},
        {"MicroDVD frames", "{-25}{50}Before\n{75}{100}After\n", "MICRODVD", beforeAfter, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = msgbox.count();
        msgbox.Answer(vbOK);
        ExpectOpens("negative.sub", c.bytes, c.format, c.captions);
        ASSERT_EQ(msgbox.count(), before + 1);
        EXPECT_EQ(
            msgbox.last().text,
            (c.negative == 1
                 ? QString("1 time of the file lay before 00:00:00.000 and was read as 00:00:00.000.")
                 : QString("%1 times of the file lay before 00:00:00.000 and were read as 00:00:00.000.")
                       .arg(c.negative)) +
                kNotWrittenOver);
    }
}

// With any code page as the system's, a file reads the same whether or not a character above
// ASCII stands at its end: the same first caption, or refused both ways. A plain-text file of
// every byte above ASCII, read a line at a time, holds the lines of the file decoded whole.
TEST_F(ForeignFilesTest, EveryAnsiCodePageReadsAFileAlikeWhateverItsLastCaption) {
    const QByteArray ascii = "1\r\n00:00:01,000 --> 00:00:02,000\r\nC:\\dir ~ {x}\x7F\r\n\r\n";
    QByteArray highBytes = "\t x";
    for (int b = 0x80; b < 0x100; ++b)
        highBytes += char(b) + QByteArray(b % 9 == 0 ? "\r\n" : b % 7 == 0 ? " \n " : b % 5 == 0 ? "\r" : "");
    msgbox.AcceptAll();
    int compared = 0;
    for (const int32_t cp : KnownCodePages()) {
        if (!IsCodePageAvailable(cp)) continue;
        SCOPED_TRACE(cp);
        const EnvVar system("SCRIVELLE_ANSI_CODEPAGE", QByteArray::number(cp));
        if (KeepsAscii(cp)) {
            Captions lines;
            ForEachLine(DecodeCodePage(highBytes, cp).remove(QChar(0xFEFF)), [&](QStringView line) {
                if (!TrimLine(line).isEmpty()) lines.push_back({0, 0, TrimLine(line).toString()});
                return true;
            });
            EXPECT_EQ(OpenBytes(highBytes, "high.txt"), lines);
        }
        QString last;
        for (const char* utf8 :
             {"\xC3\xA9", "\xD0\x96", "\xCE\xB1", "\xE0\xB8\x81", "\xE3\x81\x82", "\xEA\xB0\x80"}) {
            const QString c = QString::fromUtf8(utf8);
            const QByteArray bytes = EncodeCodePage(c, cp);
            // Bytes that are no UTF-8, so that the file is read in the code page.
            const bool isUtf8 = !QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter);
            if (DecodeCodePage(bytes, cp) == c && bytes != "?" && !isUtf8) {
                last = c;
                break;
            }
        }
        if (last.isEmpty()) continue;
        const QByteArray more =
            ascii + "2\r\n00:00:03,000 --> 00:00:04,000\r\n" + EncodeCodePage(last, cp) + "\r\n";
        const Captions plain = OpenBytes(ascii, "plain.srt");
        Captions withMore = OpenBytes(more, "more.srt");
        if (withMore.size() > plain.size()) withMore.resize(plain.size());
        EXPECT_EQ(withMore, plain);
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

namespace {

// A script the way a common editor writes it: a canvas of its own, several styles, comment
// events, layers, a name, positioned signs, the editor's own state and an embedded font.
const QByteArray kEditorScript =
    "[Script Info]\r\n; Script generated by an editor\r\nTitle: Episode 1\r\nScriptType: v4.00+\r\n"
    "WrapStyle: 0\r\nPlayResX: 1920\r\nPlayResY: 1080\r\nScaledBorderAndShadow: yes\r\nYCbCr Matrix: "
    "TV.709\r\n\r\n"
    "[Aegisub Project Garbage]\r\nAudio File: ep1.mkv\r\nVideo File: ep1.mkv\r\nScroll Position: 12\r\n\r\n"
    "[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
    "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, "
    "Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
    "Style: Default,Arial,72,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,3.6,1.5,2,"
    "96,96,54,1\r\n"
    "Style: Sign,Georgia,60,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,-1,0,0,0,100,100,0,0,1,2,0,8,10,10,"
    "10,1\r\n\r\n"
    "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
    "Comment: 0,0:00:00.00,0:00:00.00,Default,,0,0,0,,Translator's note\r\n"
    "Dialogue: 0,0:00:01.00,0:00:03.00,Default,Anna,0,0,0,,Hello {\\i1}there{\\i0}!\r\n"
    "Dialogue: 1,0:00:02.00,0:00:04.00,Sign,,0,0,0,,{\\pos(960,100)}Bakery\r\n\r\n"
    "[Fonts]\r\nfontname: "
    "Georgia_0.ttf\r\nM)!$H0\"8.'<\\'L)DT%;48Z0\\2S%M3PT:6U+6$LR2!T`*7D`.V5E8U)-1(5C\r\n";

// An Advanced SSA script of one event line, the rest as this program writes it.
QByteArray Ass(const char* scriptInfo, const char* styles, const char* events) {
    return QByteArray("[Script Info]\nScriptType: v4.00+\n") + scriptInfo + "\n[V4+ Styles]\n" +
           "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
           "Bold, "
           "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
           "Alignment, MarginL, MarginR, MarginV, Encoding\n" +
           "Style: "
           "Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,2,1,2,10,10,"
           "10,1\n" +
           styles +
           "\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n" +
           events;
}

} // namespace

// What a file holds that the caption list cannot (further styles, comments, layers, names,
// positions, a canvas, embedded fonts...) is told in the one message of the read, and the
// document is marked so that Save does not write over the file; what the program itself would
// write again is not.
TEST_F(ForeignFilesTest, WhatTheCaptionListCannotKeepIsTold) {
    const char* kLine = "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Text\n";
    const struct Case {
        const char* what;
        QByteArray bytes;
        uint32_t leftOut;
        QString text; // the first caption's text
    } cases[] = {
        {"a script from another editor", kEditorScript,
         kLeftStyles | kLeftInlineStyles | kLeftComments | kLeftLayers | kLeftNames | kLeftCanvas |
             kLeftEmbedded,
         "<i>Hello there!"},
        {"nothing but the program's own parts", Ass("", "", kLine), 0, "Text"},
        {"the canvas given as the program's", Ass("PlayResX: 384\nPlayResY: 288\n", "", kLine), 0, "Text"},
        {"a canvas width whose height follows", Ass("PlayResX: 384\n", "", kLine), 0, "Text"},
        {"another canvas", Ass("PlayResX: 640\nPlayResY: 480\n", "", kLine), kLeftCanvas, "Text"},
        {"another canvas height alone", Ass("PlayResY: 720\n", "", kLine), kLeftCanvas, "Text"},
        {"a further style",
         Ass("", "Style: Sign,Arial,20,&H00FFFFFF,&H0,&H0,&H0,0,0,0,0,100,100,0,0,1,2,1,8,1,1,1,1\n", kLine),
         kLeftStyles, "Text"},
        {"an event in a style never defined",
         Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Alt,,0,0,0,,Text\n"), kLeftStyles, "Text"},
        {"the default style written with a star",
         Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,*Default,,0,0,0,,Text\n"), 0, "Text"},
        {"a comment event",
         Ass("", "", "Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Note\n" + QByteArray(kLine)),
         kLeftComments, "Text"},
        {"a layer", Ass("", "", "Dialogue: 2,0:00:01.00,0:00:02.00,Default,,0,0,0,,Text\n"), kLeftLayers,
         "Text"},
        {"a speaker's name", Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,Anna,0,0,0,,Text\n"),
         kLeftNames, "Text"},
        {"margins", Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,50,,Text\n"), kLeftPositions,
         "Text"},
        {"an effect", Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,Banner;5,Text\n"),
         kLeftEffects, "Text"},
        {"italics on part of the text",
         Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Half {\\i1}italic{\\i0}\n"),
         kLeftInlineStyles, "<i>Half italic"},
        {"italics on the whole text",
         Ass("", "",
             "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\i1}All of it\\Nboth lines{\\i0}\n"),
         0, "<i>All of it|both lines"},
        {"an override tag, kept in the text",
         Ass("", "", "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\pos(10,20)}Sign\n"), 0,
         "{\\pos(10,20)}Sign"},
        {"the editor's own state",
         Ass("", "", QByteArray(kLine) + "\n[Aegisub Project Garbage]\nVideo File: a.mkv\n"), 0, "Text"},
        {"an embedded picture",
         Ass("", "", QByteArray(kLine) + "\n[Graphics]\nfilename: logo.png\nB7E.A?0I%40\n"), kLeftEmbedded,
         "Text"},
        {"SubStation Alpha as the program writes it",
         "[Script Info]\nScriptType: v4.00\n\n[V4 Styles]\nStyle: "
         "Default,Tahoma,28,65535,65535,65535,0,0,0,1,1,1,2,"
         "30,30,30,0,0\n\n[Events]\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0000,0000,0000,,Text\n",
         0, "Text"},
        {"a SubViewer 2 title, author, comment and font of the file's own",
         "[INFORMATION]\n[TITLE]My film\n[AUTHOR]Ann\n[SOURCE]\n[PRG]\n[FILEPATH]\n[DELAY]0\n[CD TRACK]0\n"
         "[COMMENT]Checked\n[END INFORMATION]\n[SUBTITLE]\n[COLF]&H00FF00,[STYLE]bd,[SIZE]24,[FONT]Tahoma\n"
         "00:00:01.00,00:00:02.00\nText\n",
         kLeftHeader, "Text"},
        {"a SubViewer 2 font line alone of the file's own",
         "[INFORMATION]\n[END INFORMATION]\n[SUBTITLE]\n[COLF]&HFFFFFF,[STYLE]no,[SIZE]24,[FONT]Arial\n"
         "00:00:01.00,00:00:02.00\nText\n",
         kLeftHeader, "Text"},
        {"SubViewer 2 with the program's own information",
         "[INFORMATION]\n[TITLE]\n[AUTHOR]\n[END INFORMATION]\n"
         "[SUBTITLE]\n00:00:01.00,00:00:02.00\nText\n",
         0, "Text"},
        {"a DVD Subtitle head of the file's own",
         "{HEAD\nDISCID=X12\nDVDTITLE=Film\nCODEPAGE=1250\nFORMAT=ASCII\nLANG=DE\nTITLE=1\nAUTHOR=Ann\n}\n"
         "{T 00:00:01:00\nText\n}\n{T 00:00:02:00\n\n}\n",
         kLeftHeader, "Text"},
        {"a DVD Subtitle head as the program writes it",
         "{HEAD\nDISCID=\nDVDTITLE=\nCODEPAGE=1250\nFORMAT=ASCII\nLANG=EN\n}\n"
         "{T 00:00:01:00\nText\n}\n{T 00:00:02:00\n\n}\n",
         0, "Text"},
        {"WebVTT cue settings", "WEBVTT\n\n1\n00:01.000 --> 00:02.000 line:0 align:start\nText\n",
         kLeftPositions, "Text"},
        {"WebVTT numbered cues",
         "WEBVTT\n\n1\n00:01.000 --> 00:02.000\nText\n\n2\n00:03.000 --> 00:04.000\nTwo\n", 0, "Text"},
        {"SubRip coordinates", "1\n00:00:01,000 --> 00:00:02,000 X1:40 X2:600 Y1:20 Y2:50\nText\n",
         kLeftPositions, "Text"},
        {"SubRip italics on one line of two",
         "1\n00:00:01,000 --> 00:00:02,000\n- Hello\n<i>- Hi there</i>\n", kLeftInlineStyles,
         "<i>- Hello|- Hi there"},
        {"SubRip italics on each line", "1\n00:00:01,000 --> 00:00:02,000\n<i>one</i>\n<i>two</i>\n", 0,
         "<i>one|two"},
        {"SubRip font tags, kept in the text",
         "1\n00:00:01,000 --> 00:00:02,000\n<font color=\"red\">Text</font>\n", 0,
         "<font color=\"red\">Text</font>"},
        {"TTML styles and regions of its own",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:tts=\"http://www.w3.org/ns/ttml#styling\">\n<head>\n"
         "<styling><style xml:id=\"y\" tts:color=\"yellow\"/></styling>\n"
         "<layout><region xml:id=\"top\" tts:origin=\"10% 5%\" tts:extent=\"80% 20%\"/></layout>\n</head>\n"
         "<body><div><p begin=\"1s\" end=\"2s\" style=\"y\" region=\"top\">Text <span tts:color=\"red\">red"
         "</span></p></div></body></tt>\n",
         kLeftStyles | kLeftPositions | kLeftInlineStyles, "Text red"},
        {"TTML with a title and a speaker",
         "<tt xmlns=\"http://www.w3.org/2006/10/ttaf1\" "
         "xmlns:ttm=\"http://www.w3.org/2006/10/ttaf1#metadata\">"
         "<head><metadata><ttm:title>Episode 1</ttm:title></metadata></head>\n"
         "<body><div><p begin=\"1s\" end=\"2s\" ttm:agent=\"anna\">Text</p></div></body></tt>\n",
         kLeftHeader | kLeftNames, "Text"},
        {"TTML of plain paragraphs",
         "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div>\n<p begin=\"1s\" end=\"2s\">Text</p>\n"
         "<p begin=\"3s\" end=\"4s\"><span>Two</span></p>\n</div></body></tt>\n",
         0, "Text"},
        {"SAMI with classes of its own and coloured words",
         "<SAMI>\n<HEAD>\n<STYLE TYPE=\"text/css\">\n<!--\nP { font-family: Arial; color: white; }\n"
         ".KRCC { Name: Korean; lang: ko-KR; SAMIType: CC; }\n#Source { color: gray; "
         "}\n-->\n</STYLE>\n</HEAD>\n"
         "<BODY>\n<SYNC Start=1000><P Class=KRCC>Text <font color=\"yellow\">yellow</font>\n"
         "<SYNC Start=2000><P Class=KRCC>&nbsp;\n</BODY>\n</SAMI>\n",
         kLeftStyles | kLeftInlineStyles, "Text yellow"},
        {"SAMI with a sheet of the program's selectors",
         "<SAMI>\n<HEAD>\n<STYLE TYPE=\"text/css\">\n<!--\nP { font-family: Arial; }\n"
         ".SUBTTL { Name: 'Subtitles'; lang: en-US; }\n-->\n</STYLE>\n</HEAD>\n"
         "<BODY>\n<SYNC Start=1000><P Class=SUBTTL>Text\n<SYNC Start=2000><P "
         "Class=SUBTTL>&nbsp;\n</BODY>\n</SAMI>\n",
         0, "Text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = msgbox.count();
        if (c.leftOut) msgbox.Answer(vbOK);
        const Captions got = OpenBytes(c.bytes, "script.sub");
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got[0].text, c.text);
        EXPECT_EQ(gImportLeftOut, c.leftOut != 0);
        ASSERT_EQ(msgbox.count(), before + (c.leftOut ? 1 : 0))
            << qPrintable(msgbox.count() ? msgbox.last().text : QString());
        if (!c.leftOut) continue;
        EXPECT_EQ(msgbox.last().text,
                  "The file holds what the caption list cannot keep, and it was left out: " +
                      LeftOutNames(c.leftOut) +
                      ". Save will ask for a file name, so that the file is not written over.");
        EXPECT_EQ(msgbox.last().icon, vbExclamation);
    }
    // Appended, such a file is told about too, without a word on Save: the document's own file
    // is not the appended one, and a plain Save may still write it.
    OpenBytes(Ass("", "", kLine), "own.ass");
    gOnGetMediaLength = [] { return 10; };
    msgbox.Answer(vbOK).Answer(vbOK);
    ImportSubtitleFile(WriteFile("editor.ass", kEditorScript), false, true);
    ASSERT_GE(msgbox.count(), 2);
    EXPECT_EQ(msgbox.shown()[msgbox.count() - 2].text,
              "The file holds what the caption list cannot keep, and it was left out: " +
                  LeftOutNames(kLeftStyles | kLeftInlineStyles | kLeftComments | kLeftLayers | kLeftNames |
                               kLeftCanvas | kLeftEmbedded) +
                  ".");
    EXPECT_FALSE(gImportLeftOut);
}

namespace {

// The lines of text (CR LF, LF or CR ends one).
QStringList Lines(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).split(QRegularExpression("\r\n|\n|\r"));
}

qsizetype CommonLines(const QStringList& a, const QStringList& b) {
    qsizetype k = 0;
    while (k < a.size() && k < b.size() && a[k] == b[k])
        ++k;
    return k;
}

} // namespace

// Every format: the program's own file with a line of another tool inserted at its head, between
// two captions or at its end (a blank line after it, so that it is no WebVTT cue's identifier)
// still reads every caption, and the line is named in the reading message or told as content
// the caption list cannot keep; it is never taken for a caption.
TEST_F(ForeignFilesTest, ForeignLinesInTheProgramsOwnFileAreReadAroundAndTold) {
    const Captions doc{{1000, 2000, "One"}, {3000, 4000, "Two"}, {5000, 6000, "Three"}};
    const QString foreign[] = {"X-Made-By: another tool", "[Unknown Section]", "NOTE made elsewhere",
                               "<note kind=\"x\">left by an editor</note>"};
    // Where a caption's further lines run up to the next time line, a line after a caption's
    // text is one of its lines (joined as the format joins them; in RealText a tag is markup).
    const QMap<QString, QString> textUpToNextTime{
        {"ADOBEENCORE", "|"}, {"PINNACLEIMP", "|"}, {"UDVDWORKSHOP20", "|"}, {"REALTEXT", " "}};
    // Readers of their own that do not tell such lines yet.
    const QStringList untold{};
    msgbox.AcceptAll();
    // Plain text (index 0) takes every line as a caption.
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        if (untold.contains(id)) continue;
        const QStringList own = Lines(Write(id, doc));
        const qsizetype between = CommonLines(Lines(Write(id, {doc[0]})), Lines(Write(id, {doc[0], doc[1]})));
        const qsizetype end = own.size() - (own.back().isEmpty() ? 1 : 0);
        for (const qsizetype at : {qsizetype(0), between, end}) {
            for (const QString& line : foreign) {
                SCOPED_TRACE(qPrintable(id + " line " + QString::number(at) + ": " + line));
                QStringList lines = own;
                lines.insert(at, "");
                lines.insert(at, line);
                const int before = msgbox.count();
                Open(WriteFile(id + ".sub", lines.join("\r\n").toUtf8()), IsFrameBased(id));
                EXPECT_TRUE(OpenedAs(id));
                Captions expected = doc;
                tSubtitleLine& last = expected[at == end ? 2 : 0];
                const bool markup = OpenFormat() == "REALTEXT" && line.startsWith('<');
                // Where every line after a time line is shown up to the next one, a line between
                // two captions is a caption of its own in the gap between them, and one after the
                // last time line a caption that nothing ends.
                // (SAMI shows the text of an element it does not know, as a web page does.)
                const bool shownUpToNext = OpenFormat() == "QUICKTIMETEXT" || OpenFormat() == "AQTITLE";
                if (at == end && shownUpToNext) {
                    const tSubtitleLine unended{doc[2].end, doc[2].end + kDefaultCaptionMs, line};
                    EXPECT_EQ(Document(), (Captions{doc[0], doc[1], doc[2], unended}));
                    EXPECT_TRUE(msgbox.last().text.startsWith("1 caption of the file has no end"));
                    continue;
                }
                if (at == between && (shownUpToNext || OpenFormat() == "SAMI")) {
                    const QString shown = OpenFormat() == "SAMI" && line.startsWith('<')
                                              ? line.mid(line.indexOf('>') + 1).section('<', 0, 0)
                                              : line;
                    const tSubtitleLine gap{doc[0].end, doc[1].start, shown};
                    EXPECT_EQ(Document(), (Captions{doc[0], gap, doc[1], doc[2]})) << qPrintable(lines.join("\n"));
                    continue;
                }
                if (textUpToNextTime.contains(OpenFormat()) && !markup && at > 0 && own[at - 1].endsWith(last.text))
                    last.text += textUpToNextTime[OpenFormat()] + line;
                EXPECT_EQ(Document(), expected) << qPrintable(lines.join("\n"));
                if (expected != doc) continue;
                ASSERT_EQ(msgbox.count(), before + 1) << qPrintable(lines.join("\n"));
                const QString told = msgbox.last().text;
                // A markup format names the element it did not read by its tag or by its text.
                const QString notRead = "1 line of the file is not part of any caption and was not read: \"";
                const bool element = line.startsWith('<');
                const QString tag = line.left(line.indexOf('>') + 1);
                const QString content = element ? line.mid(tag.size()).section('<', 0, 0) : line;
                const bool named = told.startsWith(notRead) && (told.startsWith(notRead + line + "\".") ||
                                                                (element && (told.startsWith(notRead + tag) ||
                                                                             told.startsWith(notRead + content))));
                EXPECT_TRUE(named || told.startsWith("The file holds what the caption list cannot keep"))
                    << qPrintable(told);
                EXPECT_TRUE(gImportLeftOut);
            }
        }
    }
}

// Two of the program's files of any format joined into one: the second one's header in the
// middle is the format's own, and both files' captions are read without a word.
TEST_F(ForeignFilesTest, JoinedFilesOfEveryFormatReadWhole) {
    const Captions first{{1000, 2000, "One"}, {3000, 4000, "Two"}},
        later{{7000, 8000, "Four"}, {9000, 10000, "Five"}};
    Captions both = first;
    both.insert(both.end(), later.begin(), later.end());
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        SCOPED_TRACE(qPrintable(id));
        const QByteArray joined = Write(id, first) + Write(id, later);
        msgbox.AcceptAll();
        const int before = msgbox.count();
        Open(WriteFile(id + ".sub", joined), IsFrameBased(id));
        EXPECT_EQ(Document(), both) << joined.toStdString();
        EXPECT_EQ(msgbox.count(), before) << qPrintable(msgbox.last().text);
    }
}
