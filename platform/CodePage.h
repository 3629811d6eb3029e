#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

// Windows code pages on top of Qt's converters. Code page numbers are the Windows ones
// (1252, 1251, 932, 65001 ...); -1 and 0 both mean the system ANSI code page.

// The code page the program treats as "ANSI": the environment variable
// SCRIVELLE_ANSI_CODEPAGE when it names a code page we can convert, else one chosen from the
// language of the system locale the way Windows chooses it (Cyrillic 1251, Greek 1253,
// Central European 1250, Arabic and Persian 1256, Thai 874, Japanese 932, Chinese 936 or 950,
// Korean 949, Turkish 1254, Hebrew 1255, Baltic 1257, Vietnamese 1258, else 1252).
int32_t SystemAnsiCodePage();

// The ANSI code page Windows gives a locale of this language and script.
int32_t AnsiCodePageForLocale(const QLocale& locale);

// -1 and 0 become SystemAnsiCodePage(); other numbers stay.
int32_t ResolveCodePage(int32_t codePage);

// True when text can be converted to and from this code page here.
bool IsCodePageAvailable(int32_t codePage);

// True when every byte below 0x80 is read as the ASCII character of its value and ASCII is
// written as those bytes (as Windows does), so that a text of such bytes needs no converter.
// False for code pages where some of those bytes are other characters (Johab's 5C is the won
// sign) or characters take more than one byte (UTF-16), and for unknown code pages.
bool KeepsAscii(int32_t codePage);

// The numbers of every code page this layer knows (whether or not it can convert it here).
std::vector<int32_t> KnownCodePages();

// Bytes to text. Byte sequences the code page does not define become U+FFFD. An unknown code
// page gives an empty text.
QString DecodeCodePage(QByteArrayView bytes, int32_t codePage);

// Text to bytes. Characters the code page cannot hold become "?". An unknown code page gives
// no bytes.
QByteArray EncodeCodePage(QStringView text, int32_t codePage);

// True when the text is not empty, only ASCII, and the code page keeps ASCII (KeepsAscii): then
// EncodeCodePage gives the text's Latin-1 bytes and they decode back to the same text.
bool EncodesAsItsAscii(QStringView text, int32_t codePage);
