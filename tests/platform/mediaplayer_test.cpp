// The Qt player on real media made at test time, and the view that paints its frames.
#include "platform/ui/QtMediaPlayer.h"
#include "platform/ui/VideoView.h"
#include "support/child.h"
#include "support/fixture.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <cstring>
#include <functional>

namespace {

// A frame of one colour, as a decoder would hand it over.
QVideoFrame SolidFrame(QSize size, QRgb color) {
    QVideoFrame frame(QVideoFrameFormat(size, QVideoFrameFormat::Format_BGRA8888));
    if (!frame.map(QVideoFrame::WriteOnly)) return {};
    for (int y = 0; y < size.height(); ++y) {
        auto* line = frame.bits(0) + y * frame.bytesPerLine(0);
        for (int x = 0; x < size.width(); ++x) {
            const uchar px[4] = {uchar(qBlue(color)), uchar(qGreen(color)), uchar(qRed(color)), 255};
            std::memcpy(line + 4 * x, px, 4);
        }
    }
    frame.unmap();
    return frame;
}

bool IsBlack(QRgb c) {
    return qRed(c) < 16 && qGreen(c) < 16 && qBlue(c) < 16;
}

bool IsRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// Real media plays on the machine's own time: a step waits for the player's events as long as
// any busy machine could need (a step takes well under a second on an idle one), and never for a
// set time; a step that stalls is told before the test runner's own limit.
constexpr int kMediaWaitMs = 120000;
bool WaitForMedia(const std::function<bool()>& condition) {
    return WaitFor(condition, kMediaWaitMs);
}

class MediaPlayerTest : public ScrivelleTest {
protected:
    // Runs ffmpeg with the given arguments; the output file must exist afterwards.
    QString MakeMedia(const QString& name, const QStringList& args) {
        return MakeMediaWithFfmpeg(TempPath(name), args);
    }
};

} // namespace

TEST(VideoView, PaintsThePictureCentredWithBlackAround) {
    VideoView view;
    view.resize(200, 100);
    view.SetFrame(SolidFrame(QSize(40, 20), qRgb(255, 0, 0)));
    ASSERT_EQ(view.frameSize(), QSize(40, 20));

    // At its own size, in the middle.
    EXPECT_EQ(view.pictureRect(), QRect(80, 40, 40, 20));
    QImage shot = view.grab().toImage();
    EXPECT_TRUE(IsRed(shot.pixel(100, 50)));
    EXPECT_TRUE(IsBlack(shot.pixel(5, 5)));
    EXPECT_TRUE(IsBlack(shot.pixel(78, 50)));

    // Stretched: as large as fits, proportions kept (2:1 in 200x100 fills it all).
    view.setStretchToFit(true);
    EXPECT_EQ(view.pictureRect(), QRect(0, 0, 200, 100));
    view.resize(200, 200);
    EXPECT_EQ(view.pictureRect(), QRect(0, 50, 200, 100));
    shot = view.grab().toImage();
    EXPECT_TRUE(IsRed(shot.pixel(10, 100)));
    EXPECT_TRUE(IsBlack(shot.pixel(10, 20)));
    EXPECT_TRUE(IsBlack(shot.pixel(10, 180)));

    // A picture larger than the view is scaled down even without stretching.
    view.setStretchToFit(false);
    view.resize(30, 30);
    EXPECT_EQ(view.pictureRect(), QRect(0, 7, 30, 15));

    // Cleared: all black, no picture.
    view.Clear();
    EXPECT_TRUE(view.pictureRect().isEmpty());
    shot = view.grab().toImage();
    EXPECT_TRUE(IsBlack(shot.pixel(15, 15)));
}

TEST(QtMediaPlayer, PathsAndAddressesAreToldApart) {
    EXPECT_EQ(QtMediaPlayer::SourceUrl(QStringLiteral("/films/a b#1.avi")),
              QUrl::fromLocalFile(QStringLiteral("/films/a b#1.avi")));
    EXPECT_EQ(QtMediaPlayer::SourceUrl(QStringLiteral("http://example.org/v.mp4?x=1")),
              QUrl(QStringLiteral("http://example.org/v.mp4?x=1")));
    EXPECT_EQ(QtMediaPlayer::SourceUrl(QStringLiteral("file:///films/a.avi")),
              QUrl::fromLocalFile(QStringLiteral("/films/a.avi")));
    // A colon in a relative name, or "://" inside a folder name, does not make an address.
    EXPECT_TRUE(QtMediaPlayer::SourceUrl(QStringLiteral("take:2.avi")).isLocalFile());
    EXPECT_TRUE(QtMediaPlayer::SourceUrl(QStringLiteral("/odd/x://y.avi")).isLocalFile());
}

