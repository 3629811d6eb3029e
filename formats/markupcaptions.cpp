#include "formats/markupcaptions.h"

#include "formats/textops.h"

#include <algorithm>

namespace {

// Open elements kept at most: deeper nesting is no layout of these formats, and a hostile
// file of opening tags must not grow the stack without end.
constexpr size_t kMostOpen = 64;

// Runs of blanks and line ends as one blank, none at either end.
QString Collapsed(QStringView text) {
    QString out;
    bool blank = false;
    for (const QChar c : text) {
        if (IsXmlSpace(c)) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank) out += u' ';
        blank = false;
        out += c;
    }
    return out;
}

// Splits a tag's inner text into its parts; false for declarations and processing
// instructions ("<?xml", "<!DOCTYPE"), which say nothing of the captions.
bool ParseTag(QStringView inner, tMarkupTag& tag) {
    if (inner.startsWith(u'?') || inner.startsWith(u'!')) return false;
    tag.whole = inner;
    if (inner.startsWith(u'/')) {
        tag.closing = true;
        inner = inner.sliced(1);
    }
    if (inner.endsWith(u'/')) {
        tag.selfClosing = true;
        inner.chop(1);
    }
    qsizetype nameEnd = 0;
    while (nameEnd < inner.size() && !IsXmlSpace(inner[nameEnd]))
        ++nameEnd;
    tag.name = LocalName(inner.first(nameEnd));
    tag.attributes = inner.sliced(nameEnd);
    return !tag.name.isEmpty();
}

// What a tag says: its name, and its name with each of its attributes. An element of a file
// says nothing the program's own does not when each of these is among the program's own.
QStringList Signatures(const tMarkupTag& tag) {
    const QString name = u'<' + tag.name.toString().toLower();
    QStringList out{name};
    ForEachMarkupAttribute(tag.attributes, [&](QStringView attribute, QStringView value) {
        out << name + u' ' + attribute.toString().toLower() + u'=' + value.toString();
    });
    return out;
}

// Digits from text[i] on as a number, at most `most` (a longer run is still read whole);
// false when there is none.
bool ReadDigits(QStringView text, qsizetype& i, int64_t most, int64_t& out) {
    const qsizetype from = i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(most, value * 10 + (text[i].unicode() - u'0'));
    out = value;
    return i > from;
}

} // namespace

std::optional<int64_t> MarkupClockTime(QStringView text) {
    text = text.trimmed();
    const bool minus = text.startsWith(u'-');
    if (minus) text = text.sliced(1);
    // Days, hours, minutes, seconds: the last field given is the seconds.
    int64_t fields[4] = {0, 0, 0, 0};
    int count = 0;
    qsizetype i = 0;
    for (;;) {
        int64_t value = 0;
        const bool digits = ReadDigits(text, i, 1000000000, value);
        const bool fractionNext = i < text.size() && (text[i] == u'.' || text[i] == u',');
        if (!digits && !(fractionNext && count == 0)) return std::nullopt;
        fields[count++] = value;
        if (i < text.size() && text[i] == u':' && count < 4) {
            ++i;
            continue;
        }
        break;
    }
    int64_t fraction = 0;
    if (i < text.size() && (text[i] == u'.' || text[i] == u',')) {
        ++i;
        int digits = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits)
            if (digits < 3) fraction = fraction * 10 + (text[i].unicode() - u'0');
        if (digits == 0) return std::nullopt;
        for (int d = digits; d < 3; ++d)
            fraction *= 10;
    }
    if (i != text.size()) return std::nullopt;
    static constexpr int64_t kUnit[4] = {1000, 60000, 3600000, 86400000};
    int64_t ms = fraction;
    for (int k = 0; k < count; ++k)
        ms += fields[count - 1 - k] * kUnit[k];
    return minus ? -ms : ms;
}

std::optional<int64_t> MarkupMilliseconds(QStringView text) {
    text = text.trimmed();
    const bool minus = text.startsWith(u'-');
    if (minus) text = text.sliced(1);
    qsizetype i = 0;
    int64_t value = 0;
    if (!ReadDigits(text, i, int64_t(1) << 50, value) || i != text.size()) return std::nullopt;
    return minus ? -value : value;
}

