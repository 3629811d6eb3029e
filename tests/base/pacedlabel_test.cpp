// The progress label that takes a new text at most once per displayed frame, driven by a clock
// the test sets.
#include "base/ui/pacedlabel.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr int64_t kMs = 1000000;

struct Label {
    Label() {
        label.resize(300, 20);
        pacer = new PacedLabel(&label);
        pacer->SetClock([this] { return now; });
    }
    QLabel label;
    PacedLabel* pacer;
    int64_t now = 0;
};

TEST(FrameInterval, FollowsTheScreenAndFallsBackTo60Hz) {
    const struct {
        double rate;
        int64_t ns;
    } cases[] = {{60.0, 16666666},
                 {59.94, 16683350},
                 {144.0, 6944444},
                 {30.0, 33333333},
                 {0.0, 16666666},
                 {-60.0, 16666666},
                 {5.0, 16666666},
                 {1e6, 16666666},
                 {std::numeric_limits<double>::quiet_NaN(), 16666666},
                 {std::numeric_limits<double>::infinity(), 16666666}};
    for (const auto& c : cases)
        EXPECT_EQ(FrameIntervalNs(c.rate), c.ns) << c.rate;
}

// Each step: the clock, the text given, then what the label holds and whether a text waits.
TEST(PacedLabel, TakesTheLatestTextOncePerFrame) {
    const int64_t frame = FrameIntervalNs(QApplication::primaryScreen()->refreshRate());
    const struct Step {
        int64_t at;
        const char* text; // nullptr: Flush()
        const char* shown;
        bool waiting;
    } steps[] = {
        {0, "a", "", true},                     // the first text waits a frame
        {frame / 2, "b", "", true},             // and is replaced by a later one
        {frame - 1, "c", "", true},             // not yet a frame
        {frame, "d", "d", false},               // a frame since the run began
        {frame + 1, "e", "d", true},            // a frame from the last take, not from the run
        {2 * frame - 1, "f", "d", true},        //
        {2 * frame + 5 * kMs, "g", "g", false}, // a late text is taken at once
        {10 * frame, "h", "h", false},          // so is one after a long step
        {10 * frame + 1, nullptr, "h", false},  // Flush with nothing waiting changes nothing
        {10 * frame + 2, "i", "h", true},       // a new run: its first text waits again
        {10 * frame + 3, "j", "h", true},       //
        {10 * frame + 4, nullptr, "j", false},  // Flush: the last text given, at once
        {20 * frame, "k", "j", true},           // a run long after the last still waits a frame
        {21 * frame, "l", "l", false},          //
    };
    Label l;
    for (const Step& s : steps) {
        l.now = s.at;
        if (s.text)
            l.pacer->SetText(QString::fromLatin1(s.text));
        else
            l.pacer->Flush();
        EXPECT_EQ(l.label.text(), QLatin1String(s.shown))
            << "at " << s.at << " text " << (s.text ? s.text : "flush");
        EXPECT_EQ(l.pacer->Waiting(), s.waiting) << "at " << s.at;
    }
}

// Over random runs of texts: the label never takes two texts within a frame, never holds a text
// back once a frame has passed, and after Flush shows the last text given.
TEST(PacedLabel, NeverFasterThanAFrameNeverLaterThanNeededAndEndsOnTheLastText) {
    const int64_t frame = FrameIntervalNs(QApplication::primaryScreen()->refreshRate());
    std::mt19937 rng(5150);
    // Gaps from far below a frame (a fast run) to several frames (a slow one).
    const int64_t meanGaps[] = {1000, 50 * 1000, kMs, 5 * kMs, frame, 3 * frame};
    for (int64_t mean : meanGaps) {
        for (int run = 0; run < 20; ++run) {
            Label l;
            std::exponential_distribution<double> gap(1.0 / double(mean));
            int64_t runStart = -1, lastTake = std::numeric_limits<int64_t>::min() / 2;
            QString last;
            const int texts = 1 + int(rng() % 300);
            for (int k = 0; k < texts; ++k) {
                l.now += int64_t(gap(rng));
                if (runStart < 0) runStart = l.now;
                last = QStringLiteral("caption %1").arg(k);
                const QString before = l.label.text();
                l.pacer->SetText(last);
                const bool took = l.label.text() != before;
                const int64_t since = std::max(lastTake, runStart);
                if (took) {
                    ASSERT_GE(l.now - since, frame) << "mean " << mean << " text " << k;
                    ASSERT_EQ(l.label.text(), last);
                    lastTake = l.now;
                } else {
                    ASSERT_LT(l.now - since, frame) << "held back, mean " << mean << " text " << k;
                    ASSERT_TRUE(l.pacer->Waiting());
                }
            }
            l.pacer->Flush();
            EXPECT_EQ(l.label.text(), last);
            EXPECT_FALSE(l.pacer->Waiting());
        }
    }
}

// The label on screen: texts given many times within a frame, with events let run after each,
// paint it at most once for each frame that passed, and the last one is painted.
TEST(PacedLabel, PaintsAtMostOncePerFrame) {
    const int64_t frame = FrameIntervalNs(QApplication::primaryScreen()->refreshRate());
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
        int paints = 0;
    } counter;
    const struct {
        int perFrame; // texts given per frame
        int frames;
    } cases[] = {{1, 10}, {4, 10}, {40, 10}, {400, 3}};
    for (const auto& c : cases) {
        Label l;
        l.label.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&l.label));
        QApplication::processEvents();
        l.label.installEventFilter(&counter);
        counter.paints = 0;
        QString last;
        for (int f = 0; f < c.frames; ++f) {
            for (int k = 0; k < c.perFrame; ++k) {
                l.now = f * frame + frame * k / c.perFrame;
                last = QStringLiteral("%1.%2").arg(f).arg(k);
                l.pacer->SetText(last);
                QApplication::processEvents();
            }
        }
        // The first frame's texts wait; each later frame's first text is taken.
        const int duringRun = counter.paints;
        EXPECT_LE(duringRun, c.frames - 1) << c.perFrame << " per frame";
        EXPECT_GE(duringRun, c.frames - 2) << c.perFrame << " per frame";
        const bool waiting = l.pacer->Waiting();
        EXPECT_EQ(waiting, c.perFrame > 1);
        l.pacer->Flush();
        QApplication::processEvents();
        EXPECT_EQ(l.label.text(), last);
        EXPECT_EQ(counter.paints, duringRun + (waiting ? 1 : 0)) << c.perFrame << " per frame";
    }
}

} // namespace
