#include "formats/formattime.h"
#include "formats/textops.h"
#include "formats/writerpaths.h"

// TMPlayer: every caption is numbered lines "hh:mm:ss,n=text" at its start (one per text line,
// at least two) and two empty numbered lines at its end, which close it.
QString WriteTmPlayer(const tWriteJob& job) {
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    const int count = std::min<int>(job.count, int(job.rows.size()));
    for (int i = 0; i < count; ++i) {
        const tSubtitleLine& row = job.rows[i];
        const QString t1 = MsToTimecode(job.def, row.start, 0);
        const QString t2 = MsToTimecode(job.def, row.end, 0);
        // An empty numbered line closes the caption.
        const QString text = BareCaptionLines(row.text, job.lineBreak);
        if (text.contains(crlf)) {
            out +=
                t1 + QLatin1String(",1=") + ReplaceText(text, crlf, crlf + t1 + QLatin1String(",2=")) + crlf;
        } else {
            out += t1 + QLatin1String(",1=") + text + crlf + t1 + QLatin1String(",2=") + crlf;
        }
        out += t2 + QLatin1String(",1=") + crlf + t2 + QLatin1String(",2=") + crlf;
    }
    return out;
}
