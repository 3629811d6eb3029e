#include "base/clock.h"

#include <QElapsedTimer>

#include <utility>

namespace {

std::function<qint64()>& Replacement() {
    static std::function<qint64()> clock;
    return clock;
}

} // namespace

qint64 SteadyNs() {
    static const QElapsedTimer start = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return start.nsecsElapsed();
}

qint64 ClockMs() {
    if (const auto& clock = Replacement()) return clock();
    return SteadyNs() / 1000000;
}

void SetClock(std::function<qint64()> clock) {
    Replacement() = std::move(clock);
}