// --- Reading ---

void tMarkupCaptions::Feed(tCaptionReader& r, QStringView piece, bool lineEnds) {
    FeedMarkupPiece(
        tail_, piece, lineEnds, [&](QStringView text) { return Scan(r, text, false); },
        [&] {
            if (r.limitReached) return;
            Text(r, u"\n");
            lineNamed_ = false;
        });
}

void tMarkupCaptions::Finish(tCaptionReader& r) {
    if (!tail_.isEmpty()) Scan(r, tail_, true);
    tail_.clear();
    if (r.limitReached) return;
    if (!headerText_.isEmpty()) CompareHeaderText(r);
    AtEnd(r);
    if (waiting_ && !r.limitReached) Store(r, waiting_->start, r.DefaultEnd(waiting_->start), waiting_->text);
    waiting_.reset();
}

void tMarkupCaptions::AtEnd(tCaptionReader& r) {
    // A caption element the file never closed: its text may be cut short.
    if (inCaption_ && !IsBlank(TakeText(r.LineBreak()))) ++r.skipped;
    inCaption_ = false;
}

qsizetype tMarkupCaptions::Scan(tCaptionReader& r, QStringView v, bool final) {
    tMarkupScanState state{searched_, quote_};
    const qsizetype used = ScanMarkup(
        v, final, state, [&](QStringView inner) { OnTag(r, inner); },
        [&](QStringView run) {
            // Line by line, so that text not read is named once a line.
            for (qsizetype end = run.indexOf(u'\n'); end >= 0; end = run.indexOf(u'\n')) {
                Text(r, run.first(end + 1));
                lineNamed_ = false;
                run = run.sliced(end + 1);
            }
            if (!run.isEmpty()) Text(r, run);
        },
        [&](QStringView cut) { r.NotRead(cut); }, r.limitReached);
    searched_ = state.searched;
    quote_ = state.quote;
    return used;
}

void tMarkupCaptions::OnTag(tCaptionReader& r, QStringView inner) {
    if (!headerText_.isEmpty()) CompareHeaderText(r);
    tMarkupTag tag;
    if (!ParseTag(inner, tag)) return;
    if (!tag.closing) {
        const int kind = Opened(r, tag);
        if (tag.selfClosing)
            Closed(r, kind);
        else if (stack_.size() < kMostOpen)
            stack_.push_back({tag.name.toString(), kind});
        return;
    }
    // A closing tag closes the innermost element of its name and what is open inside it; one
    // that closes nothing open is passed over.
    for (size_t k = stack_.size(); k > 0; --k) {
        if (tag.name.compare(stack_[k - 1].name, Qt::CaseInsensitive) != 0) continue;
        while (stack_.size() >= k) {
            const int kind = stack_.back().kind;
            stack_.pop_back();
            Closed(r, kind);
        }
        return;
    }
}

bool tMarkupCaptions::Within(int kind) const {
    for (const tOpen& o : stack_)
        if (o.kind == kind) return true;
    return false;
}

const QSet<QString>& tMarkupCaptions::Own(tCaptionReader& r) {
    if (own_) return *own_;
    own_.emplace();
    const QString own = (r.OwnHeader().isEmpty() ? r.Def().Header : r.OwnHeader()) + r.Def().Footer;
    tMarkupScanState state;
    const bool never = false;
    ScanMarkup(
        own, true, state,
        [&](QStringView inner) {
            tMarkupTag tag;
            if (!ParseTag(inner, tag) || tag.closing) return;
            for (const QString& s : Signatures(tag))
                own_->insert(s);
        },
        [&](QStringView run) {
            const QString t = Collapsed(run);
            if (!t.isEmpty()) own_->insert(u'#' + t);
        },
        [](QStringView) {}, never);
    return *own_;
}

