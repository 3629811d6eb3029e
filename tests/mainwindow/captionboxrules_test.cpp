// The rules of the caption and time boxes and the preview caption's place and text, without
// any widget.
#include "mainwindow/captionboxrules.h"
#include "mainwindow/mainpreview.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

namespace {

const QString kZero = QStringLiteral("00:00:00,000");

TEST(TimeBoxRules, TheCaretAfterAChangeWalksOverTheSeparators) {
    struct Case {
        int p;
        bool back;
        int expected;
    };
    const Case cases[] = {// Going on: a separator is skipped, the end stays on the last digit.
                          {1, false, 1},
                          {2, false, 3},
                          {5, false, 6},
                          {8, false, 9},
                          {11, false, 11},
                          {12, false, 11},
                          {0, false, 0},
                          // Going back: onto the digit before the one just written.
                          {0, true, 0},
                          {1, true, 0},
                          {2, true, 0},
                          {4, true, 1},
                          {5, true, 3},
                          {7, true, 4},
                          {10, true, 7},
                          {12, true, 10}};
    for (const Case& c : cases)
        EXPECT_EQ(TimeBox::CaretAfterChange(c.p, c.back), c.expected) << c.p << (c.back ? " back" : "");
}

TEST(TimeBoxRules, ArrowsMoveDigitByDigit) {
    // From each digit: the one before and the one after, the ends staying where they are.
    const int digits[] = {0, 1, 3, 4, 6, 7, 9, 10, 11};
    for (size_t i = 0; i < std::size(digits); ++i) {
        EXPECT_EQ(TimeBox::CaretAfterLeft(digits[i]), digits[i == 0 ? 0 : i - 1]) << digits[i];
        EXPECT_EQ(TimeBox::CaretAfterRight(digits[i]), digits[std::min(i + 1, std::size(digits) - 1)])
            << digits[i];
    }
}

TEST(TimeBoxRules, OnlyDigitsGetThroughAndBackspaceWritesZero) {
    for (const char c : {'0', '5', '9'})
        EXPECT_TRUE(TimeBox::FilterChar(QLatin1Char(c), false).accepted) << c;
    for (const char c : {'a', ' ', ',', '/', '<', '-', '.', ':', ';'})
        EXPECT_FALSE(TimeBox::FilterChar(QLatin1Char(c), false).accepted) << c;
    const TimeBox::TypedChar back = TimeBox::FilterChar(QChar(), true);
    EXPECT_TRUE(back.accepted);
    EXPECT_TRUE(back.back);
    EXPECT_EQ(back.ch, QLatin1Char('0'));
}

TEST(TimeBoxRules, TypingOverwritesAndMovesOn) {
    // Six digits from the start fill hours, minutes and seconds.
    TimeBox::Typed t{kZero, 0};
    for (const char c : {'1', '2', '3', '4', '5', '6'})
        t = TimeBox::Type(t.text, t.selStart, QLatin1Char(c), false);
    EXPECT_EQ(t.text, "12:34:56,000");
    EXPECT_EQ(t.selStart, 9);
    // The last digit keeps the selection; a text a paste made short gets the digit appended,
    // never beyond twelve characters.
    EXPECT_EQ(TimeBox::Type(kZero, 11, QLatin1Char('7'), false).selStart, 11);
    EXPECT_EQ(TimeBox::Type(QStringLiteral("00:00:01,5"), 10, QLatin1Char('0'), false).text, "00:00:01,50");
    EXPECT_EQ(TimeBox::Type(kZero, 12, QLatin1Char('1'), false).text, kZero);
}

TEST(TimeBoxRules, TheShapeNeedsItsSeparatorsAndTwelveCharacters) {
    for (const char* ok : {"00:00:00,000", "99:59:59,999", "0;:00:00,000"})
        EXPECT_TRUE(TimeBox::ShapeOk(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"00:0000,000", "00:00:00.000", "00:00:00,00", "00:00:00,0000", "", "1:00:00,000"})
        EXPECT_FALSE(TimeBox::ShapeOk(QString::fromLatin1(bad))) << bad;
}

TEST(CaptionBoxRules, LineBreaksBecomeTheMarkerAndBack) {
    const QString m = QStringLiteral("[br]");
    EXPECT_EQ(CaptionBox::ToCaption(QStringLiteral("a\nb\r\nc\rd"), m), "a[br]b[br]c[br]d");
    EXPECT_EQ(CaptionBox::ToCaption(QStringLiteral("a") + QChar(QChar::ParagraphSeparator) + "b", m),
              "a[br]b");
    EXPECT_EQ(CaptionBox::ToBox(QStringLiteral("a[br]b[br]c"), m), "a\nb\nc");
}

TEST(CaptionBoxRules, ACaptionFromTheBoxHasNoEmptyLines) {
    struct Case {
        const char* box;
        const char* marker;
        const char* caption;
    };
    const Case cases[] = {
        {"one\ntwo", "|", "one|two"},
        {"one\n", "|", "one"}, // the last line deleted, its break left
        {"one\n\n\n", "|", "one"},
        {"\none", "|", "one"},                // the first line deleted
        {"one\n\ntwo", "|", "one|two"},       // a blank line inside a caption ends it in a file
        {"one\n  \t\ntwo", "|", "one|two"},   // blanks are no line
        {" one \n two ", "|", " one | two "}, // a line's own blanks stay
        {"\n", "|", ""},
        {"\n \n", "|", ""},
        {"", "|", ""},
        {"one\n<i>", "|", "<i>one"}, // a tag on its own line stays with the caption
        {"<b> \none\n<u>", "|", "<b><u>one"},
        {"<i>one\n", "|", "<i>one"},
        {"one|", "|", "one"}, // a marker typed at the end is a line break too
        {"one\r\n", "[br]", "one"},
        {"one\n\ntwo", "[br]", "one[br]two"},
        {"one\n\ntwo\n", "/n", "one/ntwo"},
        {"one\xe2\x80\xa9", "|", "one"}, // a pasted paragraph separator
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaptionBox::ToCaption(QString::fromUtf8(c.box), QLatin1String(c.marker)),
                  QString::fromUtf8(c.caption))
            << c.box << " with " << c.marker;

    // Over random texts: never a marker at either end or twice in a row, and every line that
    // holds something is kept, in its order.
    const QString pieces[] = {QStringLiteral("a"), QStringLiteral(" "),   QStringLiteral("\n"),
                              QStringLiteral("|"), QStringLiteral("<i>"), QStringLiteral("bc")};
    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        QString box;
        const int length = int(seed % 9);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            box += pieces[(seed >> 16) % std::size(pieces)];
        }
        seed = seed * 1103515245u + 12345u;
        const QString caption = CaptionBox::ToCaption(box, QStringLiteral("|"));
        EXPECT_FALSE(caption.startsWith(QLatin1Char('|')) || caption.endsWith(QLatin1Char('|')) ||
                     caption.contains(QLatin1String("||")))
            << qPrintable(box);
        // Tags may move to the front; apart from them the lines are the box's lines that hold
        // something.
        const QString tag = QStringLiteral("<i>");
        EXPECT_EQ(caption.count(tag), box.count(tag)) << qPrintable(box);
        QStringList kept;
        for (const QString& line :
             QString(box).remove(tag).replace(QLatin1Char('\n'), QLatin1Char('|')).split(QLatin1Char('|')))
            if (!line.trimmed().isEmpty()) kept << line;
        EXPECT_EQ(QString(caption).remove(tag), kept.join(QLatin1Char('|'))) << qPrintable(box);
    }
}

