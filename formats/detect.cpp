#include "formats/detect.h"

#include "base/paths.h"
#include "base/processstate.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/textops.h"
#include "platform/CodePage.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

bool gTimedSample = false;

namespace {

// Where the line of bytes that begins at from ends (its CR or LF, or n). The library's searches
// go through a long line many bytes at a time; a CR is looked for only before the LF.
qsizetype ByteLineEnd(const char* p, qsizetype from, qsizetype n) {
    const void* lf = std::memchr(p + from, '\n', size_t(n - from));
    const qsizetype stop = lf ? static_cast<const char*>(lf) - p : n;
    const void* cr = std::memchr(p + from, '\r', size_t(stop - from));
    return cr ? static_cast<const char*>(cr) - p : stop;
}

} // namespace

qsizetype WidenLine(QByteArrayView bytes, qsizetype from, std::vector<char16_t>& line) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    // A line longer than the buffer: the buffer is made as long as the line once (a buffer grown
    // by doubling holds up to twice the line, and both sizes at once while it moves).
    const auto room = [&](qsizetype need) {
        if (size_t(need) <= line.size()) return;
        const qsizetype end = ByteLineEnd(bytes.data(), from, n);
        line.resize(std::max(size_t(need), size_t(end - from + 16)));
    };
    qsizetype i = from;
#ifdef __SSE2__
    // Sixteen bytes at a time: widened whole, the line end looked for among them.
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int ends = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        room(i - from + 16);
        char16_t* d = line.data() + (i - from);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
        if (ends != 0) return i + __builtin_ctz(unsigned(ends));
    }
#endif
    room(n - from);
    for (; i < n; ++i) {
        const unsigned char c = p[i];
        if (c == '\n' || c == '\r') return i;
        line[size_t(i - from)] = c;
    }
    return n;
}

// --- UTF-8 text decoded as it is read (tFileText::Utf8Bytes) ---

qsizetype DecodeUtf8Line(QByteArrayView bytes, qsizetype from, qsizetype limit, std::vector<char16_t>& line,
                         qsizetype& chars) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype end = from;
    while (end < limit && p[end] != '\n' && p[end] != '\r')
        ++end;
    if (end == limit && limit < bytes.size()) {
        // Cut off before the line ends: never inside a character's sequence (where the limit
        // leaves room for none, after the first one).
        qsizetype cut = end;
        while (cut > from && (p[cut] & 0xC0) == 0x80)
            --cut;
        if (cut > from)
            end = cut;
        else
            while (end < bytes.size() && (p[end] & 0xC0) == 0x80)
                ++end;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView run = bytes.sliced(from, end - from);
    const qsizetype room = decoder.requiredSpace(run.size());
    if (size_t(room) > line.size()) line.resize(std::max(size_t(room), line.size() * 2));
    char16_t* const out = line.data();
    char16_t* last = reinterpret_cast<char16_t*>(decoder.appendToBuffer(reinterpret_cast<QChar*>(out), run));
    // A byte-order mark is not text, as in DecodeFileText.
    last = std::remove(out, last, char16_t(0xFEFF));
    chars = last - out;
    return end;
}

qsizetype tFileText::LineEnd(qsizetype from) const {
    if (!ascii_) {
        const char16_t* p = reinterpret_cast<const char16_t*>(text_.data());
        const qsizetype n = text_.size();
        while (from < n && p[from] != u'\n' && p[from] != u'\r')
            ++from;
        return from;
    }
    return ByteLineEnd(bytes_.data(), from, bytes_.size());
}

