#include "base/textsearch.h"
#include "formats/writerpaths.h"

// Plain text: every caption of the document, timed or not, one line each, exactly as the caption
// list holds it (line-break markers, style tags where they stand, their closing forms), so that
// every caption reads back as it was. Only a raw line end in a text would make two captions of
// one: it is written as the marker (a blank where there is none).
QString WritePlainText(const tWriteJob& job) {
    QString out;
    for (const tSubtitleLine& row : job.rows) {
        if (ContainsChar(row.text, u'\r') || ContainsChar(row.text, u'\n')) {
            QString line = row.text;
            line.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
            line.replace(QStringLiteral("\n"), job.lineBreak.isEmpty() ? QStringLiteral(" ") : job.lineBreak);
            out += line;
        } else {
            out += row.text;
        }
        out += QLatin1String("\r\n");
    }
    return out;
}
