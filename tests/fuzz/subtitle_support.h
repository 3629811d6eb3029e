#pragma once
// Reading and writing subtitle files as the open and save commands do, without the window, for
// the targets over the subtitle reader.
#include "fuzz_support.h"

#include "formats/detect.h"
#include "formats/reader.h"

#include <QByteArray>
#include <QString>

namespace fuzz {

struct tOpened {
    QString id;    // the format the read ended with; "PLAINTEXT" when nothing was recognised
    float fps = 0; // 25 for frame-based formats (the answer to the frame-rate question)
    tReadOutcome outcome;
};

// Opens a file's bytes as the open command does: the encoding from the bytes (a second try as
// UTF-16 when nothing is recognised), the format by detection, plain text when it stays
// unrecognised. Where the bytes are ASCII, the read over them and the read over their decoded
// text must agree, and where the format may be read in parts, so must a read in many small parts.
tOpened OpenBytes(const QByteArray& bytes);

// Reads text with one format's definition, as after the detection of that format.
tReadOutcome ReadAs(const QString& id, const QString& text, bool timedSample);

// The bytes a save in the format writes of captions (every one of them), as the save command
// makes them: the definition loaded afresh, the generated header where the format has one.
QByteArray SaveAs(const QString& id, const std::vector<tSubtitleLine>& captions, float fps);

// What every read must give: no more captions than the limit, no negative or too large time, no
// line break inside a text.
void CheckOutcome(const tReadOutcome& outcome, int limit = kImportLimit);

// Captions written in the format and read back with it come back the same. Untimed captions,
// blank ones and documents the save command would not write are left to the format.
void CheckRoundTrip(const QString& id, const std::vector<tSubtitleLine>& captions, float fps);

// The same captions, their times at most tolerance ms apart.
bool SameCaptions(const std::vector<tSubtitleLine>& a, const std::vector<tSubtitleLine>& b,
                  int32_t tolerance = 0);

} // namespace fuzz
