// A file of ASCII bytes is read a line at a time from its bytes: its lines, its detection and
// every format's reading are exactly those of the text decoded as a whole.
#include "formats/reader_fixture.h"

#include "formats/detect.h"
#include "formats/textops.h"

#include <random>

namespace {

std::vector<QString> LinesOf(const tFileText& text, int stopAfter = -1) {
    std::vector<QString> lines;
    text.ForEachLine([&](QStringView line) {
        // Null and empty are told apart: a null line would read differently in places.
        lines.push_back(line.isNull() ? QString() : line.toString());
        if (line.isNull()) lines.back() = QStringLiteral("<null>");
        return int(lines.size()) != stopAfter;
    });
    return lines;
}

// The lines trimmed, as texts of their own.
std::vector<QString> OwnedLinesOf(const tFileText& text) {
    std::vector<QString> lines;
    text.ForEachOwnedLine([&](QString line) {
        lines.push_back(std::move(line));
        return true;
    });
    return lines;
}

std::vector<QString> TrimmedLinesOf(const QString& text) {
    std::vector<QString> lines;
    ForEachLine(text, [&](QStringView line) {
        lines.push_back(TrimLine(line).toString());
        return true;
    });
    return lines;
}

TEST(AsciiLines, SameLinesAsTheDecodedText) {
    const QByteArray table[] = {
        "",         "a",          "a\n",         "a\r\nb",    "a\rb\r",         "\n\n\r\r\n",
        "\r",       "x\r\r\ny\n", "  tab\t\nz ", QByteArray("a\0b\nc", 5), QByteArray(700, 'q') + "\nshort\n" + QByteArray(300, 'r'),
    };
    for (const QByteArray& bytes : table) {
        SCOPED_TRACE(bytes.left(40).constData());
        const QString decoded = QString::fromLatin1(bytes);
        ASSERT_TRUE(IsAsciiBytes(bytes));
        EXPECT_EQ(LinesOf(tFileText::AsciiBytes(bytes)), LinesOf(tFileText(decoded)));
        EXPECT_EQ(LinesOf(tFileText::AsciiBytes(bytes), 2), LinesOf(tFileText(decoded), 2));
        EXPECT_EQ(tFileText::AsciiBytes(bytes).size(), decoded.size());
        EXPECT_EQ(OwnedLinesOf(tFileText::AsciiBytes(bytes)), TrimmedLinesOf(decoded));
        EXPECT_EQ(OwnedLinesOf(tFileText(decoded)), TrimmedLinesOf(decoded));
    }
    // Bytes above ASCII: UTF-8 (byte-order marks among the blanks a line is trimmed of, a broken
    // sequence) and a code page of one byte a character, widened a line at a time.
    const QByteArray other[] = {
        "\xC3\xA9t\xC3\xA9 \r\n \t\xC3\xA9", " \xEF\xBB\xBF a\xEF\xBB\xBF \xEF\xBB\xBF\nb\xEF\xBB\xBF",
        "\xE2\x82 x\r\xF0\x9F\x98\x80\r\n", "\xE9 \x80\n\xFF\xA0\r\ra",
    };
    for (const QByteArray& bytes : other) {
        SCOPED_TRACE(bytes.toHex().constData());
        const QString utf8 = DecodeFileText(bytes, tTextEncoding::Utf8);
        EXPECT_EQ(LinesOf(tFileText::Utf8Bytes(bytes)), LinesOf(tFileText(utf8)));
        EXPECT_EQ(OwnedLinesOf(tFileText::Utf8Bytes(bytes)), TrimmedLinesOf(utf8));
        QString mapped = QString::fromLatin1(bytes);
        for (QChar& c : mapped)
            if (c.unicode() >= 0x80) c = QChar(u'\u0400' + c.unicode());
        QString highHalf(128, Qt::Uninitialized);
        for (int b = 0; b < 128; ++b)
            highHalf[b] = QChar(u'\u0480' + b);
        const tFileText single = tFileText::SingleByteText(bytes, highHalf);
        EXPECT_EQ(LinesOf(single), LinesOf(tFileText(mapped)));
        EXPECT_EQ(OwnedLinesOf(single), TrimmedLinesOf(mapped));
        std::vector<QString> pieces;
        single.ForEachPiece(2, [&](QStringView piece, bool) {
            pieces.push_back(piece.toString());
            return true;
        });
        std::vector<QString> expected;
        tFileText(mapped).ForEachPiece(2, [&](QStringView piece, bool) {
            expected.push_back(piece.toString());
            return true;
        });
        EXPECT_EQ(pieces, expected);
    }

    // Line ends at every place a sixteen-byte step can put them, lines of every length.
    std::mt19937 rng(16);
    std::uniform_int_distribution<int> pick(0, 9), length(0, 90);
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes;
        for (int k = length(rng); k > 0; --k)
            bytes += "ab\r\n x\t\r\n-"[pick(rng)];
        if (i % 7 == 0) bytes += QByteArray(length(rng) * 9, 'w');
        SCOPED_TRACE(bytes.constData());
        const QString decoded = QString::fromLatin1(bytes);
        ASSERT_EQ(LinesOf(tFileText::AsciiBytes(bytes)), LinesOf(tFileText(decoded)));
    }
    EXPECT_FALSE(IsAsciiBytes(QByteArray(40, 'a') + "\x80"));
    EXPECT_FALSE(IsAsciiBytes("caf\xC3\xA9"));
}

