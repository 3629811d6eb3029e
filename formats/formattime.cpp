#include "formats/formattime.h"

#include "base/numbers.h"
#include "formats/textops.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// A run of digits as a number, capped far above any time so that huge fields saturate.
int64_t RunValue(QStringView digits) {
    if (digits.size() > 12) return 1000000000000LL;
    // Times are ASCII digits almost always: those are summed here; anything else (digits of
    // other scripts) is left to Qt's conversion as before.
    int64_t value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9') return digits.toLongLong();
        value = value * 10 + (u - u'0');
    }
    return value;
}

} // namespace

int32_t ClampTime(int64_t ms) {
    return int32_t(std::clamp<int64_t>(ms, 0, kMaxTimeMs));
}

int32_t MsToFrames(int32_t ms, float fps) {
    if (!(fps > 0) || ms <= 0) return 0;
    const int64_t scaled = std::llround(double(fps) * double(ClampTime(ms)));
    return int32_t(scaled / 1000);
}

int32_t FramesToMs(int64_t frame, float fps) {
    if (!(fps > 0) || frame <= 0) return 0;
    // The exact rate both ways: frame f shows from f * 1000 / fps ms on; the next whole
    // millisecond is the first that MsToFrames maps back to f.
    const double ms = std::ceil(double(frame) * 1000.0 / double(fps));
    return ms >= double(INT32_MAX) ? INT32_MAX : int32_t(ms);
}

tTimecodeLayout TimecodeLayout(const tFormatDef& def) {
    tTimecodeLayout layout;
    layout.pattern = def.CompactPattern;
    layout.hasHours = def.Timecode.contains(u'h', Qt::CaseInsensitive);
    layout.hasFraction = def.CompactPattern.contains(u'z');
    layout.hasFrames = def.CompactPattern.contains(QLatin1String("ff"));
    layout.foldHours = def.Id == QLatin1String("KARAOKELRC");
    layout.hourWidth = int(std::clamp<qsizetype>(def.HourMask.size(), 1, 2));
    layout.fractionWidth = int(std::clamp<qsizetype>(def.FractionMask.size(), 1, 3));
    return layout;
}

void AppendTimecode(QString& out, const tTimecodeLayout& layout, int32_t ms, float fps) {
    ms = ClampTime(ms);
    int64_t h = ms / 3600000;
    int64_t m = (ms / 60000) % 60;
    int64_t s = (ms / 1000) % 60;
    const int32_t r = ms % 1000;
    const QString& pattern = layout.pattern;
    const bool hasFraction = layout.hasFraction;
    const bool hasFrames = layout.hasFrames;
    if (!hasFraction && !hasFrames && !(fps > 0) && r > 250 && ms - r + 1000 <= kMaxTimeMs) {
        // Whole seconds only: a remainder above a quarter second counts as the next second,
        // carried into the minutes and hours (never past the largest time).
        if (++s == 60) {
            s = 0;
            if (++m == 60) {
                m = 0;
                ++h;
            }
        }
    }
    if (layout.foldHours) {
        m += h * 60;
        h = 0;
    }
    const bool hasHours = layout.hasHours;
    const int64_t frames = hasFrames && fps > 0 ? std::llround(double(fps) * double(r)) / 1000 : 0;
    const int fractionWidth = layout.fractionWidth;
    const int hourWidth = layout.hourWidth;
    // One pass over the compact pattern, one letter per field; every other character is
    // written as it stands.
    char16_t buffer[96];
    int n = 0;
    auto put = [&](int64_t value, int width) {
        // The usual field: two digits.
        if (width == 2 && value >= 0 && value < 100 && n < 89) {
            buffer[n++] = char16_t(u'0' + value / 10);
            buffer[n++] = char16_t(u'0' + value % 10);
            return;
        }
        char16_t digits[24];
        int d = 0;
        do {
            digits[d++] = char16_t(u'0' + value % 10);
            value /= 10;
        } while (value > 0 && d < 24);
        for (int pad = d; pad < width && n < 90; ++pad)
            buffer[n++] = u'0';
        while (d > 0 && n < 95)
            buffer[n++] = digits[--d];
    };
    for (qsizetype i = 0; i < pattern.size() && n < 90; ++i) {
        const char16_t c = pattern[i].unicode();
        if (c == u's')
            put(s, 2);
        else if (c == u'm')
            put(m, 2);
        else if (c == u'h' && hasHours)
            put(h, hourWidth);
        else if (c == u'f' && i + 1 < pattern.size() && pattern[i + 1] == u'f') {
            put(frames, 2);
            ++i;
        } else if (c == u'z') {
            const char16_t all[3] = {char16_t(u'0' + r / 100), char16_t(u'0' + r / 10 % 10),
                                     char16_t(u'0' + r % 10)};
            for (int k = 0; k < fractionWidth; ++k)
                buffer[n++] = all[k];
        } else
            buffer[n++] = c;
    }
    out.append(reinterpret_cast<const QChar*>(buffer), n);
}

