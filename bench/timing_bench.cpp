// The timing controller over a full document: what a preview tick and a timed caption cost
// with 32,000 captions. Prints the figures.
//
//   timing_bench [captions]      (default 32000)
#include "base/settings.h"
#include "document/captions.h"
#include "mainwindow/TimingController.h"
#include "platform/IMediaPlayer.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// A player that plays whatever position it is given.
class StillPlayer final : public IMediaPlayer {
public:
    QString URL() const override { return QStringLiteral("bench.avi"); }
    void setURL(const QString&) override {}
    void close() override {}
    bool enabled() const override { return true; }
    void setEnabled(bool) override {}
    int playState() const override { return kPlayStatePlaying; }
    void play() override {}
    void pause() override {}
    void stop() override {}
    double currentPosition() const override { return positionMs / 1000.0; }
    void setCurrentPosition(double seconds) override { positionMs = qint64(seconds * 1000); }
    double duration() const override { return 0; }
    int volume() const override { return 50; }
    void setVolume(int) override {}
    bool stretchToFit() const override { return false; }
    void setStretchToFit(bool) override {}
    QString uiMode() const override { return QStringLiteral("none"); }
    void setUiMode(const QString&) override {}
    QWidget* Widget() override { return nullptr; }

    qint64 positionMs = 0;
};

class NullView final : public TimingView {
public:
    bool IsApplyEnabled() const override { return apply; }
    void SetApplyEnabled(bool on) override { apply = on; }
    bool IsNextEnabled() const override { return next; }
    void SetNextEnabled(bool on) override { next = on; }
    bool IsEndEnabled() const override { return end; }
    void SetEndEnabled(bool on) override { end = on; }
    void MarkButtons(bool, bool) override {}
    void ShowModeTexts(int) override {}
    void ShowStartBox(int32_t) override {}
    void ShowDurationBox(int32_t) override {}
    void SetTimeBoxesEnabled(bool) override {}
    void SetCaptionBoxEnabled(bool) override {}
    void ShowPosition(const QString&, const QString&) override {}
    void ShowCaption(int row) override { shown = row; }
    void ClearCaption() override { shown = 0; }
    bool IsCaptionShown() const override { return shown != 0; }

    bool apply = true, next = false, end = false;
    int shown = 0;
};

double MicrosPer(int count, const std::function<void(int)>& work) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        work(i);
    return timer.nsecsElapsed() / 1e3 / count;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(2, std::min(atoi(argv[1]), kMaxCaptions)) : 32000;
    LoadSettings();
    gSubFile = QStringLiteral("bench.srt");
    gApplyWhen = 0;

    std::vector<tSubtitleLine> lines;
    for (int i = 0; i < n; ++i)
        lines.push_back({i * 2000, i * 2000 + 1500, QStringLiteral("Caption number %1").arg(i + 1)});
    FillLines(0, lines);
    SelectLine(1, false);

    StillPlayer player;
    NullView view;
    TimingController timing(&player, &view);
    const int lastEnd = (n - 1) * 2000 + 1500;
    std::printf("%d captions\n", n);

    timing.optPreview_Click();
    const auto tick = [&](qint64 ms) {
        player.positionMs = ms;
        timing.tmrTime_Timer();
        timing.tmrPreview_Timer();
    };
    // Playing through the document: a scan each time the position leaves a caption.
    const int throughTicks = std::min(n, 2000) * 200;
    const double through = MicrosPer(throughTicks, [&](int i) { tick(qint64(i) * 10); });
    std::printf("preview tick, playing through captions      %8.2f us  (%d scans in %d ticks)\n", through,
                timing.PreviewScans(), throughTicks);

    // Past the last caption nothing matches.
    const int before = timing.PreviewScans();
    const double past = MicrosPer(10000, [&](int i) { tick(lastEnd + 10 + qint64(i) * 10); });
    std::printf("preview tick, past the last caption         %8.2f us  (%d scans in 10000 ticks)\n", past,
                timing.PreviewScans() - before);

    // One full scan, the worst a tick can cost: the document changed, nothing matches.
    const double scan = MicrosPer(20, [&](int i) {
        SetLineText(n, QStringLiteral("changed %1").arg(i));
        timing.GetPreviewCap();
    });
    std::printf("full preview scan after a change            %8.2f us\n", scan);

    // Press-and-hold, caption after caption from the first row.
    timing.optPress_Click();
    SelectLine(1, false);
    const int timed = std::min(n - 1, 5000);
    const double caption = MicrosPer(timed, [&](int i) {
        player.positionMs = qint64(i) * 3000;
        timing.cmdApply_MouseDown(Qt::LeftButton);
        player.positionMs += 1200;
        timing.cmdApply_MouseUp(Qt::LeftButton);
    });
    std::printf("press and release, one caption              %8.2f us  (%d captions)\n", caption, timed);
    return 0;
}
