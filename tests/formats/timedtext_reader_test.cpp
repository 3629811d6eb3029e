// Timed text (TTML and its family) as tools write it, lyrics files among them, read as its text
// comes: however the text is cut into pieces the captions are the same, and the read stops at
// the caption limit.
#include "formats/reader_fixture.h"

#include "formats/detect.h"
#include "formats/readerpaths.h"

namespace {

using Captions = std::vector<tSubtitleLine>;

const QString kTt =
    "<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:ttp=\"http://www.w3.org/ns/ttml#parameter\" ";

// Word-timed lyrics as a music service writes them: parts of the song as divs with their own
// begin and end, each line a paragraph with its words in spans, times in seconds or m:ss.fff.
const QByteArray kWordTimedLyrics =
    R"(<tt xmlns="http://www.w3.org/ns/ttml" xmlns:itunes="http://music.apple.com/lyric-ttml-internal" xmlns:ttm="http://www.w3.org/ns/ttml#metadata" itunes:timing="Word" xml:lang="en">
  <head>
    <metadata>
      <ttm:agent type="person" xml:id="v1"/>
    </metadata>
  </head>
  <body dur="3:32.448">
    <div begin="19.764" end="45.100" itunes:songPart="Verse">
      <p begin="19.764" end="23.510" ttm:agent="v1" itunes:key="L1">
        <span begin="19.764" end="20.100">Hello</span>
        <span begin="20.100" end="20.810">darkness</span>
        <span begin="20.810" end="23.510">friend</span>
      </p>
      <p begin="24.002" end="28.338" ttm:agent="v1" itunes:key="L2">
        <span begin="24.002" end="24.400">I've</span>
        <span begin="24.400" end="28.338">come</span>
      </p>
    </div>
    <div begin="1:02.100" end="1:10.000" itunes:songPart="Chorus">
      <p begin="1:02.100" end="1:05.750" ttm:agent="v1" itunes:key="L3">
        <span begin="1:02.100" end="1:02.900">Be</span><span begin="1:02.900" end="1:03.400">cause</span>
        <span ttm:role="x-bg"><span begin="1:04.000" end="1:05.000">(a vision)</span></span>
      </p>
    </div>
  </body>
</tt>
)";

// Line-timed lyrics on one line, bare seconds.
const QByteArray kLineTimedLyrics =
    R"(<?xml version="1.0" encoding="UTF-8"?><tt xmlns="http://www.w3.org/ns/ttml" )"
    R"(xmlns:itunes="http://music.apple.com/lyric-ttml-internal" itunes:timing="Line" xml:lang="en">)"
    R"(<head><metadata/></head><body dur="200.5"><div begin="12.5" end="40.25">)"
    R"(<p begin="12.5" end="15.75">First line of the song</p><p begin="16" end="19.764">Second line</p></div>)"
    R"(<div begin="41.000" end="59.999"><p begin="41.000" end="45.5">Third line</p></div></body></tt>)";

// A lyrics editor's export: zero-padded m:ss, one span per word, no divs' times.
const QByteArray kPaddedLyrics = R"(<?xml version="1.0" encoding="utf-8"?>
<tt xmlns="http://www.w3.org/ns/ttml" xmlns:ttm="http://www.w3.org/ns/ttml#metadata">
<body><div>
	<p begin="00:05.120" end="00:08.400">
		<span begin="00:05.120" end="00:06.000">Open</span>
		<span begin="00:06.000" end="00:08.400">road</span>
	</p>
	<p begin="01:15.000" end="01:18.250"><span begin="01:15.000" end="01:18.250">Again</span></p>
</div></body>
</tt>
)";

// A lyrics tool's export timed on the words alone: the paragraphs give no times of their own.
const QByteArray kSpanTimedLyrics = R"(<tt xmlns="http://www.w3.org/ns/ttml"><body><div begin="10s">
  <p><span begin="1.5" end="2">Only</span> <span begin="2" end="2.75">words</span></p>
  <p end="6"><span begin="4">Until</span> <span dur="1s">the end</span></p>
</div></body></tt>
)";

tReadSetup TimedTextSetup(int limit = kImportLimit) {
    tReadSetup setup;
    EXPECT_TRUE(LoadFormatDefinition("TTML", false, false));
    setup.def = gFormatDef;
    setup.lineBreak = "|";
    setup.limit = limit;
    return setup;
}

// Reads a document handed over in the given pieces (the last of each line marked by a "\n" at
// its end, which is not passed on): the captions, and a last one holding what was not read.
Captions ReadPieces(const tReadSetup& setup, const QStringList& pieces) {
    tCaptionReader reader(setup);
    for (const QString& piece : pieces) {
        const bool lineEnds = piece.endsWith(u'\n');
        ReadTimedText(reader, lineEnds ? QStringView(piece).chopped(1) : QStringView(piece), lineEnds);
    }
    FinishTimedText(reader);
    reader.captions.push_back({reader.unreadLines, 0, reader.unreadSamples.join(u'/')});
    return reader.captions;
}

} // namespace

