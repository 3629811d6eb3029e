// The fake player's contract: later tests of the main window rely on it behaving like the
// real player, with a clock the test moves.
#include "support/FakeMediaPlayer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QList<int> States(const QSignalSpy& spy) {
    QList<int> out;
    for (const auto& args : spy)
        out << args.at(0).toInt();
    return out;
}

} // namespace

TEST(FakeMediaPlayer, LoadingStartsPlayingAndCloseUnloads) {
    FakeMediaPlayer p;
    QSignalSpy states(&p, &IMediaPlayer::PlayStateChange);
    // Without media nothing plays or seeks.
    p.play();
    p.pause();
    p.setCurrentPosition(3);
    EXPECT_EQ(p.playState(), kPlayStateStopped);
    EXPECT_EQ(p.currentPosition(), 0.0);
    EXPECT_EQ(states.count(), 0);
    EXPECT_TRUE(p.seeks.isEmpty());

    p.setURL(QStringLiteral("/v/a.avi"));
    EXPECT_EQ(p.URL(), QStringLiteral("/v/a.avi"));
    EXPECT_EQ(p.playState(), kPlayStatePlaying);
    EXPECT_EQ(States(states), QList<int>{kPlayStatePlaying});

    p.Advance(1500);
    p.setURL(QStringLiteral("/v/b.avi")); // a new load goes through stopped and starts at 0
    EXPECT_EQ(States(states), (QList<int>{kPlayStatePlaying, kPlayStateStopped, kPlayStatePlaying}));
    EXPECT_EQ(p.currentPosition(), 0.0);

    p.close();
    EXPECT_EQ(p.playState(), kPlayStateStopped);
    EXPECT_TRUE(p.URL().isEmpty());
    EXPECT_EQ(p.duration(), 0.0);
    EXPECT_EQ(p.currentPosition(), 0.0);
    EXPECT_EQ(states.count(), 4);
    EXPECT_EQ(p.calls, (QStringList{"play", "pause", "seek 3", "URL /v/a.avi", "URL /v/b.avi", "close"}));
}

TEST(FakeMediaPlayer, ClockMovesThePositionOnlyWhilePlaying) {
    FakeMediaPlayer p;
    p.SetMediaLength(10);
    p.setURL(QStringLiteral("a.avi"));
    p.Advance(250);
    EXPECT_EQ(p.positionMs(), 250);
    EXPECT_DOUBLE_EQ(p.currentPosition(), 0.25);

    QSignalSpy states(&p, &IMediaPlayer::PlayStateChange);
    p.pause();
    p.pause(); // one event per change
    p.Advance(1000);
    EXPECT_EQ(p.positionMs(), 250);
    EXPECT_EQ(States(states), QList<int>{kPlayStatePaused});

    p.play();
    p.Advance(1000);
    EXPECT_EQ(p.positionMs(), 1250);
    p.stop();
    EXPECT_EQ(p.positionMs(), 0);
    p.Advance(1000);
    EXPECT_EQ(p.positionMs(), 0);
    EXPECT_EQ(States(states), (QList<int>{kPlayStatePaused, kPlayStatePlaying, kPlayStateStopped}));

    // Pause also works from stopped, like the real player.
    p.pause();
    EXPECT_EQ(p.playState(), kPlayStatePaused);
}

TEST(FakeMediaPlayer, DurationBecomesKnownAfterTheDelayOfPlayTime) {
    FakeMediaPlayer p;
    p.SetMediaLength(90.5);
    p.SetDurationDelay(300);
    p.setURL(QStringLiteral("a.avi"));
    EXPECT_EQ(p.duration(), 0.0);
    p.Advance(200);
    EXPECT_EQ(p.duration(), 0.0);
    p.pause();
    p.Advance(500); // paused time does not count
    EXPECT_EQ(p.duration(), 0.0);
    p.play();
    p.Advance(100);
    EXPECT_DOUBLE_EQ(p.duration(), 90.5);
    // A new load is unknown again.
    p.setURL(QStringLiteral("b.avi"));
    EXPECT_EQ(p.duration(), 0.0);

    FakeMediaPlayer quick;
    quick.setURL(QStringLiteral("a.avi"));
    EXPECT_DOUBLE_EQ(quick.duration(), 60.0);
}

