// The language table, the choice of a language and the completeness of its texts.
#include "base/settings.h"
#include "fixture.h"
#include "language/lang.h"
#include "language/localeinfo.h"
#include "language/stringtable.h"
#include "scoped.h"

#include <QSet>

namespace {

// Sets the user's locale for one test and puts the old one back.
class Lang : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        InitLanguageTable();
    }
    // A block holding every UI text except the given ones.
    static QHash<int, QString> BlockLacking(int block, const QList<int>& lacking) {
        QHash<int, QString> texts;
        for (int k = 0; k < kLangTextCount; ++k)
            if (!lacking.contains(k))
                texts.insert(block * 1000 + k, QStringLiteral("b%1 t%2").arg(block).arg(k));
        return texts;
    }
    static QList<int> Range(int first, int count) {
        QList<int> r;
        for (int i = 0; i < count; ++i)
            r << first + i;
        return r;
    }
    static QStringList DisplayNames() {
        QStringList names;
        for (const auto& row : gLangInfo)
            names << row[kLangName];
        return names;
    }
};

TEST_F(Lang, TableColumnsComeFromTheLanguageRows) {
    const struct {
        int row;
        const char* codePage;
        const char* locale;
        const char* key;
    } expected[] = {
        {0, "1252", "2057", "ENGLISH"},    {6, "1252", "1046", "PORTUGUESE_BR"},
        {7, "1252", "2070", "PORTUGUESE"}, {9, "1251", "31770", "SERBIAN"},
        {20, "874", "1054", "THAI"},       {22, "932", "1041", "JAPANESE"},
        {24, "1251", "4122", "CROATIAN"},  {25, "936", "4", "CHINESE"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(gLangInfo[e.row][kLangCodePage], e.codePage) << e.row;
        EXPECT_EQ(gLangInfo[e.row][kLangLocale], e.locale) << e.row;
        EXPECT_EQ(gLangInfo[e.row][kLangKey], e.key) << e.row;
    }
    EXPECT_EQ(gLangInfo[0][kLangName], "English");
    EXPECT_EQ(gLangInfo[21][kLangName], "German");
    EXPECT_EQ(gLangInfo[25][kLangName], "Chinese");
    for (int i = 0; i < kLangRows; ++i)
        for (int c = 0; c < 4; ++c)
            EXPECT_FALSE(gLangInfo[i][c].isEmpty()) << i << "," << c;
}

TEST_F(Lang, DisplayNamesAreUniqueSoBothPortugueseRowsCanBeChosen) {
    const QStringList names = DisplayNames();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), kLangRows);
    EXPECT_TRUE(names[6].startsWith("Portuguese")) << names[6].toStdString();
    EXPECT_TRUE(names[7].startsWith("Portuguese")) << names[7].toStdString();
    EXPECT_TRUE(names[6].contains("Brazil")) << names[6].toStdString();
    EXPECT_TRUE(names[7].contains("Portugal")) << names[7].toStdString();
    // The language page selects a row by its entry in the list of these names.
    for (int i = 0; i < kLangRows; ++i)
        EXPECT_EQ(FindLanguageListIndex(i, names), i);
}

TEST_F(Lang, FindLanguageListIndexFallsBackToTheFirstEntry) {
    EXPECT_EQ(FindLanguageListIndex(5, {"one", "two"}), 0);
    EXPECT_EQ(FindLanguageListIndex(5, {}), 0);
    EXPECT_EQ(FindLanguageListIndex(-1, DisplayNames()), 0);
    EXPECT_EQ(FindLanguageListIndex(26, DisplayNames()), 0);
    QStringList twice = DisplayNames();
    twice[2] = gLangInfo[14][kLangName];
    EXPECT_EQ(FindLanguageListIndex(14, twice), 2);
}