QString tFileText::OwnedLine(qsizetype from, qsizetype end) const {
    if (!ascii_) return TrimLine(text_.sliced(from, end - from)).toString();
    const auto blank = [this](qsizetype i) { return bytes_[i] == ' ' || bytes_[i] == '\t'; };
    while (from < end && blank(from))
        ++from;
    while (end > from && blank(end - 1))
        --end;
    const QByteArrayView run = bytes_.sliced(from, end - from);
    if (!utf8_ && !high_) return QString::fromLatin1(run);
    if (!utf8_) {
        QString line(run.size(), Qt::Uninitialized);
        char16_t* d = reinterpret_cast<char16_t*>(line.data());
        for (qsizetype i = 0; i < run.size(); ++i) {
            const uchar c = uchar(run[i]);
            d[i] = c >= 0x80 ? high_[c - 0x80] : char16_t(c);
        }
        return line;
    }
    // Decoded as DecodeUtf8Line decodes it; byte-order marks are not text, and blanks they stood
    // between are the line's ends.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString line(decoder.requiredSpace(run.size()), Qt::Uninitialized);
    const QChar* last = decoder.appendToBuffer(line.data(), run);
    line.truncate(last - line.constData());
    if (line.contains(QChar(0xFEFF))) {
        line.remove(QChar(0xFEFF));
        const QStringView trimmed = TrimLine(line);
        const qsizetype a = trimmed.data() - line.constData();
        line.truncate(a + trimmed.size());
        line.remove(0, a);
    }
    return line;
}

namespace {

constexpr int kSampleLines = 250;
constexpr qsizetype kSampleLineChars = qsizetype(64) << 10;

// Valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) that holds at least
// one multi-byte sequence. Plain ASCII is not "UTF-8" here: it reads the same either way.
bool IsMultiByteUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    bool multi = false;
    qsizetype i = 0;
    while (i < n) {
        // Thirty-two ASCII bytes at a time through long runs, then eight.
        if (i + 32 <= n) {
            uint64_t w[4];
            std::memcpy(w, p + i, sizeof w);
            if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) == 0) {
                i += 32;
                continue;
            }
        }
        if (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        uint32_t min;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, min = 0x80, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, min = 0x800, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n) return false;
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80) return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        multi = true;
        i += extra + 1;
    }
    return multi;
}

} // namespace

bool IsAsciiBytes(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    // Thirty-two bytes at a time: the whole file is looked at before it is decoded.
    for (; i + 32 <= n; i += 32) {
        uint64_t w[4];
        std::memcpy(w, p + i, sizeof w);
        if (((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ULL) != 0) return false;
    }
    for (; i < n; ++i)
        if (p[i] >= 0x80) return false;
    return true;
}

namespace {

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
    QString out;
    const qsizetype units = bytes.size() / 2;
    out.resize(units);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < units; ++i)
        d[i] = bigEndian ? char16_t(p[2 * i] << 8 | p[2 * i + 1]) : char16_t(p[2 * i + 1] << 8 | p[2 * i]);
    return out;
}

// The mask of a time pattern: its fields as zeros.
QString PatternMask(const QString& pattern) {
    QString mask = pattern;
    for (const char16_t field : {u'h', u'm', u's', u'z'})
        mask.replace(QChar(field), QChar(u'0'));
    return ReplaceText(mask, u"ff", u"00");
}

// One piece of a format's time line as a file sample holds it (upper case, digits as 0).
struct tShapeToken {
    enum Kind : uint8_t {
        Text,       // these characters (a run of blanks stands for one blank or more)
        Digits,     // one run of digits, as long as the field allows
        Anything,   // caption text
        LineEnd,    // the end of the line
        EndOrBlank, // the line ends here or goes on after a blank
    } kind = Text;
    QString text;
    int minDigits = 1;
    int maxDigits = -1; // any number
    // Text only: its last blanks may be missing where the line ends. They stand before the
    // caption (or the line's end) in the template, and lines are compared trimmed: a caption
    // whose first line is empty leaves the line ending with them.
    bool endBlanksTrimmed = false;
    // Text only: the caption follows it in the template. Blanks in the file beyond those it
    // ends with are the caption's own (typed at its start), not the format's layout.
    bool beforeCaption = false;
};
using tLineShape = std::vector<tShapeToken>;

// A format's body template as a file shows it: each placeholder as the field it becomes, every
// line between two line ends.
struct tRenderedBody {
    QString text;                 // masked and upper case: times as their masks, text as U+0001
    std::vector<qsizetype> owner; // per character of text, the token it belongs to
    std::vector<qsizetype> from;  // per token, where it begins in text
    tLineShape tokens;
};

class BodyRenderer {
public:
    tRenderedBody out;