TEST(FakeMediaPlayer, EverySeekRaisesPositionChangeAndNothingElseDoes) {
    FakeMediaPlayer p;
    p.SetMediaLength(20);
    p.SetDurationDelay(1000);
    QSignalSpy moves(&p, &IMediaPlayer::PositionChange);
    p.setURL(QStringLiteral("a.avi"));
    p.Advance(500);
    p.pause();
    p.play();
    p.stop();
    p.play();
    EXPECT_EQ(moves.count(), 0);

    p.Advance(400);
    p.setCurrentPosition(5.0);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_DOUBLE_EQ(moves.at(0).at(0).toDouble(), 0.4);
    EXPECT_DOUBLE_EQ(moves.at(0).at(1).toDouble(), 5.0);
    EXPECT_EQ(p.playState(), kPlayStatePlaying); // a seek keeps the state

    // Before the duration is known only the start bounds a seek; afterwards the end does too.
    p.setCurrentPosition(-3);
    EXPECT_EQ(p.currentPosition(), 0.0);
    p.setCurrentPosition(35);
    EXPECT_EQ(p.currentPosition(), 35.0);
    p.setCurrentPosition(1);
    p.Advance(700);
    p.setCurrentPosition(35);
    EXPECT_EQ(p.currentPosition(), 20.0);
    // A seek to the same place still reports.
    p.setCurrentPosition(20);
    EXPECT_EQ(moves.count(), 6);
    ASSERT_EQ(p.seeks.size(), 6);
    EXPECT_DOUBLE_EQ(p.seeks[4].from, 1.7);
    EXPECT_DOUBLE_EQ(p.seeks[4].to, 20.0);

    // Seeking while paused or stopped keeps that state and the position.
    p.pause();
    p.setCurrentPosition(3.25);
    EXPECT_EQ(p.playState(), kPlayStatePaused);
    EXPECT_EQ(p.positionMs(), 3250);
}

TEST(FakeMediaPlayer, EndOfMediaStopsThereAndPlayStartsOver) {
    FakeMediaPlayer p;
    p.SetMediaLength(2);
    QSignalSpy states(&p, &IMediaPlayer::PlayStateChange);
    p.setURL(QStringLiteral("a.avi"));
    p.Advance(1500);
    p.Advance(1500);
    EXPECT_EQ(p.playState(), kPlayStateStopped);
    EXPECT_EQ(p.positionMs(), 2000);
    EXPECT_EQ(States(states), (QList<int>{kPlayStatePlaying, kPlayStateStopped}));
    p.play();
    EXPECT_EQ(p.positionMs(), 0);
    EXPECT_EQ(p.playState(), kPlayStatePlaying);

    p.Advance(2000);
    p.pause(); // from the end: paused at the start
    EXPECT_EQ(p.positionMs(), 0);
    p.play();
    p.Advance(2500);
    p.stop(); // already stopped at the end: back to the start
    EXPECT_EQ(p.positionMs(), 0);
    EXPECT_EQ(p.playState(), kPlayStateStopped);
}

TEST(FakeMediaPlayer, SettingsAreKeptWithinTheirValues) {
    FakeMediaPlayer p;
    p.setVolume(140);
    EXPECT_EQ(p.volume(), 100);
    p.setVolume(-5);
    EXPECT_EQ(p.volume(), 0);
    p.setUiMode(QStringLiteral("MINI"));
    EXPECT_EQ(p.uiMode(), QStringLiteral("mini"));
    p.setUiMode(QStringLiteral("huge"));
    EXPECT_EQ(p.uiMode(), QStringLiteral("mini"));
    p.setStretchToFit(true);
    p.setEnabled(false);
    EXPECT_TRUE(p.stretchToFit());
    EXPECT_FALSE(p.enabled());
    EXPECT_EQ(p.calls.last(), QStringLiteral("enabled 0"));
    ASSERT_NE(p.Widget(), nullptr);
    EXPECT_EQ(p.Widget(), p.Widget());
}

TEST(MediaPositionString, MinutesAndSecondsCutToWholeSeconds) {
    EXPECT_EQ(MediaPositionString(0.05), QStringLiteral("00:00"));
    EXPECT_EQ(MediaPositionString(65.999), QStringLiteral("01:05"));
    EXPECT_EQ(MediaPositionString(3599.9), QStringLiteral("59:59"));
    EXPECT_EQ(MediaPositionString(3600 + 62), QStringLiteral("01:01:02"));
    EXPECT_EQ(MediaPositionString(-4), QStringLiteral("00:00"));
    EXPECT_EQ(MediaPositionString(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("00:00"));
    FakeMediaPlayer p;
    p.SetMediaLength(100);
    p.setURL(QStringLiteral("a.avi"));
    p.setCurrentPosition(61.5);
    EXPECT_EQ(p.currentPositionString(), QStringLiteral("01:01"));
}