TEST(CaptionBoxRules, AMarkerChangeConvertsEveryOccurrence) {
    struct Case {
        const char* text;
        const char* oldMarker;
        const char* newMarker;
        const char* expected;
    };
    const Case cases[] = {
        {"one|two|three", "|", "/n", "one/ntwo/nthree"},
        {"a[br]b[br]", "[br]", "|", "a|b|"},
        {"no marker", "|", "/n", "no marker"},
        // A new marker holding the old one is not converted twice.
        {"a|b", "|", "||", "a||b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaptionBox::ConvertMarker(QString::fromUtf8(c.text), QString::fromUtf8(c.oldMarker),
                                            QString::fromUtf8(c.newMarker)),
                  QString::fromUtf8(c.expected))
            << c.text;
    for (const char* blank : {"", " ", "  \t"})
        EXPECT_FALSE(CaptionBox::MarkerOk(QLatin1String(blank))) << '"' << blank << '"';
    EXPECT_TRUE(CaptionBox::MarkerOk(QStringLiteral(" # ")));
}

TEST(PreviewCaption, PlaceFollowsThePlacementAndTheShadow) {
    struct Case {
        int height, label, placement, shadow;
        int top;
    };
    const Case cases[] = {
        {400, 60, 100, 1, 340}, // bottom on the picture's bottom
        {400, 60, 90, 1, 306},  // (400 - 60) * 90 \ 100
        {400, 60, 20, 3, 68},   // near the top
        {40, 60, 90, 0, -18},   // a picture lower than the caption: above its top edge
        {401, 60, 33, 2, 112},  // truncated
    };
    for (const Case& c : cases) {
        const CaptionPlace p = PlaceCaptionIn(640, c.height, c.label, c.placement, c.shadow);
        EXPECT_EQ(p.caption, QRect(8, c.top, 624, c.label)) << c.placement;
        EXPECT_EQ(p.shadow, QRect(8 + c.shadow, c.top + c.shadow, 624, c.label)) << c.placement;
    }
    EXPECT_EQ(PlaceCaptionIn(10, 100, 20, 90, 1).caption.width(), 0);
}

TEST(PreviewCaption, TextLosesTagsAndBreaksAtTheMarker) {
    EXPECT_EQ(PreviewText(QStringLiteral("<b><i>Hello|World"), QStringLiteral("|")), "Hello\nWorld");
    EXPECT_EQ(PreviewText(QStringLiteral("a/nb/nc<u>"), QStringLiteral("/n")), "a\nb\nc");
    // Anything else that looks like markup stays as it is.
    EXPECT_EQ(PreviewText(QStringLiteral("<img src=x>a<b"), QStringLiteral("|")), "<img src=x>a<b");
}

} // namespace
