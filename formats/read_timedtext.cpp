// The timed-text family (TTML, DFXP, SMPTE-TT, EBU-TT-D): an XML document whose "<p>" elements
// are the captions. Tools write them in many shapes (attributes in any order, an element over
// several lines or the whole document on one, namespace prefixes, clock times, offsets or bare
// seconds, frames at the document's frame rate, spans and line breaks inside, lyrics with a
// timed span for every word), so the document is read by a small tolerant scanner as its text
// comes, piece by piece, whatever its lines: a caption is stored as soon as its paragraph ends,
// and the read stops at the caption limit without going through the rest.
#include "formats/markupcaptions.h"
#include "formats/readerpaths.h"

#include "formats/textops.h"

#include <cmath>
#include <optional>
#include <string>

namespace {

struct Timing {
    double frameRate = 30;
    double subFrameRate = 1;
    double tickRate = 1;
};

// Names are compared many times a caption: the plain comparison of two short texts.
template <qsizetype N> bool Is(QStringView text, const char16_t (&literal)[N]) {
    return text.size() == N - 1 && std::char_traits<char16_t>::compare(text.utf16(), literal, N - 1) == 0;
}

// A number of digits with at most one decimal point ("12", "19.764", ".5") from text[i] on;
// false when there is none (or it is absurdly long).
bool ReadNumber(QStringView text, qsizetype& i, double& out) {
    const qsizetype from = i;
    double whole = 0, fraction = 0, scale = 1;
    bool point = false;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            ++digits;
            if (point) {
                scale *= 10;
                fraction = fraction * 10 + (c - u'0');
            } else {
                whole = whole * 10 + (c - u'0');
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0 || i - from > 20) return false;
    out = whole + fraction / scale;
    return true;
}

int64_t Milliseconds(double seconds) {
    return int64_t(std::llround(std::min(seconds, 1e9) * 1000));
}

// A time expression in ms, or -1: a clock time "hh:mm:ss", "hh:mm:ss.fraction",
// "hh:mm:ss:frames(.subframes)", the lyrics tools' "mm:ss.fraction", an offset "5.5s",
// "1200ms", "2m", "1h", "50f", "900t", or a bare number of seconds ("19.764").
int64_t TimeExpression(QStringView text, const Timing& timing) {
    text = text.trimmed();
    if (text.isEmpty()) return -1;
    double fields[4] = {0, 0, 0, 0};
    qsizetype i = 0;
    if (!ReadNumber(text, i, fields[0])) return -1;
    if (i < text.size() && text[i] == u':') {
        int count = 1;
        while (i < text.size() && text[i] == u':' && count < 4) {
            ++i;
            if (!ReadNumber(text, i, fields[count++])) return -1;
        }
        if (i != text.size()) return -1;
        if (count == 2) return Milliseconds(fields[0] * 60 + fields[1]);
        double seconds = fields[0] * 3600 + fields[1] * 60 + fields[2];
        if (count == 4) seconds += fields[3] / timing.frameRate;
        return Milliseconds(seconds);
    }
    const QStringView metric = text.sliced(i);
    double seconds;
    if (metric.isEmpty() || Is(metric, u"s"))
        seconds = fields[0];
    else if (Is(metric, u"h"))
        seconds = fields[0] * 3600;
    else if (Is(metric, u"m"))
        seconds = fields[0] * 60;
    else if (Is(metric, u"ms"))
        seconds = fields[0] / 1000;
    else if (Is(metric, u"f"))
        seconds = fields[0] / timing.frameRate;
    else if (Is(metric, u"t"))
        seconds = fields[0] / timing.tickRate;
    else
        return -1;
    return Milliseconds(seconds);
}

bool ReadRate(QStringView value, double& out) {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !(v > 0)) return false;
    out = v;
    return true;
}

