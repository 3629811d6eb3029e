#include "support/fixture.h"

#include "formats/formattime.h"

namespace {

tFormatDef Pattern(const QString& timecode, const QString& id = QString()) {
    tFormatDef def;
    def.Id = id;
    def.Timecode = timecode;
    QString compact = timecode;
    compact.replace("hh", "h").replace("mm", "m").replace("ss", "s");
    compact = compact.contains("zzz") ? compact.replace("zzz", "z") : compact.replace("zz", "z");
    def.CompactPattern = compact;
    def.HourMask = timecode.contains("hh") ? "00" : "0";
    def.FractionMask = timecode.contains("zzz") ? "000" : timecode.contains("zz") ? "00" : "0";
    return def;
}

} // namespace

TEST(FormatTimeTest, PatternsWriteTheirFields) {
    const tFormatDef srt = Pattern("hh:mm:ss,zzz");
    EXPECT_EQ(MsToTimecode(srt, 3723450, 0), "01:02:03,450");
    EXPECT_EQ(MsToTimecode(srt, 0, 0), "00:00:00,000");
    EXPECT_EQ(MsToTimecode(Pattern("hh:mm:ss:ff"), 3723450, 25), "01:02:03:11");
    const tFormatDef whole = Pattern("hh:mm:ss");
    EXPECT_EQ(MsToTimecode(whole, 3723251, 0), "01:02:04");
    EXPECT_EQ(MsToTimecode(whole, 3723250, 0), "01:02:03");
    const tFormatDef hundredths = Pattern("hh:mm:ss.zz");
    EXPECT_EQ(MsToTimecode(hundredths, 50, 0), "00:00:00.05");
    EXPECT_EQ(MsToTimecode(hundredths, 450, 0), "00:00:00.45");
    EXPECT_EQ(MsToTimecode(Pattern("hh:mm:ss.z"), 1999, 0), "00:00:01.9");
    EXPECT_EQ(MsToTimecode(Pattern("h:mm:ss.zz"), 3723450, 0), "1:02:03.45");
}

