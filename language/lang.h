#pragma once
#include <QString>
#include <Qt>
#include <QStringList>

#include <array>
#include <cstdint>

// The UI texts of the current language, indexed by text number (0..468). Every caption,
// menu, message and tool tip takes its text from here.
inline constexpr int kLangTextCount = 469;
extern std::array<QString, kLangTextCount> gLang;

// Texts this program adds to the UI texts (messages the original table has no text for), by
// number kLangOwnFirst.. in every language block, loaded with the UI texts and read through
// LangText like them. They take no part in a block's completeness or in translation files.
inline constexpr int kLangOwnFirst = 470;
inline constexpr int kLangOwnCount = 30;
extern std::array<QString, kLangOwnCount> gLangOwn;

// Text k (a UI text or one of our own), or empty text for a number out of range.
QString LangText(int k);
// Text k with "%1" and "%2" replaced by plain substitution (no other placeholder is touched).
QString LangText(int k, const QString& p1, const QString& p2 = QString());
// The same substitution appended to out (no string of its own for code that builds long texts);
// out must not be p1 or p2.
void AppendLangText(QString& out, int k, const QString& p1, const QString& p2 = QString());

// The language table: one row per UI language, row i = language block i of the string table.
inline constexpr int kLangRows = 26;
enum LangColumn : int {
    kLangCodePage = 0, // code page as decimal text ("1252", "874")
    kLangLocale = 1,   // locale identifier as decimal text ("2057")
    kLangKey = 2,      // key name ("PORTUGUESE_BR"), the value stored under "Language"
    kLangName = 3,     // display name, unique among the rows
};
extern std::array<std::array<QString, 4>, kLangRows> gLangInfo;

extern uint8_t gLangIndex;   // row of the current language = its block number
extern bool gLangComplete;   // the last load found every text in the block
extern int32_t gLangPercent; // completeness of an incomplete block, 0..99
extern QString gSysLanguage; // the user's language name in English, upper case
extern int16_t gCharset;     // font character set of the user's code page
extern QString gCharsetName; // and its name ("WESTERN_EUROPEAN_LATIN")

// Builds gLangInfo from the language rows of the string table (ids 600..625).
void InitLanguageTable();

// Fills gLang from block gLangIndex, English standing in for each text the block lacks.
// Sets gLangComplete (also the result) and, when texts are missing, gLangPercent.
bool LoadLanguageStrings();

// The reading direction of a language row's locale; left to right for a row out of range or
// without a known locale. LoadLanguageStrings gives the application this direction.
Qt::LayoutDirection LanguageDirection(int row);
// Turns the application's windows to a reading direction; set by the window layer (tools that
// read and write files have no windows to turn, and need not load the window libraries).
extern void (*gApplyLayoutDirection)(Qt::LayoutDirection);

// Sets gLanguage to defaultKey, then picks the first row whose key name begins the user's
// language name (gSysLanguage): gLanguage and gLangIndex follow that row. Without a match
// gLangIndex stays as it was.
void DetectSystemLanguage(const QString& defaultKey);

// The row whose key name is exactly key (case counts); -1 when none is.
int FindLanguageRow(const QString& key);

// The font character set of a code page, and its name; 0 "WESTERN_EUROPEAN_LATIN" for any
// code page without one of its own.
struct CharsetInfo {
    int16_t charset;
    QString name;
};
CharsetInfo CharsetOfCodePage(int codePage);
// The character set of a locale's ANSI code page (0x400: the user's).
void GetLocaleCharset(uint32_t lcid, int16_t& charset, QString& name);

// Texts are Unicode throughout, so a text in the UI language shows in any control as it is.
QString ToLanguageCharset(const QString& text);

// The first position 0..25 in a list whose entry equals the display name of a language row;
// 0 when none does.
int16_t FindLanguageListIndex(int row, const QStringList& list);

// The text before its first NUL character.
QString TrimAtNull(const QString& text);
