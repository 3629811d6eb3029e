// Press-and-hold and manual timing, the automatic end and the join to the previous end, on
// the fake player's clock.
#include "base/settingsstore.h"
#include "document/busy.h"
#include "timing_support.h"

#include <functional>

using Span2 = std::pair<int32_t, int32_t>;

TEST_F(TimingTest, PressAndHoldWritesWhereTheButtonWentDownAndUp) {
    // No position tick runs in between: the position is read when the button moves.
    At(1234);
    Down();
    EXPECT_TRUE(timing->InProgress());
    EXPECT_EQ(view.shown, 1);
    EXPECT_EQ(view.startBox, 1234);
    EXPECT_TRUE(gModified);
    At(2345);
    Up();
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(1), Span2(1234, 2345));
    EXPECT_EQ(view.time, "2345");
    EXPECT_EQ(view.shown, 0);
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(timing->LastEnd(), 2345);
}

TEST_F(TimingTest, JoiningTheStartToThePreviousEnd) {
    struct Case {
        uint8_t autoJoin;
        int position;
        int32_t start;
    };
    // Previous end 10000, join distance 200; both comparisons strict.
    for (const Case& c : {Case{1, 10150, 10000}, Case{1, 10200, 10200}, Case{1, 10000, 10000},
                          Case{1, 9990, 9990}, Case{1, 10199, 10000}, Case{0, 10150, 10150}}) {
        SCOPED_TRACE(c.position);
        Captions(3);
        gAutoJoin = c.autoJoin;
        Hold(5000, 10000);
        At(c.position);
        Down();
        EXPECT_EQ(GetLineStart(2), c.start);
        At(c.position + 500);
        Up();
        At(0);
    }
    // Before any caption has ended the previous end is 0.
    for (const Case& c : {Case{1, 150, 0}, Case{1, 0, 0}, Case{1, 200, 200}}) {
        SCOPED_TRACE(c.position);
        Captions(3); // a new document: the previous end is forgotten
        gAutoJoin = c.autoJoin;
        At(c.position);
        Down();
        EXPECT_EQ(GetLineStart(1), c.start);
        timing->CancelCaption(false);
    }
}

TEST_F(TimingTest, AReleaseWithNoCaptionStartedWritesNothing) {
    At(3000);
    Up();
    timing->cmdApply_KeyUp(Qt::Key_Space, false);
    EXPECT_EQ(Span(1), Span2(0, 0));
    EXPECT_EQ(grdSubs().Row(), 1);
    EXPECT_FALSE(gModified);
}

TEST_F(TimingTest, AnEndNotAfterTheStartIsNotWritten) {
    Timed({{100, 900, "one"}, {0, 0, "two"}});
    Hold(5000, 5000);
    EXPECT_EQ(Span(1), Span2(100, 900));
    // A seek back while the button is held: the caption keeps its old times and stays selected.
    At(6000);
    Down();
    At(4000);
    Up();
    EXPECT_EQ(Span(1), Span2(100, 900));
    EXPECT_EQ(grdSubs().Row(), 1);
    EXPECT_FALSE(timing->InProgress());
}

TEST_F(TimingTest, TheEndGoesToTheCaptionThatWasStarted) {
    At(1000);
    Down();
    grdSubs().SetRow(4); // the user clicks another row meanwhile
    At(2000);
    Up();
    EXPECT_EQ(Span(1), Span2(1000, 2000));
    EXPECT_EQ(Span(4), Span2(0, 0));
    EXPECT_EQ(grdSubs().Row(), 2);
}

TEST_F(TimingTest, AutomaticEndAtItsStrictBoundaryAndTheNextStartJoiningIt) {
    gApplyWhen = 1;
    At(1000);
    Down();
    // The end comes from the length at once: 9 characters at 120 ms.
    EXPECT_EQ(Span(1), Span2(1000, 2080));
    EXPECT_FALSE(view.apply);
    EXPECT_FALSE(view.markApply);
    At(1500);
    Up(); // releasing does nothing while the automatic end runs
    EXPECT_TRUE(timing->InProgress());
    TickAt(2080);
    EXPECT_TRUE(timing->InProgress());
    TickAt(2081);
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(1), Span2(1000, 2080));
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_TRUE(view.apply);
    EXPECT_EQ(view.shown, 0);
    // A press within the join distance starts exactly at that end.
    At(2270);
    Down();
    EXPECT_EQ(Span(2), Span2(2080, 3160));
    // A press that comes before any tick noticed the end passing still starts the next caption,
    // joined to that end.
    At(3300);
    Down();
    EXPECT_TRUE(timing->InProgress());
    EXPECT_EQ(timing->Row(), 3);
    EXPECT_EQ(Span(3), Span2(3160, 4240));
}

TEST_F(TimingTest, OneTestDecidesWhetherTheAutomaticEndIsOn) {
    // A duration setting that is neither 0 nor 1 is off everywhere: the release ends the caption.
    gDurationMode = 2;
    gApplyWhen = 1;
    EXPECT_FALSE(AutoEndOn());
    Hold(1000, 1500);
    EXPECT_EQ(Span(1), Span2(1000, 1500));
    EXPECT_FALSE(timing->InProgress());
    // Any ApplyWhen beyond 0 means "while timing": the end is computed and the position ends it.
    gDurationMode = 1;
    gApplyWhen = 7;
    EXPECT_TRUE(AutoEndOn());
    At(3000);
    Down();
    At(3500);
    Up();
    EXPECT_TRUE(timing->InProgress());
    TickAt(4081);
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(2), Span2(3000, 4080));
}

