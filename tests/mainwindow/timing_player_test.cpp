// The hot keys, the player's events, the position labels and the preview, on the fake clock.
#include "timing_support.h"

#include <QTimer>

using Span2 = std::pair<int32_t, int32_t>;

namespace {

bool KeyDown(TimingController& t, int key, bool repeat = false) {
    return t.Form_KeyDown(key, repeat);
}
bool KeyUp(TimingController& t, int key, bool repeat = false) {
    return t.Form_KeyUp(key, repeat);
}

} // namespace

// --- Hot keys ---

TEST_F(TimingTest, TheStartKeyTimesInPressModeAndStartsInManualMode) {
    At(1000);
    EXPECT_TRUE(KeyDown(*timing, gHkStart));
    EXPECT_TRUE(view.markApply);
    At(1700);
    EXPECT_TRUE(KeyUp(*timing, gHkStart));
    EXPECT_EQ(Span(1), Span2(1000, 1700));
    EXPECT_FALSE(view.markApply);

    timing->optManual_Click();
    At(2000);
    KeyDown(*timing, gHkStart);
    At(2500);
    KeyUp(*timing, gHkStart); // releasing does nothing in manual mode
    EXPECT_TRUE(timing->InProgress());
    At(2600);
    KeyDown(*timing, gHkNext);
    EXPECT_EQ(Span(2), Span2(2000, 2600));
    EXPECT_TRUE(view.markNext);
    At(2900);
    KeyDown(*timing, gHkEnd);
    EXPECT_EQ(Span(3), Span2(2600, 2900));
    EXPECT_FALSE(timing->InProgress());
}

TEST_F(TimingTest, AHeldKeyCountsOnceThroughItsAutoRepeat) {
    At(1000);
    KeyDown(*timing, gHkStart);
    for (int t = 1100; t < 2000; t += 100) {
        At(t);
        EXPECT_TRUE(KeyUp(*timing, gHkStart, true));
        EXPECT_TRUE(KeyDown(*timing, gHkStart, true));
    }
    EXPECT_TRUE(timing->InProgress());
    At(2000);
    KeyUp(*timing, gHkStart);
    EXPECT_EQ(Span(1), Span2(1000, 2000));
    EXPECT_EQ(Span(2), Span2(0, 0));

    // The space bar on Apply alike.
    At(3000);
    timing->cmdApply_KeyDown(Qt::Key_Space, false);
    At(3300);
    timing->cmdApply_KeyUp(Qt::Key_Space, true);
    timing->cmdApply_KeyDown(Qt::Key_Space, true);
    At(3600);
    timing->cmdApply_KeyUp(Qt::Key_Space, false);
    EXPECT_EQ(Span(2), Span2(3000, 3600));
}

TEST_F(TimingTest, StartAndNextActOnlyWhilePlaying) {
    player->pause();
    KeyDown(*timing, gHkStart);
    EXPECT_FALSE(timing->InProgress());
    timing->optManual_Click();
    player->play();
    At(1000);
    KeyDown(*timing, gHkStart);
    player->pause();
    KeyDown(*timing, gHkNext);
    KeyDown(*timing, gHkStart);
    EXPECT_FALSE(timing->InProgress());
    EXPECT_EQ(Span(2), Span2(0, 0));
}

TEST_F(TimingTest, PlayerHotKeys) {
    // Pause, Rewind and Forward only while playing; Play and Stop in any state.
    At(20000);
    KeyDown(*timing, gHkRewind);
    EXPECT_EQ(player->positionMs(), 15000);
    KeyDown(*timing, gHkForward);
    KeyDown(*timing, gHkForward);
    EXPECT_EQ(player->positionMs(), 25000);
    KeyDown(*timing, gHkPause);
    EXPECT_EQ(player->playState(), kPlayStatePaused);
    player->calls.clear();
    KeyDown(*timing, gHkPause);
    KeyDown(*timing, gHkRewind);
    KeyDown(*timing, gHkForward);
    EXPECT_TRUE(player->calls.isEmpty()) << player->calls.join(", ").toStdString();
    KeyDown(*timing, gHkStop);
    EXPECT_EQ(player->playState(), kPlayStateStopped);
    KeyDown(*timing, gHkPlay);
    EXPECT_EQ(player->playState(), kPlayStatePlaying);
    gRewindSecs = 2;
    At(10000);
    KeyDown(*timing, gHkRewind);
    EXPECT_EQ(player->positionMs(), 8000);
}

