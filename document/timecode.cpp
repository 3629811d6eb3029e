#include "document/timecode.h"

#include "base/numbers.h"

#include <algorithm>

QString MsToTime(int32_t ms) {
    // Division instead of counting hours in a byte: 256 hours and more show as they are.
    const int64_t rest = std::max<int64_t>(ms, 0);
    const int64_t hours = rest / 3600000;
    const int64_t minutes = rest / 60000 % 60;
    const int64_t seconds = rest / 1000 % 60;
    const int64_t millis = rest % 1000;
    return QStringLiteral("%1:%2:%3,%4")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(millis, 3, 10, QLatin1Char('0'));
}

int32_t TimeToMs(QStringView text) {
    // Each step rounds to a 32-bit whole number, halves to even; saturating keeps a typed
    // "99:99:99,999" or worse from wrapping round.
    const auto step = [](double value) { return double(SaturateToInt32(RoundHalfEven(value))); };
    double total = step(LeadingNumber(text.mid(0, 2)) * 3600000.0);
    total = step(LeadingNumber(text.size() > 3 ? text.mid(3, 2) : QStringView()) * 60000.0 + total);
    total = step(LeadingNumber(text.size() > 6 ? text.mid(6, 2) : QStringView()) * 1000.0 + total);
    total = step(total + LeadingNumber(text.right(3)));
    // A time code is never negative ("-1:00:00,000" pasted into a time box).
    return std::max<int32_t>(int32_t(total), 0);
}