Timing TimingOf(QStringView attributes) {
    Timing t;
    double rate = 0, sub = 0, tick = 0;
    bool hasRate = false, hasTick = false;
    QStringView multiplier;
    ForEachMarkupAttribute(attributes, [&](QStringView name, QStringView value) {
        if (Is(name, u"frameRate"))
            hasRate = ReadRate(value, rate) && rate < 1000;
        else if (Is(name, u"frameRateMultiplier"))
            multiplier = value;
        else if (Is(name, u"subFrameRate"))
            ReadRate(value, sub);
        else if (Is(name, u"tickRate"))
            hasTick = ReadRate(value, tick);
    });
    if (hasRate) t.frameRate = rate;
    if (!multiplier.isEmpty()) {
        const QList<QStringView> parts = multiplier.trimmed().split(u' ', Qt::SkipEmptyParts);
        if (parts.size() == 2) {
            const double a = parts[0].toDouble(), b = parts[1].toDouble();
            if (a > 0 && b > 0) t.frameRate = t.frameRate * a / b;
        }
    }
    if (sub > 0) t.subFrameRate = sub;
    if (hasTick)
        t.tickRate = tick;
    else if (hasRate)
        t.tickRate = t.frameRate * t.subFrameRate;
    return t;
}

struct Caption {
    int64_t begin = -1, end = -1;
    QString text;
    bool bold = false, italic = false, underline = false;
};

// Notes a style attribute of a paragraph or of a span in it.
void NoteStyle(Caption& c, QStringView name, QStringView value) {
    if (Is(name, u"fontStyle")) {
        if (value.startsWith(QLatin1String("italic"))) c.italic = true;
    } else if (Is(name, u"fontWeight")) {
        if (Is(value, u"bold")) c.bold = true;
    } else if (Is(name, u"textDecoration")) {
        if (value.contains(QLatin1String("underline"))) c.underline = true;
    }
}

// A body or div element that is open: the offset its begin adds to the times inside it.
struct Container {
    QStringView Name() const { return div ? QStringView(u"div") : QStringView(u"body"); }
    bool div;
    int64_t outerOffset; // the offset outside it
    int64_t begin, end;  // as written (-1: none)
    bool undecided;      // begin and end given, no paragraph inside yet
};

// Text that is no caption's, gathered until the element or run of text it stands in ends, to be
// named as one unread element.
struct Unread {
    void Add(QStringView text) {
        constexpr qsizetype kEnough = 80;
        if (sample.size() < kEnough) sample += text.first(std::min(text.size(), kEnough - sample.size()));
    }
    void Tell(tCaptionReader& r) {
        if (!IsBlank(sample)) r.NotRead(sample);
        sample.truncate(0);
    }
    QString sample;
};

class Scanner final : public tGrammarData {
public:
    explicit Scanner(const tCaptionReader& r) : tags_(r.OwnHeader() + r.Def().Body + r.Def().Footer) {}
    void Feed(tCaptionReader& r, QStringView piece, bool lineEnds);
    void Finish(tCaptionReader& r);

private:
    qsizetype Scan(tCaptionReader& r, QStringView v, bool final);
    void Tag(tCaptionReader& r, QStringView inner);
    void Text(QStringView run);
    void AppendText(QStringView run);
    void OpenParagraph(QStringView attributes, bool selfClosing);
    // The begin, end and dur of a paragraph or span (-1 where not given); its other attributes are
    // styles.
    void ReadTimes(QStringView attributes, int64_t& begin, int64_t& end, int64_t& dur);
    void NoteSpan(tCaptionReader& r, QStringView attributes);
    // Moves offset_ for a paragraph that begins at begin (as written) in the containers open.
    void PlaceParagraph(int64_t begin);
    void CloseParagraph(tCaptionReader& r);
    void Take(tCaptionReader& r, Caption& c);
    void Store(tCaptionReader& r, Caption& c);

    // An element begun but not ended in the pieces so far (it begins with "<"), how much of it
    // has been searched for its end, and the quote open at that point.
    QString tail_;
    tMarkupScanState scan_;

