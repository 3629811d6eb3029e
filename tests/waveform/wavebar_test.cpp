// The audio bar in the main window, driven by the mouse and the fake player: opening a WAV
// through the chooser, seeking, retiming the caption by dragging its lines, following
// playback, stopping a load.
#include "base/settingsstore.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/mediastate.h"
#include "document/timecode.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/mainwindow_fixture.h"
#include "platform/MsgBox.h"
#include "waveform/ui/WaveBar.h"
#include "waveform/ui/WavePane.h"
#include "waveform/wav_builder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <vector>

using namespace wavtest;

namespace {

class WaveBarTest : public MainWindowFixture {
protected:
    void TearDown() override {
        WaveLoader::ChunkBytes = 256 * 1024;
        MainWindowFixture::TearDown();
    }
    void Show() {
        Make();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    WaveBar& bar() { return *w->Wave(); }
    WavePane* pane() { return bar().Controls().picWave; }

    // seconds of 8 kHz mono whose samples swing between +amplitude and -amplitude.
    QString Tone(const QString& name, int seconds, int16_t amplitude = 8000) {
        std::vector<int16_t> s(size_t(8000 * seconds));
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = i % 2 ? amplitude : int16_t(-amplitude);
        Fmt f;
        f.channels = 1;
        f.rate = 8000;
        return WriteFile(name, Wav(f, Samples16(s)));
    }
    // Opens audio through File > Open audio with the chooser answering choice.
    void Open(const QString& path, int choice = 1) {
        w->showAudioChooser = [choice] { gAudioChoice = uint8_t(choice); };
        dialogs.paths.push_back(path);
        w->mnuOpenWav_Click();
        ASSERT_TRUE(WaitFor([&] { return !bar().Loading(); }));
        ASSERT_TRUE(WaitFor([&] { return pane()->width() > 500; }));
        QApplication::processEvents();
    }
    // A subtitle with caption 1 at 1,000..3,005 ms, 2 at 5,000..6,000 and 3 untimed.
    void OpenSubtitle() {
        const QString path = WriteFile("doc.srt", "1\r\n00:00:01,000 --> 00:00:03,005\r\none\r\n\r\n"
                                                  "2\r\n00:00:05,000 --> 00:00:06,000\r\ntwo\r\n\r\n"
                                                  "3\r\n00:00:08,000 --> 00:00:09,000\r\nthree\r\n\r\n");
        ASSERT_TRUE(w->LoadTextFile(path));
        ClearLineTimes(3, true);
        gModified = false;
        SelectLine(1, false);
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int x) {
        const QPointF at(x, 30);
        QMouseEvent e(type, at, pane()->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(pane(), &e);
    }
    void RightDrag(int from, int to) {
        Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, from);
        Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, to);
    }
    void RightUp(int x) { Mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, x); }
    void Tick(int advanceMs = 0) {
        player->Advance(advanceMs);
        w->Timing()->tmrTime_Timer();
        bar().tmrWave_Timer();
    }
};

TEST_F(WaveBarTest, OpenAudioGoesThroughTheChooserIntoTheBar) {
    gAudioBar = false;
    Show();
    const QString tone = Tone("tone.wav", 3);
    Open(tone);
    EXPECT_TRUE(dialogs.calls.last().filter.contains(QStringLiteral("PCM wave files")));
    EXPECT_EQ(gWaveFile, tone);
    // The bar switches itself on and follows the player.
    EXPECT_TRUE(gAudioBar);
    EXPECT_TRUE(w->mnuAudioBar->isChecked());
    EXPECT_TRUE(pane()->isVisible());
    EXPECT_TRUE(w->tmrWave->isActive());
    EXPECT_TRUE(w->sldWavScale->isEnabled());
    EXPECT_FALSE(w->lblWave->isVisible());
    EXPECT_TRUE(w->mnuAFileName->isVisible());
    EXPECT_TRUE(w->mnuAFileName->isEnabled());
    EXPECT_TRUE(player->URL().isEmpty()); // choice 1: the bar only
    ASSERT_EQ(gWavePeakCount, 600);
    EXPECT_EQ(gWaveLoadedBlocks, 300);
    EXPECT_EQ(gWavePeaks[0], 8000);
    EXPECT_EQ(gWavePeaks[599], -8000);
    // The pane's own width, not the screen's.
    EXPECT_EQ(gWaveWidth, pane()->width());

    // The extraction wizard's way in: the chooser, then both targets.
    const QString other = Tone("other.wav", 2);
    w->showAudioChooser = [] { gAudioChoice = 3; };
    w->LoadChosenAudioFile(other);
    ASSERT_TRUE(WaitFor([&] { return !bar().Loading(); }));
    EXPECT_EQ(gWaveFile, other);
    EXPECT_EQ(player->URL(), other);
    EXPECT_EQ(gWavePeakCount, 400);
    // Cancelled: nothing changes.
    w->showAudioChooser = [] { gAudioChoice = 0; };
    w->LoadChosenAudioFile(tone);
    EXPECT_EQ(gWaveFile, other);
}

