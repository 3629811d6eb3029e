#include "formats/readerpaths.h"

#include "base/textsearch.h"

#include <optional>

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

// A time written in full, as tools write it: hours, minutes and seconds, a comma or a point, the
// milliseconds ("0:00:01,5" up to "100:00:01.000"), a minus in front for a time below 0.
bool IsFullSubRipTime(QStringView t) {
    if (t.startsWith(u'-')) t = t.mid(1);
    constexpr int kMostDigits[4] = {3, 2, 2, 3};
    qsizetype i = 0;
    for (int field = 0; field < 4; ++field) {
        if (field > 0) {
            if (i >= t.size()) return false;
            const QChar c = t[i++];
            if (field < 3 ? c != u':' : c != u',' && c != u'.') return false;
        }
        int digits = 0;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9' && digits < kMostDigits[field]) {
            ++i;
            ++digits;
        }
        if (digits == 0) return false;
    }
    return i == t.size();
}

// The reader's grammar state: the caption being read has a number line before its time line.
constexpr int kNumbered = 1;

// The two times of a time line ("00:00:01,000 --> 00:00:03,500", anything after the end time
// cut off); nothing when the line is none.
struct TimeLine {
    QStringView from, to;
    bool placed = false; // something stands after the end time (coordinates)
    bool full = false;   // both times are written in full
};

std::optional<TimeLine> ReadTimeLine(QStringView line, qsizetype arrow) {
    if (arrow <= 0) return std::nullopt;
    TimeLine t;
    t.from = TrimLine(line.left(arrow));
    t.to = TrimLine(line.mid(arrow + 3));
    const qsizetype blank = t.to.indexOf(u' ');
    t.placed = blank > 0;
    if (t.placed) t.to = t.to.left(blank);
    if (!IsSubRipTime(t.from) || !IsSubRipTime(t.to)) return std::nullopt;
    t.full = IsFullSubRipTime(t.from) && IsFullSubRipTime(t.to);
    return t;
}

} // namespace

bool IsSubRipNumberAndTimeLine(QStringView first, QStringView second) {
    second = TrimLine(second);
    const std::optional<TimeLine> times = ReadTimeLine(second, FindText(second, u"-->"));
    return times && times->full && AllDigits(TrimLine(first));
}

// SubRip: a number line, a time line "00:00:01,000 --> 00:00:03,500" (anything after the end
// time, such as position coordinates, is not part of it), the text lines, a blank line.
void ReadSubRipLine(tCaptionReader& r, QStringView line) {
    // A caption line may hold "-->" too; a time line is two times around it.
    const qsizetype arrow = FindText(line, u"-->");
    if (const std::optional<TimeLine> times = ReadTimeLine(line, arrow)) {
        // Coordinates after the times ("X1:40 X2:600 Y1:20 Y2:50") place the caption.
        if (times->placed) r.leftOut |= kLeftPositions;
        if (r.Complete()) {
            // No blank line before this caption: the caption before it is complete all the same,
            // and its last line is this caption's number. Where the captions have numbers, a
            // number and a time line written in full begin the next caption, whatever the number
            // (numbers have gaps where captions were taken out); a time line without one, or one
            // that is not written in full, is a line of the caption's text.
            const QString& mark = r.LineBreak();
            const qsizetype cut = mark.isEmpty() ? -1 : r.text.lastIndexOf(mark);
            const QStringView last =
                cut > 0 ? QStringView(r.text).mid(cut + mark.size()) : QStringView(r.text);
            const bool number = AllDigits(last);
            const bool numbered = r.grammarState != 0;
            if (numbered && !(number && times->full)) {
                r.AppendText(line);
                return;
            }
            const bool cutNumber = number && (numbered || cut > 0);
            r.grammarState = cutNumber ? kNumbered : 0;
            if (cutNumber) r.text.truncate(std::max<qsizetype>(cut, 0));
            r.FlushCaption();
        }
        r.ClearText();
        r.textClosed = false;
        r.start = r.Time(times->from);
        r.end = r.Time(times->to);
        return;
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
            r.grammarState = kNumbered;
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
