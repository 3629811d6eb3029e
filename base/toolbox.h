#pragma once
#include <QString>

// Small shared helpers for paths, files, INI reading, the shell and waiting.

// True when the path names an existing file or folder.
bool FileExists(const QString& path);
// The path without the extension of its last component ("/a/b.srt" -> "/a/b"). A dot in a
// folder name is not an extension ("/home/u/my.videos/clip" stays whole).
QString RemoveExtension(const QString& path);
// The part after the last "/"; a bare name is its own file name; a path ending in "/" gives "".
QString GetFileName(const QString& path);
// Short (8.3) paths do not exist here: the path unchanged.
QString GetShortPath(const QString& path);
// The folder part through GetShortPath, the file name kept as it is.
QString ShortFolderPath(const QString& path);
// For labels and menus: a long path loses its middle folders ("/.../film.srt", "media/.../film.srt").
QString ShortenPath(const QString& path);

// One value of an INI file; the default when the file, section or key is missing. Sections
// and keys are compared without case, the first occurrence wins, the value is trimmed and
// loses one pair of surrounding quotes. An empty file name means the format-definition file.
// Files are parsed once and kept while they do not change.
QString ReadIni(const QString& section, const QString& key, const QString& def, const QString& file);
// Forgets every parsed INI file.
void ClearIniCache();

// Opens a web address or document with its associated program. The result is not checked.
void ShellOpen(const QString& target);
// Opens the product's web page.
void OpenWebsite();
// The regional settings panel has no counterpart here: does nothing.
void OpenRegionalSettings();

// The product's web page.
extern const QString kProductWebPage;

// Waits the given milliseconds while window events (clicks, timers) keep running. Sleeps
// between events; returns at once for 0 or a negative time. Measured by ClockMs (base/clock.h).
void Wait(int milliseconds);
