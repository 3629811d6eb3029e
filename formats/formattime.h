#pragma once
// Times as a subtitle format writes them: whole milliseconds, frame numbers, or a pattern of
// hours, minutes, seconds and a fraction (hundredths, tenths, milliseconds or frames).
#include "formats/formatdefs.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The largest time any file holds: 99:59:59.999. Every format's hours have two digits at most
// in the files other programs write and read, so the reader sets a later time to this one (and
// says so) and the writer never writes beyond it; every format then reads back what it wrote.
inline constexpr int32_t kMaxTimeMs = 100 * 3600000 - 1;
// A time within 0..kMaxTimeMs.
int32_t ClampTime(int64_t ms);

// The time ms in the pattern of def. fps 0 writes the pattern's fraction; a frame rate writes
// frames in place of "ff". A pattern with neither a fraction nor frames rounds a remainder
// above 250 ms up to the next second. Fields carry over (never "60" seconds) and never wrap:
// hours (and the minutes of KARAOKELRC, which holds the hours too) take as many digits as they need.
// Times beyond kMaxTimeMs are written as kMaxTimeMs, and rounding never carries past it.
QString MsToTimecode(const tFormatDef& def, int32_t ms, float fps);
// The pattern of a definition prepared once for writing many times.
struct tTimecodeLayout {
    QString pattern;          // the compact pattern
    bool hasHours = false;    // "h" is a field (else written as it stands)
    bool hasFraction = false; // "z"
    bool hasFrames = false;   // "ff"
    bool foldHours = false;   // hours are counted in the minutes (KARAOKELRC)
    int hourWidth = 1;
    int fractionWidth = 1;
};
tTimecodeLayout TimecodeLayout(const tFormatDef& def);
// Appends the time code to out (the writer's loop uses this: no temporary strings).
void AppendTimecode(QString& out, const tTimecodeLayout& layout, int32_t ms, float fps);
// The same with the loaded definition gFormatDef.
QString MsToTimecode(int32_t ms, float fps);

// The frame showing at ms: (fps x ms, rounded) / 1000, truncated. 0 for fps 0 or less.
int32_t MsToFrames(int32_t ms, float fps);
// The first whole millisecond at which frame is showing, so that MsToFrames gives frame back.
// 0 for fps 0 or less.
int32_t FramesToMs(int64_t frame, float fps);

// A time field of def's kind back to milliseconds: "ms" reads the leading number, "ff" a frame
// number (0 without a frame rate), a pattern its fields. The result is never negative and
// never beyond kMaxTimeMs; clamped (when given) tells that the field held a later time,
// negative that it held a time below 0 (written with a minus), which is read as 0.
int32_t TimecodeToMs(const tFormatDef& def, QStringView text, float fps);
// The pattern of a definition prepared once for reading many fields (the reader's loop).
struct tTimecodeReader {
    enum Kind { Ms, Frames, Pattern } kind = Ms;
    bool hasHours = false;
    bool twoDigitHours = false;
    bool frames = false; // "ff" in the pattern (used only with a frame rate)
    int fractionWidth = 0;
};
tTimecodeReader TimecodeReader(const tFormatDef& def);
int32_t TimecodeToMs(const tTimecodeReader& reader, QStringView text, float fps, bool* clamped = nullptr,
                     bool* negative = nullptr);
int32_t TimecodeToMs(QStringView text, float fps);

// A time "h:mm:ss.f" whose fraction counts units of which unitsPerSecond make a second, as
// formats with a time resolution of their own write it ("0:00:01.15" is 1.5 s at 30 units): the
// fraction and its "." or "," may be missing (fractionDigits tells how many digits it has), a
// minus in front gives a time below 0. Read from pos on, which moves past it; nothing when no
// time stands there. unitsPerSecond below 1 counts as 1.
std::optional<int64_t> ReadScaledTime(QStringView text, qsizetype& pos, int64_t unitsPerSecond,
                                      int* fractionDigits = nullptr);