void tMarkupCaptions::NotReadText(tCaptionReader& r, QStringView run) {
    if (lineNamed_ || IsBlank(run)) return;
    r.NotRead(run);
    lineNamed_ = true;
}

void tMarkupCaptions::Header(tCaptionReader& r, const tMarkupTag& tag, uint32_t kind) {
    if (tag.closing || (r.leftOut & kind) != 0) return;
    for (const QString& s : Signatures(tag)) {
        if (Own(r).contains(s)) continue;
        r.leftOut |= kind;
        return;
    }
}

void tMarkupCaptions::HeaderText(tCaptionReader& r, QStringView run, uint32_t kind) {
    if ((r.leftOut & kind) != 0) return;
    // Enough to tell one text from another; a longer one is none of the program's.
    if (headerText_.size() < 4096) headerText_ += run;
    headerKind_ = kind;
}

void tMarkupCaptions::CompareHeaderText(tCaptionReader& r) {
    const QString t = Collapsed(headerText_);
    if (!t.isEmpty() && !Own(r).contains(u'#' + t)) r.leftOut |= headerKind_;
    headerText_.clear();
}

// --- The caption being read ---

void tMarkupCaptions::BeginCaption(std::optional<int64_t> start, std::optional<int64_t> end) {
    inCaption_ = true;
    start_ = start;
    end_ = end;
    lines_.clear();
    lines_.append(QString());
}

void tMarkupCaptions::AddText(QStringView raw) {
    if (lines_.isEmpty()) lines_.append(QString());
    lines_.back() += raw;
}

void tMarkupCaptions::AddBreak() {
    lines_.append(QString());
}

void tMarkupCaptions::AddStyle(tCaptionReader& r, QChar letter, bool closing) {
    const uint8_t bit = letter == u'b' ? 1 : letter == u'i' ? 2 : 4;
    if ((r.Def().TagFlags & bit) == 0) {
        r.leftOut |= kLeftInlineStyles;
        return;
    }
    AddText(closing ? QStringLiteral("</") + letter + u'>' : QStringLiteral("<") + letter + u'>');
}

QString tMarkupCaptions::TakeText(const QString& lineBreak) {
    // Blanks within a line are the caption's as written (tabs, double blanks); the lines of the
    // file within the caption are trimmed, and joined by a blank where markup collapses them.
    QStringList shown;
    for (const QString& piece : lines_) {
        QString joined;
        for (QStringView line : QStringView(piece).split(u'\n')) {
            while (!line.isEmpty() && IsXmlSpace(line.front()))
                line = line.sliced(1);
            while (!line.isEmpty() && IsXmlSpace(line.back()))
                line.chop(1);
            if (line.isEmpty()) continue;
            if (lineEnds_ == tLineEnds::Break) {
                shown << line.toString();
                continue;
            }
            if (!joined.isEmpty()) joined += u' ';
            joined += line;
        }
        if (!joined.isEmpty()) shown << joined;
    }
    lines_.clear();
    return shown.join(lineBreak);
}

void tMarkupCaptions::EndCaption(tCaptionReader& r) {
    if (!inCaption_) return;
    inCaption_ = false;
    const QString text = TakeText(r.LineBreak());
    if (!start_) {
        if (!IsBlank(text)) ++r.skipped;
        return;
    }
    const int64_t start = *start_;
    if (waiting_) {
        // The caption waiting ends where this one begins; one without text only ends it, even
        // at its own start (an untimed caption).
        const int64_t end = IsBlank(text) || start > waiting_->start ? start : r.DefaultEnd(waiting_->start);
        Store(r, waiting_->start, end, waiting_->text);
        waiting_.reset();
    }
    if (IsBlank(text)) return;
    if (end_)
        Store(r, start, *end_, text);
    else
        waiting_ = tWaiting{start, text};
}

void tMarkupCaptions::Store(tCaptionReader& r, int64_t start, int64_t end, const QString& text) {
    if (r.limitReached) return;
    r.start = r.LimitTime(start);
    r.end = r.LimitTime(end);
    r.text = text;
    r.FlushCaption();
}
