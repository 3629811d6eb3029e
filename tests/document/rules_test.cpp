#include "base/settings.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "language/lang.h"
#include "support/fixture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

class Rules : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        LoadSettings(); // the rule defaults: marker "|", every rule but credits on
        // Recognisable report texts, whatever the language files say.
        gLang[235] = QStringLiteral("SPLIT %1");
        gLang[238] = QStringLiteral("COLLISION %1 %2");
        gLang[240] = QStringLiteral("COLLISION IGNORED %1");
        gLang[243] = QStringLiteral("LONGER %1 %2");
        gLang[245] = QStringLiteral("SHORTER %1 %2");
        gLang[268] = QStringLiteral("SET %1 %2");
        gLang[232] = QStringLiteral("REMOVED %1");
    }

    // Only the rules a test is about.
    static void OnlyRules(bool split, bool collision, bool join, bool duration, bool credits, bool breaks) {
        gAutoSplit = split;
        gCollision = collision;
        gAutoJoin = join;
        gDurationMode = duration;
        gRemoveCredits = credits;
        gFixBreaks = breaks;
    }

    static void Document(const std::vector<tSubtitleLine>& lines) {
        ResetCaptionGrid(true);
        ASSERT_TRUE(FillLines(0, lines));
        gModified = false;
    }

    static QStringList Texts() {
        QStringList out;
        for (int i = 1; i < grdSubs().Rows(); ++i)
            out << GetLineText(i);
        return out;
    }

    static QStringList Summaries() { return gReportSummary.mid(0, gReportCount); }
};

} // namespace

// --- Rule 1: splitting ---

TEST_F(Rules, SplitFindsTheSpaceNearestTheMiddleForwardWinningTies) {
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("One|two|three")), "One two|three");
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("- Hi there|you|all")), "- Hi there|you all");
    // When the backward probe finds a space and the forward position beside it is one too, the
    // forward one wins.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("Good|morning|to all")), "Good morning|to all");
    // Line breaks typed into the text count as spaces.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("Good\r\n morning|to|all")), "Good morning|to all");
}

TEST_F(Rules, SplitPutsTheSecondSpeakerOnTheSecondLine) {
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("- Hi.|- Bye.|Now")), "- Hi.|- Bye. Now");
    // A dash right before a space inside a word: the word stays whole.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("Rock-|n-roll|- Yes")), "Rock|- n-roll - Yes");
}

TEST_F(Rules, SplitNeverReadsOutsideTheTextAndKeepsEveryWord) {
    // A three-character text: the backward probe reaches the start at once.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("a||b")), "a|b");
    // The only space one before the end of an odd-length text: the probes must go on to find it.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("abcdefghi|j|")), "abcdefghi|j");
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("j|abcdefghi|")), "j|abcdefghi");
    // No space at all: the word on one line.
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("word||")), "word");
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("||")), "");
}

TEST_F(Rules, SplitOfALongCaptionSplitsNearItsMiddle) {
    // Far longer than a small counter can hold.
    QStringList words;
    for (int i = 0; i < 300; ++i)
        words << QStringLiteral("word%1").arg(i, 3, 10, QLatin1Char('0'));
    const QString text = words.mid(0, 100).join(u' ') + u'|' + words.mid(100, 100).join(u' ') + u'|' +
                         words.mid(200).join(u' ');
    const QString split = SplitInTwoLines(text);
    const QStringList halves = split.split(u'|');
    ASSERT_EQ(halves.size(), 2);
    EXPECT_EQ((halves[0] + u' ' + halves[1]).split(u' '), words);
    EXPECT_LE(std::abs(halves[0].size() - halves[1].size()), 8);
}

TEST_F(Rules, RunSplitsCaptionsOfThreeLinesAndReportsThem) {
    OnlyRules(true, false, false, false, false, false);
    Document({{0, 0, QStringLiteral("One|two|three")},
              {0, 0, QStringLiteral("One|two")},
              {0, 0, QStringLiteral("abcdefghi|j|")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"One two|three", "One|two", "abcdefghi|j"}));
    EXPECT_EQ(gRepSplit, 2);
    EXPECT_EQ(Summaries(), QStringList({"SPLIT 1", "SPLIT 3"}));
    // The report keeps the caption as it was found.
    EXPECT_TRUE(gReportDetail[0].contains(QStringLiteral("\"One|two|three\"")));
    EXPECT_TRUE(gModified);
}

