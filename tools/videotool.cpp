#include "tools/videotool.h"

#include "base/paths.h"
#include "base/processstate.h"
#include "base/toolbox.h"
#include "platform/RegistryAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

const QString kToolDownloadPage = kProductWebPage + QStringLiteral("virtualdub/");
const QString kFilterDownloadPage = kProductWebPage + QStringLiteral("virtualdub/subtitler/");
const QString kCodecDownloadPage = kProductWebPage + QStringLiteral("xvid/");
const QString kCodecMakerPage = QStringLiteral("http://www.xvid.org/");

int gToolPausePercent = 100;

namespace {
void ResetVideoTool() {
    gToolPausePercent = 100;
}
SCRIVELLE_REGISTER_RESET(ResetVideoTool);

// The file a path names, symbolic links followed where the file exists.
QString SameFileKey(const QString& path) {
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}
} // namespace

QString CodecLibraryPath(const QString& toolFolder) {
    const QString system = gSysDir + kCodecLibrary;
    if (FileExists(system) || toolFolder.isEmpty()) return system;
    QString folder = toolFolder;
    if (!folder.endsWith(u'/')) folder += u'/';
    return FileExists(folder + kCodecLibrary) ? folder + kCodecLibrary : system;
}

QString ToolExePath(const QString& folder) {
    return folder + kToolExeName;
}

QStringList ToolArguments(const QString& scriptPath) {
    return {QStringLiteral("/s"), scriptPath, QStringLiteral("/x")};
}

bool StartToolDetached(const QString& exe, const QString& scriptPath, const QString& workingFolder) {
    return QProcess::startDetached(exe, ToolArguments(scriptPath), workingFolder);
}

void ShowToolStatusWindow() {
    gReg.WriteDWORD(kToolPreferencesKey, kToolStatusWindowValue, 1);
}

TargetProblem CheckTargetPath(const QString& target, const QStringList& inputs) {
    const QFileInfo fi(target);
    if (target.trimmed().isEmpty() || fi.isRelative() || fi.isDir() || target.endsWith(QLatin1Char('/')))
        return TargetNotAFile;
    const QString key = SameFileKey(target);
    for (const QString& input : inputs)
        if (!input.isEmpty() && SameFileKey(input) == key) return TargetIsInput;
    if (!QFileInfo(fi.absolutePath()).isDir()) return TargetFolderMissing;
    return TargetOk;
}

QString TargetProblemText(TargetProblem problem, const QString& target) {
    switch (problem) {
    case TargetNotAFile:
        return QStringLiteral("Please enter the full path and name of the output file.");
    case TargetIsInput:
        return QStringLiteral("The output file cannot replace one of the files it is made from:\r\n\r\n") +
               target;
    case TargetFolderMissing:
        return QStringLiteral("The folder of the output file does not exist:\r\n\r\n") +
               QFileInfo(target).absolutePath();
    case TargetOk:
        break;
    }
    return QString();
}

QString UnfitPathText(const QString& path) {
    return QStringLiteral("This path cannot be passed to VirtualDub: it holds a double quote, a backslash, "
                          "a control character or a character the system code page cannot hold. "
                          "Please rename or move the file.\r\n\r\n") +
           path;
}

tFileStamp StampFile(const QString& path) {
    const QFileInfo fi(path);
    tFileStamp stamp;
    stamp.exists = fi.exists();
    if (stamp.exists) {
        stamp.modified = fi.lastModified();
        stamp.size = fi.size();
    }
    return stamp;
}

bool WrittenSince(const QString& path, const tFileStamp& before) {
    const QFileInfo fi(path);
    if (!fi.isFile()) return false;
    return !before.exists || fi.lastModified() != before.modified || fi.size() != before.size;
}

int ToolPause(int milliseconds) {
    return int(qint64(milliseconds) * gToolPausePercent / 100);
}
