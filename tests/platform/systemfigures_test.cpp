#include "fixture.h"
#include "platform/SystemFigures.h"
#include "scoped.h"

namespace {

TEST(SystemFigures, VersionTable) {
    const struct {
        int platform, major, minor;
        const char* name;
    } rows[] = {
        {0, 3, 1, "Win32s on Windows 3.1"}, {1, 4, 0, "Windows 95"},      {1, 4, 90, "Windows Me"},
        {1, 4, 10, "Windows 98"},           {2, 3, 51, "Windows NT 3.5"}, {2, 4, 0, "Windows NT 4.0"},
        {2, 5, 0, "Windows 2000"},          {2, 5, 1, "Windows XP"},      {2, 5, 2, "Windows Server 2003"},
        {2, 6, 0, "Windows Vista"},         {2, 6, 1, "Windows 7"},       {2, 6, 2, "Windows 8"},
        {2, 10, 0, "Windows NT"},           {2, 6, 3, "Windows NT"},      {3, 10, 0, ""}};
    for (const auto& r : rows)
        EXPECT_EQ(GetWindowsVersion(r.platform, r.major, r.minor), QString::fromLatin1(r.name))
            << r.platform << " " << r.major << "." << r.minor;
    EXPECT_FALSE(GetWindowsVersion().isEmpty());
}

TEST(SystemFigures, FormatBytes) {
    UserLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct {
        double value;
        bool exact;
        const char* text;
    } rows[] = {{0, false, "0 bytes"},
                {1, false, "1 byte"},
                {512, false, "512 bytes"},
                {1023, false, "1,023 bytes"},
                {1024, false, "1.00 KB"},
                {1536, false, "1.50 KB"},
                {10219, false, "9.98 KB"},
                {10239, false, "10.0 KB"}, // 9.999 shows as the first four characters of "10.00"
                {10240, false, "10.0 KB"},
                {1048575, false, "1024 KB"},
                {1048576, false, "1.00 MB"},
                {2147483648.0, true, "2.00 GB (2,147,483,648 bytes)"},
                {1099511627776.0 * 3, false, "3.00 TB"},
                {512, true, "512 bytes"}};
    for (const auto& r : rows)
        EXPECT_EQ(clsMemoryStatus::FormatBytes(r.value, r.exact), QString::fromLatin1(r.text)) << r.value;

    UserLocale german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(clsMemoryStatus::FormatBytes(1023), QStringLiteral("1.023 bytes"));
    EXPECT_EQ(clsMemoryStatus::FormatBytes(1536), QStringLiteral("1,50 KB"));
}

TEST(SystemFigures, MemoryFromProcText) {
    QString text =
        QStringLiteral("MemTotal:       16000000 kB\nMemFree:  1000 kB\nMemAvailable:    4000000 kB\n"
                       "CommitLimit:    20000000 kB\nCommitted_AS:   5000000 kB\nVmSize:  1024 kB\n");
    clsMemoryStatus m([&] { return text; });
    EXPECT_EQ(m.Total(0).value(), 16000000ull * 1024);
    EXPECT_EQ(m.Available(0).value(), 4000000ull * 1024);
    EXPECT_EQ(m.Available(1).value(), 15000000ull * 1024);
    EXPECT_EQ(m.Load(), 75u);
    EXPECT_FALSE(m.Available(3).has_value());
    EXPECT_FALSE(m.Change(0).has_value()); // no earlier refresh

    text.replace(QStringLiteral("4000000 kB"), QStringLiteral("3000000 kB"));
    ASSERT_TRUE(m.Refresh());
    EXPECT_EQ(m.Change(0).value(), -1000000ll * 1024);

    // Nothing usable keeps the last figures.
    for (const char* bad : {"", "MemTotal: lots kB\n", "garbage\x01\x02"}) {
        text = QString::fromLatin1(bad);
        EXPECT_FALSE(m.Refresh()) << bad;
        EXPECT_EQ(m.Available(0).value(), 3000000ull * 1024);
    }
    // The real machine gives real figures.
    clsMemoryStatus real;
    EXPECT_GT(real.Available(0).value_or(0), 0u);
    EXPECT_LE(real.Available(0).value_or(0), real.Total(0).value_or(0));
}

} // namespace
