#include "base/paths.h"

#include "base/processstate.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

#include <vector>

QString gAppPath;
QString gSysDir;
QString gTempDir;
QString gFormatFile;
QString gFormatDatFile;
QString gCmdFile;
int gTwipsX = 15;
int gTwipsY = 15;

static QString (*gUserDatabaseLookup)() = nullptr;

static void ResetPaths() {
    gAppPath.clear();
    gSysDir.clear();
    gTempDir.clear();
    gFormatFile.clear();
    gFormatDatFile.clear();
    gCmdFile.clear();
    gTwipsX = 15;
    gTwipsY = 15;
    gUserDatabaseLookup = nullptr;
}
SCRIVELLE_REGISTER_RESET(ResetPaths);

void SetUserDatabaseLookup(QString (*lookup)()) {
    gUserDatabaseLookup = lookup;
}

QString UserDatabaseHome() {
    if (gUserDatabaseLookup) return gUserDatabaseLookup();
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return QString();
    return QFile::decodeName(found->pw_dir);
}

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home)) return QDir::cleanPath(home);
    const QString dir = UserDatabaseHome();
    return QDir::isAbsolutePath(dir) ? QDir::cleanPath(dir) : QString();
}

static QString XdgHome(const char* var, const char* fallback) {
    const QString v = qEnvironmentVariable(var);
    if (!v.isEmpty() && QDir::isAbsolutePath(v)) return QDir::cleanPath(v);
    const QString home = HomeFolder();
    if (home.isEmpty()) return QString();
    return (home == QLatin1String("/") ? QString() : home) + QLatin1Char('/') + QLatin1String(fallback);
}

QString ConfigHome() {
    return XdgHome("XDG_CONFIG_HOME", ".config");
}
QString CacheHome() {
    return XdgHome("XDG_CACHE_HOME", ".cache");
}