TEST_F(TimingTest, ManualStartNextEndAndTheLastRow) {
    timing->optManual_Click();
    SelectLine(4, false);
    At(1000);
    timing->cmdApply_Click();
    EXPECT_FALSE(view.apply);
    EXPECT_TRUE(view.next);
    EXPECT_TRUE(view.end);
    At(2000);
    timing->cmdNext_Click();
    EXPECT_EQ(Span(4), Span2(1000, 2000));
    EXPECT_EQ(GetLineStart(5), 2000);
    EXPECT_FALSE(view.next); // never on the last row
    EXPECT_TRUE(view.end);
    At(2600);
    timing->cmdEnd_Click();
    EXPECT_EQ(Span(5), Span2(2000, 2600));
    EXPECT_EQ(grdSubs().Row(), 5);
    EXPECT_EQ(view.durationBox, 600);
    EXPECT_TRUE(view.apply);
    EXPECT_FALSE(view.end);
    // The Apply button's press-and-hold events mean nothing in manual mode.
    At(3000);
    Down();
    EXPECT_FALSE(timing->InProgress());
}

TEST_F(TimingTest, NextAndEndOverrideTheAutomaticEnd) {
    gApplyWhen = 2;
    timing->optManual_Click();
    At(1000);
    timing->cmdApply_Click();
    EXPECT_EQ(GetLineEnd(1), 2080);
    At(1500);
    timing->cmdNext_Click();
    EXPECT_EQ(Span(1), Span2(1000, 1500));
    EXPECT_EQ(Span(2), Span2(1500, 2580));
    At(1800);
    timing->cmdEnd_Click();
    EXPECT_EQ(Span(2), Span2(1500, 1800));
    EXPECT_EQ(timing->LastEnd(), 1800);
    // Left alone, the automatic end stops the timing and Next and End go off.
    At(2000);
    timing->cmdApply_Click();
    TickAt(3081);
    EXPECT_FALSE(timing->InProgress());
    EXPECT_FALSE(view.next);
    EXPECT_FALSE(view.end);
    EXPECT_EQ(Span(3), Span2(2000, 3080));
}

TEST_F(TimingTest, SwitchingModeWhileTimingEndsTheCaptionFirst) {
    At(1000);
    Down();
    At(1500);
    timing->optManual_Click();
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(1), Span2(1000, 1500));
    EXPECT_EQ(gTimingMode, 1);
    EXPECT_EQ(gSubMode, 1);
    EXPECT_EQ(ReadSetting("M_SUBMODE"), "1");
    EXPECT_EQ(view.mode, 1);
    // The release that follows belongs to no caption.
    Up();
    EXPECT_EQ(Span(2), Span2(0, 0));
}

TEST_F(TimingTest, PauseAndStopCancelWithoutWriting) {
    Timed({{100, 900, "one"}, {0, 0, "two"}, {0, 0, "three"}});
    At(3000);
    Down();
    player->pause();
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(1), Span2(100, 900)); // the caption is as it was before the start
    EXPECT_FALSE(view.apply);
    Up();
    EXPECT_EQ(Span(1), Span2(100, 900));

    // With the automatic end its span was written at the start; stopping keeps it and moves on
    // to nothing else.
    gApplyWhen = 1;
    player->play();
    At(4000);
    Down();
    player->stop();
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(1), Span2(4000, 4750)); // 3 characters at 250 ms
    EXPECT_EQ(grdSubs().Row(), 1);
    EXPECT_EQ(view.shown, 0);
    player->play();
    TickAt(6000);
    EXPECT_EQ(grdSubs().Row(), 1);
}

TEST_F(TimingTest, ChangingTheDocumentCancelsTiming) {
    struct Change {
        const char* name;
        int rows;
        std::function<void()> change;
    };
    const Change changes[] = {
        {"add", 5, [] { AddLine(0, 0, "new"); }},
        {"remove", 5, [] { RemoveLines(3, 3); }},
        {"load", 5, [this] { Captions(5); }},
        // New on a one-caption document changes no row of the grid: the window says so.
        {"new", 1,
         [this] {
             ResetCaptionGrid(true);
             timing->DocumentReset();
         }},
        {"close", 5, [] { ResetCaptionGrid(false); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        Captions(c.rows);
        At(1000);
        Down();
        c.change();
        EXPECT_FALSE(timing->InProgress());
        At(2000);
        Up();
        for (int row = 1; row <= CaptionCount(); ++row)
            EXPECT_EQ(GetLineEnd(row), 0) << row;
        At(0);
    }
}

TEST_F(TimingTest, ANewDocumentForgetsThePreviousEnd) {
    Hold(5000, 10000);
    Captions(3);
    EXPECT_EQ(timing->LastEnd(), 0);
    At(10100);
    Down();
    EXPECT_EQ(GetLineStart(1), 10100);
}

TEST_F(TimingTest, NothingIsTimedWhileTheDocumentIsBusy) {
    At(1000);
    {
        DocumentBusyGuard busy;
        Down();
        EXPECT_FALSE(timing->InProgress());
    }
    EXPECT_EQ(Span(1), Span2(0, 0));
}