QString MsToTimecode(const tFormatDef& def, int32_t ms, float fps) {
    QString out;
    AppendTimecode(out, TimecodeLayout(def), ms, fps);
    return out;
}

QString MsToTimecode(int32_t ms, float fps) {
    return MsToTimecode(gFormatDef, ms, fps);
}

tTimecodeReader TimecodeReader(const tFormatDef& def) {
    tTimecodeReader r;
    const QString& tc = def.Timecode;
    if (tc == QLatin1String("ms")) return r;
    if (tc == QLatin1String("ff")) {
        r.kind = tTimecodeReader::Frames;
        return r;
    }
    r.kind = tTimecodeReader::Pattern;
    r.hasHours = tc.contains(u'h', Qt::CaseInsensitive);
    r.twoDigitHours = tc.contains(QLatin1String("hh"), Qt::CaseInsensitive);
    r.frames = tc.contains(QLatin1String("ff"), Qt::CaseInsensitive);
    r.fractionWidth = tc.contains(QLatin1String("zzz"), Qt::CaseInsensitive)  ? 3
                      : tc.contains(QLatin1String("zz"), Qt::CaseInsensitive) ? 2
                      : tc.contains(u'z', Qt::CaseInsensitive)                ? 1
                                                                              : 0;
    return r;
}