class AsciiReadTest : public ReaderTest {};

// Every format's file (and mutations of it that stay ASCII) detected and read by every format's
// parser both ways.
TEST_F(AsciiReadTest, DetectionAndEveryParserAgree) {
    const std::vector<tSubtitleLine> seed{
        {1000, 2500, "<i>First|line two"}, {3000, 4000, "a < b & c --> d"}, {3723450, 3725010, "<B><u>Late</U>|x"},
    };
    std::vector<tFormatDef> defs{PlainTextDefinition()};
    for (int i = 1; i <= gFormatMax; ++i) {
        ASSERT_TRUE(LoadFormatDefinition(gFormatIds[i], false, false));
        defs.push_back(gFormatDef);
    }
    std::mt19937 rng(2512);
    std::uniform_int_distribution<int> ascii(0, 127);
    for (int i = 0; i <= gFormatMax; ++i) {
        SCOPED_TRACE(qPrintable(gFormatIds[i]));
        QByteArray bytes = Write(gFormatIds[i], seed);
        for (int m = 0; m < 3; ++m) {
            if (m > 0 && !bytes.isEmpty()) {
                for (int k = 0; k < 4; ++k)
                    bytes[std::uniform_int_distribution<qsizetype>(0, bytes.size() - 1)(rng)] = char(ascii(rng));
            }
            if (!IsAsciiBytes(bytes)) continue;
            const QString decoded = QString::fromLatin1(bytes);
            const tDetection asText = DetectFormat(tFileText(decoded));
            const tFormatDef defAsText = gFormatDef;
            const tDetection asBytes = DetectFormat(tFileText::AsciiBytes(bytes));
            ASSERT_EQ(asBytes.index, asText.index);
            ASSERT_EQ(asBytes.timedSample, asText.timedSample);
            ASSERT_EQ(gFormatDef.Timecode, defAsText.Timecode);
            for (size_t d = 0; d < defs.size(); ++d) {
                tReadSetup setup;
                setup.def = defs[d];
                setup.plainText = d == 0;
                setup.fps = 25.0f;
                setup.timedSample = asText.timedSample;
                setup.lineBreak = gLineBreak;
                setup.limit = 2 + m;
                const tReadOutcome a = ParseSubtitleText(tFileText(decoded), setup);
                const tReadOutcome b = ParseSubtitleText(tFileText::AsciiBytes(bytes), setup);
                ASSERT_EQ(a.captions.size(), b.captions.size()) << qPrintable(defs[d].Id);
                for (size_t c = 0; c < a.captions.size(); ++c) {
                    ASSERT_EQ(a.captions[c].start, b.captions[c].start);
                    ASSERT_EQ(a.captions[c].end, b.captions[c].end);
                    ASSERT_EQ(a.captions[c].text, b.captions[c].text);
                }
                ASSERT_EQ(a.skipped, b.skipped);
                ASSERT_EQ(a.clampedTimes, b.clampedTimes);
                ASSERT_EQ(a.limitReached, b.limitReached);
                ASSERT_EQ(a.formatId, b.formatId);
            }
        }
    }
}

// Taking matches out in place gives what replacing them with nothing gives.
TEST(RemoveMatches, AgreesWithReplacingByNothing) {
    const struct {
        QString text, find;
        Qt::CaseSensitivity cs;
    } table[] = {
        {"<I>a<i>b</I>", "<i>", Qt::CaseInsensitive},   {"<<i>i>x", "<i>", Qt::CaseInsensitive},
        {"<B>a<b>", "<b>", Qt::CaseSensitive},           {"\u212a<k>", "<K>", Qt::CaseInsensitive},
        {"<\u212a>x<k>", "<k>", Qt::CaseInsensitive},    {"\u00c9T\u00c9<i>", "<I>", Qt::CaseInsensitive},
        {"none", "<u>", Qt::CaseInsensitive},            {"abc", "", Qt::CaseInsensitive},
        {"aAaA", "aa", Qt::CaseInsensitive},             {"", "x", Qt::CaseInsensitive},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(qPrintable(c.text + " / " + c.find));
        QString text = c.text;
        const QString shared = text;
        RemoveMatches(text, c.find, c.cs);
        EXPECT_EQ(text, ReplaceText(c.text, c.find, u"", c.cs));
        EXPECT_EQ(shared, c.text);
    }
}

} // namespace
