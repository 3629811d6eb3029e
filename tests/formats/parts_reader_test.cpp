// A large SubRip text is read in parts at once. Whatever the text holds, the outcome is the one
// reading from start to end gives: the same captions in the same order, the same counts of
// skipped captions and late times, the same stop at the caption limit.
#include "formats/reader_fixture.h"

#include "document/timecode.h"
#include "formats/detect.h"

#include <random>

namespace {

class PartsReaderTest : public FormatsTest {
protected:
    void SetUp() override {
        FormatsTest::SetUp();
        ASSERT_TRUE(LoadFormatDefinition(QStringLiteral("SUBRIP"), false, false));
        setup.def = gFormatDef;
        setup.lineBreak = QStringLiteral("|");
    }

    tReadOutcome Read(const tFileText& text, int parts) {
        setup.parts = parts;
        setup.partChars = 1; // parts of any size, so that small texts are split too
        return ParseSubtitleText(text, setup);
    }

    // Reads text whole and in 2, 3, 7 and 40 parts, as decoded text and (where it is ASCII) as
    // bytes, and compares every outcome with the whole one.
    void ExpectSameInParts(const QString& text, int limit = kImportLimit) {
        setup.limit = limit;
        const tReadOutcome whole = Read(tFileText(text), 1);
        const QByteArray bytes = text.toLatin1();
        const bool ascii = IsAsciiBytes(bytes) && QString::fromLatin1(bytes) == text;
        for (const int parts : {2, 3, 7, 40}) {
            SCOPED_TRACE(parts);
            ExpectSame(Read(tFileText(text), parts), whole);
            if (ascii) ExpectSame(Read(tFileText::AsciiBytes(bytes), parts), whole);
            // Left in pieces, the captions are the same one after the other.
            setup.keepPieces = true;
            tReadOutcome pieces = Read(tFileText(text), parts);
            setup.keepPieces = false;
            for (std::vector<tImportCaption>& piece : pieces.pieces)
                pieces.captions.insert(pieces.captions.end(), piece.begin(), piece.end());
            ExpectSame(pieces, whole);
        }
    }

    static void ExpectSame(const tReadOutcome& got, const tReadOutcome& want) {
        ASSERT_EQ(got.captions.size(), want.captions.size());
        for (size_t i = 0; i < got.captions.size(); ++i)
            ASSERT_EQ(got.captions[i], want.captions[i]) << "caption " << i;
        EXPECT_EQ(got.skipped, want.skipped);
        EXPECT_EQ(got.clampedTimes, want.clampedTimes);
        EXPECT_EQ(got.negativeTimes, want.negativeTimes);
        EXPECT_EQ(got.leftOut, want.leftOut);
        EXPECT_EQ(got.limitReached, want.limitReached);
        EXPECT_EQ(got.aborted, want.aborted);
        EXPECT_EQ(got.formatId, want.formatId);
    }

