#pragma once
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QLabel;

// A label for a progress text set from inside a long run that lets events run every few
// steps. Each new text would otherwise be painted and sent to the display at the next event
// pump: thousands of paints in a second, most of which the screen never shows, together several
// times the run's own work. Here the label takes a new text at most once per displayed frame:
// a run of texts starts with the first text waiting a frame (a run shorter than that paints no
// progress at all, which would only flash), then the label takes the latest text each time a
// frame's time has passed since it last took one. Flush() ends the run: the label takes the text
// that waits, so that it ends on the last text given, and the next text starts a new run.
//
// Lives as a child of its label. The clock is a monotonic time in nanoseconds; tests set their own.
class PacedLabel final : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<int64_t()>;

    explicit PacedLabel(QLabel* label);

    // The label takes text now when a frame's time has passed since it last took one, or since
    // the run began; otherwise text waits, in place of any text that was waiting.
    void SetText(const QString& text);
    // Ends the run: the label takes the waiting text, if any.
    void Flush();
    // Whether a text waits for its frame.
    bool Waiting() const { return waiting_; }

    void SetClock(Clock clock) { clock_ = std::move(clock); }

private:
    void TakeWaiting();

    QLabel* label_;
    Clock clock_;
    QString waitingText_;
    bool waiting_ = false;
    bool running_ = false;
    int64_t frameStart_ = 0; // when the run began or the label last took a text
};

// The time of one displayed frame, in nanoseconds, at a screen's refresh rate in hertz; 60 Hz
// where the screen gives no believable rate.
int64_t FrameIntervalNs(double refreshRate);