TEST_F(Lang, UnreadableRowLeavesItsCellsEmptyAndMatchesNothing) {
    QHash<int, QString> block0;
    for (int id : {0, 600, 601, 602, 604, 625})
        block0.insert(id, LoadResString(id).value_or(QString()));
    block0[601] = "1252-&H0C0A"; // no key name
    ReplaceStringTableBlock(0, block0);
    InitLanguageTable();
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(gLangInfo[3][c].isEmpty()) << c;
    EXPECT_EQ(gLangInfo[1][kLangCodePage], "1252");
    EXPECT_EQ(gLangInfo[1][kLangKey], "");
    EXPECT_EQ(gLangInfo[4][kLangKey], "ITALIAN");
    EXPECT_EQ(gLangInfo[25][kLangKey], "CHINESE");
    EXPECT_EQ(FindLanguageRow(""), -1);

    // An empty key must not match every system language.
    UserLocale korean(QLocale(QLocale::Korean, QLocale::SouthKorea));
    gLangIndex = 4;
    DetectSystemLanguage("ENGLISH");
    EXPECT_EQ(gLanguage, "ENGLISH");
    EXPECT_EQ(gLangIndex, 4);
}

TEST_F(Lang, LanguageWithoutDisplayNameServiceGetsTheProperCaseKey) {
    QHash<int, QString> block0{{610, "1250-&H9999-HUNGARIAN"}, {611, "1250-&H0418-ROMANIAN"}};
    ReplaceStringTableBlock(0, block0);
    InitLanguageTable();
    EXPECT_EQ(gLangInfo[10][kLangName], "Hungarian");
    EXPECT_EQ(gLangInfo[10][kLangLocale], "39321");
    EXPECT_EQ(gLangInfo[11][kLangName], "Romanian");
}

TEST_F(Lang, EnglishIsCompleteAndLeavesThePercentageAlone) {
    gLangPercent = 42;
    gLangIndex = 0;
    EXPECT_TRUE(LoadLanguageStrings());
    EXPECT_TRUE(gLangComplete);
    EXPECT_EQ(gLangPercent, 42);
    EXPECT_EQ(LangText(0), "&File");
    EXPECT_EQ(LangText(468), "Close dialog automatically when done");
}

TEST_F(Lang, CompleteMadeUpBlockUsesItsOwnTexts) {
    ReplaceStringTableBlock(21, BlockLacking(21, {}));
    gLangIndex = 21;
    gLangPercent = 7;
    EXPECT_TRUE(LoadLanguageStrings());
    EXPECT_EQ(LangText(0), "b21 t0");
    EXPECT_EQ(LangText(468), "b21 t468");
    EXPECT_EQ(gLangPercent, 7);
}

// Texts of our own beyond the UI texts: the block's, else English's; a block without them is
// still complete.
TEST_F(Lang, OwnTextsComeFromTheBlockOrEnglishAndLeaveCompletenessAlone) {
    ReplaceStringTableBlock(0, {{kLangOwnFirst, "own e0"}, {kLangOwnFirst + 1, "own e1 %1"}});
    QHash<int, QString> block = BlockLacking(21, {});
    block.insert(21000 + kLangOwnFirst + 1, "own b21 %1");
    ReplaceStringTableBlock(21, block);
    gLangIndex = 21;
    EXPECT_TRUE(LoadLanguageStrings());
    EXPECT_EQ(LangText(kLangOwnFirst), "own e0");
    EXPECT_EQ(LangText(kLangOwnFirst + 1, "x"), "own b21 x");
    EXPECT_EQ(LangText(kLangOwnFirst + 2), "");
    EXPECT_EQ(LangText(kLangOwnFirst + kLangOwnCount), "");
    EXPECT_EQ(LangText(kLangTextCount), "");
}

