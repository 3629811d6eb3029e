#pragma once
// The subtitle writer: the caption list in the format at gFormatIndex, through the format's
// header, body and footer templates, or through the special path a few formats have.
#include "document/captions.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

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

// The encoding of a subtitle file's bytes, as far as it binds what is written to the file.
struct tFileEncoding {
    // False where nothing binds it: a new document, or a file of ASCII alone, which reads the
    // same in every encoding the formats write without a byte-order mark. The format's own
    // encoding is written then.
    bool known = false;
    tTextEncoding kind = tTextEncoding::Ansi;
    bool mark = false;     // the file begins with a byte-order mark
    int32_t codePage = -1; // Ansi: the code page the file is in
    bool operator==(const tFileEncoding&) const = default;
};

// The encoding of the file the document was read from or last written to (gSubFile): a plain
// Save writes that file in it again. Set by a read that replaces the document and by every save.
extern tFileEncoding gSubEncoding;

// The encoding of a file's bytes read as `as` (ANSI in the system code page).
tFileEncoding FileEncodingOf(QByteArrayView bytes, tTextEncoding as);

// The bytes of a file's text in a known encoding, with its byte-order mark where it has one;
// nothing where the encoding cannot hold the text as it is (a code page without one of its
// characters, or whose bytes the reader would take for Unicode).
std::optional<QByteArray> EncodeInFileEncoding(const QString& text, const tFileEncoding& encoding);

// True when a plain Save can write the document in the format id in gSubEncoding: nothing binds
// it, or the format's writer writes that encoding (a format whose files are UTF-8 only UTF-8) and,
// in a code page, the code page holds every caption. Otherwise the document goes through Save as.
bool CanKeepFileEncoding(const QString& id);

// Writes captions 1..count of the caption list to gSubFile in the format at gFormatIndex with
// gFPS, in gSubEncoding where that is known (else in the format's own encoding). The file is
// replaced in one step: a failure leaves the old file as it was and the document modified, and
// is reported by a message box. On success gModified is cleared and gSubEncoding is the
// encoding written. Returns true when the file was written. A document that the known encoding
// cannot hold is not written, without a message, and encodingRefused is set: it goes through
// Save as.
bool SaveSubtitleFile(int count, bool* encodingRefused = nullptr);

// True for formats that write every caption, timed or not, whatever count they are given
// (plain text).
bool WritesEveryCaption(QStringView id);