TEST_F(TimingTest, PreviousAndNextCaptionKeys) {
    Timed({{1000, 2000, "one"}, {0, 0, "two"}, {5000, 6000, "three"}});
    KeyDown(*timing, gHkPrevious); // nothing above row 1
    EXPECT_EQ(grdSubs().Row(), 1);
    player->seeks.clear();
    KeyDown(*timing, gHkJump); // onto an untimed caption: no seek
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_TRUE(player->seeks.isEmpty());
    KeyDown(*timing, gHkJump);
    EXPECT_EQ(grdSubs().Row(), 3);
    EXPECT_EQ(player->positionMs(), 5000);
    KeyDown(*timing, gHkJump); // nothing below the last row
    EXPECT_EQ(grdSubs().Row(), 3);
    KeyDown(*timing, gHkPrevious);
    KeyDown(*timing, gHkPrevious);
    EXPECT_EQ(grdSubs().Row(), 1);
    EXPECT_EQ(player->positionMs(), 1000);
}

TEST_F(TimingTest, WhenHotKeysDoNothing) {
    const auto nothingHappens = [&](const char* why) {
        SCOPED_TRACE(why);
        player->calls.clear();
        At(1000);
        EXPECT_FALSE(KeyDown(*timing, gHkStart));
        EXPECT_FALSE(KeyDown(*timing, gHkStop));
        KeyUp(*timing, gHkStart);
        EXPECT_FALSE(timing->InProgress());
        EXPECT_EQ(Span(1), Span2(0, 0));
        EXPECT_TRUE(player->calls.isEmpty());
    };
    gSubFile.clear();
    nothingHappens("no subtitle open");
    gSubFile = "NEW";
    timing->SetTyping(true);
    nothingHappens("typing in the caption box");
    timing->SetTyping(false);
    gHotKeys = 0;
    nothingHappens("hot keys off");
    gHotKeys = 1;
    player->setEnabled(false);
    nothingHappens("player disabled");
    player->setEnabled(true);
    // A key that is no hot key is left to the focused control.
    EXPECT_FALSE(KeyDown(*timing, Qt::Key_A));
    // A letter given to two actions does only the first.
    gHkStop = gHkStart;
    KeyDown(*timing, gHkStart);
    EXPECT_TRUE(timing->InProgress());
    EXPECT_EQ(player->playState(), kPlayStatePlaying);
}

// --- The player's events ---

TEST_F(TimingTest, PlayStates) {
    gWaveFile = "/w/a.wav";
    gAudioBar = true;
    TickAt(4321);
    EXPECT_EQ(view.time, "4321");
    EXPECT_TRUE(view.apply);

    player->pause();
    EXPECT_FALSE(view.apply);
    // While paused no tick moves the position; a seek does, and ticks the waveform cursor.
    player->setCurrentPosition(7.5);
    EXPECT_EQ(timing->PositionMs(), 7500);
    EXPECT_EQ(view.stringPos, "00:07.500");
    EXPECT_EQ(view.waveTicks, 1);

    view.waveCursor = -1;
    player->play();
    EXPECT_TRUE(view.apply);
    EXPECT_EQ(view.waveCursor, 1);

    view.captionBox = false;
    player->stop();
    EXPECT_FALSE(view.apply);
    EXPECT_TRUE(view.captionBox);
    EXPECT_EQ(view.time, "0");
    EXPECT_EQ(view.stringPos, "00:00.000");
    EXPECT_EQ(timing->PositionMs(), 0);
    EXPECT_EQ(view.waveCursor, 0);

    // Playing enables Apply only for a subtitle, and not in preview.
    timing->optPreview_Click();
    player->play();
    EXPECT_FALSE(view.apply);
    timing->optPress_Click();
    gSubFile.clear();
    player->pause();
    player->play();
    EXPECT_FALSE(view.apply);
}

