#pragma once
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// Locale facts the language selection needs, asked by the numeric locale identifiers that the
// language table stores (0x0809 British English, 0x0416 Brazilian Portuguese ...). The
// identifier 0x0400 stands for the user's own locale, which is Qt's default locale.

inline constexpr uint32_t kLocaleUserDefault = 0x0400;
inline constexpr uint32_t kLocaleSystemDefault = 0x0800;

// Information items of GetLocaleString.
inline constexpr uint32_t kLocaleNativeLanguageName = 0x0004;  // the language's own name ("Deutsch")
inline constexpr uint32_t kLocaleEnglishLanguageName = 0x1001; // "German"
inline constexpr uint32_t kLocaleAnsiCodePage = 0x1004;        // "1252"

// The locale an identifier names; nothing for an identifier this program does not know.
std::optional<QLocale> LocaleFromId(uint32_t lcid);

// The single-byte ("ANSI") code page that programs use for text in this locale's language:
// 1250 Central European, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic,
// 1257 Baltic, 1258 Vietnamese, 874 Thai, 932 Japanese, 936/950 Chinese, 949 Korean, else 1252.
int AnsiCodePageOf(const QLocale& locale);

// The user's code page: $SCRIVELLE_ANSI_CODEPAGE when it names a code page the program can
// convert (for tests, and for users whose files follow another code page than their
// language), else the one of the user's locale.
int UserAnsiCodePage();

// One item of locale information as text; empty for an unknown locale or item.
QString GetLocaleString(uint32_t lcid, uint32_t item);
