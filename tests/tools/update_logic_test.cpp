#include "base/paths.h"
#include "fixture.h"
#include "scoped.h"
#include "tools/update.h"

namespace {

TEST(UpdateLogic, VersionsCompareAsNumbersPartByPart) {
    const struct {
        const char *a, *b;
        int sign;
    } rows[] = {{"2.10.0", "2.9.0", 1}, {"2.3", "2.3.0", 0}, {"10.0.0", "2.2.1", 1}, {"2.2.1", "2.2.1", 0},
                {"1.0", "1.0.1", -1},   {"3", "2.99.99", 1}, {"2.3beta", "2.3", 0},  {"", "0.0.0", 0}};
    for (const auto& r : rows) {
        const int c = CompareVersions(QString::fromLatin1(r.a), QString::fromLatin1(r.b));
        EXPECT_EQ((c > 0) - (c < 0), r.sign) << r.a << " vs " << r.b;
    }
    // Against the running 1.0.0: nothing, "---" and a page of markup are no newer version.
    EXPECT_TRUE(IsNewerThanRunning(QStringLiteral("1.0.1")));
    for (const char* v : {"1.0.0", "1.0", "0.9.9", "", "---", "<html>"})
        EXPECT_FALSE(IsNewerThanRunning(QString::fromLatin1(v))) << v;
}

TEST(UpdateLogic, ReleaseDateRollsOverAndNeedsEveryPart) {
    UserLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    const QLocale en;
    EXPECT_EQ(UpdateReleaseDate("2026", "3", "5"), en.toString(QDate(2026, 3, 5), QLocale::LongFormat));
    EXPECT_EQ(UpdateReleaseDate("2026", "13", "1"), en.toString(QDate(2027, 1, 1), QLocale::LongFormat));
    EXPECT_EQ(UpdateReleaseDate("2026", "2", "30"), en.toString(QDate(2026, 3, 2), QLocale::LongFormat));
    for (auto [y, m, d] :
         {std::tuple{"2026", "---", "5"}, {"---", "1", "1"}, {"2026", "1", ""}, {"0", "1", "1"}})
        EXPECT_TRUE(UpdateReleaseDate(y, m, d).isEmpty()) << y << m << d;
}

class UpdateFileTest : public ScrivelleTest {};

TEST_F(UpdateFileTest, AnyLineEndBecomesCrLfAndValuesAreCleanAndShort) {
    gTempDir = TempPath(QString()) + u'/';
    const QByteArray bodies[] = {"[VELLUMIX]\nversion=2.0.0\nyear=2026\n",
                                 "[VELLUMIX]\r\nversion=2.0.0\r\nyear=2026\r\n",
                                 "[VELLUMIX]\rversion=2.0.0\ryear=2026"};
    for (const QByteArray& body : bodies) {
        WriteFile(QStringLiteral("zrvupd.tmp"), body);
        NormalizeUpdateFile(UpdateReplyFile());
        EXPECT_EQ(ReadFileBytes(UpdateReplyFile()),
                  QByteArray("[VELLUMIX]\r\nversion=2.0.0\r\nyear=2026\r\n"));
        EXPECT_EQ(GetUpdateValue(QStringLiteral("version")), QStringLiteral("2.0.0"));
        EXPECT_EQ(GetUpdateValue(QStringLiteral("month")), QStringLiteral("---"));
    }
    WriteFile(QStringLiteral("zrvupd.tmp"),
              "[VELLUMIX]\nversion=" + QByteArray(600, 'x') + "\x01\x07" + "\n");
    NormalizeUpdateFile(UpdateReplyFile());
    EXPECT_EQ(GetUpdateValue(QStringLiteral("version")).size(), 254);
    EXPECT_EQ(gUpdChars, 254);
}

} // namespace
