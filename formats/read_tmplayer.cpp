#include "formats/readerpaths.h"

// TMPlayer: lines "hh:mm:ss,n=text", n the line's number within the caption. A caption's
// first numbered line gives its start; a line with nothing after "=" numbered 1 closes the
// caption and gives its end (the writer puts two such lines after every caption).
void ReadTmPlayerLine(tCaptionReader& r, QStringView line) {
    if (line.size() < 11 || line[10] != u'=') return;
    const bool first = line[9] == u'1';
    if (line.size() < 12) {
        if (r.start >= 0 && r.end < 0 && first) {
            r.end = r.Time(line.left(8));
            r.FlushCaption();
        }
        return;
    }
    if (r.start < 0) {
        // Text lines without the caption's first line would join the next caption.
        if (!first) return;
        r.start = r.Time(line.left(8));
    }
    const QStringView piece = line.mid(11);
    if (r.text.isEmpty()) {
        r.text = piece.toString();
        if (r.LineBreak() != QLatin1String("|")) r.text.replace(u'|', r.LineBreak());
    } else {
        r.AppendText(piece);
    }
}