    void Add(tShapeToken token, const QString& shown) {
        out.from.push_back(out.text.size());
        out.tokens.push_back(std::move(token));
        out.text += shown;
        out.owner.insert(out.owner.end(), size_t(shown.size()), qsizetype(out.tokens.size() - 1));
    }
    void AddText(QChar c) {
        if (out.tokens.empty() || out.tokens.back().kind != tShapeToken::Text) Add({}, QString());
        out.tokens.back().text += c;
        out.text += c;
        out.owner.push_back(qsizetype(out.tokens.size() - 1));
    }
    void AddDigits(int min, int max) {
        tShapeToken t;
        t.kind = tShapeToken::Digits;
        t.minDigits = min;
        t.maxDigits = max;
        Add(t, QString(min, u'0'));
    }
    void AddLineEnd() {
        tShapeToken t;
        t.kind = tShapeToken::LineEnd;
        Add(t, QStringLiteral("\r\n"));
    }
    // A time field of the definition's time code. Its first field may be wider than the
    // pattern writes it: hours past 9 where the pattern has "h", minutes that hold the hours
    // where it has none; every later field has its own width.
    void AddTime(const tFormatDef& def) {
        const QString& tc = def.Timecode;
        if (tc == QLatin1String("ms") || tc == QLatin1String("ff")) {
            AddDigits(1, -1);
            return;
        }
        bool first = true;
        for (qsizetype i = 0; i < tc.size();) {
            const QChar c = tc[i].toLower();
            const bool field = c == u'h' || c == u'm' || c == u's' || c == u'z' ||
                               (c == u'f' && i + 1 < tc.size() && tc[i + 1].toLower() == u'f');
            if (!field) {
                AddText(tc[i].toUpper());
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < tc.size() && tc[j].toLower() == c)
                ++j;
            const int width = int(j - i);
            AddDigits(width, first ? -1 : width);
            first = false;
            i = j;
        }
    }
};

tRenderedBody RenderBody(const tFormatDef& def) {
    BodyRenderer r;
    QString body = def.Body;
    if (body.endsWith(u'\r')) body.chop(1);
    r.AddLineEnd();
    const auto at = [&body](qsizetype i, QLatin1String word) {
        return QStringView(body).mid(i).startsWith(word);
    };
    for (qsizetype i = 0; i < body.size();) {
        const QChar c = body[i];
        if (at(i, QLatin1String("zrvStart"))) {
            r.AddTime(def);
            i += 8;
        } else if (at(i, QLatin1String("zrvEnd"))) {
            r.AddTime(def);
            i += 6;
        } else if (at(i, QLatin1String("zrvCaption"))) {
            tShapeToken t;
            t.kind = tShapeToken::Anything;
            r.Add(t, QString(QChar(1)));
            i += 10;
        } else if (!def.SubCountFormat.isEmpty() && at(i, QLatin1String("zrvSubCount"))) {
            r.AddDigits(1, -1);
            i += 11;
        } else if (at(i, QLatin1String("\r\n"))) {
            r.AddLineEnd();
            i += 2;
        } else if (c >= u'0' && c <= u'9') {
            qsizetype j = i;
            while (j < body.size() && body[j] >= u'0' && body[j] <= u'9')
                ++j;
            r.AddDigits(int(j - i), int(j - i));
            i = j;
        } else {
            r.AddText(c.toUpper());
            ++i;
        }
    }
    r.AddLineEnd();
    return r.out;
}

