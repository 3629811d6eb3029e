#pragma once
// The program's clock (base/clock.h) moved by the test alone, for as long as the object lives.
// Waits measured by it end when the test moves it past their end, never because time passed.
#include "base/clock.h"

#include <QObject>
#include <QTimer>

class FakeClock {
public:
    FakeClock() {
        SetClock([this] {
            ++reads;
            return now;
        });
    }
    ~FakeClock() { SetClock({}); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void Advance(qint64 ms) { now += ms; }

    qint64 now = 1000;
    int reads = 0; // how often the program looked at the clock
};

// A fake clock that moves stepMs with every turn of the event loop: the program's pauses and
// time limits pass in a few turns, however long they are and however busy the machine is.
class SteppingClock : public FakeClock {
public:
    explicit SteppingClock(qint64 stepMs) {
        QObject::connect(&mTick, &QTimer::timeout, [this, stepMs] { Advance(stepMs); });
        mTick.start(0);
    }
    void Stop() { mTick.stop(); }

private:
    QTimer mTick;
};
