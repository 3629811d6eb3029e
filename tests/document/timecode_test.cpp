#include "document/timecode.h"

#include <gtest/gtest.h>

#include <limits>

TEST(MsToTime, WritesHoursMinutesSecondsAndMilliseconds) {
    EXPECT_EQ(MsToTime(0), "00:00:00,000");
    EXPECT_EQ(MsToTime(999), "00:00:00,999");
    EXPECT_EQ(MsToTime(1000), "00:00:01,000");
    EXPECT_EQ(MsToTime(59999), "00:00:59,999");
    EXPECT_EQ(MsToTime(60000), "00:01:00,000");
    EXPECT_EQ(MsToTime(3599999), "00:59:59,999");
    EXPECT_EQ(MsToTime(3600000), "01:00:00,000");
    EXPECT_EQ(MsToTime(3723004), "01:02:03,004");
}

TEST(MsToTime, NegativeTimesShowAsZero) {
    EXPECT_EQ(MsToTime(-250), "00:00:00,000");
    EXPECT_EQ(MsToTime(std::numeric_limits<int32_t>::min()), "00:00:00,000");
}

TEST(MsToTime, HundredHoursAndMoreKeepEveryDigit) {
    EXPECT_EQ(MsToTime(360000000), "100:00:00,000");
    // 256 hours no longer fit a byte; they must not wrap to 0.
    EXPECT_EQ(MsToTime(921600000), "256:00:00,000");
    EXPECT_EQ(MsToTime(std::numeric_limits<int32_t>::max()), "596:31:23,647");
}

TEST(TimeToMs, ReadsEachFieldFromItsSlice) {
    EXPECT_EQ(TimeToMs(u"00:01:30,250"), 90250);
    EXPECT_EQ(TimeToMs(u"01:02:03,004"), 3723004);
    EXPECT_EQ(TimeToMs(u"00:00:00,000"), 0);
    // "1:30": hours from "1:", minutes from "0", no seconds, milliseconds from ":30".
    EXPECT_EQ(TimeToMs(u"1:30"), 3600000);
    // Shorter than three characters: the whole text is the millisecond field too.
    EXPECT_EQ(TimeToMs(u"5"), 5 * 3600000 + 5);
    EXPECT_EQ(TimeToMs(u""), 0);
    EXPECT_EQ(TimeToMs(u"ab:cd:ef,ghi"), 0);
}

TEST(TimeToMs, RoundTripsEveryTimeCodeItWrites) {
    for (int32_t ms : {0, 1, 999, 1000, 61001, 3599999, 3600000, 86399999, 359999999})
        EXPECT_EQ(TimeToMs(MsToTime(ms)), ms) << ms;
}

TEST(TimeToMs, NeverNegativeNorWrapping) {
    EXPECT_EQ(TimeToMs(u"-1:00:00,000"), 0);
    EXPECT_EQ(TimeToMs(u"00:00:00,-50"), 0);
    // The largest value the slices can spell stays a sane positive time.
    EXPECT_EQ(TimeToMs(u"99:99:99,999"), 99 * 3600000 + 99 * 60000 + 99 * 1000 + 999);
    EXPECT_EQ(TimeToMs(u"99999999999"), 99 * 3600000 + 99 * 60000 + 99 * 1000 + 999);
    EXPECT_GE(TimeToMs(u"1e12"), 0);
}
