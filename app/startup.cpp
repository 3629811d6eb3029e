#include "app/startup.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "language/lang.h"
#include "language/localeinfo.h"
#include "platform/MsgBox.h"
#include "platform/RegistryAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>

#include <exception>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs one step of the sequence; a step that throws is skipped and marks the run failed.
template <typename F> void Step(StartupResult& result, F&& step) {
    try {
        if (!step()) result.failed = true;
    } catch (const std::exception& e) {
        qWarning("start-up step failed: %s", e.what());
        result.failed = true;
    }
}

QString WantedMediaBackend() {
    return qEnvironmentVariable("QT_MEDIA_BACKEND").trimmed();
}

// A real folder (not a link) that belongs to the user and that no one else may use.
bool IsOwnPrivateFolder(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(QDir::cleanPath(path)).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

QString SharedScratchFolderPath() {
    return FolderWithSlash(QDir::tempPath()) + QStringLiteral("vellumix-%1/").arg(geteuid());
}

} // namespace

QString CommandLineFile(const QStringList& arguments) {
    return CommandLineFile(arguments, QDir::currentPath());
}

QString CommandLineFile(const QStringList& arguments, const QString& currentFolder) {
    QString line = arguments.join(QLatin1Char(' '));
    QString bare = line;
    bare.remove(QLatin1Char('"'));
    const qsizetype scheme = bare.indexOf(QLatin1String("://"));
    const bool address = scheme > 1 && !bare.left(scheme).contains(QLatin1Char('/'));
    if (!bare.trimmed().isEmpty() && !address && !QDir::isAbsolutePath(bare))
        line = QDir::cleanPath(QDir(currentFolder).absoluteFilePath(bare));
    if (!line.contains(QLatin1Char('/')) || !line.contains(QLatin1Char('.')) || line.size() < 8)
        return QString();
    line.remove(QLatin1Char('"'));
    return line;
}

QString FolderWithSlash(const QString& folder) {
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f.endsWith(QLatin1Char('/')) ? f : f + QLatin1Char('/');
}

int TwipsPerPixel(double dotsPerInch) {
    if (!(dotsPerInch >= 1.0)) return 15;
    return std::max(1, int(RoundHalfEven(1440.0 / dotsPerInch)));
}

QString ScratchFolderPath() {
    const QString cache = CacheHome();
    if (cache.isEmpty()) return SharedScratchFolderPath();
    return cache + QStringLiteral("/vellumix/");
}

void ReportSettingsWriteFailure(const QString& reason) {
    MsgBox(QStringLiteral("The settings could not be saved.\n\n") + reason, vbExclamation, kProductName);
}

QString NoSettingsFolderText(const QString& folder) {
    if (folder.isEmpty()) return kNoSettingsFolder;
    const QString home = HomeFolder();
    const QString why = !home.isEmpty() && !QFileInfo(home).isDir()
                            ? QStringLiteral(" (the home folder %1 does not exist)").arg(home)
                            : QString();
    return QStringLiteral("The folder for the settings, %1, cannot be made%2. Settings will not be kept.")
        .arg(folder, why);
}

void ReportRegistryRefused(const QString& reason) {
    MsgBox(reason, vbExclamation, kProductName);
}

bool MakePrivateFolder(const QString& path) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(clean).isDir()) return true;
    // Walk down from the root so each missing level is made private, not only the last one.
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        const QFileInfo info(current);
        if (info.isDir()) continue;
        if (info.exists()) return false; // a file stands where a folder should be
        if (!QDir().mkdir(current, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) return false;
    }
    return QFileInfo(clean).isDir();
}

bool MediaBackendPresent() {
    const QString simulate = qEnvironmentVariable("SCRIVELLE_NO_MEDIA_BACKEND").trimmed();
    if (!simulate.isEmpty() && simulate != QLatin1String("0")) return false;
    const QString wanted = WantedMediaBackend();
    const QString pattern =
        wanted.isEmpty() ? QStringLiteral("*mediaplugin*") : QStringLiteral("*%1mediaplugin*").arg(wanted);
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir dir(folder + QStringLiteral("/multimedia"));
        if (!dir.entryList({pattern}, QDir::Files).isEmpty()) return true;
    }
    return false;
}

