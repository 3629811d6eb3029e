// The translated blocks of the string table: complete, carrying the placeholders, line breaks,
// accelerators and blanks their users rely on, really translated, and shown by the main window.
#include "fixture.h"
#include "language/lang.h"
#include "language/stringtable.h"
#include "mainwindow/mainwindow_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QMenuBar>
#include <QSet>

#include <array>
#include <ostream>

namespace {

const char* const kBlockNames[kLangRows] = {
    "English",    "Spanish",  "Dutch",     "Greek",     "Italian",    "French",  "PortugueseBR",
    "Portuguese", "Catalan",  "Serbian",   "Hungarian", "Romanian",   "Finnish", "Persian",
    "Arabic",     "Danish",   "Bulgarian", "Kazakh",    "Indonesian", "Swedish", "Thai",
    "German",     "Japanese", "Russian",   "Croatian",  "Chinese"};

QString English(int k) {
    return LoadResString(k).value_or(QString());
}

QString Translated(int block, int k) {
    return LoadResString(block * 1000 + k).value_or(QString());
}

class Translation : public ScrivelleTest, public ::testing::WithParamInterface<int> {};

TEST_P(Translation, HasEveryTextWithTheMarksOfTheEnglishOne) {
    const int block = GetParam();
    const QString marks[] = {"%1", "%2", "%FN", "\n", "&"};
    for (int k = 0; k < kLangTextCount; ++k) {
        const std::optional<QString> text = LoadResString(block * 1000 + k);
        ASSERT_TRUE(text.has_value()) << "text " << k;
        EXPECT_FALSE(text->trimmed().isEmpty()) << "text " << k;
        const QString english = English(k);
        for (const QString& mark : marks)
            EXPECT_EQ(text->count(mark), english.count(mark))
                << "text " << k << " mark " << mark.toStdString() << ": " << text->toStdString();
        // Report lines are indented by their blank; labels ending in a blank are followed by a name.
        EXPECT_EQ(text->startsWith(u' '), english.startsWith(u' ')) << "text " << k;
        EXPECT_EQ(text->endsWith(u' '), english.endsWith(u' ')) << "text " << k;
    }
}

// Texts a language may write exactly as English does: "OK", "Web:", "Info:", and words the
// language shares with English ("Format", "Standard", "Pause", "Text", "Player" ...).
QSet<int> SameAsEnglish(int block) {
    static const QSet<int> everywhere = {2, 66, 349, 350, 380};
    static const QHash<int, QSet<int>> shared = {
        {1, {69, 264}},                     // Spanish: &No, Color...
        {2, {6, 86, 100, 190, 279}},        // Dutch: &Help, Credits, Timing, Details, Frames
        {4, {0, 69}},                       // Italian: &File, &No
        {5, {88, 127, 172, 173, 336, 378}}, // French: Version, Pause, minute(s), Style, Mode
        {6, {381, 417}},                    // Brazilian Portuguese: Bilinear, Player
        {7, {381}},                         // Portuguese: Bilinear
        {8, {69, 229, 264, 360, 378}},      // Catalan: &No, Text, Color..., Mode
        {11, {216, 229, 360, 382, 417}},    // Romanian: Font..., Text, Bicubic, Player
        {15, {40, 88, 100, 127, 128, 208}}, // Danish: Start, Version, Timing, Pause, Stop, Tolerance
        {18, {378, 381}},                   // Indonesian: Mode, Bilinear
        {19, {40, 88, 229, 360}},           // Swedish: Start, Version, Text
        {21, {40, 88, 127, 190, 229, 279, 360, 381, 417}}, // German: Start, Version, Pause, Details, Text ...
        {24, {216}},                                       // Croatian: Font...
    };
    return everywhere + shared.value(block);
}

TEST_P(Translation, LeavesOnlyNamesAndSymbolsInEnglish) {
    const int block = GetParam();
    const QSet<int> same = SameAsEnglish(block);
    QStringList english;
    for (int k = 0; k < kLangTextCount; ++k)
        if (!same.contains(k) && Translated(block, k) == English(k))
            english << QStringLiteral("%1 \"%2\"").arg(k).arg(English(k));
    EXPECT_TRUE(english.isEmpty()) << "left in English: " << english.join(", ").toStdString();
}

// The credit line under the chosen language (text 84) names that language's texts: translated
// word for word, "English texts by ..." said English under every language.
TEST_P(Translation, CreditsItsOwnLanguagesTexts) {
    static const char* const kOwnWord[kLangRows] = {
        "English",   "español", "Nederlandse", "Ελληνικά", "italiani",  "français",       "português",
        "português", "català",  "Српски",      "Magyar",   "română",    "Suomenkieliset", "فارسی",
        "العربية",   "Danske",  "Български",   "Қазақ",    "Indonesia", "Svenska",        "ภาษาไทย",
        "Deutsche",  "日本語",  "Русские",     "Hrvatski", "中文"};
    const int block = GetParam();
    EXPECT_TRUE(Translated(block, 84).contains(QString::fromUtf8(kOwnWord[block])))
        << Translated(block, 84).toStdString();
}

TEST_P(Translation, LoadsComplete) {
    InitLanguageTable();
    gLangIndex = uint8_t(GetParam());
    gLangPercent = 12;
    EXPECT_TRUE(LoadLanguageStrings());
    EXPECT_TRUE(gLangComplete);
    EXPECT_EQ(gLangPercent, 12);
    EXPECT_EQ(LangText(0), Translated(GetParam(), 0));
}

INSTANTIATE_TEST_SUITE_P(Blocks, Translation, ::testing::Range(1, kLangRows),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kBlockNames[info.param]);
                         });

