#pragma once
#include <QString>
#include <QStringList>

// The start-up sequence, without windows: everything the start window does before it either
// hands over to the main window or stays as the warning page.

// The file named on the command line: the arguments joined by blanks; a relative path is taken
// in the current folder (currentFolder), so that "scrivelle film.srt" opens the file the user
// sees; the text is kept only when it holds a "/" and a "." and is at least 8 characters long,
// then with every double quote removed; anything else gives empty text. An address
// ("http://...") is kept as it is. Nothing else of the command line is read.
QString CommandLineFile(const QStringList& arguments);
QString CommandLineFile(const QStringList& arguments, const QString& currentFolder);

// A folder with exactly one trailing "/" ("/" stays "/").
QString FolderWithSlash(const QString& folder);

// Twips per pixel for a screen of the given dots per inch (1440 / dpi, rounded), never below
// 1; 15 (96 dpi) when the screen cannot tell.
int TwipsPerPixel(double dotsPerInch);

// The program's scratch folder: $XDG_CACHE_HOME/vellumix/ (~/.cache/vellumix/). Without a home
// folder, a folder of the user's own in the system's temporary folder, "vellumix-<user id>/".
QString ScratchFolderPath();

// Told when a setting cannot be saved (once for a run of failing writes): the reason, in a
// warning box.
void ReportSettingsWriteFailure(const QString& reason);

// What the start window tells when the settings have no folder: the one that cannot be made, or
// (empty) that there is no home folder at all.
QString NoSettingsFolderText(const QString& folder);

// Told when the file that keeps other programs' keys exists but cannot be read: the reason, in a
// warning box.
void ReportRegistryRefused(const QString& reason);

// Creates a folder and its missing parents, each readable only by the user (mode 0700). True
// when the path is a folder afterwards. An existing folder is left as it is.
bool MakePrivateFolder(const QString& path);

// The media backend stands in for the player library: Qt Multimedia plays only with one of its
// backend plugins. True when a plugin is installed (the one $QT_MEDIA_BACKEND names, when set).
// Setting $SCRIVELLE_NO_MEDIA_BACKEND to anything but 0 makes it report none.
bool MediaBackendPresent();
// True when Qt will play through GStreamer: the backend named, else GStreamer's plugin when it
// is installed (Qt prefers it).
bool PlaysThroughGStreamer();
// The plugin file the warning page names when no backend was found.
QString MediaBackendPath();

// Picks the UI language and loads its texts: the stored key name when a row has exactly that
// name (an unknown or empty stored name leaves English), the user's language on a first run.
void ChooseLanguage();

struct StartupResult {
    bool backendMissing = false; // show the warning page instead of the main window
    QString missingPath;         // what the warning page names (the plugin, or what GStreamer lacks)
    bool failed = false;         // some step failed; the caller says so once
    bool noSettingsFolder = false; // no home folder: settings can be neither read nor kept
    QString settingsFolder;        // with it: the folder that cannot be made (empty: no home at all)
};

// Sets gCmdFile, gCharset, the language table, gSysDir, gTempDir (creating it), gAppPath, the
// two format file paths, the twips, loads every setting and the UI language, and checks for
// the media backend. A step that fails is skipped and noted in the result; the rest still run.
StartupResult RunStartupSequence(const QStringList& arguments);