int32_t TimecodeToMs(const tTimecodeReader& reader, QStringView text, float fps, bool* clamped,
                     bool* negative) {
    if (negative) *negative = false;
    qsizetype lead = 0;
    while (lead < text.size() && (text[lead] == u' ' || text[lead] == u'\t'))
        ++lead;
    if (lead < text.size() && text[lead] == u'-') {
        // A time written with a minus ("-1:59:54.93") lies before the start of the media: it
        // is read as 0, never as the time its digits alone would give.
        if (clamped) *clamped = false;
        if (negative) *negative = TimecodeToMs(reader, text.mid(lead + 1), fps) > 0;
        return 0;
    }
    const auto limited = [clamped](int64_t ms) {
        if (clamped) *clamped = ms > kMaxTimeMs;
        return ClampTime(ms);
    };
    if (reader.kind == tTimecodeReader::Ms) return limited(LeadingInt32Saturated(text));
    if (reader.kind == tTimecodeReader::Frames) {
        if (!(fps > 0)) return limited(0);
        const double frames = LeadingNumber(text);
        return limited(frames > 0 ? FramesToMs(int64_t(std::min(RoundHalfEven(frames), 1e15)), fps) : 0);
    }
    const bool hasHours = reader.hasHours;
    const bool frames = reader.frames && fps > 0;
    const int fractionWidth = reader.fractionWidth;
    const bool hasTail = frames || fractionWidth > 0;

    // The fields are the runs of digits in the order of the pattern, so that any width of
    // hours (and of minutes, where they hold the hours) reads back.
    QStringView runs[4];
    size_t found = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (!text[i].isDigit()) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && text[j].isDigit())
            ++j;
        if (found < 4) runs[found] = text.mid(i, j - i);
        ++found;
        i = j;
    }
    const size_t expected = size_t(hasHours ? 3 : 2) + (hasTail ? 1 : 0);
    int64_t h = 0, m = 0, s = 0;
    QStringView tail;
    QString padded;
    if (found >= expected) {
        size_t k = 0;
        if (hasHours) h = RunValue(runs[k++]);
        m = RunValue(runs[k++]);
        s = RunValue(runs[k++]);
        if (hasTail) tail = runs[k];
    } else {
        // Not enough fields: read fixed positions as the pattern places them ("00:" in front
        // when there are no hours, "0" when hours have one digit).
        padded = text.toString();
        if (!hasHours)
            padded.prepend(QLatin1String("00:"));
        else if (!reader.twoDigitHours)
            padded.prepend(u'0');
        auto field = [&](qsizetype from, qsizetype len) {
            const double v = LeadingNumber(QStringView(padded).mid(from, len));
            return v > 0 ? int64_t(std::min(v, 1e12)) : int64_t(0);
        };
        h = field(0, 2);
        m = field(3, 2);
        s = field(6, 2);
        if (hasTail && padded.size() > 8) tail = QStringView(padded).mid(9);
    }
    int64_t total = h * 3600000 + m * 60000 + s * 1000;
    if (frames) {
        total += FramesToMs(RunValue(tail.left(9)), fps);
    } else if (fractionWidth > 0 && !tail.isEmpty()) {
        // A decimal fraction of a second: "4" = 400 ms, "45" = 450 ms, "450" = 450 ms.
        int64_t fraction = 0;
        for (qsizetype k = 0; k < 3 && fraction >= 0; ++k) {
            const char16_t c = k < tail.size() ? tail[k].unicode() : u'0';
            fraction = c >= u'0' && c <= u'9' ? fraction * 10 + (c - u'0') : -1;
        }
        if (fraction > 0) total += fraction;
    }
    return limited(total);
}

int32_t TimecodeToMs(const tFormatDef& def, QStringView text, float fps) {
    return TimecodeToMs(TimecodeReader(def), text, fps);
}

int32_t TimecodeToMs(QStringView text, float fps) {
    return TimecodeToMs(gFormatDef, text, fps);
}

std::optional<int64_t> ReadScaledTime(QStringView text, qsizetype& pos, int64_t unitsPerSecond,
                                      int* fractionDigits) {
    unitsPerSecond = std::max<int64_t>(1, unitsPerSecond);
    qsizetype i = pos;
    const bool minus = i < text.size() && text[i] == u'-';
    if (minus) ++i;
    // Digits of a field, at most nine of them (far beyond any time, and no overflow).
    const auto digits = [&](int64_t& value) {
        const qsizetype from = i;
        value = 0;
        while (i < text.size() && i - from < 9 && text[i] >= u'0' && text[i] <= u'9')
            value = value * 10 + (text[i++].unicode() - u'0');
        return i > from;
    };
    int64_t h = 0, m = 0, s = 0;
    if (!digits(h) || i >= text.size() || text[i++] != u':' || !digits(m) || i >= text.size() ||
        text[i++] != u':' || !digits(s))
        return std::nullopt;
    int64_t ms = h * 3600000 + m * 60000 + s * 1000;
    const bool fraction =
        i + 1 < text.size() && (text[i] == u'.' || text[i] == u',') && text[i + 1] >= u'0' && text[i + 1] <= u'9';
    if (fractionDigits) *fractionDigits = 0;
    if (fraction) {
        const qsizetype from = ++i;
        int64_t units = 0;
        digits(units);
        ms += (units * 1000 + unitsPerSecond / 2) / unitsPerSecond;
        if (fractionDigits) *fractionDigits = int(i - from);
    }
    pos = i;
    return minus ? -ms : ms;
}
