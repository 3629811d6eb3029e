// The formats whose lines follow grammars of their own.
#include "formats/reader_fixture.h"

#include "formats/markupcaptions.h"
#include "formats/readerpaths.h"

using Captions = std::vector<tSubtitleLine>;

TEST_F(ReaderTest, SubRipCaptionsEndAtBlankLinesOrTheNextTimeLine) {
    const QString srt = "1\n00:00:01,000 --> 00:00:02,000\nOne\ntwo\n\n"
                        // No blank line before the next caption.
                        "2\n00:00:03,000 --> 00:00:04,000 X1:100 X2:600 Y1:050 Y2:090\nThree\n"
                        "3\n00:00:05,000 --> 00:00:06,000\n1984\n\n"
                        // Text with an arrow in it is not a time line.
                        "4\n00:00:07,000 --> 00:00:08,000\n<i>wait --> here\n\n";
    EXPECT_EQ(Parse("SUBRIP", srt, 0, true).captions, (Captions{{1000, 2000, "One|two"},
                                                                {3000, 4000, "Three"},
                                                                {5000, 6000, "1984"},
                                                                {7000, 8000, "<i>wait --> here"}}));
    // The last caption needs no blank line after it.
    EXPECT_EQ(Parse("SUBRIP", "1\n00:00:01,000 --> 00:00:02,000\nEnd", 0, true).captions,
              (Captions{{1000, 2000, "End"}}));
    // Without a blank line, a number and a time line written in full begin the next caption,
    // whatever the number; a time line without a number, or one not written in full, is text.
    const QString first = "5\n00:00:01,000 --> 00:00:02,000\nHello\n";
    const struct {
        const char* what;
        QString next;
        Captions captions;
    } rows[] = {
        {"a gap in the numbering",
         "9\n00:00:03,000 --> 00:00:04,000\nBye\n",
         {{1000, 2000, "Hello"}, {3000, 4000, "Bye"}}},
        {"a number below",
         "2\n00:00:03,000 --> 00:00:04,000\nBye\n",
         {{1000, 2000, "Hello"}, {3000, 4000, "Bye"}}},
        {"a number of twenty digits",
         "12345678901234567890\n0:00:03.5 --> 0:00:04.5\nBye\n",
         {{1000, 2000, "Hello"}, {3500, 4500, "Bye"}}},
        {"no number",
         "00:00:03,000 --> 00:00:04,000\nBye\n",
         {{1000, 2000, "Hello|00:00:03,000 --> 00:00:04,000|Bye"}}},
        {"times without milliseconds",
         "9\n00:00:03 --> 00:00:04\nBye\n",
         {{1000, 2000, "Hello|9|00:00:03 --> 00:00:04|Bye"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Parse("SUBRIP", first + row.next, 0, true).captions, row.captions);
    }
}

TEST_F(ReaderTest, SamiReadsItsUsualLayouts) {
    const QString head = "<SAMI>\n<HEAD>\n<SYNC Start=99>not yet\n</HEAD>\n<BODY>\n";
    // Text on its own line, the closing SYNC with "&nbsp;" on the same line.
    EXPECT_EQ(Parse("SAMI", head + "<SYNC Start=1000><P Class=ENCC>\nHello <font color=red>there</font>\n"
                                   "<SYNC Start=2500><P Class=ENCC>&nbsp;\n</BODY>\n")
                  .captions,
              (Captions{{1000, 2500, "Hello there"}}));
    // Text on the SYNC line; a SYNC with text closes the caption before and opens the next.
    EXPECT_EQ(Parse("SAMI", head + "<SYNC Start=1000><P>One<br>line\n<SYNC Start=2000><P>Two\n"
                                   "<SYNC Start=3000><P>&nbsp;\n")
                  .captions,
              (Captions{{1000, 2000, "One|line"}, {2000, 3000, "Two"}}));
    // Every SYNC opens a caption that the next one ends: B shows from the SYNC before it, and a
    // SYNC that shows nothing makes no caption.
    EXPECT_EQ(Parse("SAMI", head + "<SYNC Start=1000>\nA\n<SYNC Start=2000>\nB\n<SYNC Start=3000>\n"
                                   "<SYNC Start=4000>\n&nbsp;\n")
                  .captions,
              (Captions{{1000, 2000, "A"}, {2000, 3000, "B"}}));
    // Styles, entities, a lower-case body tag, and no body tag at all.
    EXPECT_EQ(Parse("SAMI", "<body>\n<SYNC Start=10><P><i>a &amp; b &#233;</i>\n<SYNC Start=20><P>&nbsp;\n")
                  .captions,
              (Captions{{10, 20, "<i>a & b \u00e9"}}));
    EXPECT_EQ(Parse("SAMI", "<SYNC Start=10>\nx\n<SYNC Start=20>\n&nbsp;\n").captions,
              (Captions{{10, 20, "x"}}));
}

TEST_F(ReaderTest, SamiMarkupIsRemovedEvenWhenUnclosed) {
    EXPECT_EQ(StripSamiMarkup(u"<P Class=X>a<BR>b<br/>c<B>d</B><span>e"), "a<br>b<br>c<b>de");
    EXPECT_EQ(StripSamiMarkup(u"x <b>y</b> a < b"), "x <b>y a < b");
    EXPECT_EQ(StripSamiMarkup(QString(100000, u'<')), QString(100000, u'<'));
    EXPECT_EQ(UnescapeMarkup(u"&lt;&gt;&amp;&quot;&apos;&#65;&#x42;&nbsp;&#0;&#1114112; & x;"),
              "<>&\"'AB\u00a0&#0;&#1114112; & x;");
    EXPECT_EQ(UnescapeMarkup(u"&#128512;"), QString::fromUtf8("\xF0\x9F\x98\x80"));
}

TEST_F(ReaderTest, SsaDialogueLinesKeepCommasInTheirText) {
    const QString ssa =
        "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Comment: 0,0:00:00.00,0:00:01.00,Default,,0,0,0,,not a caption\n"
        "Dialogue: 0,0:00:01.50,0:00:03.25,Default,,0,0,0,,{\\i1}Well, yes,\\Nno{\\i0}\n"
        "Dialogue: 0,0:00:04.00,0:00:05.00,Default,too,few\n"
        "Dialogue: 0,1:02:03.04,1:02:04.00,Default,,0,0,0,,a\\nb\n";
    EXPECT_EQ(Parse("ADVANCEDSSA", ssa, 0, true).captions,
              (Captions{{1500, 3250, "<i>Well, yes,|no"}, {3723040, 3724000, "a|b"}}));
    // SubStation Alpha carries bold and italic; its underline tag is text.
    EXPECT_EQ(Parse("SUBSTATIONALPHA", "Dialogue: Marked=0,0:00:01.00,0:00:02.00,D,,0,0,0,,{\\b1}x{\\b0}\n",
                    0, true)
                  .captions,
              (Captions{{1000, 2000, "<b>x"}}));
}

TEST_F(ReaderTest, TmPlayerReadsItsOwnFilesBack) {
    const std::vector<tSubtitleLine> doc{
        {200, 2000, "Early"}, {0, 0, "Untimed"}, {3000, 5600, "Two|lines"}, {7000, 9000, "x|y|z"}};
    const QString file = QString::fromLatin1(Write("TMPLAYER", doc));
    EXPECT_EQ(
        Parse("TMPLAYER", file, 0, true).captions,
        (Captions{{0, 2000, "Early"}, {0, 0, "Untimed"}, {3000, 6000, "Two|lines"}, {7000, 9000, "x|y|z"}}));
    // Text lines without the caption's first line join no caption.
    EXPECT_EQ(Parse("TMPLAYER", "00:00:01,2=stray\n00:00:02,1=Real\n00:00:03,1=\n", 0, true).captions,
              (Captions{{2000, 3000, "Real"}}));
    // "|" in a caption's first line is a line break.
    EXPECT_EQ(Parse("TMPLAYER", "00:00:01,1=a|b\n00:00:02,1=\n", 0, true).captions,
              (Captions{{1000, 2000, "a|b"}}));
}

TEST_F(ReaderTest, AdobeEncoreCaptionsHaveTheirOwnText) {
    const QString file = "00:00:01:00 00:00:02:00 First\n"
                         "second line\n"
                         "00:00:03:00 00:00:04:00 X\n"
                         "00:00:05:00 00:00:06:00\n"
                         "00:00:07:00 00:00:08:00 Last\n";
    EXPECT_EQ(Parse("ADOBEENCORE", file, 25, true).captions,
              (Captions{{1000, 2000, "First|second line"}, {3000, 4000, "X"}, {7000, 8000, "Last"}}));
}

TEST_F(ReaderTest, SpruceAndSonicLinesAreFoundFromTheirFirstColon) {
    const QString spruce = "st_format\t2\n"
                           "0001\t00:00:01:00\t00:00:02:00\tignored before the heading\n"
                           "SP_NUMBER\tSTART\tEND\tFILE_NAME\n"
                           "0001\t00:00:01:00\t00:00:02:12\tFirst|line\n"
                           "0002 without any colon at all in it\n"
                           "short:\n"
                           "0003\t00:00:03:00\t00:00:04:00\tThird\n";
    EXPECT_EQ(Parse("SPRUCEDVDMAESTRO", spruce, 25, true).captions,
              (Captions{{1000, 2480, "First|line"}, {3000, 4000, "Third"}}));
    // A Sonic file numbered from 0001 turns out to be a Spruce one.
    const tReadOutcome sonic = Parse("SONICSCENARIST", spruce, 25, true);
    EXPECT_EQ(sonic.formatId, "SPRUCEDVDMAESTRO");
    EXPECT_EQ(sonic.captions.size(), 2u);
}

TEST_F(ReaderTest, UleadEndMarkerEndsTheLastCaption) {
    const QString file = "#Ulead subtitle format\n#Subtitle text begin\n"
                         "#0 00;00;01;00 00;00;02;00\nOne\n#1 00;00;03;00 00;00;04;00\nTwo\nlines\n"
                         "#Subtitle text end\n";
    EXPECT_EQ(Parse("UDVDWORKSHOP20", file, 25, true).captions,
              (Captions{{1000, 2000, "One"}, {3000, 4000, "Two|lines"}}));
}

TEST_F(ReaderTest, TheNoneLineBreakTokenIsNoTextToReplace) {
    // "none" writes line breaks as blanks: on reading, the word is text like any other.
    EXPECT_EQ(Parse("KARAOKELRC", "[00:01.00]none of them|none\n[00:02.00]\n").captions,
              (Captions{{1000, 2000, "none of them|none"}}));
}

TEST_F(ReaderTest, PlainTextIsOneUntimedCaptionPerLine) {
    EXPECT_EQ(Parse("PLAINTEXT", "  a  \r\n\r\n\tb|c\r\n").captions, (Captions{{0, 0, "a"}, {0, 0, "b|c"}}));
}

// --- USF, GPAC timed text, Captionate and RealText ---

namespace {

// A file of one of the four markup formats whose captions this program wrote, with elements
// of other tools inserted at its head, between its captions and at its end.
struct MarkupInsert {
    const char* id;
    const char* captionTag; // what begins every caption element (or time tag)
    int between;            // the element before which the middle insert goes
};

QString InsertForeign(QString file, const MarkupInsert& m, const QString& foreign) {
    qsizetype at = -1;
    for (int k = 0; k < m.between; ++k)
        at = file.indexOf(m.captionTag, at + 1);
    file.insert(at, foreign + "\n");
    file.insert(file.indexOf(m.captionTag), foreign + "\n");
    return file + foreign + "\n";
}

} // namespace

TEST_F(ReaderTest, MarkupFormatsNameTheElementsTheyDoNotRead) {
    const Captions doc{{1000, 2500, "One|two"}, {3000, 4000, "Three"}, {5000, 6000, "Four"}};
    for (const MarkupInsert& m : {MarkupInsert{"USF", "<subtitle ", 2}, MarkupInsert{"GPACTTXT", "<TextSample ", 3},
                                  MarkupInsert{"CAPTIONATE", "<caption ", 3}, MarkupInsert{"REALTEXT", "<time ", 2}}) {
        SCOPED_TRACE(m.id);
        const QString own = QString::fromLatin1(Write(m.id, doc));
        const tReadOutcome plain = Parse(m.id, own, 0, true);
        EXPECT_EQ(plain.captions, doc);
        EXPECT_FALSE(ReadLostContent(plain));
        const tReadOutcome out =
            Parse(m.id, InsertForeign(own, m, "<Dialogue start=\"1\">not ours</Dialogue>"), 0, true);
        EXPECT_EQ(out.captions, doc);
        EXPECT_EQ(out.unreadLines, 3) << qPrintable(out.unreadSamples.join(" / "));
        EXPECT_EQ(out.unreadSamples.value(0), "<Dialogue start=\"1\">");
        EXPECT_EQ(out.skipped, 0);
    }

    const struct {
        const char* what;
        const char* id;
        QString text;
        Captions captions;
        int unread, skipped;
        uint32_t leftOut;
    } cases[] = {
        {"USF: an unknown element in a subtitle, text outside any element", "USF",
         "<USFSubtitles version=\"1.0\"><subtitles>stray words\n<subtitle start=\"1.000\" stop=\"2.000\"><text>A</text>"
         "<note>x</note></subtitle></subtitles></USFSubtitles>",
         {{1000, 2000, "A"}}, 2, 0, 0},
        {"USF: a start that is no time, a subtitle cut off by the end of the file", "USF",
         "<subtitles><subtitle start=\"soon\" stop=\"00:00:02.000\"><text>Lost</text></subtitle>\n"
         "<subtitle start=\"00:00:03.000\" stop=\"00:00:04.000\"><text>Kept</text></subtitle>\n"
         "<subtitle start=\"00:00:05.000\" stop=\"00:00:06.000\"><text>Cut sh",
         {{3000, 4000, "Kept"}}, 0, 2, 0},
        {"USF: metadata, styles, karaoke and pictures of other tools", "USF",
         "<USFSubtitles version=\"1.0\"><metadata><title>Film</title></metadata><styles><style name=\"A\"/>"
         "</styles><subtitles><subtitle start=\"1\" stop=\"2\"><karaoke><k t=\"10\">Ka</k><k t=\"20\">ra</k>"
         "</karaoke><image>logo.png</image></subtitle></subtitles></USFSubtitles>",
         {{1000, 2000, "Kara"}}, 0, 0, kLeftHeader | kLeftStyles | kLeftInlineTimes | kLeftEmbedded},
        {"USF: a style on part of the text, entities, times below 0 and beyond the largest", "USF",
         "<subtitle start=\"-00:00:01.000\" stop=\"999999999999\"><text>a &amp; <i>b</i></text></subtitle>",
         {{0, kMaxTimeMs, "<i>a & b"}}, 0, 0, kLeftInlineStyles},
        {"GPAC: an unknown element in a sample, a sample never closed", "GPACTTXT",
         "<TextStream><TextSample sampleTime=\"00:00:01.000\">A<Odd/></TextSample>"
         "<TextSample sampleTime=\"00:00:02.000\"></TextSample><TextSample sampleTime=\"00:00:03.000\">B",
         {{1000, 2000, "A"}}, 1, 1, 0},
        {"GPAC: boxes, styles and karaoke in samples", "GPACTTXT",
         "<TextSample sampleTime=\"00:00:01.000\" text=\"'it&apos;s' 'two'\"><TextBox top=\"1\"/>"
         "<Style fromChar=\"0\" toChar=\"2\" styles=\"Bold\"/><Karaoke startTime=\"0\"/></TextSample>"
         "<TextSample sampleTime=\"00:00:02.000\"/>",
         {{1000, 2000, "it's|two"}}, 0, 0, kLeftPositions | kLeftInlineStyles | kLeftInlineTimes},
        {"Captionate: a second track and a speaker header of its own", "CAPTIONATE",
         "<captionate><captioninfo><speakerinfo><speaker><name>Ann</name></speaker></speakerinfo></captioninfo>"
         "<captions><caption time=\"100\"><tracks><track0>Hi</track0><track1>Hallo</track1></tracks></caption>"
         "<caption time=\"900\"/></captions></captionate>",
         {{100, 900, "Hi"}}, 1, 0, kLeftHeader},
        {"RealText: text before the first time, an unknown tag, layout markup", "REALTEXT",
         "<window bgcolor=\"blue\">\nIntro\n<time begin=\"1\"/><clear/><center>A</center><blink>B</blink>\n"
         "<time begin=\"2\" end=\"2.5\"/>C</window>",
         {{1000, 2000, "A"}, {2000, 2500, "C"}}, 2, 0, kLeftPositions | kLeftHeader},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tReadOutcome out = Parse(c.id, c.text, 0, true);
        EXPECT_EQ(out.captions, c.captions);
        EXPECT_EQ(out.unreadLines, c.unread) << qPrintable(out.unreadSamples.join(" / "));
        EXPECT_EQ(out.skipped, c.skipped);
        EXPECT_EQ(out.leftOut, c.leftOut) << qPrintable(LeftOutNames(out.leftOut));
    }
}

// A document of these formats may come in pieces cut anywhere (a line of megabytes is read a
// piece at a time): the captions, what is left out and what is not read do not depend on it.
TEST_F(ReaderTest, MarkupFormatsReadAlikeWhereverTheirTextIsCut) {
    const struct {
        const char* id;
        QString doc;
        size_t captions;
        int unread;
    } docs[] = {
        {"USF",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE USFSubtitles>\n<USFSubtitles version=\"1.0\"><metadata>"
         "<title>untitled</title></metadata>\n<!-- <subtitle start=\"1\" stop=\"2\"> a > b -->\n<subtitles>"
         "<subtitle start=\"00:00:01.000\" stop=\"00:00:02.000\"><text halign='a > b'>One\n  two</text></subtitle>"
         "<subtitle start=\"3\" duration=\"1\"><text><![CDATA[<b> & ]]>x<br/>y</text><odd/></subtitle>\n"
         "stray</subtitles></USFSubtitles>\n",
         2, 2},
        {"GPACTTXT",
         "<TextStream version=\"1.1\">\n<TextSample sampleTime=\"00:00:01.000\">One\n  two</TextSample>\n"
         "<TextSample sampleTime=\"00:00:02.000\" text=\"'a' 'b'\"/><TextSample sampleTime=\"00:00:03.000\">"
         "</TextSample>\n<Odd/>\n</TextStream>\n",
         2, 1},
        {"CAPTIONATE",
         "<captionate><captions>\n<caption time=\"1000\"><tracks><track0>One\ntwo</track0><track1>Eins"
         "</track1></tracks></caption>\n<caption time=\"2000\"><tracks><track0>Three</track0></tracks>"
         "</caption><caption time=\"2500\"/></captions></captionate>\n",
         2, 1},
        {"REALTEXT",
         "<window type=\"generic\" duration=\"99:00:00.00\" wordwrap=\"true\" bgcolor=\"black\">\n<time "
         "begin=\"1.5\"/><clear/><i>One</i>\n two\n<time begin=\"00:00:03.00\" end=\"4\"/>x<br/>y<blink/>\n</window>",
         2, 1},
    };
    for (const auto& d : docs) {
        SCOPED_TRACE(d.id);
        ASSERT_TRUE(LoadFormatDefinition(d.id, false, false));
        tReadSetup setup;
        setup.def = gFormatDef;
        const tReaderPath* path = FindReaderPath(QString(d.id));
        ASSERT_TRUE(path && path->readText && path->finish);
        const auto read = [&](const QStringList& pieces) {
            tCaptionReader reader(setup);
            for (const QString& piece : pieces) {
                const bool lineEnds = piece.endsWith(u'\n');
                path->readText(reader, lineEnds ? QStringView(piece).chopped(1) : QStringView(piece), lineEnds);
            }
            path->finish(reader);
            return std::tuple(reader.captions, reader.unreadLines, reader.leftOut, reader.skipped);
        };
        const auto whole = read({d.doc});
        EXPECT_EQ(std::get<0>(whole).size(), d.captions);
        EXPECT_EQ(std::get<1>(whole), d.unread);
        for (qsizetype cut = 1; cut < d.doc.size(); ++cut) {
            SCOPED_TRACE(cut);
            ASSERT_EQ(read({d.doc.left(cut), d.doc.mid(cut)}), whole);
        }
        QStringList lines;
        for (const QString& line : d.doc.split('\n'))
            lines << line + '\n';
        EXPECT_EQ(read(lines), whole);
    }
}

TEST_F(ReaderTest, MarkupClockTimesOfEveryLength) {
    const struct {
        const char* text;
        std::optional<int64_t> ms;
    } times[] = {
        {"01:02:03.450", 3723450}, {"1:02.5", 62500},   {"12", 12000},       {"1.5", 1500},
        {".25", 250},              {"0,125", 125},      {" 3.1234 ", 3123},  {"1:00:00:00", 86400000},
        {"-00:00:01.000", -1000},  {"", std::nullopt},  {"1:", std::nullopt}, {"1.", std::nullopt},
        {"1s", std::nullopt},      {"1:2:3:4:5", std::nullopt},
    };
    for (const auto& t : times)
        EXPECT_EQ(MarkupClockTime(QString(t.text)), t.ms) << t.text;
    // Digits beyond any time stay a large time, never one that wrapped round below 0.
    EXPECT_GT(*MarkupClockTime(u"99999999999999999999:99999999999999999999.9"), kMaxTimeMs);
    EXPECT_GT(*MarkupMilliseconds(u"99999999999999999999"), kMaxTimeMs);
    EXPECT_EQ(MarkupMilliseconds(u"1.5"), std::nullopt);
}

// --- Formats of time lines and numbered lines: the layouts other tools write, and what is not read ---

namespace {

const char* kQtHeader = "{QTtext} {font:Tahoma}\n{plain} {size:20}\n{timeScale:100}\n";

} // namespace

TEST_F(ReaderTest, TimeLineFormatsReadOtherToolsLayoutsAndTellTheRest) {
    const struct Case {
        const char* what;
        const char* id;
        QString text;
        Captions captions;
        int skipped = 0, unread = 0, negative = 0;
        uint32_t leftOut = 0;
    } cases[] = {
        {"QuickTime chained: a time line ends one caption and begins the next", "QUICKTIMETEXT",
         QString(kQtHeader) + "[00:00:01.00]\nOne\n[00:00:02.50]\nTwo\nlines\n[00:00:04.00]\n",
         {{1000, 2500, "One"}, {2500, 4000, "Two|lines"}}},
        {"QuickTime fractions count units of the time scale, a joined file's in its own", "QUICKTIMETEXT",
         "{QTtext}\n{timeScale:30}\n[00:00:01.15]\nHalf\n[00:00:02.00]\n{QTtext}\n{timeScale:1000}\n"
         "[00:00:03.250]\nMs\n[00:00:04.000]\n",
         {{1500, 2000, "Half"}, {3250, 4000, "Ms"}}},
        {"QuickTime without a time scale counts hundredths, as the program writes it", "QUICKTIMETEXT",
         "[00:00:01.15]\nA\n[00:00:02.00]\n", {{1150, 2000, "A"}}},
        {"QuickTime files joined: the second header is no caption", "QUICKTIMETEXT",
         QString(kQtHeader) + "[00:00:01.00]\nOne\n[00:00:02.00]\n\n" + kQtHeader + "[00:00:03.00]\nTwo\n[00:00:04.00]\n",
         {{1000, 2000, "One"}, {3000, 4000, "Two"}}},
        {"QuickTime text before any time, and a last caption that nothing ends", "QUICKTIMETEXT",
         QString(kQtHeader) + "stray\n[00:00:01.00]\nOne\n[00:00:02.00]\nNo end\n",
         {{1000, 2000, "One"}, {2000, 2000 + kDefaultCaptionMs, "No end"}}, 0, 1},
        {"AQTitle chained", "AQTITLE", "-->> 25\nOne\n-->> 50\nTwo\n-->> 75\n\n-->> 100\nThree\n-->> 125\n",
         {{1000, 2000, "One"}, {2000, 3000, "Two"}, {4000, 5000, "Three"}}},
        {"AQTitle: text before any marker is told", "AQTITLE", "title\n-->> 25\nOne\n-->> x\n-->> 50\n",
         {{1000, 2000, "One|-->> x"}}, 0, 1},
        {"TMPlayer captions that each run until the next", "TMPLAYER",
         "00:00:01,1=One\n00:00:03,1=Two\n00:00:03,2=lines\n00:00:05,1=Three\n00:00:07,1=\n",
         {{1000, 3000, "One"}, {3000, 5000, "Two|lines"}, {5000, 7000, "Three"}}},
        {"TMPlayer lines of another layout are told", "TMPLAYER",
         "00:00:01=Other\n00:00:02,2=stray\n00:00:03,1=Real\n00:00:04,1=\n", {{3000, 4000, "Real"}}, 0, 2},
        {"JacoSub without a resolution counts thirtieths", "JACOSUB",
         "#TITLE film\n0:00:01.15 0:00:02.00 D Half\\nline\n", {{1500, 2000, "Half|line"}}},
        {"JacoSub files joined, the second with its own resolution", "JACOSUB",
         "#TIMERES 100\n0:00:01.15 0:00:02.00 D One\n#TITLE second\n#TIMERES 25\n0:00:03.05 0:00:04.00 D Two\n",
         {{1150, 2000, "One"}, {3200, 4000, "Two"}}},
        {"JacoSub lines the reader does not know are told", "JACOSUB",
         "#TIMERES 100\n0:00:01.00 0:00:02.00 VM Top\n@25 @50 D Frames\n0:00:03.00 0:00:04.00 D Read\n",
         {{3000, 4000, "Read"}}, 0, 2},
        {"LRC tags of its own are told, the program's own one is not", "KARAOKELRC",
         "[by:Quenlark Scrivelle]\n[ti:Song]\n[ar:Someone]\n[al:]\n[00:01.00]One\n[00:02.00]\n",
         {{1000, 2000, "One"}}, 0, 0, 0, kLeftHeader},
        {"LRC offset shows every line earlier, wherever it stands", "KARAOKELRC",
         "[00:01.00]One\n[00:02.00]\n[offset:+500]\n", {{500, 1500, "One"}}},
        {"LRC negative offset, and one that moves a time before the start", "KARAOKELRC",
         "[offset:-250]\n[00:01.00]One\n[00:02.00]\n", {{1250, 2250, "One"}}},
        {"LRC offset beyond the first time", "KARAOKELRC", "[offset:1500]\n[00:01.00]One\n[00:03.00]\n",
         {{0, 1500, "One"}}, 0, 0, 1},
        {"LRC offset that is no number, and a line that is neither tag nor time", "KARAOKELRC",
         "[offset:soon]\nplain words\n[00:01.00]One\n[00:02.00]\n", {{1000, 2000, "One"}}, 0, 1, 0, kLeftHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const tReadOutcome got = Parse(c.id, c.text, 25, true);
        EXPECT_EQ(got.captions, c.captions);
        EXPECT_EQ(got.skipped, c.skipped);
        EXPECT_EQ(got.unreadLines, c.unread) << qPrintable(got.unreadSamples.join(" / "));
        EXPECT_EQ(got.negativeTimes, c.negative);
        EXPECT_EQ(got.leftOut, c.leftOut);
    }
}

// Captions that overlap, untimed ones among timed ones, several lines, lines like other layouts'
// time lines and headers: the program's own files in these formats read back as written, with
// nothing told.
TEST_F(ReaderTest, TimeLineFormatsReadTheirOwnFilesBack) {
    const Captions doc{{1000, 4000, "Long|two lines"}, {0, 0, "Untimed"}, {3000, 5000, "Overlaps"},
                       {5000, 6000, "Says|{font:Arial}|[00:00:04.0]|-->> x|#TIMERES 5"}};
    for (const char* id : {"QUICKTIMETEXT", "AQTITLE", "TMPLAYER", "JACOSUB", "KARAOKELRC"}) {
        SCOPED_TRACE(id);
        Captions expected = doc;
        // Lyrics write a line break as a blank.
        if (QString(id) == "KARAOKELRC") {
            expected[0].text.replace('|', ' ');
            expected[3].text.replace('|', ' ');
        }
        const tReadOutcome got = Parse(id, QString::fromLatin1(Write(id, doc)), 25, true);
        EXPECT_EQ(got.captions, expected);
        EXPECT_FALSE(ReadLostContent(got));
    }
}