    tTimedTextTags tags_;
    Timing timing_;
    std::vector<Container> containers_;
    bool inHead_ = false;
    // Elements the reader does not know, open in the body: what they hold is no caption's.
    int unknownDepth_ = 0;
    Unread unknown_;
    // Text in the body outside any paragraph.
    Unread stray_;
    // The paragraph's own end and duration as written (-1: none), and the first begin and last
    // end of the timed spans in it (-1: none), which time a paragraph that has no begin.
    int64_t paragraphEnd_ = -1, paragraphDur_ = -1;
    int64_t spanBegin_ = -1, spanEnd_ = -1;
    // The attributes of a paragraph without a begin of its own, to name it if it cannot be read.
    QString untimedTag_;
    int64_t offset_ = 0;
    bool inP_ = false;
    bool pendingSpace_ = false;
    bool afterBreak_ = false;
    Caption current_;
    // A caption without an end: it shows until the next one begins.
    std::optional<Caption> waiting_;
};

void Scanner::Feed(tCaptionReader& r, QStringView piece, bool lineEnds) {
    FeedMarkupPiece(
        tail_, piece, lineEnds, [&](QStringView text) { return Scan(r, text, false); }, [&] { Text(u"\n"); });
}

void Scanner::Finish(tCaptionReader& r) {
    if (!tail_.isEmpty()) Scan(r, tail_, true);
    tail_.clear();
    if (r.limitReached) return;
    unknown_.Tell(r);
    stray_.Tell(r);
    // An unclosed paragraph at the end of the file.
    if (inP_ && !IsBlank(current_.text)) ++r.skipped;
    if (waiting_) {
        waiting_->end = r.DefaultEnd(waiting_->begin);
        Store(r, *waiting_);
        waiting_.reset();
    }
}

// Reads what v holds; returns how much of it is done with: less than all when an element is
// cut off at its end (unless final: then the file ends there).
qsizetype Scanner::Scan(tCaptionReader& r, QStringView v, bool final) {
    // An unclosed tag at the end of the file: nothing after it is read.
    return ScanMarkup(
        v, final, scan_, [&](QStringView inner) { Tag(r, inner); }, [&](QStringView run) { Text(run); },
        [](QStringView) {}, r.limitReached);
}

void Scanner::Text(QStringView run) {
    if (unknownDepth_ > 0)
        unknown_.Add(run);
    else if (inP_)
        AppendText(run);
    else if (!inHead_ && (!stray_.sample.isEmpty() || !IsBlank(run)))
        stray_.Add(run);
}

void Scanner::AppendText(QStringView run) {
    const char16_t* p = run.utf16();
    const qsizetype n = run.size();
    // Most text is words with one blank between them, blanks perhaps around: the words go in
    // as they stand.
    qsizetype first = 0, last = n;
    while (first < n && IsXmlSpace(p[first]))
        ++first;
    while (last > first && IsXmlSpace(p[last - 1]))
        --last;
    bool plain = true;
    for (qsizetype k = first; k < last && plain; ++k)
        plain = !IsXmlSpace(p[k]) || (p[k] == u' ' && !IsXmlSpace(p[k + 1]));
    if (plain) {
        if (first > 0) pendingSpace_ = !current_.text.isEmpty() && !afterBreak_;
        if (first == last) return;
        if (pendingSpace_) current_.text += u' ';
        current_.text += run.sliced(first, last - first);
        afterBreak_ = false;
        pendingSpace_ = last < n;
        return;
    }
    qsizetype i = 0;
    while (i < n) {
        if (IsXmlSpace(p[i])) {
            while (i < n && IsXmlSpace(p[i]))
                ++i;
            pendingSpace_ = !current_.text.isEmpty() && !afterBreak_;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && !IsXmlSpace(p[j]))
            ++j;
        if (pendingSpace_) current_.text += u' ';
        pendingSpace_ = afterBreak_ = false;
        current_.text += run.sliced(i, j - i);
        i = j;
    }
}