TEST_F(Lang, MissingTextsComeFromEnglishAndSetThePercentage) {
    const struct {
        int block;
        QList<int> lacking;
        int percent;
    } cases[] = {
        {25, {0}, 99},             // only text 0: 467/468 rounds to 100, shown as 99
        {14, Range(100, 209), 55}, // 259 of 468
        {12, Range(300, 31), 93},  // 437 of 468
        {17, Range(1, 10), 98},    // 458 of 468
        {15, {105, 106}, 99},      // 466 of 468
        {20, {76, 77}, 99},
        {5, Range(0, 469), 0}, // nothing of its own: never negative
    };
    for (const auto& c : cases) {
        ReplaceStringTableBlock(c.block, BlockLacking(c.block, c.lacking));
        gLangIndex = uint8_t(c.block);
        gLangPercent = -1;
        EXPECT_FALSE(LoadLanguageStrings()) << c.block;
        EXPECT_FALSE(gLangComplete) << c.block;
        EXPECT_EQ(gLangPercent, c.percent) << c.block;
        const int english = c.lacking.first();
        EXPECT_EQ(LangText(english), LoadResString(english).value()) << c.block;
        if (!c.lacking.contains(468)) {
            EXPECT_EQ(LangText(468), QStringLiteral("b%1 t468").arg(c.block));
        }
    }
}

TEST_F(Lang, AbsentBlockShowsEnglish) {
    ReplaceStringTableBlock(3, {});
    gLangIndex = 3;
    EXPECT_FALSE(LoadLanguageStrings());
    EXPECT_EQ(gLangPercent, 0);
    EXPECT_EQ(LangText(146), "Warning");
}

TEST_F(Lang, ReloadReplacesEveryTextOfTheOldLanguage) {
    ReplaceStringTableBlock(21, BlockLacking(21, {5}));
    gLangIndex = 21;
    LoadLanguageStrings();
    EXPECT_EQ(LangText(4), "b21 t4");
    gLangIndex = 0;
    EXPECT_TRUE(LoadLanguageStrings());
    EXPECT_EQ(LangText(4), "&Tools");
    EXPECT_EQ(LangText(5), "&Settings");
}

TEST_F(Lang, SystemLanguagePicksTheFirstRowThatBeginsItsName) {
    const struct {
        QLocale locale;
        const char* sysName;
        const char* key;
        int row;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "ENGLISH", "ENGLISH", 0},
        {QLocale(QLocale::German, QLocale::Austria), "GERMAN", "GERMAN", 21},
        // Both Portuguese locales are named "Portuguese": the prefix PORTUGUESE_BR does not begin it.
        {QLocale(QLocale::Portuguese, QLocale::Brazil), "PORTUGUESE", "PORTUGUESE", 7},
        {QLocale(QLocale::Portuguese, QLocale::Portugal), "PORTUGUESE", "PORTUGUESE", 7},
        {QLocale(QLocale::Chinese, QLocale::Taiwan), "CHINESE", "CHINESE", 25},
        {QLocale(QLocale::Persian, QLocale::Iran), "PERSIAN", "PERSIAN", 13},
        {QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia), "SERBIAN", "SERBIAN", 9},
    };
    for (const auto& c : cases) {
        UserLocale user(c.locale);
        gLangIndex = 3;
        DetectSystemLanguage("ENGLISH");
        EXPECT_EQ(gSysLanguage, c.sysName);
        EXPECT_EQ(gLanguage, c.key) << c.sysName;
        EXPECT_EQ(gLangIndex, c.row) << c.sysName;
    }
}

TEST_F(Lang, SystemLanguageWithoutARowKeepsTheDefault) {
    for (const QLocale& locale : {QLocale(QLocale::Korean, QLocale::SouthKorea),
                                  QLocale(QLocale::NorwegianBokmal, QLocale::Norway), QLocale::c()}) {
        UserLocale user(locale);
        gLangIndex = 5;
        gLanguage = "whatever";
        DetectSystemLanguage("ENGLISH");
        EXPECT_EQ(gLanguage, "ENGLISH") << gSysLanguage.toStdString();
        EXPECT_EQ(gLangIndex, 5) << gSysLanguage.toStdString();
    }
}

