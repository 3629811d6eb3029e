#pragma once
// What the fuzz targets share: a private configuration and scratch folder, message boxes
// answered without a window, the source tree's format catalogue, and a check that stops the
// process so that libFuzzer (or the replay driver) reports the input.
#include "document/captions.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Once per process: XDG_CONFIG_HOME and XDG_CACHE_HOME in a fresh temporary folder, message
// boxes answered with their safe answer and not shown, the Western code page as the system
// ANSI one, "|" as the line-break marker. Later calls do nothing.
void Init();
// Every module's state back to its start (caches forgotten), then what Init set up.
void ResetProcess();
// Init, and the format catalogue of the source tree loaded with the English texts.
void InitFormats();

// The temporary folder Init made (ends without "/").
QString ScratchDir();

// The input as a byte array (no copy is made).
inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes bytes to a file, replacing it; stops the process when that fails (the target could not
// test anything).
void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// Stops the process with a message when a property does not hold.
[[noreturn]] void Fail(const char* what, const QString& detail = QString());
inline void Check(bool ok, const char* what, const QString& detail = QString()) {
    if (!ok) Fail(what, detail);
}

// Text with control, format and separator characters spelled out, for failure messages.
QString Visible(const QString& text);
// Captions as text, one a line, for failure messages.
QString Describe(const std::vector<tSubtitleLine>& captions);

} // namespace fuzz
