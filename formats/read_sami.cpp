// SAMI as encoders and sites write it: the body is a list of SYNC tags, each opening a caption at
// its time that runs to the next SYNC. The text may stand on the tag's line or on the lines
// after it, over several lines, with or without "</P></SYNC>" after it; captions follow each
// other with or without a SYNC that clears the screen ("&nbsp;") between them; a file in
// several languages gives each language a SYNC of its own at the same time. Everything up to the
// body (title, style sheet, comments) is not caption text.
#include "formats/readerpaths.h"

#include "base/numbers.h"
#include "formats/textops.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr Qt::CaseSensitivity kCi = Qt::CaseInsensitive;

// What the grammar keeps across lines besides the pending caption (grammarState bits).
constexpr int kInComment = 1;       // inside "<!-- ... -->"
constexpr int kTextClosed = 2;      // "</BODY>" came after the open SYNC: what follows is not its text
constexpr int kBeforeFirstSync = 4; // the body has begun, no SYNC yet
constexpr int kInHeadBlock = 8;     // inside a title, parameters or the style sheet
constexpr int kInOuterTag = 16;     // a tag outside the body goes on past the line's end

bool Has(const tCaptionReader& r, int bit) {
    return (r.grammarState & bit) != 0;
}

void Set(tCaptionReader& r, int bit, bool on) {
    r.grammarState = on ? (r.grammarState | bit) : (r.grammarState & ~bit);
}

// The tag named name (without "<") begins at i: the name is followed by a blank, ">", "/" or
// the end of the line.
bool TagAt(QStringView line, qsizetype i, QLatin1String name) {
    const qsizetype after = i + 1 + name.size();
    if (after > line.size() || !line.mid(i + 1, name.size()).startsWith(name, kCi)) return false;
    return after == line.size() || line[after] == u'>' || line[after] == u'/' || line[after].isSpace();
}

// Where the tag that begins at i ends (after its ">"), or the end of the line.
qsizetype TagEnd(QStringView line, qsizetype i) {
    const qsizetype close = line.indexOf(u'>', i);
    return close < 0 ? line.size() : close + 1;
}

// The time of a SYNC tag in ms: its Start value (quotes allowed), else the number after its
// first "=". A sign is no part of a time.
int64_t SyncTime(QStringView tag) {
    qsizetype at = -1;
    for (qsizetype k = tag.indexOf(QLatin1String("start"), 0, kCi); k >= 0;
         k = tag.indexOf(QLatin1String("start"), k + 5, kCi)) {
        qsizetype e = k + 5;
        while (e < tag.size() && tag[e].isSpace())
            ++e;
        if (e < tag.size() && tag[e] == u'=') {
            at = e;
            break;
        }
    }
    if (at < 0) at = tag.indexOf(u'=');
    if (at < 0) return 0;
    ++at;
    while (at < tag.size() && (tag[at] == u'"' || tag[at] == u'\'' || tag[at].isSpace()))
        ++at;
    // A time below 0 comes back negative, so that the reader counts it as it makes it 0.
    bool minus = false;
    if (at < tag.size() && (tag[at] == u'-' || tag[at] == u'+')) minus = tag[at++] == u'-';
    const int64_t ms = std::max(0, LeadingInt32Saturated(tag.mid(at)));
    return minus ? -ms : ms;
}

// A line that shows nothing but non-breaking spaces (and blanks).
bool IsOnlyNbsp(QStringView line) {
    const QLatin1String nbsp("&nbsp;");
    bool any = false;
    for (qsizetype i = 0; i < line.size();) {
        if (line[i].isSpace()) {
            ++i;
        } else if (line.mid(i, nbsp.size()).compare(nbsp, kCi) == 0) {
            i += nbsp.size();
            any = true;
        } else {
            return false;
        }
    }
    return any;
}

// Where a paragraph tag ("<P>", "<P Class=ENCC>") begins in text at or after from, or -1.
qsizetype ParagraphAt(QStringView text, qsizetype from) {
    for (qsizetype k = text.indexOf(u'<', from); k >= 0; k = text.indexOf(u'<', k + 1))
        if (TagAt(text, k, QLatin1String("p"))) return k;
    return -1;
}

// The class of the first paragraph of what a SYNC holds (its language), or empty.
QStringView ClassOf(QStringView raw) {
    const qsizetype p = ParagraphAt(raw, 0);
    if (p < 0) return QStringView();
    const QStringView tag = raw.mid(p, TagEnd(raw, p) - p);
    const qsizetype c = tag.indexOf(QLatin1String("class"), 0, kCi);
    if (c < 0) return QStringView();
    qsizetype at = tag.indexOf(u'=', c);
    if (at < 0) return QStringView();
    ++at;
    while (at < tag.size() && (tag[at] == u'"' || tag[at] == u'\'' || tag[at].isSpace()))
        ++at;
    qsizetype e = at;
    while (e < tag.size() && tag[e] != u'"' && tag[e] != u'\'' && tag[e] != u'>' && !tag[e].isSpace())
        ++e;
    return tag.mid(at, e - at);
}