class TimedTextReaderTest : public ReaderTest {};

TEST_F(TimedTextReaderTest, LyricsFilesReadEachLineWithItsOwnTimes) {
    const struct {
        const char* what;
        QByteArray bytes;
        Captions captions;
        bool wordTimes; // the words' own times are left out, and told
    } files[] = {
        {"word-timed, parts of the song as divs with their times",
         kWordTimedLyrics,
         {{19764, 23510, "Hello darkness friend"},
          {24002, 28338, "I've come"},
          {62100, 65750, "Because (a vision)"}},
         true},
        {"line-timed on one line, bare seconds",
         kLineTimedLyrics,
         {{12500, 15750, "First line of the song"},
          {16000, 19764, "Second line"},
          {41000, 45500, "Third line"}},
         false},
        {"zero-padded minutes and seconds, tabs",
         kPaddedLyrics,
         {{5120, 8400, "Open road"}, {75000, 78250, "Again"}},
         true},
        {"timed on the words alone, in a div that moves them",
         kSpanTimedLyrics,
         {{11500, 12750, "Only words"}, {14000, 16000, "Until the end"}},
         true},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        ExpectOpensWhole("lyrics.ttml", f.bytes, "TTML", f.captions);
        EXPECT_EQ((Parse("TTML", QString::fromUtf8(f.bytes)).leftOut & kLeftInlineTimes) != 0, f.wordTimes);
    }
}

TEST_F(TimedTextReaderTest, TimeExpressions) {
    const struct {
        const char* begin;
        int ms; // -1: not a time, the paragraph is skipped
    } cases[] = {
        {"19.764", 19764},
        {" 7 ", 7000},
        {".5", 500},
        {"5.", 5000},
        {"19.764s", 19764},
        {"1200ms", 1200},
        {"2m", 120000},
        {"1h", 3600000},
        {"50f", 2000},
        {"10000000t", 1000},
        {"1:02.1", 62100},
        {"01:02.100", 62100},
        {"00:01:02.100", 62100},
        {"00:00:10:12", 10480},
        {"1:00:00", 3600000},
        {"", -1},
        {"abc", -1},
        {"1.2.3", -1},
        {"12x", -1},
        {"1::2", -1},
        {"1:2:3:4:5", -1},
        {"-5", -1},
        {"1e3", -1},
        {"1:", -1},
        {":5", -1},
        {"5 s", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.begin);
        const QString doc = kTt + "ttp:frameRate=\"25\" ttp:tickRate=\"10000000\"><body><div><p begin=\"" +
                            c.begin + "\" end=\"99999\">Text</p></div></body></tt>";
        const tReadOutcome got = Parse("TTML", doc);
        if (c.ms < 0) {
            EXPECT_TRUE(got.captions.empty());
            EXPECT_EQ(got.unreadSamples, QStringList(QString("<p begin=\"%1\" end=\"99999\">Text").arg(c.begin)));
        } else {
            EXPECT_EQ(got.captions, (Captions{{c.ms, 99999000, "Text"}}));
        }
    }
}