TEST_F(Rules, SplitThenFoldGivesOneLineButADialogueKeepsItsBreak) {
    OnlyRules(true, false, false, false, false, true);
    Document({{0, 0, QStringLiteral("One|two|three")}, {0, 0, QStringLiteral("- Hi.|- Bye.|Now")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"One two three", "- Hi.|- Bye. Now"}));
    EXPECT_EQ(gRepSplit, 2);
}

// --- Rule 4 ---

TEST_F(Rules, FoldingLineBreaksMarksTheDocumentModified) {
    OnlyRules(false, false, false, false, false, true);
    Document({{0, 0, QStringLiteral("- Yes?|- No.")}, {0, 0, QStringLiteral("a|b")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"- Yes?|- No.", "a b"}));
    // Not a finding of the report, but a change all the same.
    EXPECT_EQ(gReportCount, 0);
    EXPECT_TRUE(gModified);

    Document({{0, 0, QStringLiteral("- Yes?|- No.")}});
    ApplyRules(true);
    EXPECT_FALSE(gModified);
}

// --- Rules 2a and 2b ---

TEST_F(Rules, CollisionMovesTheStartAndReportsFromFiftyMilliseconds) {
    OnlyRules(false, true, false, false, false, false);
    Document({{1000, 2000, QStringLiteral("one")},
              {1970, 3000, QStringLiteral("two")},
              {2920, 4000, QStringLiteral("three")}});
    ApplyRules(true);
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_EQ(GetLineStart(3), 3000);
    EXPECT_EQ(gRepCollisions, 1);
    EXPECT_EQ(Summaries(), QStringList({"COLLISION 3 80"}));
}

TEST_F(Rules, CollisionNeedsATimedPreviousCaptionAndWritesTheStartBack) {
    Document({{0, 0, QStringLiteral("untimed")},
              {500, 900, QStringLiteral("two")},
              {800, 1000, QStringLiteral("three")}});
    int32_t start = 0;
    CheckCollision(1, start);
    CheckCollision(2, start);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(gReportCount, 0);

    CheckCollision(3, start);
    EXPECT_EQ(start, 800); // read from the row for the caller
    EXPECT_EQ(GetLineStart(3), 900);

    // With the rule off a collision is reported, not moved.
    gCollision = 0;
    SetLineStart(3, 700, true);
    start = 0;
    CheckCollision(3, start);
    EXPECT_EQ(GetLineStart(3), 700);
    EXPECT_EQ(Summaries(), QStringList({"COLLISION 3 100", "COLLISION IGNORED 3"}));
}

TEST_F(Rules, JoinSnapsNearStartsAndTheRunMarksThemModified) {
    OnlyRules(false, false, true, false, false, false);
    Document({{1000, 2000, QStringLiteral("one")},
              {2150, 3000, QStringLiteral("two")},
              {3250, 4000, QStringLiteral("three")},
              {3900, 5000, QStringLiteral("four")}});
    ApplyRules(true);
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_EQ(GetLineStart(3), 3250);
    EXPECT_EQ(GetLineStart(4), 4000); // a start before the previous end moves too
    EXPECT_EQ(gReportCount, 0);
    EXPECT_TRUE(gModified);

    // Called on its own with bNoDirty, the flag stays as it was.
    Document({{1000, 2000, QStringLiteral("one")}, {2100, 3000, QStringLiteral("two")}});
    JoinWithPrevious(2, true);
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_FALSE(gModified);
    // Nothing to move, nothing modified.
    JoinWithPrevious(2, false);
    EXPECT_FALSE(gModified);
}

