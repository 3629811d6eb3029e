#include "base/ui/pacedlabel.h"

#include "base/clock.h"

#include <QLabel>
#include <QScreen>

#include <utility>

int64_t FrameIntervalNs(double refreshRate) {
    // Rates outside what screens run at come from platforms that do not know theirs.
    if (!(refreshRate >= 20.0 && refreshRate <= 1000.0)) refreshRate = 60.0;
    return int64_t(1e9 / refreshRate);
}

PacedLabel::PacedLabel(QLabel* label) : QObject(label), label_(label), clock_(SteadyNs) {}

void PacedLabel::SetText(const QString& text) {
    waitingText_ = text;
    waiting_ = true;
    const int64_t now = clock_();
    if (!running_) {
        running_ = true;
        frameStart_ = now;
        return;
    }
    // The screen the label is on now: the window may have moved to another since.
    const QScreen* screen = label_->screen();
    if (now - frameStart_ < FrameIntervalNs(screen ? screen->refreshRate() : 0.0)) return;
    frameStart_ = now;
    TakeWaiting();
}

void PacedLabel::Flush() {
    running_ = false;
    if (waiting_) TakeWaiting();
}

void PacedLabel::TakeWaiting() {
    label_->setText(std::exchange(waitingText_, QString()));
    waiting_ = false;
}
