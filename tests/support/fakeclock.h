#pragma once
// The program's clock (base/clock.h) moved by the test alone, for as long as the object lives.
// Waits measured by it end when the test moves it past their end, never because time passed.
#include "base/clock.h"

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