TEST_F(Rules, AStartExactlyTheNearGapAfterThePreviousEndIsJoined) {
    struct Case {
        int32_t start, expected;
    } const cases[] = {
        {2000 + gNear, 2000},
        {2000 + gNear + 1, 2000 + gNear + 1},
        {2000 - gNear - 1, 2000},
    };
    for (const Case& c : cases) {
        Document({{1000, 2000, QStringLiteral("one")}, {c.start, c.start + 5000, QStringLiteral("two")}});
        JoinWithPrevious(2, false);
        EXPECT_EQ(GetLineStart(2), c.expected) << c.start;
    }
}

// --- Rules 2c and 2d ---

TEST_F(Rules, ADurationExactlyAtTargetPlusOrMinusToleranceIsKept) {
    OnlyRules(false, false, false, true, false, false);
    // Four characters: 250 ms each, give or take 200.
    gRuleDuration[0] = 250;
    gRuleTolerance[0] = 200;
    struct Case {
        int32_t duration, expected;
    } const cases[] = {
        {4 * 450, 4 * 450}, {4 * 450 + 1, 1000}, {4 * 50, 4 * 50}, {4 * 50 - 1, 1000}, {1000, 1000},
    };
    for (const Case& c : cases) {
        Document({{10000, 10000 + c.duration, QStringLiteral("abcd")}});
        CheckDuration(1, true);
        EXPECT_EQ(GetLineEnd(1) - GetLineStart(1), c.expected) << c.duration;
    }
}

TEST_F(Rules, DurationOutsideTheRangeIsSetToTheTarget) {
    OnlyRules(false, false, false, true, false, false);
    Document({{1000, 2000, QStringLiteral("abcdefghij")}, {10000, 14000, QStringLiteral("abcdefghij")}});
    ApplyRules(true);
    EXPECT_EQ(GetLineEnd(1), 2000); // 100 ms a character lies within 120 +- 200
    EXPECT_EQ(GetLineEnd(2), 11200);
    EXPECT_EQ(gRepDurations, 1);
    EXPECT_EQ(Summaries(), QStringList({"SHORTER 2 2800"}));

    // Reported without the fix.
    Document({{10000, 14000, QStringLiteral("abcdefghij")}});
    CheckDuration(1, false);
    EXPECT_EQ(GetLineEnd(1), 14000);
    EXPECT_EQ(gRepDurations, 2);
}

TEST_F(Rules, ADisplayTimeThatIsNotPositiveIsSetFromTheLength) {
    OnlyRules(false, false, false, true, false, false);
    Document({{5000, 5000, QStringLiteral("Hi")},
              {9000, 8000, QStringLiteral("abcdefghij")},
              {0, 0, QStringLiteral("untimed")}});
    ApplyRules(true);
    EXPECT_EQ(GetLineEnd(1), 5500);
    EXPECT_EQ(GetLineEnd(2), 10200);
    EXPECT_FALSE(IsLineTimed(3));
    EXPECT_EQ(Summaries(), QStringList({"SET 1 500", "SET 2 1200"}));

    // Without a text the caption still gets a positive display time.
    Document({{5000, 4000, QString()}});
    SetDurationByLength(1, false);
    EXPECT_EQ(GetLineEnd(1), 5100);
}

TEST_F(Rules, LengthClassesChangeAfterFiveAndAfterFifteenCharacters) {
    const std::pair<int, int32_t> cases[] = {{5, 5 * 250}, {6, 6 * 120}, {15, 15 * 120}, {16, 16 * 50}};
    for (const auto& [length, duration] : cases) {
        Document({{1000, 1000, QString(length, u'x')}});
        SetDurationByLength(1, false);
        EXPECT_EQ(GetLineEnd(1), 1000 + duration) << length;
    }
}