TEST_F(WaveBarTest, HostileHeadersAreReportedAndLeaveTheBarAsItWas) {
    Show();
    const QString good = Tone("good.wav", 2);
    Open(good);
    Fmt adpcm;
    adpcm.tag = 2;
    adpcm.bits = 4;
    adpcm.blockAlign = 1024;
    Fmt noRate;
    noRate.rate = 0;
    const QByteArray bad[] = {
        "RIFF\x10\0\0\0WAVEfmt ",
        Riff(Chunk("fmt ", FmtBody({}))), // no data chunk
        Wav(adpcm, QByteArray(4096, '\x33')),
        Wav(noRate, QByteArray(64, '\x01')),
        Riff(Chunk("fmt ", FmtBody({})) + Chunk("junk", "x", 0xFFFFFFF0)),
    };
    int n = 0;
    for (const QByteArray& bytes : bad) {
        SCOPED_TRACE(n);
        msgbox.Answer(vbOK);
        gAudioChoice = 1;
        w->LoadAudioFile(WriteFile(QStringLiteral("bad%1.wav").arg(n++), bytes));
        ASSERT_EQ(msgbox.count(), n);
        EXPECT_EQ(msgbox.last().text, LangText(413));
        EXPECT_EQ(msgbox.last().title, LangText(356));
        EXPECT_EQ(msgbox.last().icon, vbCritical);
        EXPECT_EQ(gWaveFile, good);
        EXPECT_EQ(gWavePeakCount, 400);
        EXPECT_TRUE(w->mnuAFileName->isEnabled());
    }
}

TEST_F(WaveBarTest, LeftClickSeeksAndPlayingGoesOnAfterTheButtonIsLetGo) {
    Show();
    Open(Tone("song.wav", 20), 3);
    ASSERT_EQ(player->playState(), kPlayStatePlaying);
    bar().DrawWave(1000);
    QTest::mouseClick(pane(), Qt::LeftButton, {}, QPoint(250, 30));
    EXPECT_EQ(player->positionMs(), 12500);
    EXPECT_EQ(w->Timing()->PositionMs(), 12500);
    EXPECT_EQ(player->playState(), kPlayStatePlaying);
    EXPECT_EQ(pane()->lnWavPos().x, 250);
    EXPECT_EQ(pane()->lnWavPos().color, kWavePosColor);

    // A drag with the left button: the moves find the player paused by the press, and it
    // still plays again at the end.
    player->calls.clear();
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 100);
    EXPECT_EQ(pane()->lnWavPos().color, kWaveSeekColor);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 150);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 200);
    EXPECT_EQ(player->playState(), kPlayStatePaused);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 200);
    EXPECT_EQ(player->positionMs(), 12000);
    EXPECT_EQ(player->playState(), kPlayStatePlaying);
    EXPECT_EQ(player->calls.count(QStringLiteral("play")), 1);
}

