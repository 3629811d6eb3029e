#pragma once
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The leading-number reader used wherever the program turns stored or typed text into a
// number (settings, time codes, format fields). Blanks, tabs, CR and LF are skipped wherever
// they stand; then an optional sign, decimal digits with an optional point and exponent
// ("1e3", "2.5E-1"), or "&H" + hexadecimal / "&O" + octal digits. Text that starts with no
// number gives 0. The result is a double so that callers can decide how to fit it.
double LeadingNumber(QStringView text);

// Rounds to the nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The leading number rounded halves-to-even, if it fits the type; nothing otherwise.
std::optional<uint8_t> LeadingByte(QStringView text);
std::optional<int16_t> LeadingInt16(QStringView text);
std::optional<int32_t> LeadingInt32(QStringView text);

// The leading number rounded halves-to-even and saturated to the 32-bit range: for times,
// which must never wrap around ("99999999999" or "1e12" give the largest time, not garbage).
int32_t LeadingInt32Saturated(QStringView text);

// Saturates any value to the 32-bit range (NaN gives 0).
int32_t SaturateToInt32(double value);

// A Boolean as stored text: "True"/"False" in any case, or a number (0 false, else true).
// Anything else cannot be converted.
std::optional<bool> ParseBoolText(QStringView text);

// Booleans are stored as "255" (true) and "0" (false).
QString BoolToStored(bool value);