void Scanner::Tag(tCaptionReader& r, QStringView inner) {
    if (inner.startsWith(u'?') || inner.startsWith(u'!')) return;
    bool closing = false, selfClosing = false;
    if (inner.startsWith(u'/')) {
        closing = true;
        inner = inner.sliced(1);
    }
    if (inner.endsWith(u'/')) {
        selfClosing = true;
        inner.chop(1);
    }
    qsizetype nameEnd = 0;
    while (nameEnd < inner.size() && !IsXmlSpace(inner[nameEnd].unicode()))
        ++nameEnd;
    const QStringView name = LocalName(inner.first(nameEnd));
    const QStringView attributes = inner.sliced(nameEnd);
    r.leftOut |= tags_.Note(name, attributes, closing);
    // A run of text outside the paragraphs ends at any tag.
    stray_.Tell(r);

    if (unknownDepth_ > 0) {
        // Nothing inside an element the reader does not know is read.
        if (closing) {
            if (--unknownDepth_ == 0) unknown_.Tell(r);
        } else if (!selfClosing) {
            ++unknownDepth_;
        }
        return;
    }
    if (Is(name, u"p")) {
        if (!closing)
            OpenParagraph(attributes, selfClosing);
        else if (inP_)
            CloseParagraph(r);
    } else if (Is(name, u"br")) {
        if (inP_) {
            current_.text += r.LineBreak();
            pendingSpace_ = false;
            afterBreak_ = true;
        }
    } else if (Is(name, u"span")) {
        if (inP_ && !closing) NoteSpan(r, attributes);
    } else if (Is(name, u"div") || Is(name, u"body")) {
        if (closing) {
            if (!containers_.empty() && containers_.back().Name() == name) {
                offset_ = containers_.back().outerOffset;
                containers_.pop_back();
            }
        } else if (!selfClosing) {
            Container c{Is(name, u"div"), offset_, -1, -1, false};
            ForEachMarkupAttribute(attributes, [&](QStringView n, QStringView v) {
                if (Is(n, u"begin"))
                    c.begin = TimeExpression(v, timing_);
                else if (Is(n, u"end"))
                    c.end = TimeExpression(v, timing_);
            });
            if (c.begin >= 0) offset_ += c.begin;
            c.undecided = c.begin >= 0 && c.end >= 0;
            containers_.push_back(c);
        }
    } else if (Is(name, u"tt")) {
        if (!closing) timing_ = TimingOf(attributes);
    } else if (Is(name, u"head")) {
        inHead_ = !closing && !selfClosing;
    } else if (!closing && !inHead_ && (inP_ || !containers_.empty())) {
        // An element of the body that is no part of a caption (metadata, an image, an
        // animation, another vocabulary's): named with what it holds.
        unknown_.Add(u"<");
        unknown_.Add(inner);
        unknown_.Add(u">");
        if (selfClosing)
            unknown_.Tell(r);
        else
            unknownDepth_ = 1;
    }
}

void Scanner::ReadTimes(QStringView attributes, int64_t& begin, int64_t& end, int64_t& dur) {
    begin = end = dur = -1;
    ForEachMarkupAttribute(attributes, [&](QStringView n, QStringView v) {
        if (Is(n, u"begin"))
            begin = TimeExpression(v, timing_);
        else if (Is(n, u"end"))
            end = TimeExpression(v, timing_);
        else if (Is(n, u"dur"))
            dur = TimeExpression(v, timing_);
        else
            NoteStyle(current_, n, v);
    });
}

void Scanner::NoteSpan(tCaptionReader& r, QStringView attributes) {
    int64_t begin, end, dur;
    ReadTimes(attributes, begin, end, dur);
    if (begin < 0 && end < 0 && dur < 0) return;
    // Word timings (lyrics, karaoke): the caption keeps only the paragraph's times.
    r.leftOut |= kLeftInlineTimes;
    if (begin < 0) return;
    if (spanBegin_ < 0 || begin < spanBegin_) spanBegin_ = begin;
    if (end < 0 && dur >= 0) end = begin + dur;
    if (end > spanEnd_) spanEnd_ = end;
}

