// Find and replace over the captions, the time shift and re-reading captions as UTF-8.
#include "base/settings.h"
#include "document/captions.h"
#include "document/findreplace.h"
#include "document/timeshift.h"
#include "support/captionlines.h"
#include "support/fixture.h"
#include "support/scoped.h"

#include <limits>
#include <vector>

namespace {

class Editing : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLineBreak = QStringLiteral("|");
    }

    // A document of the given texts; caption i runs from i * 1000 to i * 1000 + 500.
    static void Make(const QStringList& texts) { FillCaptions(texts); }
    // Captions "x" at the given times.
    static void MakeTimes(const std::vector<std::pair<int32_t, int32_t>>& times) {
        FillCaptions(QStringList(qsizetype(times.size()), QStringLiteral("x")), times);
    }
    static QStringList Texts() { return CaptionTexts(); }
};

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* with;
    bool wholeWord;
    bool matchCase;
    const char* expected;
};

} // namespace

TEST_F(Editing, ReplaceInCaptionFollowsTheMatchingRules) {
    const ReplaceCase cases[] = {
        {"The end THE", "the", "a", false, false, "a end a"},
        {"The end", "the", "a", false, true, "The end"},
        {"art is art", "art", "craft", true, false, "craft is craft"},
        // Neighbouring words share the space between them.
        {"art art", "art", "craft", true, false, "craft craft"},
        {"start art, art", "art", "X", true, false, "start art, X"},
        {"<i>art|art", "art", "X", true, false, "<i>art|art"},
        // A replacement holding the search text is not searched again.
        {"banana", "a", "aa", false, false, "baanaanaa"},
        {"hello", "l", "", false, false, "heo"},
        // Case-insensitive positions hold where lower-casing changes a text's length.
        {"İa b", "B", "c", false, false, "İa c"},
        {"İİ straße XY", "xy", "z", false, false, "İİ straße z"},
        {"Straße end", "END", "e", false, false, "Straße e"},
        // The spaces imagined at the caption's ends match, but do not enter it.
        {"x y", " x", " z", false, false, "z y"},
        {"a x", "x ", "y ", false, false, "a y"},
        {"a b", " ", "_", false, false, "a_b"},
    };
    for (const ReplaceCase& c : cases) {
        const FindOptions options{c.wholeWord, c.matchCase};
        EXPECT_EQ(ReplaceInCaption(QString::fromUtf8(c.text), QString::fromUtf8(c.find),
                                   QString::fromUtf8(c.with), options),
                  QString::fromUtf8(c.expected))
            << c.text << " / " << c.find;
    }
    EXPECT_FALSE(CaptionMatches(QStringLiteral("start"), QStringLiteral("art"), {true, false}));
    EXPECT_FALSE(CaptionMatches(QStringLiteral("art,"), QStringLiteral("art"), {true, false}));
    EXPECT_TRUE(CaptionMatches(QStringLiteral("art"), QStringLiteral("art"), {true, false}));
    EXPECT_FALSE(CaptionMatches(QStringLiteral("art"), QString(), {false, false}));
}

TEST_F(Editing, FindStepsDownFromTheCurrentRowAndNeverWraps) {
    Make({"the cat", "dog", "The end", "cat"});
    // From a caption holding the text: on to the next one, counting both.
    EXPECT_EQ(FindInLines(QStringLiteral("the"), 0, 0, false, QString(), false), 2);
    EXPECT_EQ(gCurrentRow, 3);
    // No later caption holds it: the selection stays.
    EXPECT_EQ(FindInLines(QStringLiteral("the"), 0, 0, false, QString(), false), 1);
    EXPECT_EQ(gCurrentRow, 3);
    // Match case: "The" is not "the"; the caption above is never searched.
    EXPECT_EQ(FindInLines(QStringLiteral("the"), 0, 1, false, QString(), false), 0);
    EXPECT_EQ(gCurrentRow, 3);
    SelectLine(4, false);
    EXPECT_EQ(FindInLines(QStringLiteral("cat"), 1, 0, false, QString(), false), 1);
    EXPECT_EQ(FindInLines(QStringLiteral("dog"), 0, 0, false, QString(), false), 0);
    EXPECT_EQ(gCurrentRow, 4);
    EXPECT_FALSE(gModified);
}

TEST_F(Editing, ReplaceChangesTheFirstMatchAndShowsItAtOnce) {
    Make({"one", "two x", "three x"});
    QString shown;
    gOnShowSelectedLine = [&](int row) { shown = GetLineText(row); };
    EXPECT_EQ(FindInLines(QStringLiteral("x"), 0, 0, true, QStringLiteral("xx"), false), 1);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(Texts(), QStringList({"one", "two xx", "three x"}));
    EXPECT_TRUE(gModified);
    // The caption box shows the new text, so typing in it goes on from there.
    EXPECT_EQ(shown, "two xx");
    // The replacement still holds the search text: the next replace hits it again.
    EXPECT_EQ(FindInLines(QStringLiteral("x"), 0, 0, true, QStringLiteral("xx"), false), 1);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(GetLineText(2), "two xxxx");

    // A result ending with the line-break marker is not stored, yet the caption is found.
    Make({"a", "end|x"});
    EXPECT_EQ(FindInLines(QStringLiteral("x"), 0, 0, true, QString(), false), 1);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(GetLineText(2), "end|x");
    EXPECT_FALSE(gModified);
}

