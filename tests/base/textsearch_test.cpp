// The short exact searches agree with Qt's own, over texts built from the characters that make
// tags and arrows (so that near misses, overlaps and needles joined by a removal all occur).
#include "base/textsearch.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString RandomText(std::mt19937& rng, int maxLength) {
    static const char16_t kAlphabet[] = u"<</b>--->B";
    std::uniform_int_distribution<int> length(0, maxLength), pick(0, 9);
    // Long enough now and then for the eight-character steps.
    QString s;
    for (int n = length(rng); n > 0; --n)
        s += QChar(kAlphabet[pick(rng)]);
    return s;
}

TEST(TextSearch, AgreesWithQt) {
    struct Case {
        QString text, needle;
        qsizetype from;
    };
    const Case table[] = {
        {"", "<b>", 0},          {"<b>", "<b>", 0},      {"x<b>", "<b>", 1},   {"x<b>", "<b>", 2},
        {"<b", "<b>", 0},        {"a-->b", "-->", 0},    {"--->", "-->", 0},   {"-->", "-->", 3},
        {"-->", "-->", 9},       {"abc", "", 0},       {"abc", "", 3},
        {"abc", "", 4},          {"caf\u00e9", "\u00e9", 0},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(qPrintable(c.text + " / " + c.needle));
        EXPECT_EQ(FindText(c.text, c.needle, c.from), QStringView(c.text).indexOf(c.needle, c.from));
    }
    std::mt19937 rng(25);
    for (int i = 0; i < 4000; ++i) {
        const QString text = RandomText(rng, i % 5 == 0 ? 70 : 24), needle = RandomText(rng, 4);
        if (needle.isEmpty()) continue;
        SCOPED_TRACE(qPrintable(text + " / " + needle));
        const qsizetype from = std::uniform_int_distribution<qsizetype>(0, text.size())(rng);
        ASSERT_EQ(FindText(text, needle, from), QStringView(text).indexOf(needle, from));
        ASSERT_EQ(ContainsText(text, needle), text.contains(needle));
        ASSERT_EQ(FindChar(text, needle[0], from), QStringView(text).indexOf(needle[0], from));
        QString mine = text, qts = text;
        RemoveText(mine, needle);
        qts.remove(needle, Qt::CaseSensitive);
        ASSERT_EQ(mine, qts);
    }
}

TEST(TextSearch, RemovalLeavesWhatItJoinsAndSharedCopiesAlone) {
    QString text = "<</b>/b>x</b>";
    const QString copy = text;
    RemoveText(text, u"</b>");
    EXPECT_EQ(text, "</b>x");
    EXPECT_EQ(copy, "<</b>/b>x</b>");
}

} // namespace