// A body's or div's begin moves what it holds, unless it gives its end too and holds its first
// paragraph's begin within them (a song's part whose lines carry the song's own times).
TEST_F(TimedTextReaderTest, ContainersMoveTheirParagraphsUnlessTheyHoldTheirTimes) {
    const struct {
        const char* what;
        QString body;
        Captions captions;
    } cases[] = {
        {"a div that begins later",
         "<div begin=\"10s\"><p begin=\"1s\" end=\"2s\">A</p></div>",
         {{11000, 12000, "A"}}},
        {"a part of a song",
         "<div begin=\"10s\" end=\"20s\"><p begin=\"10s\" end=\"12s\">A</p><p begin=\"15s\" "
         "end=\"16s\">B</p></div>",
         {{10000, 12000, "A"}, {15000, 16000, "B"}}},
        {"a div with an end whose paragraphs begin before it",
         "<div begin=\"10s\" end=\"20s\"><p begin=\"0s\" end=\"2s\">A</p><p begin=\"15s\" "
         "end=\"16s\">B</p></div>",
         {{10000, 12000, "A"}, {25000, 26000, "B"}}},
        {"divs inside divs, each moving what it holds",
         "<div begin=\"1s\"><div begin=\"2s\"><p begin=\"3s\" end=\"4s\">A</p></div><p begin=\"0s\" "
         "end=\"1s\">B</p></div>"
         "<p begin=\"0s\" end=\"1s\">C</p>",
         {{6000, 7000, "A"}, {1000, 2000, "B"}, {0, 1000, "C"}}},
        {"a div without a begin inside one that has it",
         "<div begin=\"5s\"><div><p begin=\"1s\" end=\"2s\">A</p></div><p begin=\"3s\" "
         "end=\"4s\">B</p></div>",
         {{6000, 7000, "A"}, {8000, 9000, "B"}}},
        {"a part of a song inside a moving div",
         "<div begin=\"100s\"><div begin=\"10s\" end=\"20s\"><p begin=\"12s\" end=\"13s\">A</p></div>"
         "<p begin=\"1s\" end=\"2s\">B</p></div>",
         {{112000, 113000, "A"}, {101000, 102000, "B"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Parse("TTML", kTt + "><body>" + c.body + "</body></tt>").captions, c.captions);
    }
}

// Every element of the document is part of a caption, markup the reader knows (or tells as left
// out), or named as not read, once.
TEST_F(TimedTextReaderTest, WhatNoCaptionHoldsIsNamed) {
    const struct {
        const char* what;
        QString body;
        Captions captions;
        QStringList unread;
    } cases[] = {
        {"paragraphs, spans, breaks, divs and comments", "<div><!-- x --><p begin=\"1s\" end=\"2s\">A<br/><span>b</span></p></div>",
         {{1000, 2000, "A|b"}}, {}},
        {"a paragraph without a time", "<div><p xml:id=\"x\">No time</p></div>", {}, {"<p xml:id=\"x\">No time"}},
        {"words in a div, outside the paragraphs",
         "<div>Loose words<p begin=\"1s\" end=\"2s\">A</p> and more </div>",
         {{1000, 2000, "A"}},
         {"Loose words", "and more"}},
        {"a description inside a paragraph",
         "<div><p begin=\"1s\" end=\"2s\">A <metadata><ttm:desc>door <span>slams</span></ttm:desc></metadata>B</p></div>",
         {{1000, 2000, "A B"}},
         {"<metadata>door slams"}},
        {"an image and an animation",
         "<div><smpte:image imagetype=\"PNG\">iVBORw0KGgo=</smpte:image><p begin=\"1s\" end=\"2s\">A<set "
         "begin=\"1.5s\" tts:color=\"red\"/></p></div>",
         {{1000, 2000, "A"}},
         {"<smpte:image imagetype=\"PNG\">iVBORw0KGgo=", "<set begin=\"1.5s\" tts:color=\"red\">"}},
        {"words after the document", "<div><p begin=\"1s\" end=\"2s\">A</p></div></body></tt>\ntrailing\n<body>",
         {{1000, 2000, "A"}}, {"trailing"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tReadOutcome got = Parse("TTML", kTt + "><head><metadata><ttm:title>Title</ttm:title></metadata></head><body>" + c.body + "</body></tt>");
        EXPECT_EQ(got.captions, c.captions);
        EXPECT_EQ(got.unreadLines, c.unread.size());
        EXPECT_EQ(got.unreadSamples, c.unread);
        EXPECT_EQ(got.skipped, 0);
    }
}

// However the text is cut (inside a tag, a quoted value, a comment, a CDATA section, a word, a
// reference, between the halves of a line end), the captions are those of reading it whole.
TEST_F(TimedTextReaderTest, AnyCutOfTheTextGivesTheSameCaptions) {
    const QString doc =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE tt>\n" + kTt +
        "ttp:frameRate=\"25\">\r\n<head><styling><style xml:id=\"s\" tts:color=\"white\"/></styling></head>\n"
        "<body><div>\n<!-- a comment with <p begin=\"1s\" end=\"2s\">no caption</p> and > inside -->\n"
        "<p begin=\"00:00:01.000\" end=\"00:00:02.000\" title='a > b'>Caf&eacute; <span "
        "tts:fontStyle=\"italic\">"
        "in</span>\n   italics</p>\n"
        "<ttml:p\n  xml:id=\"two\"\n  begin=\"3s\" dur=\"1s\"><![CDATA[<b> & ]]> markup<br/>  next "
        "line</ttml:p>"
        "<p begin=\"5s\">Until the next</p><p begin=\"00:00:07:00\" end=\"8.5\">Words  spread\tout</p>\n"
        "Stray<metadata>a <b>note</b></metadata></div></body></tt>\n";
    const tReadSetup setup = TimedTextSetup();
    const Captions whole = ReadPieces(setup, {doc});
    ASSERT_EQ(whole, (Captions{{1000, 2000, "<i>Caf\u00e9 in italics"},
                               {3000, 4000, "<b> & markup|next line"},
                               {5000, 7000, "Until the next"},
                               {7000, 8500, "Words spread out"},
                               {2, 0, "Stray/<metadata>a note"}}));
    for (qsizetype cut = 1; cut < doc.size(); ++cut) {
        SCOPED_TRACE(cut);
        ASSERT_EQ(ReadPieces(setup, {doc.left(cut), doc.mid(cut)}), whole);
    }
    for (qsizetype size = 1; size <= 7; ++size) {
        SCOPED_TRACE(size);
        QStringList pieces;
        for (qsizetype at = 0; at < doc.size(); at += size)
            pieces << doc.mid(at, size);
        EXPECT_EQ(ReadPieces(setup, pieces), whole);
    }
    // Line by line, as the lines of a file come.
    QStringList lines;
    for (const QString& line : doc.split(u'\n'))
        lines << line + u'\n';
    EXPECT_EQ(ReadPieces(setup, lines), whole);
}

TEST_F(TimedTextReaderTest, ReadingStopsAtTheCaptionLimit) {
    // Untimed paragraphs after the limit would be counted as skipped if they were read.
    QString doc = kTt + "><body><div>";
    for (int i = 0; i < 130; ++i)
        doc +=
            QString("<p begin=\"%1ms\" end=\"%2ms\">Line %3</p>").arg(i * 100).arg(i * 100 + 50).arg(i + 1);
    for (int i = 0; i < 20; ++i)
        doc += "<p>No time</p>";
    doc += "</div></body></tt>";
    const tReadSetup setup = TimedTextSetup(100);
    const tReadOutcome got = ParseSubtitleText(doc, setup);
    ASSERT_EQ(got.captions.size(), 100u);
    EXPECT_TRUE(got.limitReached);
    EXPECT_EQ(got.skipped, 0);
    EXPECT_EQ(got.captions.front(), (tSubtitleLine{0, 50, "Line 1"}));
    EXPECT_EQ(got.captions.back(), (tSubtitleLine{9900, 9950, "Line 100"}));

    // A file of more paragraphs than a document holds, all on one line, opened.
    QByteArray file = kTt.toLatin1() + "><body><div>";
    for (int i = 0; i < kImportLimit + 50; ++i)
        file += "<p begin=\"" + QByteArray::number(i) + "s\" end=\"" + QByteArray::number(i) + ".5s\">L" +
                QByteArray::number(i + 1) + "</p>";
    file += "</div></body></tt>";
    msgbox.Answer(vbOK);
    Open(WriteFile("oneline.ttml", file));
    EXPECT_EQ(OpenFormat(), "TTML");
    ASSERT_EQ(CaptionCount(), kImportLimit);
    EXPECT_EQ(GetLineText(kImportLimit), QString("L%1").arg(kImportLimit));
    EXPECT_EQ(GetLineStart(kImportLimit), (kImportLimit - 1) * 1000);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(158));
    EXPECT_TRUE(gImportTruncated);
}

// The pieces of a text are its lines, a long line cut into pieces of at most the given length:
// put together they are the lines ForEachLine gives, for every length and every kind of line end.
TEST(TextPiecesTest, PiecesPutTogetherAreTheLines) {
    const QString texts[] = {
        "", "a", "ab\ncd", "abc\r\n\r\ndef\rg\n", "\n\n\n", "x\r", "long line here\r\nshort\n\nend", "\r\n",
        "aaa\u20acaa\r\na\u20ac"};
    for (const QString& base : texts) {
        for (const bool wide : {false, true}) {
            const QString text = wide ? QString(base).replace(u'a', u'\u00e4') : base;
            const QByteArray bytes = text.toLatin1();
            QStringList lines;
            ForEachLine(QStringView(text), [&](QStringView line) {
                lines << line.toString();
                return true;
            });
            for (qsizetype most = 1; most <= 6; ++most) {
                SCOPED_TRACE(QString("\"%1\" at most %2").arg(text).arg(most).toStdString());
                const QByteArray utf8 = text.toUtf8();
                std::vector<tFileText> files{tFileText(text), tFileText::Utf8Bytes(utf8)};
                if (IsAsciiBytes(bytes) && QString::fromLatin1(bytes) == text) files.push_back(tFileText::AsciiBytes(bytes));
                for (const tFileText& file : files) {
                    QStringList joined{QString()};
                    bool open = false;
                    file.ForEachPiece(most, [&](QStringView piece, bool lineEnds) {
                        EXPECT_LE(piece.size(), most);
                        joined.last() += piece;
                        open = !lineEnds;
                        if (lineEnds) joined << QString();
                        return true;
                    });
                    EXPECT_FALSE(open);
                    joined.removeLast();
                    EXPECT_EQ(joined, lines);
                }
            }
        }
    }
}