// Every caption, menu text and tool tip the main window shows.
QStringList WindowTexts(QWidget* w) {
    QStringList texts;
    for (QAction* a : w->findChildren<QAction*>())
        texts << a->text() << a->toolTip();
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        texts << b->text() << b->toolTip();
    for (QLabel* l : w->findChildren<QLabel*>())
        texts << l->text() << l->toolTip();
    for (QWidget* c : w->findChildren<QWidget*>())
        texts << c->toolTip();
    texts.removeAll(QString());
    return texts;
}

struct Family {
    const char* name;
    int block;
    Qt::LayoutDirection direction;
    std::array<QChar::Script, 3> scripts; // unused places are Script_Unknown
};

void PrintTo(const Family& f, std::ostream* os) {
    *os << f.name;
}

class MainWindowLanguage : public MainWindowFixture, public ::testing::WithParamInterface<Family> {};

TEST_P(MainWindowLanguage, ReCaptionsTheWindowInTheLanguageAndItsDirection) {
    const Family& f = GetParam();
    InitLanguageTable();
    Make();
    const QString englishFile = w->menuBar()->actions().first()->text();
    ASSERT_EQ(englishFile, English(0));

    gLangIndex = uint8_t(f.block);
    ASSERT_TRUE(LoadLanguageStrings());
    w->ApplyLanguageToMain();

    const QString file = w->menuBar()->actions().first()->text();
    EXPECT_EQ(file, Translated(f.block, 0));
    bool inScript = false;
    for (QChar c : file)
        inScript = inScript || (c.script() != QChar::Script_Unknown &&
                                std::find(f.scripts.begin(), f.scripts.end(), c.script()) != f.scripts.end());
    EXPECT_TRUE(inScript) << file.toStdString();

    // No text the language translates differently may still show in English.
    QSet<QString> english;
    for (int k = 0; k < kLangTextCount; ++k)
        if (Translated(f.block, k) != English(k)) english << English(k);
    for (QString text : WindowTexts(w.get())) {
        if (text.endsWith(QStringLiteral("..."))) text.chop(3);
        EXPECT_FALSE(english.contains(text)) << "still in English: " << text.toStdString();
    }
    EXPECT_EQ(QApplication::layoutDirection(), f.direction);
    EXPECT_EQ(w->layoutDirection(), f.direction);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, MainWindowLanguage,
    ::testing::Values(Family{"Latin", 21, Qt::LeftToRight, {QChar::Script_Latin}},
                      Family{"Cyrillic", 23, Qt::LeftToRight, {QChar::Script_Cyrillic}},
                      Family{"Greek", 3, Qt::LeftToRight, {QChar::Script_Greek}},
                      Family{"Arabic", 14, Qt::RightToLeft, {QChar::Script_Arabic}},
                      Family{"Persian", 13, Qt::RightToLeft, {QChar::Script_Arabic}},
                      Family{"Thai", 20, Qt::LeftToRight, {QChar::Script_Thai}},
                      Family{"Japanese",
                             22,
                             Qt::LeftToRight,
                             {QChar::Script_Han, QChar::Script_Hiragana, QChar::Script_Katakana}},
                      Family{"Chinese", 25, Qt::LeftToRight, {QChar::Script_Han}}),
    [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

class MainWindowDirection : public MainWindowFixture {};

TEST_F(MainWindowDirection, BackToEnglishReadsLeftToRightAgain) {
    InitLanguageTable();
    Make();
    gLangIndex = 14;
    LoadLanguageStrings();
    w->ApplyLanguageToMain();
    gLangIndex = 0;
    ASSERT_TRUE(LoadLanguageStrings());
    w->ApplyLanguageToMain();
    EXPECT_EQ(w->menuBar()->actions().first()->text(), English(0));
    EXPECT_EQ(w->layoutDirection(), Qt::LeftToRight);
}

} // namespace
