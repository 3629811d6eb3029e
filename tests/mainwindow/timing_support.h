#pragma once
// The timing controller on the fake player and a view that only remembers what it was told.
#include "base/settings.h"
#include "document/captions.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/mainstate.h"
#include "support/FakeMediaPlayer.h"
#include "support/fixture.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class FakeTimingView final : public TimingView {
public:
    bool IsApplyEnabled() const override { return apply; }
    void SetApplyEnabled(bool on) override { apply = on; }
    bool IsNextEnabled() const override { return next; }
    void SetNextEnabled(bool on) override { next = on; }
    bool IsEndEnabled() const override { return end; }
    void SetEndEnabled(bool on) override { end = on; }
    void MarkButtons(bool a, bool n) override {
        markApply = a;
        markNext = n;
    }
    void ShowModeTexts(int m) override { mode = m; }
    void ShowStartBox(int32_t ms) override { startBox = ms; }
    void ShowDurationBox(int32_t ms) override { durationBox = ms; }
    void SetTimeBoxesEnabled(bool on) override { timeBoxes = on; }
    void SetCaptionBoxEnabled(bool on) override { captionBox = on; }
    void ShowPosition(const QString& t, const QString& s) override {
        time = t;
        stringPos = s;
    }
    void ShowCaption(int row) override {
        shown = row;
        shows << row;
    }
    void ClearCaption() override { shown = 0; }
    bool IsCaptionShown() const override { return shown != 0; }
    void WaveCursorTick() override { ++waveTicks; }
    void ShowWaveCursor(bool on) override { waveCursor = on ? 1 : 0; }

    bool apply = false, next = false, end = false;
    bool markApply = false, markNext = false;
    int mode = -1;
    int32_t startBox = -1, durationBox = -1;
    bool timeBoxes = true, captionBox = false;
    QString time, stringPos;
    int shown = 0;
    QList<int> shows;
    int waveTicks = 0;
    int waveCursor = -1;
};

class TimingTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        LoadSettings(); // hot keys B N M Z X C D F W E, join within 200 ms, duration rule on
        gApplyWhen = 0; // no automatic end unless a test turns it on
        gSubFile = QStringLiteral("NEW");
        gVideoFile = QStringLiteral("/v/movie.avi");
        player = std::make_unique<FakeMediaPlayer>();
        player->SetMediaLength(3600);
        timing = std::make_unique<TimingController>(player.get(), &view);
        Captions(5);
        player->setURL(gVideoFile); // playing from 0
    }
    void TearDown() override {
        timing.reset();
        player.reset();
        ScrivelleTest::TearDown();
    }

    // n untimed captions "caption 1".. (9 characters: 1080 ms by the default duration rule).
    void Captions(int n) {
        std::vector<tSubtitleLine> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back({0, 0, QStringLiteral("caption %1").arg(i)});
        FillLines(0, lines);
        SelectLine(1, false);
    }
    void Timed(const std::vector<tSubtitleLine>& lines) {
        FillLines(0, lines);
        SelectLine(1, false);
    }

    // Moves the video forward to ms, or seeks there when that lies behind.
    void At(int ms) {
        if (ms >= player->positionMs())
            player->Advance(int(ms - player->positionMs()));
        else
            player->setCurrentPosition(ms / 1000.0);
    }
    // At(ms), then the 10 ms position tick.
    void TickAt(int ms) {
        At(ms);
        timing->tmrTime_Timer();
    }
    void Down() { timing->cmdApply_MouseDown(Qt::LeftButton); }
    void Up() { timing->cmdApply_MouseUp(Qt::LeftButton); }
    // Press-and-hold one caption from startMs to endMs.
    void Hold(int startMs, int endMs) {
        At(startMs);
        Down();
        At(endMs);
        Up();
    }
    std::pair<int32_t, int32_t> Span(int row) const { return {GetLineStart(row), GetLineEnd(row)}; }

    FakeTimingView view;
    std::unique_ptr<FakeMediaPlayer> player;
    std::unique_ptr<TimingController> timing;
};