TEST_F(Rules, BothDurationRulesCountTagsAndMarkersAlike) {
    for (int i = 0; i < 3; ++i)
        gRuleTolerance[i] = 10;
    // 12 characters besides the tag and the marker: medium, 120 ms each.
    for (const QString& text : {QStringLiteral("<b>Hello,|world!"), QStringLiteral("<i>Hello,|world!"),
                                QStringLiteral("<u>Hello,|world!")}) {
        Document({{1000, 1000, text}});
        SetDurationByLength(1, false);
        EXPECT_EQ(GetLineEnd(1), 1000 + 12 * 120) << text.toStdString();
        CheckDuration(1, true);
        EXPECT_EQ(gReportCount, 0) << text.toStdString();
    }
    EXPECT_EQ(RuleCharCount(QStringLiteral("<b><i><u>ab||c")), 4);
    EXPECT_EQ(RuleCharCount(QStringLiteral("<b>")), 0);
}

TEST_F(Rules, DurationArithmeticDoesNotOverflow) {
    const QString long700(700, u'x');
    Document({{1000, 1000, long700}});
    SetDurationByLength(1, true);
    EXPECT_EQ(GetLineEnd(1), 1000 + 700 * 50);
    EXPECT_EQ(Summaries(), QStringList({"SET 1 35000"}));

    // The largest per-character time the settings can hold.
    gRuleDuration[2] = std::numeric_limits<int16_t>::max();
    Document({{60000, 61000, QString(100, u'y')}});
    CheckDuration(1, true);
    EXPECT_EQ(GetLineEnd(1), 60000 + 100 * 32767);

    // Near the largest time the end stops at the largest time and the report says what was done.
    const int32_t top = std::numeric_limits<int32_t>::max();
    Document({{top - 1000, top - 500, QString(100, u'y')}});
    ResetReportLists();
    CheckDuration(1, true);
    EXPECT_EQ(GetLineEnd(1), top);
    EXPECT_EQ(Summaries(), QStringList({"LONGER 1 500"}));
    SetLineEnd(1, top - 1000);
    SetDurationByLength(1, false);
    EXPECT_EQ(GetLineEnd(1), top);
}

// --- Rule 3 ---

TEST_F(Rules, CreditCaptionsAreDeletedAndTheNextOneIsExaminedInTheirPlace) {
    OnlyRules(false, false, false, false, true, false);
    gCreditsText = QStringLiteral("@,http,www");
    Document({{1000, 2000, QStringLiteral("Hello")},
              {3000, 4000, QStringLiteral("see www.site")},
              {5000, 6000, QStringLiteral("WWW.OTHER")},
              {7000, 8000, QStringLiteral("Bye")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"Hello", "Bye"}));
    EXPECT_EQ(GetLineStart(2), 7000);
    EXPECT_EQ(grdSubs().TextMatrix(2, kColNumber), "2");
    EXPECT_EQ(gRepRemoved, 2);
    // Both were caption 2 when they were removed; the report keeps their texts.
    EXPECT_EQ(Summaries(), QStringList({"REMOVED 2", "REMOVED 2"}));
    EXPECT_TRUE(gReportDetail[1].contains(QStringLiteral("\"WWW.OTHER\"")));
    EXPECT_TRUE(gModified);
    EXPECT_GE(gCurrentRow, 1);
    EXPECT_LT(gCurrentRow, grdSubs().Rows());
}

TEST_F(Rules, KeywordsMatchAsWrittenAndEmptyOnesAreSkipped) {
    OnlyRules(false, false, false, false, true, false);
    gCreditsText = QStringLiteral("www,,  , http");
    Document({{0, 0, QStringLiteral("http://a.b")},
              {0, 0, QStringLiteral("go http://a.b")},
              {0, 0, QStringLiteral("plain")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"http://a.b", "plain"}));
}