TEST_F(MediaPlayerTest, ControlsFollowUiModeStretchAndEnabled) {
    QtMediaPlayer player;
    QWidget* area = player.Widget();
    ASSERT_NE(area, nullptr);
    area->resize(320, 260);
    area->show();
    auto* seekBar = area->findChild<QSlider*>();
    ASSERT_NE(seekBar, nullptr);
    QWidget* bar = seekBar->parentWidget();

    EXPECT_EQ(player.uiMode(), QStringLiteral("full"));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(seekBar->isVisible());
    player.setUiMode(QStringLiteral("mini"));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(seekBar->isVisible());
    player.setUiMode(QStringLiteral("none"));
    EXPECT_FALSE(bar->isVisible());
    player.setUiMode(QStringLiteral("odd!")); // unknown: ignored
    EXPECT_EQ(player.uiMode(), QStringLiteral("none"));
    player.setUiMode(QStringLiteral("Full"));
    EXPECT_TRUE(seekBar->isVisible());

    player.setStretchToFit(true);
    EXPECT_TRUE(player.view()->stretchToFit());
    player.setEnabled(false);
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_FALSE(player.enabled());

    // The buttons must not take the keyboard from the window.
    for (auto* b : area->findChildren<QToolButton*>())
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    player.setVolume(250);
    EXPECT_EQ(player.volume(), 100);
}

TEST_F(MediaPlayerTest, PlaysVideoAndSoundWithoutASoundDevice) {
    // Long enough that it never ends while a busy machine keeps the test waiting: the test plays
    // only what each step needs and seeks to the end to see it stop there.
    const QString video =
        MakeMedia(QStringLiteral("clip.avi"),
                  {"-f", "lavfi", "-i", "testsrc=duration=60:size=160x120:rate=10", "-f", "lavfi", "-i",
                   "sine=frequency=440:duration=60:sample_rate=8000", "-c:v", "mpeg4", "-c:a", "pcm_s16le",
                   "-shortest"});
    const QString wav = MakeMedia(QStringLiteral("tone.wav"),
                                  {"-f", "lavfi", "-i", "sine=frequency=440:duration=60:sample_rate=8000"});
    ASSERT_FALSE(video.isEmpty());
    ASSERT_FALSE(wav.isEmpty());

    QtMediaPlayer player;
    player.Widget()->resize(320, 280);
    player.Widget()->show();
    QSignalSpy states(&player, &IMediaPlayer::PlayStateChange);
    QSignalSpy moves(&player, &IMediaPlayer::PositionChange);

    // Setting the address starts playing.
    player.setURL(video);
    EXPECT_EQ(player.URL(), video);
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStatePlaying; }));
    ASSERT_GE(states.count(), 1);
    EXPECT_EQ(states.last().at(0).toInt(), kPlayStatePlaying);

    ASSERT_TRUE(WaitForMedia([&] { return player.duration() > 0; })) << "the duration never became known";
    EXPECT_NEAR(player.duration(), 60.0, 0.2);
    ASSERT_TRUE(WaitForMedia([&] { return player.currentPosition() >= 0.5; })) << "the position does not move";
    // The frames reach our own view and are painted there.
    ASSERT_TRUE(WaitForMedia([&] { return player.view()->frameSize() == QSize(160, 120); }));
    const QRect picture = player.view()->pictureRect();
    EXPECT_FALSE(IsBlack(player.view()->grab().toImage().pixel(picture.center())));

    player.pause();
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStatePaused; }));
    EXPECT_EQ(states.last().at(0).toInt(), kPlayStatePaused);
    const double pausedAt = player.currentPosition();
    {
        // While a second player plays 0.3 s of its tone, the paused one stays where it is.
        QtMediaPlayer clock;
        clock.setURL(wav);
        ASSERT_TRUE(WaitForMedia([&] { return clock.currentPosition() >= 0.3; })) << "the tone does not play";
    }
    EXPECT_NEAR(player.currentPosition(), pausedAt, 0.05);
    // Playing moved the position many times over; none of that is a seek.
    EXPECT_EQ(moves.count(), 0);

    player.setCurrentPosition(2.0);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_NEAR(moves.at(0).at(0).toDouble(), pausedAt, 0.05);
    EXPECT_DOUBLE_EQ(moves.at(0).at(1).toDouble(), 2.0);
    EXPECT_NEAR(player.currentPosition(), 2.0, 0.1);
    EXPECT_EQ(player.playState(), kPlayStatePaused);
    EXPECT_EQ(player.currentPositionString(), QStringLiteral("00:02"));

    // Played to its end, the media stops there; play starts it over.
    player.setCurrentPosition(59.5);
    player.play();
    EXPECT_EQ(player.playState(), kPlayStatePlaying);
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStateStopped; })) << "no stop at the end";
    EXPECT_NEAR(player.currentPosition(), 60.0, 0.2);
    player.stop(); // already stopped, but the position goes back to the start
    EXPECT_NEAR(player.currentPosition(), 0.0, 0.01);
    player.play();
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStatePlaying; }));
    EXPECT_LT(player.currentPosition(), 59.0);

    player.stop();
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStateStopped; }));
    EXPECT_EQ(states.last().at(0).toInt(), kPlayStateStopped);
    EXPECT_NEAR(player.currentPosition(), 0.0, 0.01);
    EXPECT_EQ(moves.count(), 2); // the two seeks
    // Each event reported a change.
    for (int i = 1; i < states.count(); ++i)
        EXPECT_NE(states[i].at(0), states[i - 1].at(0)) << i;

    // Sound alone plays on the same clock, sound device or not.
    player.setURL(wav);
    ASSERT_TRUE(WaitForMedia([&] { return player.playState() == kPlayStatePlaying; }));
    ASSERT_TRUE(WaitForMedia([&] { return player.duration() > 0; }));
    EXPECT_NEAR(player.duration(), 60.0, 0.2);
    ASSERT_TRUE(WaitForMedia([&] { return player.currentPosition() >= 0.3; })) << "sound alone does not play";
    // Read live from the pipeline, not from Qt's position reports: those come through the event
    // loop, and with no event let run the reads still move on. (Sound alone: a video sink may
    // wait for the window's thread before the pipeline goes on.)
    for (int i = 0; i < 3; ++i) {
        const double from = player.currentPosition();
        double to = from;
        const QDeadlineTimer limit(kMediaWaitMs);
        while (to == from && !limit.hasExpired()) {
            QThread::yieldCurrentThread();
            to = player.currentPosition();
        }
        EXPECT_GT(to, from) << "read " << i << " did not move without events";
    }

    // Media that cannot be opened does not stay "playing": once it has been found unplayable
    // (and told so) the player is stopped.
    QSignalSpy errors(&player, &IMediaPlayer::MediaError);
    player.setURL(TempPath(QStringLiteral("missing.avi")));
    ASSERT_TRUE(WaitForMedia([&] { return errors.count() >= 1; }));
    EXPECT_EQ(errors.count(), 1);
    EXPECT_EQ(player.playState(), kPlayStateStopped);
    EXPECT_EQ(player.duration(), 0.0);

    player.close();
    EXPECT_EQ(player.playState(), kPlayStateStopped);
    EXPECT_TRUE(player.URL().isEmpty());
    EXPECT_EQ(player.duration(), 0.0);
    EXPECT_EQ(player.currentPosition(), 0.0);
    EXPECT_EQ(states.last().at(0).toInt(), kPlayStateStopped);
}