TEST_F(Editing, ReplaceAllCountsOnlyTheCaptionsItChanged) {
    Make({"x", "ax", "end|x", "X", "b"});
    SelectLine(2, false);
    // Row 1 lies above the current row; row 3 would end with the line-break marker, which no
    // caption may, so it stays as it was and is not counted.
    EXPECT_EQ(FindInLines(QStringLiteral("x"), 0, 0, true, QString(), true), 2);
    EXPECT_EQ(Texts(), QStringList({"x", "a", "end|x", "", "b"}));
    EXPECT_EQ(gCurrentRow, 4);
    EXPECT_TRUE(gModified);

    Make({"a", "a", "A"});
    EXPECT_EQ(FindInLines(QStringLiteral("a"), 0, 0, true, QStringLiteral("a"), true), 1);
    EXPECT_EQ(Texts(), QStringList({"a", "a", "a"}));
    EXPECT_EQ(gCurrentRow, 3);

    Make({"x", "y"});
    EXPECT_EQ(FindInLines(QStringLiteral("z"), 0, 0, true, QStringLiteral("q"), true), 0);
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_FALSE(gModified);
    EXPECT_TRUE(grdSubs().Enabled());
    EXPECT_TRUE(grdSubs().Redraw());
}

TEST_F(Editing, TimeShiftMovesTimedCaptionsAndAsksAboutNegativeOnes) {
    MakeTimes({{500, 900}, {1500, 2500}, {2500, 4000}, {0, 0}});
    EXPECT_EQ(CountShiftedBelowZero(-2000), 2);
    EXPECT_EQ(CountShiftedBelowZero(-500), 0); // exactly 0 is allowed
    EXPECT_EQ(ShiftAllTimes(-2000), 3);
    const std::vector<std::pair<int32_t, int32_t>> expected{{0, 0}, {0, 0}, {500, 2000}, {0, 0}};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(GetLineStart(i), expected[size_t(i - 1)].first) << i;
        EXPECT_EQ(GetLineEnd(i), expected[size_t(i - 1)].second) << i;
    }
    EXPECT_TRUE(gModified);
    EXPECT_TRUE(grdSubs().Enabled());

    // Exactly 0 is kept and timed; untimed captions stay untimed; durations stay.
    MakeTimes({{500, 900}, {0, 0}, {1000, 3000}});
    EXPECT_EQ(ShiftAllTimes(-500), 2);
    EXPECT_EQ(GetLineStart(1), 0);
    EXPECT_EQ(GetLineEnd(1), 400);
    EXPECT_TRUE(IsLineTimed(1));
    EXPECT_FALSE(IsLineTimed(2));
    EXPECT_EQ(GetLineEnd(3) - GetLineStart(3), 2000);
    EXPECT_EQ(ShiftAllTimes(3000), 2);
    EXPECT_FALSE(IsLineTimed(2));
    EXPECT_EQ(GetLineStart(1), 3000);
}

TEST_F(Editing, TimeShiftStaysWithinThirtyTwoBits) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    MakeTimes({{kMax - 1000, kMax - 10}, {0, kMax}});
    // The second starts at 0 and is timed: any earlier shift takes it below 0.
    EXPECT_EQ(CountShiftedBelowZero(-kMaxTimeShift), 1);
    ShiftAllTimes(kMaxTimeShift);
    EXPECT_EQ(GetLineStart(1), kMax);
    EXPECT_EQ(GetLineEnd(1), kMax);
    EXPECT_EQ(GetLineStart(2), kMaxTimeShift);
    EXPECT_EQ(GetLineEnd(2), kMax);
}

TEST_F(Editing, Utf8ConversionLeavesCaptionsWhoseRoundTripIsNotClean) {
    EnvVar ansi("SCRIVELLE_ANSI_CODEPAGE", "1252");
    const QString misread = QString::fromUtf8("Ã©tÃ© â‚¬"); // "été €" in UTF-8, read as 1252
    Make({misread, QStringLiteral("plain"), QString::fromUtf8("日本"), QString::fromUtf8("café"), misread});
    EXPECT_EQ(ConvertCaptionsFromUtf8(), 2);
    EXPECT_EQ(Texts(), QStringList({QString::fromUtf8("été €"), "plain", QString::fromUtf8("日本"),
                                    QString::fromUtf8("café"), QString::fromUtf8("été €")}));
    EXPECT_TRUE(gModified);
    gModified = false;
    // Nothing left to convert: nothing changes, nothing is marked.
    EXPECT_EQ(ConvertCaptionsFromUtf8(), 0);
    EXPECT_FALSE(gModified);
}
