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

TEST(UpdateLogic, AVersionIsNumbersAndDotsAndNothingElse) {
    const struct {
        QString text;
        bool version;
    } rows[] = {
        {"2", true},
        {"1.0.1", true},
        {"2.10.0", true},
        {"0.0.0", true},
        {"999999999.0", true},
        {"1.2.3.4.5.6", true},
        {"00001.2", true},
        {"9.<b>bold</b>", false},
        {"<html>", false},
        {"9.0\x01", false},
        {"\x07"
         "9.0",
         false},
        {"9.\x1b[31m0", false},
        {"9.0\t", false},
        {"9.0\r", false},
        {"9\u200b.0", false}, // a zero-width space
        {"9.0\ufffd", false}, // what text that was not UTF-8 reads as
        {"9.0\u00ff", false},
        {"\u0669.\u0660", false}, // Arabic-Indic digits
        {"\uff19.\uff10", false}, // full-width digits
        {QString(300, u'9'), false},
        {"1" + QString(".0").repeated(6), false}, // seven numbers
        {"1234567890.0", false},                  // ten digits
        {"9.", false},
        {".9", false},
        {"9..0", false},
        {"+9", false},
        {"-1", false},
        {" 9.0", false},
        {"9 .0", false},
        {"9,0", false},
        {"9e1", false},
        {"0x10", false},
        {"", false},
        {"---", false},
        {"2.3beta", false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(IsVersionText(r.text), r.version) << r.text.toStdString();
        // Only a version can be newer; every version here but the zeros is newer than 1.0.0.
        EXPECT_EQ(IsNewerThanRunning(r.text), r.version && CompareVersions(r.text, "1.0.0") > 0)
            << r.text.toStdString();
    }
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

TEST_F(UpdateFileTest, TheReplysVersionIsTakenAsItStandsOrNotAtAll) {
    gTempDir = TempPath(QString()) + u'/';
    const struct {
        QByteArray value; // as the reply holds it
        const char* version;
    } rows[] = {
        {"2.3.0", "2.3.0"},
        {"  2.3.0  ", "2.3.0"}, // blanks around an INI value are not part of it
        {"\"2.3.0\"", "2.3.0"},
        {"9.<b>bold</b>", ""},
        {"9.0\x01", ""}, // the cleaned value would read "9.0"
        {"9\x07.0", ""},
        {"9.0\xff", ""}, // not UTF-8
        {"9.0\xc3", ""},
        {"9.\xc3\xa9", ""},
        {QByteArray(300, '9'), ""},
        {"", ""},
    };
    for (const auto& r : rows) {
        WriteFile(QStringLiteral("zrvupd.tmp"), "[VELLUMIX]\nversion=" + r.value + "\nyear=2026\n");
        NormalizeUpdateFile(UpdateReplyFile());
        EXPECT_EQ(ReplyVersion(), QString::fromLatin1(r.version)) << r.value.toStdString();
    }
    WriteFile(QStringLiteral("zrvupd.tmp"), "[VELLUMIX]\nyear=2026\n");
    EXPECT_EQ(ReplyVersion(), QString());
}

} // namespace
