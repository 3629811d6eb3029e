#pragma once
#include <QByteArray>
#include <QString>

// Files that help users translate the interface: one lists the texts the current language
// still lacks, the other every English text for a new language. Both are plain UTF-8 text with
// CR LF line breaks, written into the scratch folder for a text editor to open; the program
// never reads them back.

// The version written into the files and their names (2.2.1 gives "221" and "2.2.1").
struct TranslationVersion {
    int major;
    int minor;
    int revision;
};
TranslationVersion RunningVersion();

// "zrv_221_finnish.txt": the key name of language row `row` of the language table, lower case.
// Empty when the row has no key name. Anything but letters, digits and "_" in the key becomes
// "_", so the name never leaves the scratch folder.
QString CompletionFileName(int row, const TranslationVersion& version);
// "zrv_221_english.txt".
QString NewLanguageFileName(const TranslationVersion& version);

// The file contents: a header from the string table, then one line per text
// ("12005, \"text\"" for each text block `row` lacks; "##005, \"text\"" for every text).
QByteArray CompletionFileText(int row, const TranslationVersion& version);
QByteArray NewLanguageFileText(const TranslationVersion& version);

// Write the file for the current language (gLangIndex) or the new-language template into
// gTempDir, replacing any file of that name at once (never half written). The result is the
// file's full path, or empty when it could not be written.
QString CreateCompletionFile();
QString CreateNewLanguageFile();
