#pragma once
// The job scripts the video tool runs: the burn-in script "embedsub.vcf" made from its template
// lines in the string table, and the audio extraction script "aext.vcf". Both are built as lines
// by pure functions and written in the system's ANSI code page, each line ended by CR LF.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The template lines of the burn-in script are string-table ids 700..724 of the English block:
// the script is the same whatever the UI language.
inline constexpr int kEmbedScriptFirstId = 700;
inline constexpr int kEmbedScriptLastId = 724;

// Output frame sizes the resize filter accepts.
inline constexpr int kMinFrameSize = 32;
inline constexpr int kMaxFrameSize = 2048;

// The size a width or height box stands for: its leading number, clamped to 32..2048.
int ClampFrameSize(QStringView text);

// The burn-in script's inputs.
struct tEmbedScriptInput {
    QString videoFile;  // the open video
    QString subFile;    // the open SubStation Alpha subtitle
    QString targetPath; // the output video
    bool preview = false;
    int32_t previewEndMs = 0; // with preview: where processing stops being skipped (PreviewEndTime)
    bool resize = false;
    int width = 352;
    int height = 288;
    int mode = 0; // resampling mode 0..3
};

// With the preview option, the script skips everything after the first minutes: the
// milliseconds from the preview's end to the media's end. Nothing when that is not a positive
// 32-bit number (the media length is unknown, or shorter than the preview).
std::optional<int32_t> PreviewEndTime(int32_t mediaLengthSecs, int previewMinutes);

// The burn-in script's lines (without line ends). The caller has checked the paths
// (UnfitScriptPath) and the preview's end time.
QStringList BuildEmbedScript(const tEmbedScriptInput& in);

// The audio extraction script's inputs.
struct tAudioScriptInput {
    QString videoFile;
    QString targetPath;
    bool wav = true;    // convert to uncompressed PCM; false keeps the source format
    QString sampleRate; // the sample-rate list's text ("Use original", "22050" ...)
};

QStringList BuildAudioScript(const tAudioScriptInput& in);

// A path can go into a script only when the script can name it exactly: no double quote (it
// would end the script's string), no backslash (the scripts rewrite backslashes), no control
// character (a line break would start a new statement), and every character held by the
// script's code page. The first of paths that is unfit, or nothing.
std::optional<QString> UnfitScriptPath(const QStringList& paths);

// Writes the lines as a script: the old file is removed first, so that a failed write leaves
// no stale script behind; the new one is written whole or not at all. False with a reason when
// it could not be written (or a line does not fit the code page).
bool WriteJobScript(const QString& path, const QStringList& lines, QString* error = nullptr);