void Scanner::OpenParagraph(QStringView attributes, bool selfClosing) {
    current_.begin = current_.end = -1;
    current_.text.truncate(0);
    current_.bold = current_.italic = current_.underline = false;
    spanBegin_ = spanEnd_ = -1;
    int64_t begin, end, dur;
    ReadTimes(attributes, begin, end, dur);
    paragraphEnd_ = end;
    paragraphDur_ = dur;
    if (begin >= 0) {
        PlaceParagraph(begin);
        current_.begin = offset_ + begin;
        if (end >= 0)
            current_.end = offset_ + end;
        else if (dur >= 0)
            current_.end = current_.begin + dur;
    } else {
        untimedTag_ = QStringLiteral("<p");
        untimedTag_ += attributes;
        untimedTag_ += u'>';
    }
    inP_ = !selfClosing;
    pendingSpace_ = afterBreak_ = false;
}

void Scanner::PlaceParagraph(int64_t begin) {
    // A container that gives its own begin and end, and within them the times of its first
    // paragraph, is a list of lines whose times are the document's as they stand (lyrics
    // tools write a song's parts so); otherwise its begin moves what it holds.
    for (size_t k = 0; k < containers_.size(); ++k) {
        Container& c = containers_[k];
        if (!c.undecided) continue;
        c.undecided = false;
        if (begin < c.begin || begin > c.end) continue;
        offset_ -= c.begin;
        for (size_t inside = k + 1; inside < containers_.size(); ++inside)
            containers_[inside].outerOffset -= c.begin;
    }
}

void Scanner::CloseParagraph(tCaptionReader& r) {
    inP_ = false;
    if (IsBlank(current_.text)) return;
    if (current_.begin < 0 && spanBegin_ >= 0) {
        // Timed only on its spans (word-timed lyrics): from the first word's begin to the last
        // one's end, or the paragraph's own end where it gives one.
        PlaceParagraph(spanBegin_);
        current_.begin = offset_ + spanBegin_;
        if (paragraphEnd_ >= 0)
            current_.end = offset_ + paragraphEnd_;
        else if (paragraphDur_ >= 0)
            current_.end = current_.begin + paragraphDur_;
        else if (spanEnd_ >= 0)
            current_.end = offset_ + spanEnd_;
    }
    if (current_.begin < 0) {
        // No time to show it at: named, with what it says.
        Unread named;
        named.Add(untimedTag_);
        named.Add(current_.text);
        named.Tell(r);
        return;
    }
    Take(r, current_);
}

void Scanner::Take(tCaptionReader& r, Caption& c) {
    if (waiting_) {
        waiting_->end = c.begin > waiting_->begin ? c.begin : r.DefaultEnd(waiting_->begin);
        Store(r, *waiting_);
        waiting_.reset();
    }
    if (c.end < 0)
        waiting_ = c;
    else
        Store(r, c);
}

void Scanner::Store(tCaptionReader& r, Caption& c) {
    QString& text = c.text;
    const QString& br = r.LineBreak();
    while (!br.isEmpty() && text.endsWith(br))
        text.chop(br.size());
    if (c.underline) text.prepend(QLatin1String("<u>"));
    if (c.italic) text.prepend(QLatin1String("<i>"));
    if (c.bold) text.prepend(QLatin1String("<b>"));
    r.start = r.LimitTime(c.begin);
    r.end = r.LimitTime(std::max(c.end, c.begin));
    // The caption's text buffer is kept for the next paragraph: the reader takes a copy.
    r.text = text;
    r.FlushCaption();
}

Scanner& ScannerOf(tCaptionReader& r) {
    if (!r.grammarData) r.grammarData = std::make_unique<Scanner>(r);
    return static_cast<Scanner&>(*r.grammarData);
}

} // namespace

void ReadTimedText(tCaptionReader& r, QStringView piece, bool lineEnds) {
    ScannerOf(r).Feed(r, piece, lineEnds);
}

void FinishTimedText(tCaptionReader& r) {
    ScannerOf(r).Finish(r);
    r.grammarData.reset();
    r.ClearPending();
}