TEST_F(WaveBarTest, RightDragRetimesOnlyTheBoundThatMoved) {
    Show();
    OpenSubtitle();
    Open(Tone("song.wav", 20));
    ASSERT_TRUE(pane()->lnStart().visible);
    ASSERT_EQ(pane()->lnStart().x, 100);
    ASSERT_EQ(pane()->lnEnd().x, 300);

    // Hovering shows the hint over the span and colours what a right-drag would take.
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 100);
    EXPECT_TRUE(w->lblWaveTip->isVisible());
    EXPECT_EQ(pane()->lnStart().color, kWaveTakeColor);
    EXPECT_EQ(pane()->lnEnd().color, kWaveKeepColor);
    EXPECT_EQ(pane()->cursor().shape(), Qt::SizeHorCursor);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 200);
    EXPECT_EQ(pane()->shpWav().color, kWaveTakeColor);
    EXPECT_EQ(pane()->cursor().shape(), Qt::ArrowCursor);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 320);
    EXPECT_FALSE(w->lblWaveTip->isVisible());
    EXPECT_EQ(pane()->lnStart().color, kWaveSpanColor);

    // Outside the lines nothing is taken.
    RightDrag(50, 80);
    RightUp(80);
    EXPECT_FALSE(gModified);
    EXPECT_EQ(GetLineStart(1), 1000);

    // The start line: the end keeps its exact milliseconds; the boxes and grid follow.
    RightDrag(101, 150);
    EXPECT_EQ(bar().DragTarget(), 1);
    EXPECT_EQ(GetLineStart(1), 1500);
    EXPECT_EQ(GetLineEnd(1), 3005);
    EXPECT_TRUE(gModified);
    EXPECT_EQ(gSelStart, 1500);
    EXPECT_EQ(w->txtTime[0]->text(), MsToTime(1500));
    EXPECT_EQ(w->txtTime[1]->text(), MsToTime(1505));
    EXPECT_EQ(grdSubs().TextMatrix(1, kColStart), QStringLiteral("1500"));
    // Not closer than 14 pixels to the end line.
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 295);
    EXPECT_EQ(GetLineStart(1), 1500);
    EXPECT_EQ(pane()->lnStart().x, 150);
    RightUp(295);
    EXPECT_EQ(bar().DragTarget(), 0);

    // The whole span keeps its length to the millisecond.
    RightDrag(200, 250);
    EXPECT_EQ(GetLineStart(1), 2000);
    EXPECT_EQ(GetLineEnd(1), 3505);
    RightUp(250);
    // The end line alone.
    RightDrag(350, 400);
    EXPECT_EQ(GetLineStart(1), 2000);
    EXPECT_EQ(GetLineEnd(1), 4000);
    RightUp(400);

    // While a run holds the document, a drag writes nothing.
    {
        DocumentBusyGuard busy;
        RightDrag(400, 450);
        RightUp(450);
    }
    EXPECT_EQ(GetLineEnd(1), 4000);

    // Holding still writes nothing: a saved document stays unmodified.
    gModified = false;
    RightDrag(400, 400);
    RightUp(400);
    EXPECT_FALSE(gModified);

    // An untimed caption has no lines: a right-drag changes nothing.
    SelectLine(3, false);
    EXPECT_FALSE(pane()->lnStart().visible);
    RightDrag(0, 300);
    RightUp(300);
    EXPECT_FALSE(IsLineTimed(3));
    EXPECT_FALSE(gModified);
}

TEST_F(WaveBarTest, OnlyALineThePointerMovedChangesItsTime) {
    Show();
    OpenSubtitle();
    Open(Tone("song.wav", 20));
    // Times between two columns: the start line stands at 123, the end line at 243.
    struct Case {
        const char* what;
        std::vector<int> xs; // the press, then the moves with the right button held
        int32_t start, end;
        bool movedOnTheWay = false; // the times changed and came back
    };
    const Case cases[] = {
        {"click on the start line", {123}, 1234, 2434},
        {"click beside the start line", {121}, 1234, 2434},
        {"click on the end line", {244}, 1234, 2434},
        {"click in the span", {200}, 1234, 2434},
        {"start line held at the 14-pixel limit", {123, 235, 240}, 1234, 2434},
        {"end line held at the 14-pixel limit", {243, 130, 124}, 1234, 2434},
        {"start line moved", {123, 150}, 1500, 2434},
        {"start line moved and brought back", {123, 150, 123}, 1234, 2434, true},
        {"start line moved, then held at the limit", {122, 160, 238}, 1600, 2434},
        {"end line moved", {243, 300}, 1234, 3000},
        {"span moved", {200, 210}, 1330, 2530},
        {"span moved and brought back", {200, 210, 200}, 1234, 2434, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLineStart(1, 1234, true);
        SetLineEnd(1, 2434);
        gModified = false;
        SelectLine(1, false);
        ASSERT_EQ(pane()->lnStart().x, 123);
        ASSERT_EQ(pane()->lnEnd().x, 243);
        Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, c.xs.front());
        for (size_t i = 1; i < c.xs.size(); ++i)
            Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, c.xs[i]);
        RightUp(c.xs.back());
        EXPECT_EQ(GetLineStart(1), c.start);
        EXPECT_EQ(GetLineEnd(1), c.end);
        EXPECT_EQ(gModified, c.movedOnTheWay || c.start != 1234 || c.end != 2434);
        EXPECT_EQ(w->txtTime[0]->text(), MsToTime(c.start));
    }
}