TEST_F(Lang, StoredKeyNamesMatchOnlyWhole) {
    EXPECT_EQ(FindLanguageRow("PORTUGUESE"), 7);
    EXPECT_EQ(FindLanguageRow("PORTUGUESE_BR"), 6);
    EXPECT_EQ(FindLanguageRow("CHINESE"), 25);
    EXPECT_EQ(FindLanguageRow("ESE"), -1);
    EXPECT_EQ(FindLanguageRow("chinese"), -1);
    EXPECT_EQ(FindLanguageRow("KLINGON"), -1);
}

TEST(Charset, CodePageTable) {
    const struct {
        int codePage;
        int charset;
        const char* name;
    } table[] = {
        {874, 222, "THAI_CHARSET"},
        {932, 128, "JAPANESE_SHIFTJIS"},
        {936, 134, "SIMPLIFIED_CHINESE_GB2312"},
        {949, 129, "KOREAN_HANGUL"},
        {950, 136, "TRADITIONAL_CHINESE_BIG5"},
        {1250, 238, "EASTERN_EUROPEAN"},
        {1251, 204, "CYRILLIC_CHARSET"},
        {1252, 0, "WESTERN_EUROPEAN_LATIN"},
        {1253, 161, "GREEK_CHARSET"},
        {1254, 162, "TURKISH_CHARSET"},
        {1255, 177, "HEBREW_CHARSET"},
        {1256, 178, "ARABIC_CHARSET"},
        {1257, 186, "BALTIC_CHARSET"},
        {1258, 163, "VIETNAMESE_CHARSET"},
        {1361, 130, "KOREAN_JOHAB"},
        {65001, 0, "WESTERN_EUROPEAN_LATIN"},
        {437, 0, "WESTERN_EUROPEAN_LATIN"},
        {0, 0, "WESTERN_EUROPEAN_LATIN"},
    };
    for (const auto& t : table) {
        const CharsetInfo info = CharsetOfCodePage(t.codePage);
        EXPECT_EQ(info.charset, t.charset) << t.codePage;
        EXPECT_EQ(info.name, t.name) << t.codePage;
    }
}

class LocaleCharset : public ScrivelleTest {
protected:
    int16_t charset = -1;
    QString name;
};

TEST_F(LocaleCharset, FollowsTheUsersCodePageNotTheUiLanguage) {
    UserLocale user(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EnvVar none("SCRIVELLE_ANSI_CODEPAGE", "");
    gLangIndex = 23; // a Russian interface on a Western system
    GetLocaleCharset(kLocaleUserDefault, charset, name);
    EXPECT_EQ(charset, 0);
    EXPECT_EQ(name, "WESTERN_EUROPEAN_LATIN");
}

TEST_F(LocaleCharset, UserLocaleDecidesWithoutOverride) {
    EnvVar none("SCRIVELLE_ANSI_CODEPAGE", "");
    {
        UserLocale user(QLocale(QLocale::Russian, QLocale::Russia));
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 204);
    }
    {
        UserLocale user(QLocale(QLocale::Japanese, QLocale::Japan));
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 128);
        EXPECT_EQ(name, "JAPANESE_SHIFTJIS");
    }
}

TEST_F(LocaleCharset, OverrideGivesTheUsersCodePage) {
    UserLocale user(QLocale(QLocale::Russian, QLocale::Russia));
    {
        EnvVar cp("SCRIVELLE_ANSI_CODEPAGE", "1361");
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 130);
        EXPECT_EQ(name, "KOREAN_JOHAB");
    }
    {
        EnvVar cp("SCRIVELLE_ANSI_CODEPAGE", "65001");
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 0);
        EXPECT_EQ(name, "WESTERN_EUROPEAN_LATIN");
    }
    {
        EnvVar cp("SCRIVELLE_ANSI_CODEPAGE", "rubbish");
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 204);
    }
    {
        // A code page the text conversions cannot use is ignored by them, so here too.
        EnvVar cp("SCRIVELLE_ANSI_CODEPAGE", "12345");
        GetLocaleCharset(kLocaleUserDefault, charset, name);
        EXPECT_EQ(charset, 204);
    }
}

