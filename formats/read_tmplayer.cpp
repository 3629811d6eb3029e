#include "formats/readerpaths.h"

// TMPlayer: lines "hh:mm:ss,n=text", n the line's number within the caption. A caption's
// first numbered line gives its start; a line with nothing after "=" numbered 1 closes the
// caption and gives its end (the writer puts two such lines after every caption). Other tools
// write no closing lines: each caption shows until the next one's first line.
void ReadTmPlayerLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    if (line.size() < 11 || line[10] != u'=') {
        r.NotRead(line);
        return;
    }
    const bool first = line[9] == u'1';
    if (line.size() < 12) {
        if (r.start >= 0 && r.end < 0 && first) {
            r.end = r.Time(line.left(8));
            r.FlushCaption();
        }
        return;
    }
    const QStringView piece = line.mid(11);
    if (!first) {
        // Text lines without the caption's first line would join the next caption.
        if (r.start < 0)
            r.NotRead(line);
        else
            r.AppendText(piece);
        return;
    }
    const int32_t time = r.Time(line.left(8));
    if (r.start >= 0 && !r.text.isEmpty()) {
        r.end = time;
        r.FlushCaption();
    }
    r.ClearPending();
    r.start = time;
    r.text = piece.toString();
    if (r.LineBreak() != QLatin1String("|")) r.text.replace(u'|', r.LineBreak());
}
