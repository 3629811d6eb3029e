#include "base/numbers.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

bool IsSkippable(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Copies the text without the skippable blanks, up to the first character that cannot be
// part of a number; that keeps the scan linear on a 1 MB value.
QString Compact(QStringView text) {
    QString out;
    out.reserve(qMin<qsizetype>(text.size(), 64));
    for (QChar c : text) {
        if (IsSkippable(c)) continue;
        out.append(c);
        if (out.size() > 400) break; // no number we accept is longer; the rest cannot change it
    }
    return out;
}

double ReadRadix(QStringView s, int radix) {
    double value = 0;
    for (QChar c : s) {
        int d;
        if (c >= u'0' && c <= u'9')
            d = c.unicode() - u'0';
        else if (radix == 16 && c >= u'a' && c <= u'f')
            d = c.unicode() - u'a' + 10;
        else if (radix == 16 && c >= u'A' && c <= u'F')
            d = c.unicode() - u'A' + 10;
        else
            break;
        if (d >= radix) break;
        value = value * radix + d;
    }
    return value;
}

} // namespace

double LeadingNumber(QStringView text) {
    const QString s = Compact(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar k = s[1].toUpper();
        if (k == u'H') return ReadRadix(QStringView(s).mid(2), 16);
        if (k == u'O') return ReadRadix(QStringView(s).mid(2), 8);
        return 0;
    }
    std::string num;
    qsizetype i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) num += char(s[i++].unicode());
    bool digits = false;
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
        num += char(s[i++].unicode());
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        num += '.';
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            num += char(s[i++].unicode());
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        std::string exp = "e";
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exp += char(s[j++].unicode());
        bool expDigits = false;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
            exp += char(s[j++].unicode());
            expDigits = true;
        }
        if (expDigits) num += exp;
    }
    const double v = std::strtod(num.c_str(), nullptr);
    return std::isfinite(v)
               ? v
               : (v > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max());
}

double RoundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which is round-to-nearest-even unless
    // somebody changed it; do it by hand so nothing global can change the result.
    const double fl = std::floor(value);
    const double diff = value - fl;
    if (diff < 0.5) return fl;
    if (diff > 0.5) return fl + 1;
    return std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
}

template <typename T> static std::optional<T> Fit(QStringView text) {
    const double v = RoundHalfEven(LeadingNumber(text));
    if (v < double(std::numeric_limits<T>::min()) || v > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(v);
}

std::optional<uint8_t> LeadingByte(QStringView text) {
    return Fit<uint8_t>(text);
}
std::optional<int16_t> LeadingInt16(QStringView text) {
    return Fit<int16_t>(text);
}
std::optional<int32_t> LeadingInt32(QStringView text) {
    return Fit<int32_t>(text);
}

int32_t SaturateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t LeadingInt32Saturated(QStringView text) {
    return SaturateToInt32(RoundHalfEven(LeadingNumber(text)));
}

std::optional<bool> ParseBoolText(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0) return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0) return false;
    // A number, and nothing but a number.
    bool ok = false;
    const double v = t.toDouble(&ok);
    // "nan" and "inf" are words the number reader knows, not numbers a setting can hold.
    if (ok && !std::isfinite(v)) return std::nullopt;
    if (!ok) {
        if (t.startsWith(u"&H", Qt::CaseInsensitive) || t.startsWith(u"&O", Qt::CaseInsensitive)) {
            const int radix = t[1].toUpper() == u'H' ? 16 : 8;
            const qlonglong n = t.mid(2).toLongLong(&ok, radix);
            if (ok) return n != 0;
        }
        return std::nullopt;
    }
    return v != 0;
}

QString BoolToStored(bool value) {
    return value ? QStringLiteral("255") : QStringLiteral("0");
}