bool PlaysThroughGStreamer() {
    const QString wanted = WantedMediaBackend();
    if (!wanted.isEmpty()) return wanted == QLatin1String("gstreamer");
    for (const QString& folder : QCoreApplication::libraryPaths())
        if (QFileInfo::exists(folder + QStringLiteral("/multimedia/libgstreamermediaplugin.so"))) return true;
    return false;
}

QString MediaBackendPath() {
    const QString wanted = WantedMediaBackend();
    return FolderWithSlash(QLibraryInfo::path(QLibraryInfo::PluginsPath)) + QStringLiteral("multimedia/lib") +
           (wanted.isEmpty() ? QStringLiteral("gstreamer") : wanted) + QStringLiteral("mediaplugin.so");
}

void ChooseLanguage() {
    if (gLanguage != QLatin1String("---")) {
        // Exact names only: a partial or empty stored name is contained in other key names
        // and would pick a language the user never chose.
        const int row = FindLanguageRow(gLanguage);
        if (row >= 0) gLangIndex = uint8_t(row);
    } else {
        DetectSystemLanguage(QStringLiteral("ENGLISH"));
    }
    LoadLanguageStrings();
}

StartupResult RunStartupSequence(const QStringList& arguments) {
    StartupResult r;
    Step(r, [&] {
        gCmdFile = CommandLineFile(arguments);
        return true;
    });
    Step(r, [] {
        GetLocaleCharset(kLocaleUserDefault, gCharset, gCharsetName);
        return true;
    });
    Step(r, [] {
        InitLanguageTable();
        return true;
    });
    Step(r, [] {
        gSysDir = FolderWithSlash(QLibraryInfo::path(QLibraryInfo::LibrariesPath));
        return true;
    });
    Step(r, [] {
        gTempDir = ScratchFolderPath();
        if (!CacheHome().isEmpty()) {
            if (QFileInfo(gTempDir).isDir() || MakePrivateFolder(gTempDir)) return true;
            // A cache folder the user named that fails is told; one that only follows from a
            // home folder that cannot be made (a service's user: "/nonexistent") is taken as no
            // home at all.
            if (QDir::isAbsolutePath(qEnvironmentVariable("XDG_CACHE_HOME"))) return false;
            gTempDir = SharedScratchFolderPath();
        }
        // In the shared temporary folder the folder must be the user's own and closed to
        // others: anyone could have made one of that name first.
        if (MakePrivateFolder(gTempDir) && IsOwnPrivateFolder(gTempDir)) return true;
        gTempDir.clear();
        return false;
    });
    Step(r, [] {
        gAppPath = FolderWithSlash(QCoreApplication::applicationDirPath());
        gFormatFile = gAppPath + QStringLiteral("formats.ini");
        gFormatDatFile = gAppPath + QStringLiteral("formats.dat");
        return true;
    });
    Step(r, [] {
        // Without a screen (no GUI application) the twips keep their 96 dpi values.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            gTwipsX = TwipsPerPixel(screen->logicalDotsPerInchX());
            gTwipsY = TwipsPerPixel(screen->logicalDotsPerInchY());
        }
        return true;
    });
    Step(r, [&] {
        if (!MediaBackendPresent()) {
            r.backendMissing = true;
            r.missingPath = MediaBackendPath();
        }
        return true;
    });
    Step(r, [] {
        SetRegistryRefusedHandler(ReportRegistryRefused);
        return true;
    });
    Step(r, [&] {
        LoadSettings();
        if (SettingsFilePath().isEmpty()) {
            r.noSettingsFolder = true; // told once, by the start window
            return false;
        }
        // A folder that cannot be made (a service's user whose home is "/nonexistent") is said
        // now, once, rather than by the first write that fails.
        const QString folder = QFileInfo(SettingsFilePath()).absolutePath();
        if (!QDir().mkpath(folder)) {
            r.noSettingsFolder = true;
            r.settingsFolder = folder;
            return false;
        }
        SetSettingsWriteFailureHandler(ReportSettingsWriteFailure);
        return !SettingsStoreReadFailed();
    });
    Step(r, [] {
        ChooseLanguage();
        return true;
    });
    return r;
}
