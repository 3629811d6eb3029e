// SAMI as encoders and sites write it: every SYNC opens a caption that the next SYNC ends,
// wherever its text stands and however many lines it takes; a SYNC that shows nothing makes no
// caption; the last caption shows for the default length.
#include "formats/reader_fixture.h"

#include "formats/readerpaths.h"

namespace {

using Captions = std::vector<tSubtitleLine>;

const QString kHead = "<SAMI>\n<HEAD>\n<TITLE>Test</TITLE>\n<SAMIParam>\n  Metrics {time:ms;}\n</SAMIParam>\n"
                      "<STYLE TYPE=\"text/css\">\n<!--\nP { font-family: Arial; text-align: center; }\n"
                      ".ENCC { Name: English; lang: en-US; SAMIType: CC; }\n"
                      "<SYNC Start=5><P>not a caption: the style sheet is a comment\n-->\n</STYLE>\n</HEAD>\n"
                      "<BODY>\n<!-- a comment in the body -->\n";

// How one caption is laid out in the file.
enum class Place { SyncLine, NextLine, Closed, LowerQuoted };
enum class Lines { One, SourceLines, Br };

struct Layout {
    Place place;
    Lines lines;
    bool cleared; // a SYNC showing "&nbsp;" follows it
};

std::vector<Layout> AllLayouts() {
    std::vector<Layout> all;
    for (Place p : {Place::SyncLine, Place::NextLine, Place::Closed, Place::LowerQuoted})
        for (Lines l : {Lines::One, Lines::SourceLines, Lines::Br})
            for (bool cleared : {false, true})
                all.push_back({p, l, cleared});
    return all;
}

QString Sync(int ms, Place place) {
    return place == Place::LowerQuoted ? QString("<sync start=\"%1\"><p class=\"ENCC\">").arg(ms)
                                       : QString("<SYNC Start=%1><P Class=ENCC>").arg(ms);
}

// The body lines of a caption at ms (and of the clearing SYNC after it at clearAt).
QString CaptionLines(const Layout& l, int ms, int clearAt, int n) {
    const QString first = QString("Caption %1").arg(n), second = QString("line <i>two</i> of %1").arg(n);
    QString text;
    switch (l.lines) {
    case Lines::One:
        text = first;
        break;
    case Lines::SourceLines:
        text = first + "\n" + second;
        break;
    case Lines::Br:
        text = first + "<br>" + second;
        break;
    }
    QString out;
    switch (l.place) {
    case Place::SyncLine:
    case Place::LowerQuoted:
        out = Sync(ms, l.place) + text + "\n";
        break;
    case Place::NextLine:
        out = Sync(ms, l.place) + "\n" + text + "\n";
        break;
    case Place::Closed:
        out = Sync(ms, l.place) + text + "</P></SYNC>\n";
        break;
    }
    if (l.cleared)
        out += Sync(clearAt, l.place) + "&nbsp;" + (l.place == Place::Closed ? "</P></SYNC>" : "") + "\n";
    return out;
}

QString ExpectedText(const Layout& l, int n) {
    if (l.lines == Lines::One) return QString("Caption %1").arg(n);
    return QString("<i>Caption %1|line two of %1").arg(n);
}

} // namespace

class SamiReaderTest : public ReaderTest {};

// Every layout of a caption next to every other, each once last: a caption runs from its SYNC
// to the next SYNC, cleared or not, and the last one for the default length.
TEST_F(SamiReaderTest, EverySyncOpensACaptionThatTheNextOneEnds) {
    const std::vector<Layout> layouts = AllLayouts();
    const int count = int(layouts.size());
    for (int last = 0; last < count; ++last) {
        for (const char* lineEnd : {"\n", "\r\n"}) {
            SCOPED_TRACE(QString("last layout %1, %2")
                             .arg(last)
                             .arg(lineEnd[0] == '\r' ? "CR LF" : "LF")
                             .toStdString());
            QString body;
            Captions expected;
            for (int k = 0; k < count; ++k) {
                const Layout& l = layouts[size_t((last + 1 + k) % count)];
                const int start = 1000 + k * 4000, clearAt = start + 2500;
                body += CaptionLines(l, start, clearAt, k + 1);
                const int end = l.cleared       ? clearAt
                                : k + 1 < count ? start + 4000
                                                : start + kDefaultCaptionMs;
                expected.push_back({start, end, ExpectedText(l, k + 1)});
            }
            QString file = kHead + body + "</BODY>\n</SAMI>\n";
            file.replace("\n", lineEnd);
            const tReadOutcome got = Parse("SAMI", file);
            EXPECT_EQ(got.captions, expected);
            EXPECT_EQ(got.skipped, 0);
        }
    }
}