TEST_F(TimingTest, PositionLabels) {
    EXPECT_EQ(PositionText(50), "00:00.050");
    EXPECT_EQ(PositionText(61234), "01:01.234");
    EXPECT_EQ(PositionText(3723004), "01:02:03.004");
    TickAt(50);
    EXPECT_EQ(view.time, "50");
    EXPECT_EQ(view.stringPos, "00:00.050");
    // The tick reads only while playing.
    player->pause();
    player->Advance(500);
    timing->tmrTime_Timer();
    EXPECT_EQ(view.time, "50");
}

// --- Preview ---

TEST_F(TimingTest, PreviewFollowsThePositionAcrossGaps) {
    Timed({{1000, 2000, "one"}, {3000, 4000, "two"}, {6000, 7000, "three"}, {0, 0, "four"}});
    gFollow = true;
    timing->optPreview_Click();
    EXPECT_FALSE(view.apply);
    EXPECT_FALSE(view.timeBoxes);
    const auto tickAt = [&](int ms) {
        At(ms);
        timing->tmrTime_Timer();
        timing->tmrPreview_Timer();
        timing->tmrPreview_Timer(); // a row found on one tick shows on the next
    };
    tickAt(500);
    EXPECT_EQ(timing->PreviewRow(), 1);
    EXPECT_EQ(view.shown, 0);
    tickAt(1500);
    EXPECT_EQ(view.shown, 1);
    EXPECT_EQ(gPreviewRow, 1);
    tickAt(2500); // the gap after caption 1
    EXPECT_EQ(view.shown, 0);
    EXPECT_EQ(timing->PreviewRow(), 2);
    tickAt(3500);
    EXPECT_EQ(view.shown, 2);
    EXPECT_EQ(grdSubs().Row(), 2); // followed
    gFollow = false;
    tickAt(6500);
    EXPECT_EQ(view.shown, 3);
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(view.shows, QList<int>({1, 2, 3}));

    // Past the last caption nothing matches; the list is not scanned again on every tick.
    tickAt(8000);
    EXPECT_EQ(view.shown, 0);
    const int scans = timing->PreviewScans();
    for (int i = 0; i < 100; ++i)
        tickAt(8010 + 10 * i);
    EXPECT_LE(timing->PreviewScans(), scans + 1);
    // ... until a caption changes.
    SetLineStart(4, 8500);
    SetLineEnd(4, 9500);
    tickAt(9000);
    EXPECT_EQ(view.shown, 4);

    // Stopping goes back to the start; the preview follows when playing again.
    player->stop();
    EXPECT_EQ(view.shown, 0);
    player->play();
    tickAt(1200);
    EXPECT_EQ(view.shown, 1);
}

TEST_F(TimingTest, PreviewOfASingleCaption) {
    Timed({{1000, 2000, "only"}});
    timing->optPreview_Click();
    At(1500);
    timing->tmrTime_Timer();
    timing->tmrPreview_Timer();
    EXPECT_EQ(view.shown, 1);
}

TEST_F(TimingTest, PreviewModeStartsNothing) {
    timing->optPreview_Click();
    At(1000);
    Down();
    KeyDown(*timing, gHkStart);
    EXPECT_FALSE(timing->InProgress());
    // Leaving preview clears the caption and the timers.
    timing->optPress_Click();
    EXPECT_FALSE(timing->tmrPreview->isActive());
    EXPECT_EQ(gPreviewRow, 0);
    EXPECT_TRUE(view.timeBoxes);
}
