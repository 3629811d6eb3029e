#pragma once
// What the readers of the small markup formats share (USF, GPAC timed text, Captionate,
// RealText): a tolerant tag scanner fed with the text as it comes, piece by piece, whatever its
// lines (tools write an element over several lines, several elements on one, or the whole
// document on one line); a stack of the open elements; the caption text as the elements give
// it; and a queue of captions whose end is the next caption's start, where a file gives only
// starts.
#include "formats/readerpaths.h"
#include "formats/textops.h"

#include <QSet>

#include <functional>
#include <memory>

#include <optional>
#include <vector>

struct tMarkupTag {
    QStringView name;       // as written, without a namespace prefix
    QStringView attributes; // everything after the name
    QStringView whole;      // what stands between "<" and ">"
    bool closing = false;
    bool selfClosing = false;
    bool Is(const char* n) const { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; }
};

inline bool IsXmlSpace(char16_t c) {
    return c == u' ' || c == u'\n' || c == u'\t' || c == u'\r';
}
inline bool IsXmlSpace(QChar c) {
    return IsXmlSpace(c.unicode());
}

// A name without its namespace prefix.
inline QStringView LocalName(QStringView name) {
    const char16_t* p = name.utf16();
    for (qsizetype k = name.size(); k > 0; --k)
        if (p[k - 1] == u':') return name.sliced(k);
    return name;
}

// Calls f(local name, value) for each attribute of a tag's attribute text ("name=value", the
// value quoted or not), in one pass.
template <typename F> void ForEachMarkupAttribute(QStringView attributes, F&& f) {
    const qsizetype n = attributes.size();
    const char16_t* a = attributes.utf16();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && IsXmlSpace(a[i]))
            ++i;
        const qsizetype nameStart = i;
        while (i < n && a[i] != u'=' && !IsXmlSpace(a[i]))
            ++i;
        const QStringView name = attributes.sliced(nameStart, i - nameStart);
        while (i < n && IsXmlSpace(a[i]))
            ++i;
        if (i >= n || a[i] != u'=') {
            if (i == nameStart) ++i;
            continue;
        }
        ++i;
        while (i < n && IsXmlSpace(a[i]))
            ++i;
        if (i >= n) break;
        const char16_t quote = a[i];
        qsizetype valueStart = i, valueEnd;
        if (quote == u'"' || quote == u'\'') {
            valueStart = i + 1;
            valueEnd = attributes.indexOf(QChar(quote), valueStart);
            if (valueEnd < 0) valueEnd = n;
            i = valueEnd + 1;
        } else {
            while (i < n && !IsXmlSpace(a[i]))
                ++i;
            valueEnd = i;
        }
        f(LocalName(name), attributes.sliced(valueStart, valueEnd - valueStart));
    }
}

// Where a scan stands in a tag or comment cut off at the end of the text seen so far.
struct tMarkupScanState {
    qsizetype searched = 0;
    char16_t quote = 0;
};

