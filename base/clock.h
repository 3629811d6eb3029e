#pragma once
// The program's monotonic clock, in milliseconds from an arbitrary start. Waits and time limits
// measure by it rather than by a timer of their own, so that a test can move time on itself
// instead of waiting for it, and a busy machine cannot change what the test sees.
#include <QtGlobal>

#include <functional>

qint64 ClockMs();
// The system's monotonic clock in nanoseconds from an arbitrary start: what ClockMs counts when
// no test replaced it. For what needs finer steps than milliseconds and keeps a clock of its own.
qint64 SteadyNs();
// Replaces the clock; an empty function puts the system's monotonic clock back.
void SetClock(std::function<qint64()> clock);