// Where a format's sample stands in its body template, the format's time line is recognised:
// the template's line from its beginning up to the end of the sample, in the shape the template
// gives it (each field as wide as the time code allows it, text as written; where the template
// line ends with the sample, the file's line ends there too or goes on after a blank). Empty
// when the sample stands nowhere in the body: the format is known by a mark of its own
// (a header line, a namespace) rather than by its time lines.
tLineShape TimeLineShape(const tFormatDef& def) {
    const tRenderedBody body = RenderBody(def);
    const QString& t = body.text;
    const qsizetype found = def.Sample.isEmpty() ? -1 : t.indexOf(def.Sample, 0, Qt::CaseInsensitive);
    if (found < 0) return {};
    qsizetype a = found;
    const qsizetype b = found + def.Sample.size();
    // A sample that begins with a line break begins its line.
    while (a < b && QStringView(t).mid(a, 2) == QLatin1String("\r\n"))
        a += 2;
    if (a >= b || a >= t.size()) return {};
    const qsizetype lineStart = t.lastIndexOf(QLatin1String("\r\n"), a - 2) + 2;
    const qsizetype first = body.owner[size_t(lineStart)];
    const qsizetype last = body.owner[size_t(b - 1)];
    tLineShape shape(body.tokens.begin() + first, body.tokens.begin() + last + 1);
    const bool lastWhole = b == body.from[size_t(last)] + body.tokens[size_t(last)].text.size();
    for (qsizetype k = first; k <= last; ++k)
        shape[size_t(k - first)].beforeCaption = (k < last || lastWhole) &&
                                                 size_t(k) + 1 < body.tokens.size() &&
                                                 body.tokens[size_t(k) + 1].kind == tShapeToken::Anything;
    // The sample may end inside a piece of text: only what it covers is asked for.
    tShapeToken& end = shape.back();
    if (end.kind == tShapeToken::Text) end.text.truncate(b - body.from[size_t(last)]);
    // Lines are compared trimmed.
    tShapeToken& begin = shape.front();
    if (begin.kind == tShapeToken::Text) {
        qsizetype k = 0;
        while (k < begin.text.size() && (begin.text[k] == u' ' || begin.text[k] == u'\t'))
            ++k;
        begin.text.remove(0, k);
        if (begin.text.isEmpty()) shape.erase(shape.begin());
    }
    if (shape.empty()) return {};
    // A blank that ends the sample where the template goes on with the caption, or ends the
    // line, is written at the line's end when that caption's first line is empty.
    tShapeToken& tail = shape.back();
    const size_t next = size_t(last) + 1;
    if (tail.kind == tShapeToken::Text && tail.text.endsWith(u' ') && lastWhole &&
        next < body.tokens.size() &&
        (body.tokens[next].kind == tShapeToken::Anything || body.tokens[next].kind == tShapeToken::LineEnd))
        tail.endBlanksTrimmed = true;
    if (shape.back().kind != tShapeToken::LineEnd && QStringView(t).mid(b, 2) == QLatin1String("\r\n")) {
        tShapeToken e;
        e.kind = tShapeToken::EndOrBlank;
        shape.push_back(e);
    }
    return shape;
}

// How a line holds a format's time line.
enum tLineMatch : int {
    kNoMatch = 0,
    kStretched = 1, // with more blanks than the template writes (numbers padded with blanks)
    kExact = 2,     // blanks as the template writes them
};

// Does the sample hold the shape's line at position p (a line's beginning)? A run of blanks in
// the template matches as many blanks in the file, exactly, or more, stretched. Where the caption
// follows the run, the blanks beyond it begin the caption's text: what a caption holds never
// makes one format's line fit worse than another's, only the fields before it do.
tLineMatch MatchAt(const tShapeToken* token, const tShapeToken* end, QStringView s, qsizetype p) {
    tLineMatch match = kExact;
    for (; token != end; ++token) {
        switch (token->kind) {
        case tShapeToken::Text: {
            const QString& text = token->text;
            for (qsizetype k = 0; k < text.size(); ++k) {
                if (text[k] == u' ') {
                    qsizetype blanks = 1;
                    while (k + 1 < text.size() && text[k + 1] == u' ')
                        ++k, ++blanks;
                    const bool lineEnds = p >= s.size() || s[p] == u'\r';
                    if (lineEnds && token->endBlanksTrimmed && k + 1 == text.size()) break;
                    qsizetype found = 0;
                    while (p < s.size() && s[p] == u' ')
                        ++p, ++found;
                    if (found < blanks) return kNoMatch;
                    if (found > blanks && !(token->beforeCaption && k + 1 == text.size())) match = kStretched;
                    continue;
                }
                if (p >= s.size() || s[p].toUpper() != text[k]) return kNoMatch;
                ++p;
            }
            break;
        }
        case tShapeToken::Digits: {
            qsizetype q = p;
            while (q < s.size() && s[q] == u'0')
                ++q;
            const qsizetype n = q - p;
            if (n < token->minDigits || (token->maxDigits >= 0 && n > token->maxDigits)) return kNoMatch;
            p = q;
            break;
        }
        case tShapeToken::LineEnd:
            if (p == s.size()) break;
            if (s.mid(p, 2) != QLatin1String("\r\n")) return kNoMatch;
            p += 2;
            break;
        case tShapeToken::EndOrBlank:
            if (p < s.size() && s[p] != u'\r' && s[p] != u' ' && s[p] != u'\t') return kNoMatch;
            break;
        case tShapeToken::Anything:
            for (qsizetype q = p;; ++q) {
                if (const tLineMatch rest = MatchAt(token + 1, end, s, q)) return std::min(match, rest);
                if (q >= s.size() || s[q] == u'\r') return kNoMatch;
            }
        }
    }
    return match;
}