// A whole-second pattern rounds a remainder above a quarter second up only without a frame rate;
// a fraction is written at any frame rate, frames read as none without one.
TEST(FormatTimeTest, FractionsAndFramesWhateverTheFrameRate) {
    struct Case {
        const char* pattern;
        int32_t ms;
        float fps;
        const char* text;
    } const cases[] = {
        {"hh:mm:ss", 1251, 0, "00:00:02"},
        {"hh:mm:ss", 1250, 0, "00:00:01"},
        {"hh:mm:ss", 1900, 25, "00:00:01"},
        {"hh:mm:ss.zz", 1450, 25, "00:00:01.45"},
        {"hh:mm:ss,zzz", 1999, 29.97f, "00:00:01,999"},
        {"hh:mm:ss:ff", 1900, 0, "00:00:01:00"},
        {"hh:mm:ss:ff", 1900, 25, "00:00:01:22"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MsToTimecode(Pattern(c.pattern), c.ms, c.fps), c.text)
            << c.pattern << " " << c.ms << " " << c.fps;
    // A "z" pattern reads its fraction at a frame rate too; "ff" reads nothing without one.
    EXPECT_EQ(TimecodeToMs(Pattern("hh:mm:ss.zz"), u"00:00:01.45", 25), 1450);
    EXPECT_EQ(TimecodeToMs(Pattern("hh:mm:ss:ff"), u"00:00:01:22", 0), 1000);
}

TEST(FormatTimeTest, RoundingCarriesAndNothingOverflows) {
    const tFormatDef whole = Pattern("hh:mm:ss");
    EXPECT_EQ(MsToTimecode(whole, 59600, 0), "00:01:00");
    EXPECT_EQ(MsToTimecode(whole, 3599600, 0), "01:00:00");
    // Karaoke lyrics count hours in the minutes, past 255 of them.
    const tFormatDef lrc = Pattern("mm:ss.zz", "KARAOKELRC");
    EXPECT_EQ(MsToTimecode(lrc, 3723450, 0), "62:03.45");
    EXPECT_EQ(MsToTimecode(lrc, 5 * 3600000 + 1000, 0), "300:01.00");
    EXPECT_EQ(TimecodeToMs(lrc, u"300:01.00", 0), 5 * 3600000 + 1000);
    EXPECT_EQ(MsToTimecode(Pattern("hh:mm:ss,zzz"), -5, 0), "00:00:00,000");
}

// 99:59:59.999 is the largest time both ways: later times are written as it, read as it (and
// told), and rounding to whole seconds never carries past it.
TEST(FormatTimeTest, OneTimeLimitForReadingAndWriting) {
    const tFormatDef srt = Pattern("hh:mm:ss,zzz");
    struct Case {
        tFormatDef def;
        int32_t ms;
        float fps;
        const char* text;
    } const cases[] = {
        {srt, kMaxTimeMs, 0, "99:59:59,999"},
        {srt, 360000000, 0, "99:59:59,999"},
        {srt, INT32_MAX, 0, "99:59:59,999"},
        {Pattern("hh:mm:ss"), 359999990, 0, "99:59:59"},
        {Pattern("hh:mm:ss"), 359998500, 0, "99:59:59"},
        {Pattern("hh:mm:ss.zz"), kMaxTimeMs, 0, "99:59:59.99"},
        {Pattern("hh:mm:ss:ff"), kMaxTimeMs, 25, "99:59:59:24"},
        {Pattern("mm:ss.zz", "KARAOKELRC"), kMaxTimeMs, 0, "5999:59.99"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MsToTimecode(c.def, c.ms, c.fps), c.text) << c.ms;
        bool clamped = true;
        const int32_t back = TimecodeToMs(TimecodeReader(c.def), QString(c.text), c.fps, &clamped);
        EXPECT_FALSE(clamped) << c.text;
        EXPECT_LE(kMaxTimeMs - back, 999) << c.text;
    }
    bool clamped = false;
    EXPECT_EQ(TimecodeToMs(TimecodeReader(srt), u"100:00:00,000", 0, &clamped), kMaxTimeMs);
    EXPECT_TRUE(clamped);
    tFormatDef frames;
    frames.Timecode = "ff";
    EXPECT_EQ(TimecodeToMs(TimecodeReader(frames), u"9000000", 25, &clamped), kMaxTimeMs);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(MsToFrames(INT32_MAX, 25), 8999999);
}

TEST(FormatTimeTest, PatternsReadBack) {
    const tFormatDef srt = Pattern("hh:mm:ss,zzz");
    EXPECT_EQ(TimecodeToMs(srt, u"01:02:03,450", 0), 3723450);
    // A dot instead of the comma reads the same (second pattern of a format).
    EXPECT_EQ(TimecodeToMs(srt, u"01:02:03.450", 0), 3723450);
    EXPECT_EQ(TimecodeToMs(Pattern("h:mm:ss.zz"), u"1:02:03.45", 0), 3723450);
    EXPECT_EQ(TimecodeToMs(Pattern("h:mm:ss.zz"), u"12:02:03.45", 0), 43323450);
    EXPECT_EQ(TimecodeToMs(Pattern("hh:mm:ss.z"), u"00:00:01.9", 0), 1900);
    EXPECT_EQ(TimecodeToMs(Pattern("hh:mm:ss"), u"01:02:03", 0), 3723000);
    EXPECT_EQ(TimecodeToMs(Pattern("hh:mm:ss:ff"), u"01:02:03:11", 25), 3723440);
    // Too few fields fall back to fixed positions; junk reads as 0; huge fields saturate.
    EXPECT_EQ(TimecodeToMs(srt, u"", 0), 0);
    EXPECT_EQ(TimecodeToMs(srt, u"xx", 0), 0);
    EXPECT_EQ(TimecodeToMs(srt, u"99999999999999:00:00,000", 0), kMaxTimeMs);
}

// Fractions in units of a resolution of the file's own: the time and where it ends, or nothing.
TEST(FormatTimeTest, ScaledTimesReadTheirFractionInUnits) {
    const struct Case {
        const char16_t* text;
        int64_t units;
        std::optional<int64_t> ms;
        qsizetype end;
    } cases[] = {
        {u"0:00:01.15 x", 30, 1500, 10},
        {u"0:00:01.15", 100, 1150, 10},
        {u"0:00:00.1]", 3, 333, 9}, // rounded to the nearest ms
        {u"-0:00:01.50", 100, -1500, 11},
        {u"00:01.00", 100, std::nullopt, 0},
        {u"1234567890:00:00.00", 100, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        qsizetype pos = 0;
        EXPECT_EQ(ReadScaledTime(QStringView(c.text), pos, c.units), c.ms);
        EXPECT_EQ(pos, c.end);
    }
}

TEST(FormatTimeTest, MillisecondAndFrameFields) {
    tFormatDef ms;
    ms.Timecode = "ms";
    EXPECT_EQ(TimecodeToMs(ms, u"1500", 0), 1500);
    EXPECT_EQ(TimecodeToMs(ms, u"-7", 0), 0);
    tFormatDef ff;
    ff.Timecode = "ff";
    EXPECT_EQ(TimecodeToMs(ff, u"25", 25), 1000);
    EXPECT_EQ(TimecodeToMs(ff, u"25", 0), 0);
    EXPECT_EQ(MsToFrames(1000, 25), 25);
    EXPECT_EQ(MsToFrames(1000, 0), 0);
}

TEST(FormatTimeTest, FrameRatesAreExactBothWays) {
    // 23.976 fps for an hour: 86,313 frames, not 86,400 as 24 fps would make it.
    EXPECT_EQ(MsToFrames(3600000, 23.976f), 86313);
    EXPECT_NEAR(FramesToMs(86313, 23.976f), 3600000, 42);
    for (const float fps : {23.976f, 25.0f, 29.97f, 30.0f, 15.0f}) {
        for (int64_t frame = 0; frame < 400000; frame += 997)
            ASSERT_EQ(MsToFrames(FramesToMs(frame, fps), fps), frame) << fps << " " << frame;
    }
    // The frame field of a pattern uses the same rate.
    const tFormatDef tc = Pattern("hh:mm:ss:ff");
    for (int32_t ms = 0; ms < 7200000; ms += 7919) {
        const QString text = MsToTimecode(tc, ms, 23.976f);
        const int32_t back = TimecodeToMs(tc, text, 23.976f);
        ASSERT_LE(back, ms) << qPrintable(text);
        ASSERT_GT(back + 42, ms) << qPrintable(text);
        ASSERT_EQ(MsToTimecode(tc, back, 23.976f), text);
    }
}
