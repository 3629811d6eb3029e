#pragma once
// Moving every timed caption of the document earlier or later by one amount, and re-reading
// caption texts whose UTF-8 bytes were taken for the system code page.
#include <QString>

#include <cstdint>

// The largest shift the time-shift window offers, either way: 60 minutes, 59 seconds, 990 ms.
inline constexpr int64_t kMaxTimeShift = 60 * 60000 + 59 * 1000 + 990;

// How many timed captions a shift would push below 0 (their start plus the shift is negative;
// exactly 0 is fine).
int CountShiftedBelowZero(int64_t delayMs);

// Shifts every timed caption by delayMs in one pass: start and end move together, computed in
// 64 bits and kept within 0 .. 2^31 - 1. A caption whose start would fall below 0 loses its
// times (becomes untimed); a start of exactly 0 is kept. Untimed captions stay untimed. Every
// caption written marks the document modified. Returns the number of captions changed.
int ShiftAllTimes(int64_t delayMs);

// The text as UTF-8 read from the bytes it has in the system code page, for text that was
// decoded with the wrong one. False (out untouched) when the round trip is not clean: a
// character the code page cannot hold, bytes that are no valid UTF-8, or no change at all.
bool RedecodeAsUtf8(const QString& text, QString& out);

// Re-reads every caption with RedecodeAsUtf8, leaving the captions it cannot convert as they
// are. Marks the document modified when a caption changed; returns how many changed.
int ConvertCaptionsFromUtf8();