// True when every line of the sample that holds anything begins with the time line: a file
// without header or footer whose captions stand each on the line of its times.
bool OnlyTimeLines(const tLineShape& shape, QStringView s, const std::vector<qsizetype>& lineStarts) {
    if (shape.empty()) return false;
    return std::all_of(lineStarts.begin(), lineStarts.end(), [&](qsizetype p) {
        return p == s.size() || s[p] == u'\r' ||
               MatchAt(shape.data(), shape.data() + shape.size(), s, p) != kNoMatch;
    });
}

// A format as detection weighs it: its definition (with one of its samples, and one of its
// second time patterns applied where that is what the entry stands for) and its time line or,
// for a sample that is no time line, its mark.
struct tCandidate {
    int index;
    QString pattern; // the second time pattern; empty: the format's own
    tFormatDef def;
    tLineShape shape; // empty: known by its mark
    QString mark;     // the sample without its blanks, when it is a mark
};

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// A mark as detection looks for it: without its blanks, as files put blanks and tabs in it as
// their writers please ("[V4+  Styles]", "[ Script Info ]"). A mark of blanks alone (a format
// the catalogue gives no sample) stays as it is.
QString MarkOf(const QString& sample) {
    QString mark;
    for (const QChar c : sample)
        if (!IsBlank(c)) mark += c.toUpper();
    return mark.isEmpty() ? sample : mark;
}

// Where a mark stands in a file sample (upper case, like the mark), blanks and tabs in the file
// between its characters passed over; -1 when it stands nowhere.
qsizetype FindMark(QStringView s, QStringView mark) {
    if (mark.isEmpty()) return -1;
    if (IsBlank(mark.front())) return s.indexOf(mark);
    const QChar first = mark.front();
    for (qsizetype at = s.indexOf(first); at >= 0; at = s.indexOf(first, at + 1)) {
        qsizetype p = at + 1, k = 1;
        for (; k < mark.size(); ++k, ++p) {
            while (p < s.size() && IsBlank(s[p]))
                ++p;
            if (p >= s.size() || s[p] != mark[k]) break;
        }
        if (k == mark.size()) return at;
    }
    return -1;
}

// The line a mark at `at` counts on: its own, or the line where the markup tag that holds it
// begins. A root element written over several lines, one attribute a line, is one place: its
// namespaces count together, and the first format in list order among them wins.
qsizetype MarkLine(QStringView s, qsizetype at) {
    qsizetype from = at;
    const qsizetype open = s.left(at + 1).lastIndexOf(u'<');
    if (open >= 0 && open + 1 < s.size() && (s[open + 1].isLetter() || s[open + 1] == u'_') &&
        s.sliced(open, at - open).indexOf(u'>') < 0)
        from = open;
    return s.left(from + 1).lastIndexOf(QLatin1String("\r\n"));
}

// The definition with a second time pattern: the sample's time fields become the pattern's.
tFormatDef WithPattern(const tFormatDef& loaded, const QString& pattern) {
    tFormatDef def = loaded;
    const QString mask = PatternMask(pattern);
    def.Timecode = pattern;
    def.Sample = ReplaceText(loaded.Sample, loaded.TimeMask, mask);
    def.TimeMask = mask;
    return def;
}

