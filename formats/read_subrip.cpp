#include "formats/readerpaths.h"

#include "base/textsearch.h"

namespace {

bool AllDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

// "h:mm:ss,zzz" as tools write it: one to three digits of hours, a comma or a point before the
// milliseconds (which some tools shorten); a minus in front is a time below 0.
bool IsSubRipTime(QStringView t) {
    if (t.startsWith(u'-')) t = t.mid(1);
    if (t.isEmpty()) return false;
    int colons = 0, digits = 0;
    bool fraction = false;
    for (QChar c : t) {
        if (c.isDigit()) {
            ++digits;
        } else if (c == u':' && !fraction) {
            ++colons;
        } else if ((c == u',' || c == u'.') && colons == 2 && !fraction) {
            fraction = true;
        } else {
            return false;
        }
    }
    return colons == 2 && digits >= 5 && t[0].isDigit() && t.back().isDigit() && t.size() <= 16;
}

// The reader's grammar state holds the number of the caption being read, plus one (0: it has
// none; -1: too large to count on from).
int NumberState(QStringView digits) {
    return digits.size() > 9 ? -1 : digits.toInt() + 1;
}

} // namespace

// SubRip: a number line, a time line "00:00:01,000 --> 00:00:03,500" (anything after the end
// time, such as position coordinates, is not part of it), the text lines, a blank line.
void ReadSubRipLine(tCaptionReader& r, QStringView line) {
    // A caption line may hold "-->" too; a time line is two times around it.
    const qsizetype arrow = FindText(line, u"-->");
    if (arrow > 0) {
        const QStringView from = TrimLine(line.left(arrow));
        QStringView to = TrimLine(line.mid(arrow + 3));
        const qsizetype blank = to.indexOf(u' ');
        const bool placed = blank > 0;
        if (placed) to = to.left(blank);
        if (IsSubRipTime(from) && IsSubRipTime(to)) {
            // Coordinates after the times ("X1:40 X2:600 Y1:20 Y2:50") place the caption.
            if (placed) r.leftOut |= kLeftPositions;
            if (r.Complete()) {
                // No blank line before this caption: the caption before it is complete all the
                // same, and its last line is this caption's number. Where the caption before has
                // a number, this one's must count on from it; else the number and the time line
                // are lines of the caption's text (as a caption holding such lines is written).
                const QString& mark = r.LineBreak();
                const qsizetype cut = mark.isEmpty() ? -1 : r.text.lastIndexOf(mark);
                const QStringView last =
                    cut > 0 ? QStringView(r.text).mid(cut + mark.size()) : QStringView(r.text);
                const int next = AllDigits(last) ? NumberState(last) : 0;
                const bool numbered = r.grammarState != 0;
                if (numbered && (next <= 0 || r.grammarState < 0 || next != r.grammarState + 1)) {
                    r.AppendText(line);
                    return;
                }
                const bool cutNumber = numbered || (next != 0 && cut > 0);
                r.grammarState = cutNumber ? next : 0;
                if (cutNumber) r.text.truncate(std::max<qsizetype>(cut, 0));
                r.FlushCaption();
            }
            r.ClearText();
            r.textClosed = false;
            r.start = r.Time(from);
            r.end = r.Time(to);
            return;
        }
    }
    if (line.isEmpty()) {
        if (r.start >= 0 && r.end >= 0) r.FlushCaption();
        r.textClosed = false;
        r.grammarState = 0;
        return;
    }
    // The caption number before the time line is not text. A time line that cannot be read
    // begins a caption that is skipped, counted once with the lines after it; any other line
    // outside a caption is told by name.
    if (r.start < 0 || r.end < 0) {
        if (AllDigits(line)) {
            r.grammarState = NumberState(line);
            return;
        }
        if (r.textClosed) return;
        if (arrow > 0 || FindText(line, u"->") >= 0 || (line[0].isDigit() && line.contains(u':'))) {
            ++r.skipped;
            r.textClosed = true;
        } else {
            r.NotRead(line);
        }
        return;
    }
    r.AppendText(line);
}
