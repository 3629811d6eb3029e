#include "formats/readerpaths.h"

namespace {

bool AllDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

} // namespace

// SubRip: a number line, a time line "00:00:01,000 --> 00:00:03,500" (anything after the end
// time, such as position coordinates, is not part of it), the text lines, a blank line.
void ReadSubRipLine(tCaptionReader& r, QStringView line) {
    // A caption line may hold " --> " too; a time line begins with a digit.
    if (line.size() >= 17 && line.mid(12, 5) == QLatin1String(" --> ") && line[0].isDigit()) {
        if (r.Complete()) {
            // No blank line before this caption: the caption before it is complete all the same,
            // and its last line is this caption's number.
            const QString& mark = r.LineBreak();
            const qsizetype cut = mark.isEmpty() ? -1 : r.text.lastIndexOf(mark);
            if (cut > 0 && AllDigits(QStringView(r.text).mid(cut + mark.size()))) r.text.truncate(cut);
            r.FlushCaption();
        }
        r.text.clear();
        r.textClosed = false;
        r.start = r.Time(line.left(12));
        r.end = r.Time(line.mid(17, 12));
        return;
    }
    if (line.isEmpty()) {
        if (r.start >= 0 && r.end >= 0) r.FlushCaption();
        return;
    }
    // The caption number before the time line is not text.
    if (r.start < 0 || r.end < 0) return;
    r.AppendText(line);
}