std::vector<tCandidate> LoadCandidates() {
    std::vector<tCandidate> out;
    for (int i = 1; i <= gFormatMax; ++i) {
        const QString& id = gFormatIds[i];
        if (!LoadFormatDefinition(id, false, false) || !IsReadableDefinition(gFormatDef)) continue;
        const tFormatDef loaded = gFormatDef;
        // A format may be known by several samples, separated by "|": a mark of its header and
        // its time line, say.
        for (const QString& sample : loaded.Sample.split(u'|', Qt::SkipEmptyParts)) {
            tFormatDef def = loaded;
            def.Sample = sample;
            tLineShape shape = TimeLineShape(def);
            if (shape.empty()) {
                const QString mark = MarkOf(sample);
                if (!mark.isEmpty()) out.push_back({i, QString(), def, {}, mark});
                continue;
            }
            out.push_back({i, QString(), def, std::move(shape), QString()});
            // Second time patterns (SubRip with decimal points, with one-digit hours), separated by "|".
            const QString rss = ReadFormatIni(id, QStringLiteral("timecoderss"));
            for (const QString& pattern : rss.split(u'|', Qt::SkipEmptyParts)) {
                tFormatDef second = WithPattern(def, pattern);
                tLineShape secondShape = TimeLineShape(second);
                if (!secondShape.empty())
                    out.push_back({i, pattern, std::move(second), std::move(secondShape), QString()});
            }
        }
    }
    return out;
}

// The candidates are worked out once for a catalogue: loading every definition asks the
// catalogue files for some four hundred keys. The catalogue is the same while its two files
// and the list are.
struct tCatalogueKey {
    QString ini, dat;
    qint64 iniSize = -1, datSize = -1;
    QDateTime iniTime, datTime;
    QStringList ids;
    bool operator==(const tCatalogueKey&) const = default;
};

tCatalogueKey CatalogueKey() {
    const QFileInfo ini(gFormatFile), dat(gFormatDatFile);
    return {gFormatFile,        gFormatDatFile,     ini.size(), dat.size(),
            ini.lastModified(), dat.lastModified(), gFormatIds};
}

struct tCandidateCache {
    tCatalogueKey key;
    std::vector<tCandidate> candidates;
    bool filled = false;
};
tCandidateCache gCandidateCache;

const std::vector<tCandidate>& Candidates() {
    tCatalogueKey key = CatalogueKey();
    if (!gCandidateCache.filled || !(gCandidateCache.key == key)) {
        gCandidateCache.candidates = LoadCandidates();
        gCandidateCache.key = std::move(key);
        gCandidateCache.filled = true;
    }
    return gCandidateCache.candidates;
}

void ResetDetectState() {
    gTimedSample = false;
    gCandidateCache = {};
}
SCRIVELLE_REGISTER_RESET(ResetDetectState);

// Reloads the definition as one of the look-alike formats. The move happens only when that
// format is in the list and its definition is good; otherwise the first match stays, with its
// own definition.
void MoveTo(tDetection& found, const QString& id) {
    const int index = int(gFormatIds.indexOf(id));
    if (index < 1 || index > gFormatMax) return;
    const tFormatDef before = gFormatDef;
    if (LoadFormatDefinition(id, false, false) && IsReadableDefinition(gFormatDef)) {
        found.index = index;
    } else {
        gFormatDef = before;
    }
}

} // namespace

tTextEncoding DetectTextEncoding(QByteArrayView bytes, bool utf16Retry) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    if (b(0) == 0xFF && b(1) == 0xFE) return tTextEncoding::Utf16LE;
    if (b(0) == 0xFE && b(1) == 0xFF) return tTextEncoding::Utf16BE;
    if (b(0) == 0xEF && b(1) == 0xBB) return tTextEncoding::Utf8;
    if (utf16Retry) return tTextEncoding::Utf16LE;
    return IsMultiByteUtf8(bytes) ? tTextEncoding::Utf8 : tTextEncoding::Ansi;
}

bool LooksLikeUtf16LE(QByteArrayView bytes) {
    // Text in UTF-16LE has a zero high byte for every character below U+0100 (its line ends and
    // blanks at least); a zero low byte only for the rare U+xx00. A stray NUL in a text of
    // single bytes is no sign of it.
    qsizetype high = 0, low = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const bool zeroLow = bytes[i] == 0, zeroHigh = bytes[i + 1] == 0;
        if (zeroLow && zeroHigh) return false;
        low += zeroLow;
        high += zeroHigh;
    }
    return high >= 2 && high > 4 * low;
}

