// Path helpers, INI reading, the shell and the wait.
#include "base/numbers.h"
#include "base/paths.h"
#include "base/toolbox.h"
#include "fakeclock.h"
#include "fixture.h"

#include <QCoreApplication>
#include <QTimer>
#include <limits>

namespace {

class Toolbox : public ScrivelleTest {};

TEST(PathHelpers, RemoveExtensionLooksOnlyAtTheFileName) {
    EXPECT_EQ(RemoveExtension("/home/u/a/b.srt"), "/home/u/a/b");
    EXPECT_EQ(RemoveExtension("/home/u/my.videos/clip"), "/home/u/my.videos/clip");
    EXPECT_EQ(RemoveExtension("/home/u/my.videos/clip.final.avi"), "/home/u/my.videos/clip.final");
    EXPECT_EQ(RemoveExtension("noext"), "noext");
    EXPECT_EQ(RemoveExtension("film.srt"), "film");
}

TEST(PathHelpers, GetFileName) {
    EXPECT_EQ(GetFileName("/a/b.srt"), "b.srt");
    EXPECT_EQ(GetFileName("b.srt"), "b.srt");
    EXPECT_EQ(GetFileName("/a/"), "");
    EXPECT_EQ(GetFileName(""), "");
}

TEST(PathHelpers, ShortenPathKeepsFirstFolderAndFileName) {
    const QString p32 = "/home/user/videos/abc/d12345.srt";
    ASSERT_EQ(p32.size(), 32);
    EXPECT_EQ(ShortenPath(p32), p32);
    EXPECT_EQ(ShortenPath("/home/user/Documents and Settings/My Videos/film.srt"), "/.../film.srt");
    EXPECT_EQ(ShortenPath("media/Documents and Settings/My Videos/film.srt"), "media/.../film.srt");
    const QString noSep = QString(40, 'x');
    EXPECT_EQ(ShortenPath(noSep), noSep);
    // Only one separator apart from a trailing one: nothing to drop.
    EXPECT_EQ(ShortenPath("averyveryverylongfoldername_here/"), "averyveryverylongfoldername_here/");
}

TEST(PathHelpers, ShortFolderPathKeepsTheLongFileName) {
    EXPECT_EQ(ShortFolderPath("/videos/A long file name.avi"), "/videos/A long file name.avi");
    EXPECT_EQ(ShortFolderPath("name.avi"), "name.avi");
    EXPECT_EQ(ShortFolderPath(""), "");
}

TEST_F(Toolbox, FileExistsForFilesAndFolders) {
    const QString f = WriteFile("x.srt", "1");
    EXPECT_TRUE(FileExists(f));
    EXPECT_TRUE(FileExists(tmp.path()));
    EXPECT_FALSE(FileExists(TempPath("missing.srt")));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(Toolbox, ReadIniFindsValuesWithoutCaseOrLengthLimit) {
    const QString longValue(1000, 'v');
    const QString path = WriteFile("f.ini", "; comment\n[SubRip]\nExtension = srt \nQuoted=\"  a b  \"\n"
                                            "long=" +
                                                longValue.toUtf8() +
                                                "\nDup=first\nDup=second\n"
                                                "[Other]\nExtension=txt\n[subrip]\nlate=yes\n");
    EXPECT_EQ(ReadIni("SUBRIP", "extension", "?", path), "srt");
    EXPECT_EQ(ReadIni("subrip", "QUOTED", "?", path), "  a b  ");
    EXPECT_EQ(ReadIni("SubRip", "long", "?", path), longValue);
    EXPECT_EQ(ReadIni("SubRip", "Dup", "?", path), "first");
    EXPECT_EQ(ReadIni("SubRip", "late", "?", path), "yes");
    EXPECT_EQ(ReadIni("Other", "Extension", "?", path), "txt");
    EXPECT_EQ(ReadIni("SubRip", "missing", "dflt", path), "dflt");
    EXPECT_EQ(ReadIni("Nope", "Extension", "dflt", path), "dflt");
    EXPECT_EQ(ReadIni("SubRip", "Extension", "dflt", TempPath("none.ini")), "dflt");
}

TEST_F(Toolbox, ReadIniWithoutFileReadsTheFormatFileAndSeesChanges) {
    gFormatFile = WriteFile("formats.ini", "[A]\nk=1\n");
    EXPECT_EQ(ReadIni("A", "k", "", ""), "1");
    WriteFile("formats.ini", "[A]\nk=22\n"); // different size, so the cache must notice
    EXPECT_EQ(ReadIni("A", "k", "", ""), "22");
}

TEST_F(Toolbox, ShellLaunchesGoThroughTheShell) {
    ShellOpen("/tmp/file.txt");
    OpenWebsite();
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0], "/tmp/file.txt");
    EXPECT_TRUE(shell.opened[1].startsWith("http://"));
}

