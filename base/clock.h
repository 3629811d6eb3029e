#pragma once
// The program's monotonic clock, in milliseconds from an arbitrary start. Waits and time limits
// measure by it rather than by a timer of their own, so that a test can move time on itself
// instead of waiting for it, and a busy machine cannot change what the test sees.
#include <QtGlobal>

#include <functional>

qint64 ClockMs();
// Replaces the clock; an empty function puts the system's monotonic clock back.
void SetClock(std::function<qint64()> clock);