TEST_F(WaveBarTest, TheCursorFollowsPlaybackAndTheViewDoesNotTurnUnderADrag) {
    Show();
    OpenSubtitle();
    player->SetMediaLength(60);
    Open(Tone("song.wav", 60), 3);
    const int width = pane()->width();
    Tick(2000);
    EXPECT_EQ(pane()->lnWavPos().x, 200);
    EXPECT_TRUE(pane()->lnWavPos().visible);
    EXPECT_EQ(bar().Controls().picLevel->Level(), 8000 / (gWavScale / 32));

    // Past the right edge the view turns a page and the caption's lines move with it.
    Tick(width * 10);
    EXPECT_EQ(gWaveOffset, 200 + width);
    EXPECT_EQ(pane()->lnWavPos().x, 0);
    EXPECT_FALSE(pane()->lnStart().visible);

    // Under a drag the view stays where the user holds the lines.
    bar().DrawWave(0);
    EXPECT_TRUE(pane()->lnStart().visible);
    RightDrag(100, 110);
    Tick(100);
    EXPECT_EQ(gWaveOffset, 0);
    RightUp(110);
    Tick(0);
    EXPECT_NE(gWaveOffset, 0);

    // The smallest scale: the meter is full, nothing divides by zero.
    w->sldWavScale->setValue(1);
    EXPECT_EQ(gWavScale, 10);
    Tick(10);
    EXPECT_GT(bar().Controls().picLevel->Level(), 32);

    // Paused, the meter keeps its level; stopped, it clears, the line goes and the view
    // returns to the start.
    player->pause();
    Tick(0);
    EXPECT_GT(bar().Controls().picLevel->Level(), 0);
    player->stop();
    Tick(0);
    EXPECT_EQ(bar().Controls().picLevel->Level(), 0);
    EXPECT_FALSE(pane()->lnWavPos().visible);
    EXPECT_EQ(gWaveOffset, 0);
    EXPECT_TRUE(pane()->lnStart().visible);
}

TEST_F(WaveBarTest, CloseAllStopsALoadAndTheNextLoadRunsToTheEnd) {
    Show();
    WaveLoader::ChunkBytes = 256;
    const QString tone = Tone("long.wav", 120);
    gAudioChoice = 1;
    w->LoadAudioFile(tone);
    ASSERT_TRUE(bar().Loading());
    w->CloseAll();
    EXPECT_TRUE(gStopWave);
    EXPECT_FALSE(bar().Loading());
    EXPECT_TRUE(gWaveFile.isEmpty());
    EXPECT_EQ(gWavePeakCount, 0);
    EXPECT_FALSE(w->lblWave->isVisible());
    EXPECT_FALSE(w->tmrWave->isActive());
    // Whatever the stopped load had sent on its way is delivered now, and dropped.
    QApplication::processEvents();
    EXPECT_EQ(gWavePeakCount, 0);

    // The stop asked for the old load does not stop the next one.
    WaveLoader::ChunkBytes = 64 * 1024;
    w->LoadAudioFile(tone);
    EXPECT_FALSE(gStopWave);
    ASSERT_TRUE(WaitFor([&] { return !bar().Loading(); }));
    EXPECT_EQ(gWaveLoadedBlocks, 12000);
    EXPECT_EQ(gWaveFile, tone);
}

TEST_F(WaveBarTest, ViewMenuShowsTheBarAndTheFullWave) {
    Show();
    Open(Tone("song.wav", 5, 16000));
    const QImage bars = pane()->Picture().copy();
    w->mnuFullWave->trigger();
    EXPECT_TRUE(gFullWave);
    EXPECT_NE(pane()->Picture(), bars);
    w->mnuFullWave->trigger();
    EXPECT_EQ(pane()->Picture(), bars);

    w->mnuAudioBar->trigger();
    EXPECT_FALSE(gAudioBar);
    EXPECT_FALSE(w->picAudio->isVisible());
    EXPECT_FALSE(w->tmrWave->isActive());
    w->mnuAudioBar->trigger();
    EXPECT_TRUE(gAudioBar);
    EXPECT_TRUE(w->picAudio->isVisible());
    EXPECT_TRUE(w->tmrWave->isActive());

    // A dark wave colour gets a white background.
    bar().SetWaveColor(0x202020);
    EXPECT_EQ(gWaveBackColor, 0xFFFFFF);
    EXPECT_EQ(pane()->Picture().pixel(pane()->width() - 1, 0), qRgb(255, 255, 255));

    // The colour command: Cancel changes nothing; a choice recolours the wave and is stored.
    const QImage before = pane()->Picture().copy();
    dialogs.colors = {-1, 0x00FF00};
    w->mnuAudioBarColor->trigger();
    EXPECT_EQ(gAudioBarColor, 0x202020);
    EXPECT_EQ(pane()->Picture(), before);
    w->mnuAudioBarColor->trigger();
    EXPECT_EQ(gAudioBarColor, 0x00FF00);
    EXPECT_NE(pane()->Picture(), before);
    EXPECT_EQ(ReadSetting(QStringLiteral("M_AUDIOBARCOLOR")), QStringLiteral("65280"));
}

} // namespace
