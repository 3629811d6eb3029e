#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>

// Text encodings of subtitle files. Files are read and written through the system ANSI code
// page (platform/CodePage.h); these add what the editor needs beyond that.

// "Unicode" (FF FE), "Unicode Big-Endian" (FE FF), "UTF-8" (EF BB; the third byte of the mark
// is not looked at) or "ANSI" from the first two bytes of the file. A file that is missing,
// unreadable or shorter than two bytes is "ANSI".
QString GetFileEncoding(const QString& path);

// A line of a UTF-8 file that was read as ANSI text: its characters are turned back into their
// ANSI bytes and those bytes are decoded as UTF-8.
QString DecodeUTF8(const QString& line);

// Decodes the bytes up to the first zero byte in a Windows code page (-1 or 0 = the system
// ANSI code page, 65001 = UTF-8). Windows conversion flags have no effect here. An unknown
// code page gives an empty text.
QString MultiByteToString(const QByteArray& bytes, int32_t codePage, int32_t flags);

// Encodes the text in a Windows code page (-1 or 0 = the system ANSI code page, 65001 =
// UTF-8); characters the code page lacks become "?". Flags have no effect here.
QByteArray StringToMultiByte(const QString& text, int32_t codePage, int32_t flags);

// The text's UTF-8 bytes widened to one character each (U+0000..U+00FF), for output that must
// be byte-exact; Latin-1 turns them back into the same bytes.
QString ToUTF8Bytes(const QString& text);