TEST_F(SamiReaderTest, SyncsOfOneMomentAndOtherCases) {
    const struct {
        const char* what;
        QString body;
        Captions captions;
        int skipped = 0; // paragraphs without a time
        int unread = 0;  // lines outside the body that are no part of the document's frame
    } cases[] = {
        {"two languages, a SYNC each at the same moment: one caption shows both",
         "<SYNC Start=1000><P Class=KRCC>\n\uc548\ub155\n<SYNC Start=1000><P Class=ENCC>\nHello\n"
         "<SYNC Start=3000><P Class=KRCC>&nbsp;\n<SYNC Start=3000><P Class=ENCC>&nbsp;\n"
         "<SYNC Start=4000><P Class=KRCC>\n<font color=\"#ffff00\">\ub450</font><br>\uc790\ub9c9\n"
         "<SYNC Start=4000><P Class=ENCC>&nbsp;\n<SYNC Start=6500><P Class=KRCC>&nbsp;\n",
         {{1000, 3000, "\uc548\ub155|Hello"}, {4000, 6500, "\ub450|\uc790\ub9c9"}}},
        {"two languages in one SYNC, a paragraph each",
         "<SYNC Start=0>\n  <P Class=ENUSCC ID=Source>Speaker</P>\n  <P Class=ENUSCC>Text</P>"
         "<P Class=FRFRCC>Texte</P>\n</SYNC>\n<SYNC Start=1800><P Class=ENUSCC>&nbsp;</P></SYNC>\n",
         {{0, 1800, "Speaker|Text|Texte"}}},
        {"a caption that shows for no time (an untimed one as this program writes it) between timed ones",
         "<SYNC Start=1000><P Class=SUBTTL>\nOne\n<SYNC Start=2000><P Class=SUBTTL>\n&nbsp;\n"
         "<SYNC Start=0><P Class=SUBTTL>\nUntimed\n<SYNC Start=0><P Class=SUBTTL>\n&nbsp;\n"
         "<SYNC Start=3000><P Class=SUBTTL>\nTwo\n<SYNC Start=3000><P Class=SUBTTL>\n&nbsp;\n"
         "<SYNC Start=5000><P Class=SUBTTL>\nThree\n<SYNC Start=6000><P Class=SUBTTL>\n&nbsp;\n",
         {{1000, 2000, "One"}, {0, 0, "Untimed"}, {3000, 3000, "Two"}, {5000, 6000, "Three"}}},
        {"a caption ending where the next begins, cleared at that moment",
         "<SYNC Start=1000><P>One\n<SYNC Start=2000><P>&nbsp;\n<SYNC Start=2000><P>Two\n"
         "<SYNC Start=3000><P>&nbsp;\n",
         {{1000, 2000, "One"}, {2000, 3000, "Two"}}},
        {"a SYNC earlier than the caption before cannot end it",
         "<SYNC Start=5000><P>Late\n<SYNC Start=1000><P>Early\n<SYNC Start=2000><P>&nbsp;\n",
         {{5000, 5000 + kDefaultCaptionMs, "Late"}, {1000, 2000, "Early"}}},
        {"several SYNCs on one line, the body ending on it",
         "<SYNC Start=1000><P>One</P></SYNC><SYNC Start=2000><P>Two</P></SYNC>"
         "<SYNC Start=3000><P>&nbsp;</P></SYNC></BODY></SAMI>\n",
         {{1000, 2000, "One"}, {2000, 3000, "Two"}}},
        {"text and markup after the body are no caption's, and told",
         "<SYNC Start=1000><P>Last\n</BODY>\nTrailing words\n<SCRIPT>\n</SAMI>\n",
         {{1000, 1000 + kDefaultCaptionMs, "Last"}},
         0,
         2},
        {"text in the body before any SYNC has no time",
         "<P Class=ENCC>Orphan\n<SYNC Start=1000><P>One\n<SYNC Start=2000><P>&nbsp;\n",
         {{1000, 2000, "One"}},
         1},
        {"a comment over several lines hides a SYNC",
         "<SYNC Start=1000><P>One\n<!-- old:\n<SYNC Start=1500><P>Gone\n-->\n<SYNC Start=2000><P>&nbsp;\n",
         {{1000, 2000, "One"}}},
        {"a tag over two lines, a non-breaking space inside the text",
         "<SYNC Start=1000><P Class=ENCC><font\ncolor=red>Two&nbsp;words</font>\n<SYNC "
         "Start=2000><P>&nbsp;\n",
         {{1000, 2000, "Two\u00a0words"}}},
        {"Start among other attributes, quoted",
         "<Sync Id=\"a\" Start = '1000'><P>One\n<SYNC\tStart=\"2000\"><P>&nbsp;\n",
         {{1000, 2000, "One"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tReadOutcome got = Parse("SAMI", kHead + c.body);
        EXPECT_EQ(got.captions, c.captions);
        EXPECT_EQ(got.skipped, c.skipped);
        EXPECT_EQ(got.unreadLines, c.unread);
    }
    // A head of other elements and words, in a file without a body tag.
    const tReadOutcome got = Parse("SAMI", "<SAMI><HEAD><META name=\"author\"\ncontent=\"x\"><TITLE>T</TITLE>\n"
                                           "By hand\n<STYLE\nTYPE=\"text/css\"></STYLE></HEAD>\n<SYNC Start=1000><P>One\n");
    EXPECT_EQ(got.captions, (Captions{{1000, 1000 + kDefaultCaptionMs, "One"}}));
    EXPECT_EQ(got.unreadSamples, (QStringList{"<SAMI><HEAD><META name=\"author\"", "By hand"}));
}

// Files laid out as encoders and sites write them, opened as the open command opens them.
TEST_F(SamiReaderTest, FilesFromOtherToolsOpenWhole) {
    const struct {
        const char* what;
        QByteArray bytes;
        Captions captions;
    } files[] = {
        {"a sample as sites copy it: paragraphs over several lines, closed SYNCs, a comment in the body",
         "<SAMI>\n<HEAD>\n<TITLE>SAMI Example</TITLE>\n<STYLE TYPE=\"text/css\">\n<!--\n"
         "  P { font-family: Arial; color: white; }\n  .ENUSCC { name: English; lang: en-US ; SAMIType: CC ; "
         "}\n"
         "-->\n</STYLE>\n</HEAD>\n<BODY>\n<!-- Open play menu, choose Captions and Subtitles -->\n"
         "<SYNC Start=0>\n  <P Class=ENUSCC>The first caption\n    over two source lines</P>\n</SYNC>\n"
         "<SYNC Start=1800>\n  <P Class=ENUSCC>Second<br>\n  two lines</P>\n</SYNC>\n"
         "<SYNC Start=3600><P Class=ENUSCC>&nbsp;</P></SYNC>\n"
         "<SYNC Start=4000><P Class=ENUSCC>Last &amp; &eacute;t&eacute;</P></SYNC>\n</BODY>\n</SAMI>\n",
         {{0, 1800, "The first caption|over two source lines"},
          {1800, 3600, "Second|two lines"},
          {4000, 4000 + kDefaultCaptionMs, "Last & \u00e9t\u00e9"}}},
        {"an editor's export: CR LF, text on the line after the tag, captions chained without clearing",
         "<SAMI>\r\n<HEAD>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\nP { margin-left:8pt; }\r\n"
         ".ENCC { Name:English; lang:en-US; SAMIType:CC; }\r\n-->\r\n</STYLE>\r\n</HEAD>\r\n<BODY>\r\n"
         "<SYNC Start=1000><P Class=ENCC>\r\nFirst\r\n<SYNC Start=2000><P Class=ENCC>\r\nSecond\r\nline "
         "two\r\n"
         "<SYNC Start=3500><P Class=ENCC>\r\n<i>Third</i><br>\r\nitalic\r\n<SYNC Start=5000><P "
         "Class=ENCC>&nbsp;\r\n"
         "<SYNC Start=6000><P Class=ENCC>\r\n<font color=\"#ffff00\">Fourth</font>\r\n"
         "<SYNC Start=7000><P Class=ENCC>\r\nFifth\r\n<SYNC Start=8000><P Class=ENCC>\r\nSixth\r\n"
         "</BODY>\r\n</SAMI>\r\n",
         {{1000, 2000, "First"},
          {2000, 3500, "Second|line two"},
          {3500, 5000, "<i>Third|italic"},
          {6000, 7000, "Fourth"},
          {7000, 8000, "Fifth"},
          {8000, 8000 + kDefaultCaptionMs, "Sixth"}}},
        {"a Korean site's file in UTF-8, two languages",
         QString(
             "<SAMI>\n<HEAD>\n<STYLE TYPE=\"text/css\">\n<!--\nP { font-family:\uad74\ub9bc; }\n"
             ".KRCC { Name:\ud55c\uad6d\uc5b4; lang:ko-KR; SAMIType:CC; }\n"
             ".ENCC { Name:English; lang:en-US; SAMIType:CC; }\n-->\n</STYLE>\n</HEAD>\n<BODY>\n"
             "<SYNC Start=1000><P Class=KRCC>\n\uc548\ub155\ud558\uc138\uc694\n"
             "<SYNC Start=1000><P Class=ENCC>\nHello\n<SYNC Start=3000><P Class=KRCC>&nbsp;\n"
             "<SYNC Start=3000><P Class=ENCC>&nbsp;\n<SYNC Start=4000><P Class=KRCC>\n"
             "\ub450 \ubc88\uc9f8<br>\uc790\ub9c9\n<SYNC Start=6500><P Class=KRCC>&nbsp;\n</BODY>\n</SAMI>\n")
             .toUtf8(),
         {{1000, 3000, "\uc548\ub155\ud558\uc138\uc694|Hello"},
          {4000, 6500, "\ub450 \ubc88\uc9f8|\uc790\ub9c9"}}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        ExpectOpensWhole("foreign.smi", f.bytes, "SAMI", f.captions);
    }
}
