#pragma once
// The subtitle writer: the caption list in the format at gFormatIndex, through the format's
// header, body and footer templates, or through the special path a few formats have.
#include "document/captions.h"
#include "formats/formatdefs.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

// Everything a file is made from, without the caption grid: rows holds captions 1, 2, ... of
// the document (texts with the line-break marker lineBreak and the style tags), count how many
// of them are written (the plain-text format writes them all).
struct tWriteJob {
    QString id;
    const tFormatDef& def;
    std::span<const tSubtitleLine> rows;
    int count = 0;
    float fps = 0.0f;
    QString lineBreak;
};

// The bytes of the whole file: the text of every format but ADOBEENCORE is encoded once in
// codePage (-1 = the system ANSI code page), or as UTF-8 with a byte-order mark when the code
// page cannot hold all of it; ADOBEENCORE is UTF-8 whatever the code page.
// ranges: how many parts of the caption list the template writer formats at the same time
// (0 = chosen from the machine's threads and the number of captions). The bytes are the same
// whatever it is.
QByteArray BuildSubtitleFile(const tWriteJob& job, int32_t codePage = -1, int ranges = 0);

// The bytes of a file's text: in codePage when the code page holds every character, else
// UTF-8 with a byte-order mark, so that no character is ever written as "?".
QByteArray EncodeSubtitleText(const QString& text, int32_t codePage);

// Writes captions 1..count of the caption list to gSubFile in the format at gFormatIndex with
// gFPS. The file is replaced in one step: a failure leaves the old file as it was and the
// document modified, and is reported by a message box. On success gModified is cleared.
// Returns true when the file was written.
bool SaveSubtitleFile(int count);

// True for formats that write every caption, timed or not, whatever count they are given
// (plain text).
bool WritesEveryCaption(QStringView id);