QByteArrayView WithoutBrokenUtf8Mark(QByteArrayView bytes) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    return b(0) == 0xEF && b(1) == 0xBB && (b(2) & 0xC0) != 0x80 ? bytes.sliced(2) : bytes;
}

QString DecodeFileText(QByteArrayView bytes, tTextEncoding encoding, int32_t codePage) {
    const auto b = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
    QString text;
    switch (encoding) {
    case tTextEncoding::Utf16LE:
        text = DecodeUtf16(b(0) == 0xFF && b(1) == 0xFE ? bytes.sliced(2) : bytes, false);
        break;
    case tTextEncoding::Utf16BE:
        text = DecodeUtf16(b(0) == 0xFE && b(1) == 0xFF ? bytes.sliced(2) : bytes, true);
        break;
    case tTextEncoding::Utf8:
        text = QString::fromUtf8(WithoutBrokenUtf8Mark(bytes));
        break;
    case tTextEncoding::Ansi:
        // Most code pages keep ASCII as it is; the fast path matters for large files.
        text = KeepsAscii(codePage) && IsAsciiBytes(bytes) ? QString::fromLatin1(bytes)
                                                           : DecodeCodePage(bytes, codePage);
        break;
    }
    // A byte-order mark is not text, at the start or where files were joined into one.
    text.remove(QChar(0xFEFF));
    return text;
}

QStringView TrimLine(QStringView line) {
    qsizetype a = 0, e = line.size();
    while (a < e && (line[a] == u' ' || line[a] == u'\t'))
        ++a;
    while (e > a && (line[e - 1] == u' ' || line[e - 1] == u'\t'))
        --e;
    return line.mid(a, e - a);
}

// A section of encoded fonts or pictures that SubStation Alpha files embed: it can run to
// thousands of lines before the captions and tells nothing about the format.
bool IsEmbeddedDataSection(QStringView line) {
    return line.compare(QLatin1String("[Fonts]"), Qt::CaseInsensitive) == 0 ||
           line.compare(QLatin1String("[Graphics]"), Qt::CaseInsensitive) == 0;
}

QString FileSample(QStringView text) {
    return FileSample(tFileText(text));
}

QString FileSample(const tFileText& text) {
    QString sample;
    int lines = 0;
    bool inData = false;
    bool lineStart = true;
    // A line counts with its beginning only: a document written as one line of megabytes shows
    // what it is there, and is never copied whole.
    text.ForEachPiece(kSampleLineChars, [&](QStringView raw, bool lineEnds) {
        const bool first = std::exchange(lineStart, lineEnds);
        if (!first) return true;
        // A byte-order mark left at a line's beginning (files joined into one) is not text: a
        // time line behind it still begins its line.
        while (!raw.isEmpty() && raw.front() == QChar(0xFEFF))
            raw = raw.mid(1);
        const QStringView line = TrimLine(raw);
        if (inData) {
            if (!line.startsWith(u'[') || !line.endsWith(u']')) return true;
            inData = false;
        }
        if (IsEmbeddedDataSection(line)) {
            inData = true;
            return true;
        }
        sample += QLatin1String("\r\n");
        sample += line;
        return ++lines < kSampleLines;
    });
    for (QChar& c : sample)
        if (c >= u'1' && c <= u'9') c = u'0';
    return sample.toUpper();
}

tDetection DetectFormat(QStringView text) {
    return DetectFormat(tFileText(text));
}