// The markup of text removed onto out, but "<br>" and the style tags "<b>", "<i>", "<u>"
// (written the one way); with paragraphLines a paragraph tag begins a line.
void AppendStripped(QString& out, QStringView text, bool paragraphLines) {
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype lt = text.indexOf(u'<', i);
        if (lt < 0) {
            out += text.sliced(i);
            break;
        }
        out += text.sliced(i, lt - i);
        const qsizetype close = text.indexOf(u'>', lt + 1);
        // A "<" that no ">" follows is text, not the start of a tag.
        if (close < 0) {
            out += text.sliced(lt);
            break;
        }
        // The tag's name and a closing "/", blanks left out: "br", "br/", "b", "/b", "p class=x"...
        QChar name[3];
        int length = 0;
        for (qsizetype k = lt + 1; k < close && length <= 3; ++k)
            if (!text[k].isSpace()) {
                if (length < 3) name[length] = text[k].toLower();
                ++length;
            }
        const auto is = [&](const char* word) {
            int k = 0;
            for (; word[k]; ++k)
                if (k >= length || name[k] != QLatin1Char(word[k])) return false;
            return k == length;
        };
        if (is("br") || is("br/"))
            out += QLatin1String("<br>");
        else if (is("b") || is("i") || is("u"))
            out += QLatin1Char('<') + name[0] + QLatin1Char('>');
        else if (paragraphLines && TagAt(text, lt, QLatin1String("p")))
            out += u'\n';
        i = close + 1;
    }
}

// The text of what one SYNC holds: markup removed (line breaks and styles kept), each source
// line and each paragraph a line of its own, trimmed; lines that are empty or show only
// "&nbsp;" left out; the rest joined by line breaks. A SYNC that shows nothing gives an empty
// text.
QString SegmentText(QStringView raw) {
    QString stripped;
    stripped.reserve(raw.size());
    AppendStripped(stripped, raw, true);
    const QLatin1String br("<br>");
    QString out;
    for (qsizetype from = 0; from <= stripped.size();) {
        qsizetype end = stripped.indexOf(u'\n', from);
        if (end < 0) end = stripped.size();
        const QStringView line = QStringView(stripped).sliced(from, end - from).trimmed();
        from = end + 1;
        if (line.isEmpty() || IsOnlyNbsp(line)) continue;
        if (!out.isEmpty() && !out.endsWith(br) && !line.startsWith(br)) out += br;
        out += line;
    }
    // Breaks at the edges show nothing.
    while (out.startsWith(br))
        out.remove(0, br.size());
    while (out.endsWith(br))
        out.chop(br.size());
    return out;
}

// The open caption beyond the reader's pending one: the languages (paragraph classes) its
// SYNCs have shown, and whether the SYNC being read came at the same moment as the one before.
struct SamiState final : tGrammarData {
    std::vector<QString> classes;
    bool sameMoment = false;
};

SamiState& StateOf(tCaptionReader& r) {
    if (!r.grammarData) r.grammarData = std::make_unique<SamiState>();
    return static_cast<SamiState&>(*r.grammarData);
}

// Stores the open caption (when it has text) as ending at end; its start stays open.
void Close(tCaptionReader& r, int32_t end) {
    const int32_t start = r.start;
    if (!r.text.isEmpty()) {
        r.end = end;
        r.FlushCaption();
    }
    r.ClearPending();
    r.start = start;
}

// What the SYNC being read holds joins the open caption; but the same language again at the
// same moment means the caption before showed for no time (a SYNC with text, a SYNC that clears
// it, both at one time): that one is stored as it stands and this one goes on alone.
void Settle(tCaptionReader& r) {
    if (r.start < 0) {
        r.document.truncate(0);
        return;
    }
    SamiState& st = StateOf(r);
    const QStringView raw = r.document;
    const QStringView cls = ClassOf(raw);
    bool known = std::any_of(st.classes.begin(), st.classes.end(),
                             [&](const QString& c) { return cls.compare(c, kCi) == 0; });
    if (st.sameMoment && known) {
        Close(r, r.start);
        st.classes.clear();
        known = false;
    }
    if (!known) st.classes.push_back(cls.toString());
    st.sameMoment = false;
    const QString text = SegmentText(raw);
    r.document.truncate(0);
    if (text.isEmpty()) return;
    if (!r.text.isEmpty()) r.text += QLatin1String("<br>");
    r.text += text;
}

