#include "base/paths.h"

#include "base/processstate.h"

#include <QDir>

QString gAppPath;
QString gSysDir;
QString gTempDir;
QString gFormatFile;
QString gFormatDatFile;
QString gCmdFile;
int gTwipsX = 15;
int gTwipsY = 15;

static void ResetPaths() {
    gAppPath.clear();
    gSysDir.clear();
    gTempDir.clear();
    gFormatFile.clear();
    gFormatDatFile.clear();
    gCmdFile.clear();
    gTwipsX = 15;
    gTwipsY = 15;
}
SCRIVELLE_REGISTER_RESET(ResetPaths);

static QString XdgHome(const char* var, const char* fallback) {
    const QString v = qEnvironmentVariable(var);
    if (!v.isEmpty() && QDir::isAbsolutePath(v)) return QDir::cleanPath(v);
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
}

QString ConfigHome() {
    return XdgHome("XDG_CONFIG_HOME", ".config");
}
QString CacheHome() {
    return XdgHome("XDG_CACHE_HOME", ".cache");
}