// Keywords match without regard to case, Unicode case folding included (a Kelvin sign is a
// "k"), and are taken as written, blanks and all.
TEST_F(Rules, KeywordsMatchWithoutRegardToCase) {
    OnlyRules(false, false, false, false, true, false);
    struct Case {
        QString keywords, text;
        bool removed;
    };
    const Case cases[] = {
        {"www", "WwW.site", true},
        {"www", "ww w", false},
        {"Http", "HTTP://x", true},
        {"@", "mail@x", true},
        {"kee", QStringLiteral("\u212Aeep"), true},
        {QStringLiteral("\u00E9t\u00E9"), QStringLiteral("\u00C9T\u00C9"), true},
        {"site", QStringLiteral("caf\u00E9 SITE"), true},
        {"site", QStringLiteral("caf\u00E9 sit"), false},
        {" www", "x www.a", true},
        {" www", "www.a", false},
        {"z,,y", "aY", true},
        {"[b]", "<B>", false},
    };
    for (const Case& c : cases) {
        gCreditsText = c.keywords;
        Document({{1000, 2000, QStringLiteral("one")}, {3000, 4000, c.text}});
        ApplyRules(true);
        EXPECT_EQ(CaptionCount(), c.removed ? 1 : 2)
            << c.keywords.toStdString() << " / " << c.text.toStdString();
        EXPECT_EQ(gRepRemoved, c.removed ? 1 : 0) << c.keywords.toStdString();
    }
}

TEST_F(Rules, RulesAfterARemovalSeeTheCaptionBeforeIt) {
    OnlyRules(false, true, false, false, true, false);
    Document({{1000, 2000, QStringLiteral("one")},
              {2500, 2600, QStringLiteral("www")},
              {1900, 3000, QStringLiteral("<b>three")}});
    grdSubs().SetCellStyle(3, kColText, FlexGrid::kBold);
    ApplyRules(true);
    ASSERT_EQ(Texts(), QStringList({"one", "<b>three"}));
    EXPECT_EQ(GetLineStart(2), 2000);
    EXPECT_EQ(grdSubs().CellStyle(2, kColText), FlexGrid::kBold);
    EXPECT_EQ(Summaries(), QStringList({"REMOVED 2", "COLLISION 2 100"}));
}

TEST_F(Rules, RemovingEveryCaptionLeavesOneEmptyRow) {
    OnlyRules(false, false, false, false, true, false);
    Document({{1000, 2000, QStringLiteral("@a")},
              {3000, 4000, QStringLiteral("@b")},
              {5000, 6000, QStringLiteral("@c")}});
    ApplyRules(true);
    EXPECT_EQ(grdSubs().Rows(), 2);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_EQ(gRepRemoved, 3);
    EXPECT_EQ(gCurrentRow, 1);
}

TEST_F(Rules, AnEmptyMarkerChangesNothingAndTheRunEnds) {
    OnlyRules(true, false, false, true, true, true);
    gLineBreak.clear();
    Document({{1000, 3000, QStringLiteral("abcdefghij")}, {5000, 6000, QStringLiteral("@x")}});
    ApplyRules(true);
    EXPECT_EQ(Texts(), QStringList({"abcdefghij"}));
    EXPECT_EQ(SplitInTwoLines(QStringLiteral("one two")), "one two");
}

// --- The run ---

TEST_F(Rules, TheRunPausesThePlayerShowsProgressAndPutsEverythingBack) {
    QStringList calls;
    QStringList progress;
    bool busyMeanwhile = false, gridDisabledMeanwhile = false, hourglassMeanwhile = false;
    gLang[117] = QStringLiteral("WAIT");
    gLang[118] = QStringLiteral("AT");
    gRulesHooks.unloadSideWindows = [&] { calls << "unload side"; };
    gRulesHooks.unloadReportWindow = [&] { calls << "unload report"; };
    gRulesHooks.pausePlayer = [&] {
        calls << "pause";
        return true;
    };
    gRulesHooks.showProgress = [&](const QString& text) {
        progress << text;
        busyMeanwhile = IsDocumentBusy();
        gridDisabledMeanwhile = !grdSubs().Enabled();
        hourglassMeanwhile =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    gRulesHooks.restoreFileLabels = [&] { calls << "labels"; };
    gRulesHooks.resumePlayer = [&] { calls << "resume"; };
    gRulesHooks.showReport = [&] { calls << "report"; };

    std::vector<tSubtitleLine> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back({i * 1000, i * 1000 + 900, QStringLiteral("Caption %1").arg(i)});
    lines[29].start = 29500; // caption 30 collides by 400 ms
    Document(lines);
    ApplyRules(false);

    EXPECT_EQ(calls, QStringList({"unload side", "unload report", "pause", "labels", "resume", "report"}));
    EXPECT_EQ(progress, QStringList({"AT 25, wait", "AT 50, wait"}));
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_TRUE(gridDisabledMeanwhile);
    EXPECT_TRUE(hourglassMeanwhile);
    EXPECT_FALSE(IsDocumentBusy());
    EXPECT_TRUE(grdSubs().Enabled());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Summaries(), QStringList({"COLLISION 30 400"}));
}