tDetection DetectFormat(const tFileText& text) {
    tDetection found;
    const QString sample = FileSample(text);
    const std::vector<tCandidate>& candidates = Candidates();

    std::vector<qsizetype> lineStarts;
    for (qsizetype p = sample.indexOf(QLatin1String("\r\n")); p >= 0;
         p = sample.indexOf(QLatin1String("\r\n"), p + 2))
        lineStarts.push_back(p + 2);

    // The file's first time line: the first line that holds some format's time line where
    // that format's template puts it. Every caption's text comes after its own time line, so a
    // text that looks like another format's time line never comes first. On one line, the
    // first format in list order whose template writes its blanks as the line has them wins,
    // else the first in list order.
    const tCandidate* byLine = nullptr;
    size_t firstLine = lineStarts.size();
    tLineMatch firstMatch = kNoMatch;
    for (const tCandidate& c : candidates) {
        if (c.shape.empty()) continue;
        const tShapeToken* begin = c.shape.data();
        const tShapeToken* end = begin + c.shape.size();
        for (size_t k = 0; k < std::min(firstLine + 1, lineStarts.size()); ++k) {
            const tLineMatch match = MatchAt(begin, end, sample, lineStarts[k]);
            if (match == kNoMatch) continue;
            if (k < firstLine || match > firstMatch) {
                firstLine = k;
                firstMatch = match;
                byLine = &c;
            }
            break;
        }
    }
    // Marks count before the first time line only: what follows may be caption text.
    const QStringView header =
        QStringView(sample).left(firstLine < lineStarts.size() ? lineStarts[firstLine] : sample.size());

    // A format known by a mark of its own ("WEBVTT", a namespace, a section) is known by the
    // file's first mark (on one line, the first format in list order): it stands in the
    // file's header, before any caption. Then a format known by its time line.
    const tCandidate* chosen = nullptr;
    qsizetype markLine = header.size();
    for (const tCandidate& c : candidates) {
        if (!c.shape.empty()) continue;
        const qsizetype at = FindMark(header, c.mark);
        if (at < 0) continue;
        const qsizetype line = MarkLine(header, at);
        if (line < markLine) {
            markLine = line;
            chosen = &c;
        }
    }
    if (!chosen) chosen = byLine;
    if (!chosen) {
        gTimedSample = found.timedSample = false;
        return found;
    }
    found.index = chosen->index;
    // The definition as loaded now (a generated header follows the settings).
    if (LoadFormatDefinition(gFormatIds[found.index], false, false) && !chosen->pattern.isEmpty())
        gFormatDef = WithPattern(gFormatDef, chosen->pattern);
    // The reader's time fields have the pattern's length where the file holds the pattern.
    gTimedSample = found.timedSample =
        gFormatDef.TimeMask != QLatin1String("0") && sample.contains(gFormatDef.TimeMask);

    // Look-alikes: the same time lines with a header of their own, looked for before the first
    // time line like every other mark.
    const QString first = gFormatIds[found.index];
    if (first == QLatin1String("ADOBEENCORE") &&
        header.contains(QLatin1String("#INPOINT OUTPOINT PATH"), Qt::CaseInsensitive))
        MoveTo(found, QStringLiteral("PINNACLEIMP"));
    // DVD Subtitle System shares Adobe Encore's time lines and has no header, but writes each
    // caption on one line, its lines joined by "//". A file laid out so, with a "//" in it, is
    // one; where a caption runs over several lines of the file it is Adobe Encore's, and a "//"
    // in it (a web address) is text.
    else if (first == QLatin1String("ADOBEENCORE") && sample.contains(QLatin1String("//")) &&
             OnlyTimeLines(chosen->shape, sample, lineStarts))
        MoveTo(found, QStringLiteral("DVDSUBSYSTEM"));
    if (gFormatIds[found.index] == QLatin1String("MACDVDPRO") &&
        header.contains(QLatin1String("SP_NUMBER"), Qt::CaseInsensitive))
        MoveTo(found, QStringLiteral("SPRUCEDVDMAESTRO"));
    // SubStation Alpha and its advanced form share their first section: a file known by it is
    // the advanced form when its header holds that one's mark too (its styles section).
    if (first == QLatin1String("SUBSTATIONALPHA")) {
        const int advanced = int(gFormatIds.indexOf(QStringLiteral("ADVANCEDSSA")));
        const bool marked = std::any_of(candidates.begin(), candidates.end(), [&](const tCandidate& c) {
            return c.index == advanced && c.shape.empty() && FindMark(header, c.mark) >= 0;
        });
        if (marked) MoveTo(found, QStringLiteral("ADVANCEDSSA"));
    }
    return found;
}
