#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The program's string table: texts by numeric id, compiled into the executable from the
// files in language/strings/ (one UTF-8 file per language block, lines "id<TAB>text").
// Language block b holds its UI texts at ids b * 1000 + k; block 0 (English) also holds the
// language rows (600..625), the translation-file texts (653..679), the job-script lines
// (700..724) and the media backend's download page (800).

// The text of an id, or nothing when the table has no such id (which is not an error: a
// translation that lacks a text shows the English one).
std::optional<QString> LoadResString(int id);

// One parsed block file. Lines are "id", one tab, the text; in the text "\n" is a line break,
// "\t" a tab and "\\" a backslash. Empty lines and lines starting with "#" are skipped; a CR
// before the line end is dropped. Faulty lines (no tab, an id that is not a number, an id
// listed twice) are listed in errors and otherwise ignored (the first text of an id wins).
struct StringFile {
    QHash<int, QString> texts;
    QStringList errors;
};
StringFile ParseStringFile(const QByteArray& utf8);

// The names of the block files compiled in (":/strings/...").
QStringList StringTableFiles();

// Puts a made-up block in place of whatever the table holds for block b (ids b*1000..b*1000+999);
// an empty map removes the block. For tests of the language loader; undone by the state reset.
void ReplaceStringTableBlock(int block, const QHash<int, QString>& texts);
