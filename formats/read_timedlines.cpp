// Formats whose lines carry only a start time: "hh:mm:ss:text" (VPlayer, which players also take
// as "h:mm:ss:text" and "hh:mm:ss=text"), "hh:mm:ss.z:text" (SubCreator), "[hh:mm:ss]text" (DKS),
// "[mm:ss.xx]text" (LRC lyrics). Each line with text opens a caption that runs until the next
// line's time; a time line without text only ends the caption before it. The last caption
// without such a line gets a fixed duration, and the user is told. Lyrics have tags of their own
// ("[ar:Artist]", "[offset:+500]").
#include "formats/readerpaths.h"

#include "formats/textops.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// What stands before the time on a line and between the time and the text, from the format's
// template ("[" and "]" for "[zrvStart]zrvCaption"). Worked out once a read, at its first line.
struct LineShape final : tGrammarData {
    QString prefix, separator;
    // What a line may hold in the separator's place as well (VPlayer's "=").
    QString otherSeparator;
    // Lyrics' "[offset:n]": ms to take from every time.
    int64_t offset = 0;
};

LineShape ShapeOf(const tFormatDef& def) {
    const QString& body = def.Body;
    const qsizetype s = body.indexOf(QLatin1String("zrvStart"));
    const qsizetype c = body.indexOf(QLatin1String("zrvCaption"));
    LineShape shape;
    if (s < 0 || c < s) return shape;
    const qsizetype lineStart = body.lastIndexOf(u'\n', s) + 1;
    shape.prefix = body.mid(lineStart, s - lineStart);
    shape.separator = body.mid(s + 8, c - s - 8);
    return shape;
}

LineShape& ShapeOf(tCaptionReader& r) {
    if (!r.grammarData) r.grammarData = std::make_unique<LineShape>(ShapeOf(r.Def()));
    return static_cast<LineShape&>(*r.grammarData);
}

// Reads a time of the compact pattern (one letter per field: h, m, s, z) at pos; the fraction
// and its separator may be missing, and the minutes may hold the hours; a minus in front gives
// a time below 0. Moves pos past it; fractionMark tells what stood before the fraction (0: no
// fraction). Nothing when no time stands there.
std::optional<int64_t> ReadPatternTime(QStringView line, qsizetype& pos, QStringView pattern,
                                       char16_t& fractionMark) {
    fractionMark = 0;
    int64_t h = 0, m = 0, s = 0, fraction = 0;
    qsizetype i = pos;
    const bool minus = i + 1 < line.size() && line[i] == u'-' && line[i + 1].isDigit();
    if (minus) ++i;
    for (qsizetype k = 0; k < pattern.size(); ++k) {
        const QChar f = pattern[k];
        const bool fractionNext = k + 1 < pattern.size() && pattern[k + 1] == u'z';
        if (f == u'h' || f == u'm' || f == u's' || f == u'z') {
            const int most = f == u'h' ? 3 : f == u'm' ? 5 : f == u's' ? 2 : 3;
            int digits = 0;
            int64_t value = 0;
            while (i < line.size() && line[i].isDigit() && digits < most) {
                value = value * 10 + (line[i].unicode() - u'0');
                ++digits;
                ++i;
            }
            if (digits == 0) return std::nullopt;
            if (f == u'h') h = value;
            if (f == u'm') m = value;
            if (f == u's') s = value;
            if (f == u'z') {
                for (int d = digits; d < 3; ++d)
                    value *= 10;
                fraction = value;
            }
            continue;
        }
        if (fractionNext) {
            // The fraction is optional; tools write ".", "," or ":" before it.
            if (i < line.size() && (line[i] == u'.' || line[i] == u',' || line[i] == u':') &&
                i + 1 < line.size() && line[i + 1].isDigit()) {
                fractionMark = line[i].unicode();
                ++i;
                continue;
            }
            break;
        }
        if (i >= line.size() || line[i] != f) return std::nullopt;
        ++i;
    }
    pos = i;
    const int64_t ms = h * 3600000 + m * 60000 + s * 1000 + fraction;
    return minus ? -ms : ms;
}

void Close(tCaptionReader& r, int32_t start, int32_t end, const QString& text) {
    r.start = start;
    r.end = end;
    r.text = text;
    r.FlushCaption();
}

} // namespace

void ReadTimedLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    const LineShape& shape = ShapeOf(r);
    std::vector<int32_t> times;
    qsizetype pos = 0;
    // Lyrics may give one line several times ("[00:12.00][01:30.00]chorus"), all written alike:
    // a later one written otherwise begins the text ("[00:12.00][00:00:01] is a tag").
    char16_t firstMark = 0;
    while (line.mid(pos).startsWith(shape.prefix)) {
        qsizetype at = pos + shape.prefix.size();
        char16_t mark = 0;
        const std::optional<int64_t> t = ReadPatternTime(line, at, r.Def().CompactPattern, mark);
        if (!t) break;
        const QStringView rest = line.mid(at);
        qsizetype separator = -1;
        if (rest.startsWith(shape.separator))
            separator = shape.separator.size();
        else if (!shape.otherSeparator.isEmpty() && rest.startsWith(shape.otherSeparator))
            separator = shape.otherSeparator.size();
        if (separator < 0) break;
        if (times.empty())
            firstMark = mark;
        else if (mark != firstMark)
            break;
        // Limited at the end of the file, once the lyrics' offset is known.
        times.push_back(int32_t(std::clamp<int64_t>(*t, INT32_MIN, INT32_MAX)));
        pos = at + separator;
        // Only a bracketed time can be followed by another one; a text that begins with a
        // time is text.
        if (shape.prefix.isEmpty()) break;
    }
    if (times.empty()) {
        // A line without a time: a further line of the caption before, where the format has
        // lines in its captions at all.
        if (!r.entries.empty() && !r.entries.back().text.isEmpty() &&
            r.Def().LineBreakToken.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0)
            r.entries.back().text += r.Def().LineBreakToken + line.toString();
        else
            r.NotRead(line);
        return;
    }
    const QString text = line.mid(pos).toString();
    // One caption more than the limit is enough to tell that the file goes beyond it.
    if (r.entries.size() > size_t(r.Limit()) * 4 + 4) return;
    if (times.size() > 1) r.entriesUnordered = true;
    for (const int32_t t : times) {
        r.entries.push_back({t, IsBlank(text) ? QString() : text});
    }
}

void ReadVPlayerLine(tCaptionReader& r, QStringView line) {
    if (!r.grammarData) {
        auto shape = std::make_unique<LineShape>(ShapeOf(r.Def()));
        shape->otherSeparator = QStringLiteral("=");
        r.grammarData = std::move(shape);
    }
    ReadTimedLine(r, line);
}

void ReadLyricsLine(tCaptionReader& r, QStringView line) {
    // A tag: "[" a name of letters (or "#", a comment) ":" a value "]".
    const qsizetype colon = line.indexOf(u':');
    bool tag = line.startsWith(u'[') && line.endsWith(u']') && colon > 1;
    for (qsizetype k = 1; tag && k < colon; ++k)
        tag = (line[k] >= u'a' && line[k] <= u'z') || (line[k] >= u'A' && line[k] <= u'Z') || line[k] == u'#';
    if (!tag) {
        ReadTimedLine(r, line);
        return;
    }
    const QStringView name = line.mid(1, colon - 1);
    const QStringView value = line.mid(colon + 1, line.size() - colon - 2).trimmed();
    if (name.compare(QLatin1String("offset"), Qt::CaseInsensitive) == 0) {
        // Lyrics players show every line that much earlier: the times are moved, and nothing
        // is lost. An offset that is no number cannot be.
        bool ok = false;
        const qlonglong ms = value.toLongLong(&ok);
        if (ok && ms >= -kMaxTimeMs && ms <= kMaxTimeMs)
            ShapeOf(r).offset = ms;
        else if (!value.isEmpty())
            r.leftOut |= kLeftHeader;
        return;
    }
    // Tags the program writes itself, and empty ones, lose nothing.
    if (value.isEmpty()) return;
    for (const QString& own : r.Def().Header.split(u'\n'))
        if (QStringView(own).trimmed().compare(line, Qt::CaseInsensitive) == 0) return;
    r.leftOut |= kLeftHeader;
}

void FinishTimedLines(tCaptionReader& r) {
    std::vector<tCaptionReader::tTimedEntry> entries = std::move(r.entries);
    r.entries.clear();
    const int64_t offset = r.grammarData ? ShapeOf(r).offset : 0;
    for (auto& e : entries)
        e.time = r.LimitTime(int64_t(e.time) - offset);
    // Lyrics that give a line several times are put in time order; otherwise the file's order
    // stands, untimed captions among timed ones included.
    if (r.entriesUnordered) {
        bool sorted = true;
        for (size_t i = 1; i < entries.size() && sorted; ++i)
            sorted = entries[i - 1].time <= entries[i].time;
        if (!sorted)
            std::stable_sort(entries.begin(), entries.end(),
                             [](const auto& a, const auto& b) { return a.time < b.time; });
    }
    for (size_t i = 0; i < entries.size() && !r.limitReached; ++i) {
        const auto& e = entries[i];
        if (e.text.isEmpty()) continue;
        int32_t end = -1;
        if (i + 1 < entries.size()) {
            const auto& next = entries[i + 1];
            // A line that only ends the caption may end it at its start (an untimed caption);
            // the next caption's start must lie after it.
            if (next.text.isEmpty() ? next.time >= e.time : next.time > e.time) end = next.time;
        }
        if (end < 0) end = r.DefaultEnd(e.time);
        Close(r, e.time, end, e.text);
    }
    r.grammarData.reset();
    r.ClearPending();
}
