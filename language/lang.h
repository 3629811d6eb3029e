#pragma once
#include <QString>

#include <array>

// The UI texts of the current language, indexed by text number (0..468). Every caption,
// menu, message and tool tip takes its text from here.
inline constexpr int kLangTextCount = 469;
extern std::array<QString, kLangTextCount> gLang;

// Text k, or empty text for a number out of range.
QString LangText(int k);
// Text k with "%1" and "%2" replaced by plain substitution (no other placeholder is touched).
QString LangText(int k, const QString& p1, const QString& p2 = QString());