TEST_F(Rules, APlayerThatWasNotPlayingIsNotStarted) {
    bool resumed = false;
    gRulesHooks.pausePlayer = [] { return false; };
    gRulesHooks.resumePlayer = [&] { resumed = true; };
    Document({{1000, 2000, QStringLiteral("abcdefghij")}});
    ApplyRules(true);
    EXPECT_FALSE(resumed);
}

TEST_F(Rules, WithoutFindingsTheRunSaysSoUnlessSilent) {
    gLang[271] = QStringLiteral("ALL FINE");
    gLang[31] = QStringLiteral("RULES");
    bool reportShown = false;
    gRulesHooks.showReport = [&] { reportShown = true; };
    Document({{1000, 2000, QStringLiteral("abcdefghij")}});
    LogCaptionIssue(1, QStringLiteral("old"), kReportRemoved, 0, false);

    msgbox.Answer(vbOK);
    ApplyRules(false);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, "ALL FINE");
    EXPECT_EQ(msgbox.last().title, "RULES");
    EXPECT_EQ(msgbox.last().icon, vbInformation);
    // The report was cleared first.
    EXPECT_EQ(gReportCount, 0);
    EXPECT_EQ(gReportSummary, QStringList({QString()}));

    ApplyRules(true); // an unscripted box would fail the test
    EXPECT_FALSE(reportShown);
}

TEST_F(Rules, NothingElseCanRunTheRulesOrChangeTheDocumentMeanwhile) {
    std::vector<tSubtitleLine> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back({i * 1000, i * 1000 + 900,
                         (i % 2 ? QStringLiteral("plain %1") : QStringLiteral("www %1")).arg(i)});
    Document(lines);
    gRemoveCredits = 1;
    gCreditsText = QStringLiteral("www");

    // A timer that fires while the rules let events run.
    bool timerRan = false, busyInTimer = false;
    QTimer::singleShot(0, [&] {
        timerRan = true;
        busyInTimer = IsDocumentBusy();
        ApplyRules(false); // does nothing: no second run, no message box
    });
    int reports = 0;
    gRulesHooks.showReport = [&] { ++reports; };
    ApplyRules(false);
    EXPECT_TRUE(timerRan);
    EXPECT_TRUE(busyInTimer);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(gRepRemoved, 30);
    EXPECT_EQ(grdSubs().Rows(), 31);
}

TEST_F(Rules, AFailingStepIsSkippedAndReportedOnceAtTheEnd) {
    std::vector<tSubtitleLine> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back({i * 1000, i * 1000 + 900, QStringLiteral("One|two|three %1").arg(i)});
    Document(lines);
    gFixBreaks = 0;
    QStringList order;
    gRulesHooks.showProgress = [](const QString&) { throw std::runtime_error("label gone"); };
    gRulesHooks.showReport = [&] { order << "report"; };
    msgbox.Answer(vbOK);
    ApplyRules(false);
    // Every caption was still worked on.
    EXPECT_EQ(gRepSplit, 60);
    EXPECT_EQ(GetLineText(60), "One two|three 60");
    EXPECT_EQ(order, QStringList({"report"}));
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, kRulesFailedText);
    EXPECT_EQ(msgbox.last().buttons, vbOKOnly);
    EXPECT_EQ(msgbox.last().icon, 0);

    // The failure is forgotten: the next run says nothing more.
    gRulesHooks.showProgress = nullptr;
    ApplyRules(true);
    EXPECT_EQ(msgbox.count(), 1);
}