    tReadSetup setup;
};

QString Caption(int n, const QString& times, const QString& text, const QString& end = "\n") {
    return QString::number(n) + end + times + end + text + end + end;
}

TEST_F(PartsReaderTest, SameAsReadingWhole) {
    const QString t = QStringLiteral("00:00:01,000 --> 00:00:02,500");
    QString many;
    for (int i = 1; i <= 60; ++i)
        many +=
            Caption(i, t, i % 3 ? QStringLiteral("line %1\n<i>two</i>").arg(i) : QStringLiteral("<b>x</b>"));
    const struct {
        const char* name;
        QString text;
        int limit = kImportLimit;
    } cases[] = {
        {"LF", many},
        {"CR LF", QString(many).replace("\n", "\r\n")},
        {"lone CR", QString(many).replace("\n", "\r")},
        {"blank lines of blanks and tabs", QString(many).replace("\n\n", "\n \t\n")},
        {"no blank line between captions", QString(many).replace("\n\n", "\n")},
        {"blank lines doubled, no end", "\n\n" + QString(many).replace("\n\n", "\n\n\n\n").chopped(2)},
        {"text without a time line, numbers without text",
         QString(many)
                 .replace("00:00:01,000 --> 00:00:02,500\nline 1", "broken\nline 1")
                 .replace("<b>x</b>\n", "") +
             "7\n\n8\nstray\n"},
        {"times past the largest", QString(many).replace("00:00:01,000", "123:00:01,000")},
        {"caption limit inside a part", many, 25},
        {"caption limit at the very end", many, 60},
        {"caption limit of none", many, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectSameInParts(c.text, c.limit);
    }
}

// Texts of SubRip-like lines in any order: wherever the parts begin, the read is the same.
TEST_F(PartsReaderTest, SameAsReadingWholeWhateverTheLines) {
    const QString lines[] = {"",
                             " ",
                             "\t",
                             "1",
                             "42",
                             "00:00:01,000 --> 00:00:02,000",
                             "-00:00:01,000 --> 00:00:02,000",
                             "-->",
                             "txt",
                             "<i>it</i>",
                             "<b>bold</b> in part",
                             "00:01:00.5 --> 00:01:02,25 X1:1",
                             "999:00:00,000 --> 999:00:01,000",
                             "caf\u00e9",
                             "\r"};
    const QString ends[] = {"\n", "\r\n", "\r"};
    std::mt19937 rng(25);
    std::uniform_int_distribution<size_t> pick(0, std::size(lines) - 1), end(0, 2);
    for (int round = 0; round < 60; ++round) {
        QString text;
        for (int k = 0; k < 200; ++k)
            text += lines[pick(rng)] + ends[end(rng)];
        SCOPED_TRACE(round);
        ExpectSameInParts(text, round % 5 == 0 ? 30 : kImportLimit);
        if (HasFatalFailure()) return;
    }
}

TEST_F(PartsReaderTest, CancelledInTheFirstPartStopsEveryPart) {
    QString text;
    for (int i = 1; i <= 500; ++i)
        text += Caption(i, QStringLiteral("00:00:01,000 --> 00:00:02,000"), QStringLiteral("x"));
    int polls = 0;
    setup.poll = [&polls] { return ++polls == 2; };
    const tReadOutcome out = Read(tFileText(text), 4);
    EXPECT_TRUE(out.aborted);
    EXPECT_EQ(polls, 2);
    EXPECT_LT(out.captions.size(), 500u);
}

// A large file opened and appended as the file commands do: the grid holds its captions in
// order, the appended ones behind the media.
class PartsImportTest : public ReaderTest {};

TEST_F(PartsImportTest, OpenAndAppendALargeFile) {
    QByteArray srt;
    for (int i = 0; i < 7000; ++i) {
        const QString t = MsToTime(i * 1000).replace(u'.', u',');
        srt += QStringLiteral("%1\r\n%2 --> %2\r\nCaption %1 of a file large enough to be read in parts\r\n"
                              "<i>second line</i>\r\n\r\n")
                   .arg(i + 1)
                   .arg(t)
                   .toLatin1();
    }
    ASSERT_GT(srt.size(), 2 * tReadSetup().partChars);
    std::vector<tSubtitleLine> want = Parse("SUBRIP", QString::fromLatin1(srt)).captions;
    ASSERT_EQ(want.size(), 7000u);
    const QString path = WriteFile("large.srt", srt);
    // Each caption's second line alone is in italics: the user is told so.
    msgbox.Answer(vbOK);
    Open(path);
    EXPECT_EQ(Document(), want);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_TRUE(msgbox.last().text.contains("style changes within captions"));

    gOnGetMediaLength = [] { return 9000; };
    msgbox.Answer(vbOK);
    msgbox.Answer(vbOK);
    gAbortLoad = false;
    ImportSubtitleFile(path, false, true);
    for (size_t i = 0; i < 7000; ++i) {
        tSubtitleLine moved = want[i];
        moved.start += 9000000;
        moved.end += 9000000;
        want.push_back(moved);
    }
    EXPECT_EQ(Document(), want);
}

} // namespace