TEST_F(LocaleCharset, RowLocalesHaveTheirLanguagesCharset) {
    const struct {
        uint32_t lcid;
        int charset;
    } rows[] = {{0x0809, 0},   {0x0408, 161}, {0x040E, 238}, {0x0429, 178}, {0x0401, 178}, {0x0419, 204},
                {0x7C1A, 204}, {0x041E, 222}, {0x0411, 128}, {0x0004, 134}, {0x0404, 136}, {0x0412, 129}};
    for (const auto& r : rows) {
        GetLocaleCharset(r.lcid, charset, name);
        EXPECT_EQ(charset, r.charset) << std::hex << r.lcid;
    }
    GetLocaleCharset(0x1234, charset, name); // no answer
    EXPECT_EQ(charset, 0);
    EXPECT_EQ(name, "WESTERN_EUROPEAN_LATIN");
}

TEST(LocaleStrings, NamesAndCodePages) {
    EXPECT_EQ(GetLocaleString(0x0416, kLocaleEnglishLanguageName), "Portuguese");
    EXPECT_EQ(GetLocaleString(0x0407, kLocaleNativeLanguageName), "Deutsch");
    EXPECT_EQ(GetLocaleString(0x0419, kLocaleAnsiCodePage), "1251");
    EXPECT_EQ(GetLocaleString(0x041E, kLocaleAnsiCodePage), "874");
    EXPECT_EQ(GetLocaleString(0x1234, kLocaleEnglishLanguageName), "");
    EXPECT_EQ(GetLocaleString(0x0407, 0x9999), "");
}

TEST(LocaleStrings, TrimAtNull) {
    EXPECT_EQ(TrimAtNull(QString("abc") + QChar(0) + "def"), "abc");
    EXPECT_EQ(TrimAtNull(QString(QChar(0))), "");
    EXPECT_EQ(TrimAtNull("no nul"), "no nul");
    EXPECT_EQ(ToLanguageCharset(QString::fromUtf8("Привет")), QString::fromUtf8("Привет"));
}

} // namespace

// Substitution is one plain pass: %1 and %2 only, a substituted text is not looked at again,
// and appending gives the same text after what was there.
TEST_F(Lang, PlaceholdersAreReplacedInOnePass) {
    struct Case {
        QString text, p1, p2, expected;
    };
    const Case cases[] = {
        {"%1 of %2", "3", "7", "3 of 7"},
        {"%1", "a", "", "a"},
        {"no place", "a", "b", "no place"},
        {"50% off %", "a", "b", "50% off %"},
        {"%%1%2%", "x", "y", "%xy%"},
        {"%3 %0 %1", "a", "b", "%3 %0 a"},
        {"[%2][%1]", "%2", "%1", "[%1][%2]"},
        {"missing %2", "a", "", "missing "},
        {"", "a", "b", ""},
    };
    for (const Case& c : cases) {
        gLang[300] = c.text;
        EXPECT_EQ(LangText(300, c.p1, c.p2), c.expected) << c.text.toStdString();
        QString out = QStringLiteral("lead ");
        AppendLangText(out, 300, c.p1, c.p2);
        EXPECT_EQ(out, QStringLiteral("lead ") + c.expected) << c.text.toStdString();
    }
    gLang[300] = QStringLiteral("%1");
    EXPECT_EQ(LangText(-1, "a"), "");
    EXPECT_EQ(LangText(kLangTextCount, "a"), "");
    QString out = QStringLiteral("x");
    AppendLangText(out, kLangTextCount, "a");
    EXPECT_EQ(out, "x");
}