TEST_F(MediaPlayerTest, AClickOnTheSeekBarGoesToThatPoint) {
    QtMediaPlayer player;
    QWidget* area = player.Widget();
    area->resize(400, 300);
    area->show();
    auto* seekBar = area->findChild<QSlider*>();
    ASSERT_NE(seekBar, nullptr);
    seekBar->setRange(0, 100000); // as a 100 s media sets it
    for (const double at : {0.75, 0.25}) {
        QTest::mouseClick(seekBar, Qt::LeftButton, Qt::NoModifier,
                          QPoint(int(seekBar->width() * at), seekBar->height() / 2));
        EXPECT_NEAR(seekBar->value(), 100000 * at, 5000) << at; // not one page step from before
    }
}

// Qt's player is made only when media is first opened; until then every call answers as a
// player with nothing loaded, and what was set beforehand holds.
TEST_F(MediaPlayerTest, CallsBeforeAnyMediaAnswerAsEmpty) {
    QtMediaPlayer player;
    player.setVolume(30);
    player.close();
    player.play();
    player.pause();
    player.stop();
    player.setCurrentPosition(12.5);
    player.setURL(QString());
    EXPECT_EQ(player.playState(), kPlayStateStopped);
    EXPECT_EQ(player.currentPosition(), 0.0);
    EXPECT_EQ(player.duration(), 0.0);
    EXPECT_TRUE(player.URL().isEmpty());
    EXPECT_EQ(player.volume(), 30);
    EXPECT_EQ(player.Widget()->findChild<QSlider*>()->maximum(), 0);
}
