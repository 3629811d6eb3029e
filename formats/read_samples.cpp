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

constexpr int64_t kMostTimeScale = 1000000000;

// Calls take(key, value) for each descriptor when the line is nothing but descriptors.
template <typename Take>
bool ReadDescriptors(QStringView line, Take take) {
    qsizetype i = 0;
    bool any = false;
    while (i < line.size()) {
        if (line[i] == u' ' || line[i] == u'\t') {
            ++i;
            continue;
        }
        if (line[i] != u'{') return false;
        const qsizetype close = line.indexOf(u'}', i + 1);
        if (close < 0) return false;
        const QStringView inside = line.mid(i + 1, close - i - 1);
        const qsizetype colon = inside.indexOf(u':');
        // Descriptors are named by words; "{0:00:01}" is text.
        const QStringView name = colon < 0 ? inside : inside.left(colon).trimmed();
        if (name.isEmpty()) return false;
        for (const QChar c : name)
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
        take(name, colon < 0 ? QStringView() : inside.mid(colon + 1).trimmed());
        any = true;
        i = close + 1;
    }
    return any;
}

// The scale a descriptor line sets, or the one before when it sets none (or a useless one).
int64_t TimeScaleOf(QStringView line, int64_t scale) {
    ReadDescriptors(line, [&scale](QStringView key, QStringView value) {
        if (key.compare(QLatin1String("timeScale"), Qt::CaseInsensitive) != 0) return;
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok && n > 0) scale = std::min<int64_t>(n, kMostTimeScale);
    });
    return scale;
}

QuickTimeState& QuickTime(tCaptionReader& r) {
    if (!r.grammarData) {
        auto state = std::make_unique<QuickTimeState>();
        for (const QString& l : r.Def().Header.split(u'\n'))
            state->timeScale = TimeScaleOf(QStringView(l).trimmed(), state->timeScale);
        r.grammarData = std::move(state);
    }
    return static_cast<QuickTimeState&>(*r.grammarData);
}

} // namespace

void ReadQuickTimeLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    QuickTimeState& state = QuickTime(r);
    if (line.startsWith(u'{')) {
        bool fileBegins = false;
        const bool descriptors = ReadDescriptors(line, [&](QStringView key, QStringView) {
            fileBegins = fileBegins || key.compare(QLatin1String("QTtext"), Qt::CaseInsensitive) == 0;
        });
        if (descriptors) {
            // Another file's header (files joined one after the other): what was open before
            // it has no end.
            if (fileBegins) r.DropPending();
            state.timeScale = TimeScaleOf(line, state.timeScale);
            return;
        }
    }
    if (line.startsWith(u'[')) {
        // A time line is the time alone, always with its fraction: "[00:00:01]" or
        // "[00:00:01.00]text" is text.
        qsizetype pos = 1;
        bool fraction = false;
        const std::optional<int64_t> t = ReadScaledTime(line, pos, state.timeScale, &fraction);
        if (t && fraction && pos + 1 == line.size() && line[pos] == u']') {
            BeginSample(r, r.LimitTime(*t));
            return;
        }
    }
    SampleText(r, line);
}

void ReadAqTitleLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    if (!line.startsWith(QLatin1String("-->>"))) {
        SampleText(r, line);
        return;
    }
    const QStringView frame = line.mid(4).trimmed();
    qsizetype digits = frame.startsWith(u'-') ? 1 : 0;
    const qsizetype first = digits;
    while (digits < frame.size() && frame[digits] >= u'0' && frame[digits] <= u'9')
        ++digits;
    // A marker line is never text: one without a frame number is told.
    if (digits == first || digits != frame.size()) {
        r.NotRead(line);
        return;
    }
    BeginSample(r, r.Time(frame));
}
