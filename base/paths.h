#pragma once
#include <QString>

// Paths and screen figures set once by the start-up sequence and used everywhere.
extern QString gAppPath;       // folder of the executable, ending in "/"
extern QString gSysDir;        // folder of the Qt libraries, ending in "/"
extern QString gTempDir;       // the program's scratch folder, ending in "/"
extern QString gFormatFile;    // formats.ini beside the executable
extern QString gFormatDatFile; // formats.dat beside the executable
extern QString gCmdFile;       // the file given on the command line, empty when none
extern int gTwipsX;            // twips per pixel, never below 1
extern int gTwipsY;

// The user's home folder: $HOME when it holds an absolute path, else the one the user database
// gives for the user the program runs as (a program started without HOME, from a service or
// "env -i", must not take the root of the file system for it). Empty when neither knows one.
QString HomeFolder();
// The user database's home folder for the user the program runs as; empty when it has none.
QString UserDatabaseHome();
// Replaces that lookup (tests: a user the database does not know); null puts it back.
void SetUserDatabaseLookup(QString (*lookup)());

// The user's configuration and cache folders: $XDG_CONFIG_HOME and $XDG_CACHE_HOME when they
// hold absolute paths, else .config and .cache in the home folder; empty when there is no home
// folder either. Read each time, so tests can move them.
QString ConfigHome();
QString CacheHome();