TEST_F(Toolbox, WaitRunsEventsUntilItsClockHasReachedTheEnd) {
    // Every turn of the event loop the clock moves a step; the wait ends with the step that
    // reaches its end, not before and not later.
    const struct {
        int waitMs;
        int stepMs;
        int turns;
    } cases[] = {{150, 50, 3}, {150, 40, 4}, {1, 1000, 1}, {10, 3, 4}, {100000, 25000, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waitMs);
        SteppingClock clock(c.stepMs);
        const qint64 start = clock.now;
        Wait(c.waitMs);
        clock.Stop();
        EXPECT_EQ(clock.now - start, qint64(c.turns) * c.stepMs);
    }
}

TEST_F(Toolbox, WaitSleepsUntilAnEventComes) {
    // The clock stands still until one event, a little later, moves it past the end: a wait
    // that slept looked at the clock a few times, a busy one thousands of times.
    FakeClock clock;
    bool fired = false;
    QTimer::singleShot(20, [&] {
        fired = true;
        clock.Advance(150);
    });
    Wait(150);
    EXPECT_TRUE(fired);
    EXPECT_LT(clock.reads, 20);
}

TEST_F(Toolbox, WaitKeepsEventsRunningWhileTheProgramQuits) {
    // Closing the last window asks the application to quit while a caller may still be waiting.
    FakeClock clock;
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    bool fired = false;
    QTimer::singleShot(20, [&] {
        fired = true;
        clock.Advance(150);
    });
    Wait(150);
    const bool firedInTheWait = fired;
    const int reads = clock.reads;
    // The quit request stays pending until an application loop runs; let one take it.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_TRUE(firedInTheWait);
    EXPECT_LT(reads, 20);
}

TEST_F(Toolbox, WaitReturnsAtOnceForZeroOrNegative) {
    // Returning at once: no event runs (one that did would also end a wait that hung).
    FakeClock clock;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        clock.Advance(1000000);
    });
    Wait(0);
    Wait(-500);
    Wait(std::numeric_limits<int>::min());
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(Numbers, LeadingNumberReading) {
    EXPECT_EQ(LeadingNumber(u"  12abc"), 12);
    EXPECT_EQ(LeadingNumber(u"1 2\t3\n4"), 1234);
    EXPECT_EQ(LeadingNumber(u"-7.5"), -7.5);
    EXPECT_EQ(LeadingNumber(u"+.5"), 0.5);
    EXPECT_EQ(LeadingNumber(u"1e3"), 1000);
    EXPECT_EQ(LeadingNumber(u"2.5E-1x"), 0.25);
    EXPECT_EQ(LeadingNumber(u"12e"), 12);
    EXPECT_EQ(LeadingNumber(u"&HFF"), 255);
    EXPECT_EQ(LeadingNumber(u"&hff"), 255);
    EXPECT_EQ(LeadingNumber(u"&O17"), 15);
    EXPECT_EQ(LeadingNumber(u"&O19"), 1); // 9 is no octal digit
    EXPECT_EQ(LeadingNumber(u"abc"), 0);
    EXPECT_EQ(LeadingNumber(u""), 0);
    EXPECT_EQ(LeadingNumber(u"-"), 0);
    EXPECT_EQ(LeadingNumber(u"."), 0);
    EXPECT_EQ(LeadingNumber(u"1e999"), std::numeric_limits<double>::max());
}

TEST(Numbers, RoundingAndFitting) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(LeadingByte(u"255.4"), std::optional<uint8_t>(255));
    EXPECT_FALSE(LeadingByte(u"255.6").has_value());
    EXPECT_FALSE(LeadingByte(u"-1").has_value());
    EXPECT_EQ(LeadingByte(u"-0.4"), std::optional<uint8_t>(0));
    EXPECT_EQ(LeadingInt16(u"-32768"), std::optional<int16_t>(-32768));
    EXPECT_FALSE(LeadingInt16(u"32768").has_value());
    EXPECT_FALSE(LeadingInt32(u"2147483648").has_value());
    EXPECT_EQ(LeadingInt32Saturated(u"99999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(LeadingInt32Saturated(u"1e12"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(LeadingInt32Saturated(u"-1e12"), std::numeric_limits<int32_t>::min());
}

TEST(Numbers, BooleanText) {
    EXPECT_EQ(ParseBoolText(u" tRuE "), std::optional<bool>(true));
    EXPECT_EQ(ParseBoolText(u"false"), std::optional<bool>(false));
    EXPECT_EQ(ParseBoolText(u"0.0"), std::optional<bool>(false));
    EXPECT_EQ(ParseBoolText(u"0.5"), std::optional<bool>(true));
    EXPECT_EQ(ParseBoolText(u"&HFF"), std::optional<bool>(true));
    EXPECT_FALSE(ParseBoolText(u"yes").has_value());
    EXPECT_FALSE(ParseBoolText(u"").has_value());
    EXPECT_FALSE(ParseBoolText(u"1x").has_value());
    EXPECT_FALSE(ParseBoolText(u"nan").has_value());
    EXPECT_FALSE(ParseBoolText(u"-inf").has_value());
}

} // namespace