// Reads what v holds, comments passed over and CDATA taken as text: onTag(inner text of a tag),
// onText(run), until stop is set. Returns how much of v is done with: less than all when a tag
// or comment is cut off at its end (unless final: then the text ends there, and a tag cut off
// goes to onCut).
template <typename TagF, typename TextF, typename CutF>
qsizetype ScanMarkup(QStringView v, bool final, tMarkupScanState& state, TagF&& onTag, TextF&& onText, CutF&& onCut,
                     const bool& stop) {
    const qsizetype n = v.size();
    qsizetype i = 0;
    const char16_t* p = v.utf16();
    while (i < n && !stop) {
        if (p[i] != u'<') {
            // Runs of text are short: a plain look is quickest.
            qsizetype next = i + 1;
            while (next < n && p[next] != u'<')
                ++next;
            onText(v.sliced(i, next - i));
            i = next;
            continue;
        }
        const QStringView rest = v.sliced(i);
        // Only the element that begins the text may have been searched before.
        const qsizetype searched = i == 0 ? state.searched : 0;
        if (!final && rest.size() < 9 &&
            (QLatin1String("<!--").startsWith(rest) || QLatin1String("<![CDATA[").startsWith(rest))) {
            state.searched = 0;
            return i;
        }
        const bool comment = rest.startsWith(QLatin1String("<!--"));
        if (comment || rest.startsWith(QLatin1String("<![CDATA["))) {
            const qsizetype open = comment ? 4 : 9;
            const qsizetype close = v.indexOf(comment ? QLatin1String("-->") : QLatin1String("]]>"),
                                              i + std::max(open, searched - 2));
            if (close < 0 && !final) {
                state.searched = n - i;
                return i;
            }
            state.searched = 0;
            const qsizetype to = close < 0 ? n : close;
            if (!comment) {
                // Text as it stands: its markup characters escaped for the one unescaping that
                // every caption of these formats goes through.
                QString raw = v.sliced(i + 9, to - i - 9).toString();
                raw.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;"));
                onText(QStringView(raw));
            }
            i = std::min(n, to + 3);
            continue;
        }
        // A tag runs to the first ">" outside quotes.
        qsizetype k = i + std::max<qsizetype>(1, searched);
        char16_t quote = searched > 0 ? state.quote : 0;
        for (; k < n; ++k) {
            const char16_t c = p[k];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        if (k >= n) {
            if (final) {
                onCut(rest);
                return n;
            }
            state.searched = n - i;
            state.quote = quote;
            return i;
        }
        state.searched = 0;
        onTag(v.sliced(i + 1, k - i - 1));
        i = k + 1;
    }
    return n;
}

// Feeds a piece of markup text to scan(text, atEnd), which returns how much of it it used; what it
// did not use (a tag cut between two pieces) is kept in tail and read again with the next piece.
// lineEnd() runs at the end of a line read whole.
template <typename Scan, typename LineEnd>
void FeedMarkupPiece(QString& tail, QStringView piece, bool lineEnds, Scan&& scan, LineEnd&& lineEnd) {
    if (tail.isEmpty()) {
        const qsizetype used = scan(piece);
        if (used < piece.size()) {
            tail = piece.sliced(used).toString();
            if (lineEnds) tail += u'\n';
        } else if (lineEnds) {
            lineEnd();
        }
        return;
    }
    tail += piece;
    if (lineEnds) tail += u'\n';
    tail.remove(0, scan(QStringView(tail)));
}

// A time of the clock: "[[[d:]h:]m:]s[.fraction]" ("01:02:03.450", "1:02.5", "12", "1.5"), with a
// minus in front for a time below 0; nothing when the text is no such time.
std::optional<int64_t> MarkupClockTime(QStringView text);
// A whole number of milliseconds ("1500", "-20"); nothing when the text is none.
std::optional<int64_t> MarkupMilliseconds(QStringView text);

class tMarkupCaptions : public tGrammarData {
public:
    // How a caption's text treats the line ends in it: collapsed into blanks as markup does, or
    // each a line of the caption.
    enum class tLineEnds { Blank, Break };

    void Feed(tCaptionReader& r, QStringView piece, bool lineEnds);
    void Finish(tCaptionReader& r);

protected:
    explicit tMarkupCaptions(tLineEnds lineEnds) : lineEnds_(lineEnds) {}

    // An element opens (or stands alone, selfClosing): returns the kind the grammar gives it,
    // kept on the stack until it closes.
    virtual int Opened(tCaptionReader& r, const tMarkupTag& tag) = 0;
    // An element of that kind closes (a lone one right after Opened).
    virtual void Closed(tCaptionReader& r, int kind) = 0;
    // Text between tags, as written (references not yet resolved); "\n" where a line ends.
    virtual void Text(tCaptionReader& r, QStringView run) = 0;
    // The end of the text: the caption open there, if any (RealText's last one ends with the file).
    virtual void AtEnd(tCaptionReader& r);

    // The kind of the innermost open element, 0 when none; whether any open element is of kind.
    int Top() const { return stack_.empty() ? 0 : stack_.back().kind; }
    bool Within(int kind) const;

    // An element the grammar does not know: named among the lines not read.
    static void NotReadTag(tCaptionReader& r, const tMarkupTag& tag) {
        r.NotRead(QStringLiteral("<") + tag.whole.toString() + QLatin1Char('>'));
    }

    // Text that is no part of a caption: named among the lines not read, once a line.
    void NotReadText(tCaptionReader& r, QStringView run);

    // What stands outside the captions: an element or text that a file of the program's own
    // does not hold (its header and footer) is content the caption list cannot keep (kind).
    void Header(tCaptionReader& r, const tMarkupTag& tag, uint32_t kind);
    void HeaderText(tCaptionReader& r, QStringView run, uint32_t kind);

    // The caption being read: it begins at start (ms; none: the file gave no time it could be
    // read by) and ends at end (none: where the next caption begins).
    void BeginCaption(std::optional<int64_t> start, std::optional<int64_t> end);
    bool InCaption() const { return inCaption_; }
    void AddText(QStringView raw);
    void AddBreak();
    // A style tag of the program's (letter b, i or u), kept where the format carries styles.
    void AddStyle(tCaptionReader& r, QChar letter, bool closing);
    // The caption ends: one with text is stored, or waits for the next caption's start; one
    // without text ends the caption waiting before it.
    void EndCaption(tCaptionReader& r);

private:
    struct tOpen {
        QString name;
        int kind;
    };
    struct tWaiting {
        int64_t start;
        QString text;
    };
    qsizetype Scan(tCaptionReader& r, QStringView v, bool final);
    void OnTag(tCaptionReader& r, QStringView inner);
    void Store(tCaptionReader& r, int64_t start, int64_t end, const QString& text);
    QString TakeText(const QString& lineBreak);
    const QSet<QString>& Own(tCaptionReader& r);

    tLineEnds lineEnds_;
    // An element begun but not ended in the pieces so far, how far it has been searched for
    // its end and the quote open there.
    QString tail_;
    qsizetype searched_ = 0;
    char16_t quote_ = 0;
    std::vector<tOpen> stack_;
    bool inCaption_ = false;
    std::optional<int64_t> start_, end_;
    // The caption's lines (between line-break elements), as written.
    QStringList lines_;
    std::optional<tWaiting> waiting_;
    std::optional<QSet<QString>> own_;
    bool lineNamed_ = false; // text of the current line has been named as not read
    // Text outside the captions, compared once the element's text is whole (at the next tag).
    QString headerText_;
    uint32_t headerKind_ = 0;
    void CompareHeaderText(tCaptionReader& r);
};

// The grammar data of a reader, made at its first piece.
template <typename T> T& MarkupGrammarOf(tCaptionReader& r) {
    if (!r.grammarData) r.grammarData = std::make_unique<T>();
    return static_cast<T&>(*r.grammarData);
}

// The end of the file for a grammar of these formats: what it holds is read, then let go.
template <typename T> void FinishMarkupGrammar(tCaptionReader& r) {
    MarkupGrammarOf<T>(r).Finish(r);
    r.grammarData.reset();
    r.ClearPending();
}
