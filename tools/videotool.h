#pragma once
// What both video-tool wizards share: where the tool and its pages are, the checks of an
// output path, the start of the tool, and the tool's own preference that the wizards set.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

// The tool's program file inside the folder the user chose (stored as "VDPATH").
inline const QString kToolExeName = QStringLiteral("VirtualDub.exe");
// Its subtitler filter, below that folder.
inline const QString kSubtitlerFilter = QStringLiteral("plugins/subtitler.vdf");
// The video codec the burn-in script encodes with, in the system folder.
inline const QString kCodecLibrary = QStringLiteral("xvidvfw.dll");
// Where the codec is: the system folder, or else the tool's own folder (where the tool runs under
// a layer of its own, its codecs live beside it, not in this system's folders). The system
// folder's path when it is in neither.
QString CodecLibraryPath(const QString& toolFolder);

// The maker's pages for the tool, its filter and the codec.
extern const QString kToolDownloadPage;
extern const QString kFilterDownloadPage;
extern const QString kCodecDownloadPage;
extern const QString kCodecMakerPage;

// folder ("/opt/vd/", ending in "/" or empty) + "VirtualDub.exe".
QString ToolExePath(const QString& folder);

// The arguments the tool runs a script with and then exits: "/s", script, "/x".
QStringList ToolArguments(const QString& scriptPath);

// Starts the tool on its own (not waited for), the working folder as given. False when it could
// not be started.
bool StartToolDetached(const QString& exe, const QString& scriptPath, const QString& workingFolder);

// The tool keeps its preferences in its own registry key; the wizards switch on its batch
// status window there so the user sees the tool at work.
inline const QString kToolPreferencesKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Freeware\\VirtualDub\\Preferences");
inline const QString kToolStatusWindowValue = QStringLiteral("Batch: Show status window");
void ShowToolStatusWindow();

// Why an output path cannot be used, or TargetOk.
enum TargetProblem {
    TargetOk,
    TargetNotAFile, // empty, relative, or a folder
    TargetIsInput,  // the same file as one of the inputs
    TargetFolderMissing,
};
TargetProblem CheckTargetPath(const QString& target, const QStringList& inputs);
// The message for a problem (the path shown as it is).
QString TargetProblemText(TargetProblem problem, const QString& target);

// "This path cannot be passed to VirtualDub ..." with the path.
QString UnfitPathText(const QString& path);

// What a file was before a run, so that afterwards a file the run wrote can be told from one
// that was already there.
struct tFileStamp {
    bool exists = false;
    QDateTime modified;
    qint64 size = -1;
};
tFileStamp StampFile(const QString& path);
// The file exists and is not the one the stamp saw.
bool WrittenSince(const QString& path, const tFileStamp& before);

// The pauses the wizards make for the user to see each step, in percent of their length
// (tests set 0).
extern int gToolPausePercent;
int ToolPause(int milliseconds);
