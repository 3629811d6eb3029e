// Formats whose time lines stand alone: each begins a sample that shows the lines after it until
// the next time line ends it and begins the next sample. A sample without text is a gap, so the
// program's own layout (a start line, the text, an end line) and the chained one of other tools
// (each time line ending one caption and beginning the next) read alike.
// QuickTime Text: "[hh:mm:ss.ff]", the fraction in units of the file's {timeScale:n}; lines of
// descriptors ("{QTtext} {font:Tahoma}") stand anywhere.
// AQTitle: "-->> n", a frame number.
#include "formats/readerpaths.h"

#include "formats/textops.h"

#include <memory>
#include <optional>

namespace {

// A time line ends the caption showing and begins the next sample; a caption without text
// leaves no trace.
void BeginSample(tCaptionReader& r, int32_t time) {
    if (r.start >= 0 && !IsBlank(r.text)) {
        r.end = time;
        r.FlushCaption();
    }
    r.ClearPending();
    r.start = time;
}

// A further line of the sample showing; before the first time line a line belongs to nothing.
void SampleText(tCaptionReader& r, QStringView line) {
    if (r.start >= 0)
        r.AppendText(line);
    else
        r.NotRead(line);
}

// QuickTime's descriptors: "{QTtext} {font:Tahoma} {timeScale:30}". The time scale counts the
// units of a time's fraction in a second; without one the file is read with the scale of the
// header the program writes.
struct QuickTimeState final : tGrammarData {
    int64_t timeScale = 100;
};

// What a line of nothing but descriptors tells ("{QTtext}" begins a file); nothing for any other
// line.
struct Descriptors {
    bool fileBegins = false;
    int64_t timeScale = 0; // 0: none given (or a useless one)
};

std::optional<Descriptors> ReadDescriptors(QStringView line) {
    Descriptors d;
    bool any = false;
    for (qsizetype i = 0; i < line.size();) {
        if (line[i] == u' ' || line[i] == u'\t') {
            ++i;
            continue;
        }
        const qsizetype close = line[i] == u'{' ? line.indexOf(u'}', i + 1) : -1;
        if (close < 0) return std::nullopt;
        const QStringView inside = line.mid(i + 1, close - i - 1);
        const qsizetype colon = inside.indexOf(u':');
        // Descriptors are named by words; "{0:00:01}" is text.
        const QStringView name = colon < 0 ? inside : inside.left(colon).trimmed();
        if (name.isEmpty()) return std::nullopt;
        for (const QChar c : name)
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return std::nullopt;
        if (name.compare(QLatin1String("QTtext"), Qt::CaseInsensitive) == 0) d.fileBegins = true;
        if (name.compare(QLatin1String("timeScale"), Qt::CaseInsensitive) == 0 && colon >= 0) {
            bool ok = false;
            const qlonglong n = inside.mid(colon + 1).trimmed().toLongLong(&ok);
            if (ok && n > 0) d.timeScale = std::min<qlonglong>(n, 1000000000);
        }
        any = true;
        i = close + 1;
    }
    return any ? std::optional(d) : std::nullopt;
}

QuickTimeState& QuickTime(tCaptionReader& r) {
    if (!r.grammarData) {
        auto state = std::make_unique<QuickTimeState>();
        for (const QString& l : r.Def().Header.split(u'\n')) {
            const std::optional<Descriptors> d = ReadDescriptors(QStringView(l).trimmed());
            if (d && d->timeScale > 0) state->timeScale = d->timeScale;
        }
        r.grammarData = std::move(state);
    }
    return static_cast<QuickTimeState&>(*r.grammarData);
}

} // namespace

void ReadQuickTimeLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    QuickTimeState& state = QuickTime(r);
    // Descriptors make a header before the first time line, and again where another file's
    // header begins between captions (files joined one after the other); in a sample they are
    // part of its text, as a caption's line that the program wrote.
    const std::optional<Descriptors> d = line.startsWith(u'{') ? ReadDescriptors(line) : std::nullopt;
    if (d && d->fileBegins && r.text.isEmpty()) r.ClearPending();
    if (d && r.start < 0) {
        if (d->timeScale > 0) state.timeScale = d->timeScale;
        return;
    }
    if (line.startsWith(u'[')) {
        // A time line is the time alone, with a fraction of two digits or more, as QuickTime
        // writes it: "[00:00:01]" or "[00:00:01.00]text" is text.
        qsizetype pos = 1;
        int fraction = 0;
        const std::optional<int64_t> t = ReadScaledTime(line, pos, state.timeScale, &fraction);
        if (t && fraction >= 2 && pos + 1 == line.size() && line[pos] == u']') {
            BeginSample(r, r.LimitTime(*t));
            return;
        }
    }
    SampleText(r, line);
}

void ReadAqTitleLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    // "-->> " and a frame number, nothing else; any other line is text.
    const QStringView frame = line.startsWith(QLatin1String("-->>")) ? line.mid(4).trimmed() : QStringView();
    const qsizetype sign = frame.startsWith(u'-') ? 1 : 0;
    bool digits = frame.size() > sign;
    for (qsizetype k = sign; k < frame.size() && digits; ++k)
        digits = frame[k] >= u'0' && frame[k] <= u'9';
    if (digits)
        BeginSample(r, r.Time(frame));
    else
        SampleText(r, line);
}
