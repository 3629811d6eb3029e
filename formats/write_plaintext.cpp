#include "formats/writerpaths.h"

// Plain text: every caption of the document, timed or not, one line each, as the caption list
// holds it (line-break markers and style tags included).
QString WritePlainText(const tWriteJob& job) {
    QString out;
    for (const tSubtitleLine& row : job.rows) {
        out += PlainCaption(row.text, job.lineBreak);
        out += QLatin1String("\r\n");
    }
    return out;
}
