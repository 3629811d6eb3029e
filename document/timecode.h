#pragma once
#include <QString>
#include <QStringView>

#include <cstdint>

// Time codes as people see and type them: "hh:mm:ss,mmm" (01:02:03,004 for 3723004 ms).

// The time code of ms. Hours take two digits, more from 100 hours on; a negative time shows
// as 00:00:00,000.
QString MsToTime(int32_t ms);

// The milliseconds of a time code. No check of length or separators: hours are the leading
// number of characters 1-2, minutes of 4-5, seconds of 7-8, milliseconds of the last three
// characters (0 where a slice holds no number). The result is never negative and never wraps.
int32_t TimeToMs(QStringView text);