void Sync(tCaptionReader& r, QStringView tag) {
    const int32_t t = r.LimitTime(SyncTime(tag));
    Set(r, kTextClosed, false);
    if (Has(r, kBeforeFirstSync)) {
        // Text in the body before any SYNC has no time.
        if (!SegmentText(r.document).isEmpty()) ++r.skipped;
        r.document.clear();
        Set(r, kBeforeFirstSync, false);
    }
    Settle(r);
    if (r.start >= 0 && t == r.start) {
        // Another language at the same moment, or a caption that shows for no time: the next
        // SYNC tells which.
        StateOf(r).sameMoment = true;
        return;
    }
    // A SYNC earlier than the caption began cannot end it: it gets the default length.
    if (r.start >= 0 && !r.text.isEmpty()) Close(r, t > r.start ? t : r.DefaultEnd(r.start));
    r.ClearPending();
    StateOf(r).classes.clear();
    r.start = t;
}

void OpenBody(tCaptionReader& r) {
    // What was read before the body was not part of it.
    if (r.sectionGuessed) r.captions.resize(std::min(r.captions.size(), r.sectionFirstCaption));
    r.ClearPending();
    r.document.clear();
    r.grammarData.reset();
    r.sectionOpen = true;
    r.sectionGuessed = false;
    Set(r, kTextClosed, false);
    Set(r, kBeforeFirstSync, true);
}

} // namespace

namespace {

// A tag outside the body (before it or after its end) that begins at i: whether the reader
// knows it (the document's frame, its head, title, parameters and style sheet). Notes the
// blocks whose text is no caption's.
bool KnownOuterTag(tCaptionReader& r, QStringView line, qsizetype i) {
    qsizetype from = i + 1;
    if (from < line.size() && (line[from] == u'!' || line[from] == u'?')) return true;
    const bool closing = from < line.size() && line[from] == u'/';
    if (closing) ++from;
    for (const char* block : {"title", "samiparam", "style"}) {
        if (TagAt(line, from - 1, QLatin1String(block))) {
            Set(r, kInHeadBlock, !closing);
            return true;
        }
    }
    for (const char* frame : {"sami", "head", "body"})
        if (TagAt(line, from - 1, QLatin1String(frame))) return true;
    return false;
}

} // namespace

QString StripSamiMarkup(QStringView text) {
    QString out;
    out.reserve(text.size());
    AppendStripped(out, text, false);
    return out;
}

void ReadSamiLine(tCaptionReader& r, QStringView line) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    // Text or a tag outside the body that is no part of the document's frame: the line is named.
    bool unread = false;
    if (Has(r, kInOuterTag)) {
        i = TagEnd(line, 0);
        if (i > 0 && line[i - 1] == u'>') Set(r, kInOuterTag, false);
    }
    while (i < n) {
        if (Has(r, kInComment)) {
            const qsizetype close = line.indexOf(QLatin1String("-->"), i);
            if (close < 0) return;
            Set(r, kInComment, false);
            i = close + 3;
            continue;
        }
        const qsizetype lt = line.indexOf(u'<', i);
        const qsizetype stop = lt < 0 ? n : lt;
        const bool collecting =
            r.sectionOpen && !Has(r, kTextClosed) && (r.start >= 0 || Has(r, kBeforeFirstSync));
        const bool outside = !r.sectionOpen || Has(r, kTextClosed);
        if (collecting)
            r.document += line.mid(i, stop - i);
        else if (outside && !Has(r, kInHeadBlock) && !IsBlank(line.mid(i, stop - i)))
            unread = true;
        if (lt < 0) break;
        i = lt;
        if (line.mid(i).startsWith(QLatin1String("<!--"))) {
            Set(r, kInComment, true);
            i += 4;
        } else if (TagAt(line, i, QLatin1String("sync"))) {
            const qsizetype end = TagEnd(line, i);
            if (!r.sectionOpen) {
                // A file without a body tag: its first SYNC begins the captions.
                r.sectionOpen = r.sectionGuessed = true;
                r.sectionFirstCaption = r.captions.size();
            }
            Sync(r, line.mid(i, end - i));
            if (r.limitReached) return;
            i = end;
        } else if ((!r.sectionOpen || r.sectionGuessed) && TagAt(line, i, QLatin1String("body"))) {
            OpenBody(r);
            i = TagEnd(line, i);
        } else if (r.sectionOpen && TagAt(line, i, QLatin1String("/body"))) {
            Set(r, kTextClosed, true);
            i = TagEnd(line, i);
        } else if (outside && !collecting) {
            if (!KnownOuterTag(r, line, i)) unread = true;
            i = TagEnd(line, i);
            if (line[i - 1] != u'>') Set(r, kInOuterTag, true);
        } else {
            // Other markup stays with the text until the caption is taken.
            if (collecting) r.document += u'<';
            ++i;
        }
    }
    if (unread) r.NotRead(line);
    if (r.sectionOpen && !Has(r, kTextClosed) && (r.start >= 0 || Has(r, kBeforeFirstSync)))
        r.document += u'\n';
}

void FinishSami(tCaptionReader& r) {
    // The last caption: no later SYNC ends it.
    Settle(r);
    if (r.start >= 0 && !r.text.isEmpty()) Close(r, r.DefaultEnd(r.start));
    r.grammarData.reset();
    r.ClearPending();
}
