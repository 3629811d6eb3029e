// What the markup formats hold that the caption list cannot keep: the styles, regions and
// metadata of timed text (told tag by tag as its reader meets them), the style classes and
// inline markup of SAMI (found by a pass of its own over the file's tags, next to the reading).
// Both are compared with what this program writes in the format (its header and caption
// template), so that a file it wrote leaves nothing out.
#include "formats/readerpaths.h"

#include <QSet>

#include <algorithm>

namespace {

constexpr Qt::CaseSensitivity kCi = Qt::CaseInsensitive;
// A tag spread over more lines than this is no tag this pass needs to understand.
constexpr qsizetype kMaxTag = 64 * 1024;

// Where c stands in text from `from` on, or -1 (tags are short: a plain look is quickest).
qsizetype Find(QStringView text, char16_t c, qsizetype from) {
    const char16_t* p = text.utf16();
    for (qsizetype i = from, n = text.size(); i < n; ++i)
        if (p[i] == c) return i;
    return -1;
}

// Calls f(tag) with the text between "<" and ">" of every tag of the text (a tag spread over
// lines gets its lines joined by a blank); comments and CDATA sections are passed over. Stops
// when f returns false.
template <typename F> void ForEachTag(const tFileText& text, F&& f) {
    QString pending;
    bool inTag = false, inComment = false, inCdata = false, go = true;
    text.ForEachLine([&](QStringView line) {
        qsizetype i = 0;
        while (go && i < line.size()) {
            if (inComment || inCdata) {
                const qsizetype end = line.indexOf(inComment ? u"-->" : u"]]>", i);
                if (end < 0) return true;
                inComment = inCdata = false;
                i = end + 3;
                continue;
            }
            if (inTag) {
                const qsizetype close = line.indexOf(u'>', i);
                if (pending.size() < kMaxTag) pending += line.mid(i, close < 0 ? line.size() - i : close - i);
                if (close < 0) {
                    pending += u' ';
                    return true;
                }
                inTag = false;
                go = f(QStringView(pending));
                i = close + 1;
                continue;
            }
            const qsizetype open = line.indexOf(u'<', i);
            if (open < 0) return true;
            const QStringView rest = line.mid(open);
            if (rest.startsWith(u"<!--")) {
                inComment = true;
                i = open + 4;
                continue;
            }
            if (rest.startsWith(u"<![CDATA[")) {
                inCdata = true;
                i = open + 9;
                continue;
            }
            const qsizetype close = line.indexOf(u'>', open + 1);
            if (close < 0) {
                pending = line.mid(open + 1).toString() + u' ';
                inTag = true;
                return true;
            }
            go = f(line.mid(open + 1, close - open - 1));
            i = close + 1;
        }
        return go;
    });
}

// The same over a text of the program's own.
template <typename F> void ForEachTag(const QString& text, F&& f) {
    ForEachTag(tFileText(QStringView(text)), f);
}

struct Tag {
    QStringView name; // without a namespace prefix, as written
    QStringView attributes;
    bool closing = false;
    bool special = false; // a declaration or processing instruction ("<!DOCTYPE", "<?xml")
};

Tag ParseTag(QStringView t) {
    Tag tag;
    t = t.trimmed();
    if (t.startsWith(u'!') || t.startsWith(u'?')) {
        tag.special = true;
        return tag;
    }
    if (t.startsWith(u'/')) {
        tag.closing = true;
        t = t.mid(1).trimmed();
    }
    if (t.endsWith(u'/')) t.chop(1);
    qsizetype end = 0;
    while (end < t.size() && !t[end].isSpace())
        ++end;
    QStringView name = t.left(end);
    const qsizetype colon = name.lastIndexOf(u':');
    if (colon >= 0) name = name.mid(colon + 1);
    tag.name = name;
    tag.attributes = t.mid(end).trimmed();
    return tag;
}

struct Attribute {
    QStringView name, value;
};

// Calls f(name, value) for each attribute name="value" (or 'value', or a bare value) of a tag,
// without gathering them.
template <typename F> void ForEachAttribute(QStringView a, F&& f) {
    const qsizetype n = a.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && a[i].isSpace())
            ++i;
        const qsizetype nameStart = i;
        while (i < n && a[i] != u'=' && !a[i].isSpace())
            ++i;
        const QStringView name = a.sliced(nameStart, i - nameStart);
        while (i < n && a[i].isSpace())
            ++i;
        QStringView value;
        if (i < n && a[i] == u'=') {
            ++i;
            while (i < n && a[i].isSpace())
                ++i;
            if (i < n && (a[i] == u'"' || a[i] == u'\'')) {
                const qsizetype end = a.indexOf(a[i], i + 1);
                value = a.sliced(i + 1, (end < 0 ? n : end) - i - 1);
                i = end < 0 ? n : end + 1;
            } else {
                const qsizetype start = i;
                while (i < n && !a[i].isSpace())
                    ++i;
                value = a.sliced(start, i - start);
            }
        }
        if (!name.isEmpty()) f(name, value);
        if (i == nameStart) ++i;
    }
}

// The attributes of a tag, gathered.
std::vector<Attribute> Attributes(QStringView a) {
    std::vector<Attribute> out;
    ForEachAttribute(a, [&](QStringView name, QStringView value) { out.push_back({name, value}); });
    return out;
}

// name is what (ASCII, lower case), in any case.
bool IsNamed(QStringView name, const char* what) {
    qsizetype k = 0;
    for (; what[k] != 0; ++k) {
        if (k >= name.size()) return false;
        char16_t c = name[k].unicode();
        if (c >= u'A' && c <= u'Z') c = char16_t(c + (u'a' - u'A'));
        if (c != char16_t(uchar(what[k]))) return false;
    }
    return k == name.size();
}

// Whether any attribute of a tag could style, place or name what it stands on: most tags
// (a paragraph's times) have none, and are passed over without a look at each attribute.
// (Names in XML have one case.)
bool MayStyle(QStringView attributes) {
    const qsizetype n = attributes.size();
    const auto is = [&](qsizetype i, QStringView word) { return attributes.mid(i, word.size()) == word; };
    for (qsizetype i = 0; i + 4 <= n; ++i) {
        switch (attributes[i].unicode()) {
        case u's':
            if (is(i, u"style")) return true;
            break;
        case u'r':
            if (is(i, u"region") || is(i, u"role")) return true;
            break;
        case u't':
            if (is(i, u"tts:")) return true;
            break;
        case u'a':
            if (is(i, u"agent")) return true;
            break;
        default:
            break;
        }
    }
    return false;
}

// --- Timed text (TTML, DFXP, SMPTE-TT, EBU-TT-D) ---

// What an attribute of timed text does to the look or place of what it stands on.
enum class TtAttribute { Other, Style, Region, Agent };

TtAttribute KindOf(QStringView name) {
    const qsizetype colon = Find(name, u':', 0);
    // Most attributes (times, ids) are none of these, told by their first letter.
    const char16_t first = colon + 1 < name.size() ? char16_t(name[colon + 1].unicode() | 0x20) : 0;
    if (colon < 0 || (name[0].unicode() | 0x20) != u't')
        if (first != u'r' && first != u's' && first != u'a') return TtAttribute::Other;
    const QStringView prefix = colon < 0 ? QStringView() : name.left(colon);
    const QStringView local = colon < 0 ? name : name.mid(colon + 1);
    if (IsNamed(local, "region")) return TtAttribute::Region;
    if (IsNamed(local, "style") || IsNamed(prefix, "tts")) {
        // Styling attributes that place rather than colour.
        for (const char* place : {"origin", "extent", "position", "displayalign", "textalign"})
            if (IsNamed(local, place)) return TtAttribute::Region;
        return TtAttribute::Style;
    }
    if (IsNamed(local, "agent") || IsNamed(local, "role")) return TtAttribute::Agent;
    return TtAttribute::Other;
}

// A tag as it is compared with the program's own: its name and the attributes that style or
// place it (a definition, "style" or "region", with every attribute but its times).
QString TtSignature(const Tag& tag, bool definition) {
    if (!definition && !MayStyle(tag.attributes)) return QString();
    QStringList parts;
    for (const Attribute& a : Attributes(tag.attributes)) {
        const bool timing = IsNamed(a.name, "begin") || IsNamed(a.name, "end") || IsNamed(a.name, "dur");
        if (timing || a.value.contains(QLatin1String("zrv"), kCi)) continue;
        if (definition || KindOf(a.name) != TtAttribute::Other)
            parts << a.name.toString() + u'=' + a.value.toString();
    }
    if (parts.isEmpty() && !definition) return QString();
    parts.sort();
    return tag.name.toString().toLower() + u'|' + parts.join(u' ');
}

enum TtPlace { kOutside, kHead, kBody };

// The signatures of the program's own tags in the format.
QSet<QString> OwnTimedTextTags(const QString& own) {
    QSet<QString> tags;
    TtPlace place = kOutside;
    ForEachTag(own, [&](QStringView t) {
        const Tag tag = ParseTag(t);
        if (tag.special || tag.closing) return true;
        if (IsNamed(tag.name, "head")) place = kHead;
        if (IsNamed(tag.name, "body")) place = kBody;
        const QString signature = TtSignature(tag, place == kHead);
        if (!signature.isEmpty()) tags.insert(signature);
        return true;
    });
    return tags;
}

// What the styling attributes of a body tag leave out (tLeftOut kinds), compared with the
// program's own tags.
uint32_t TtBodyTagLeftOut(const Tag& tag, const QSet<QString>& ours) {
    const QString signature = TtSignature(tag, false);
    if (signature.isEmpty() || ours.contains(signature)) return 0;
    uint32_t leftOut = 0;
    const bool inline_ = IsNamed(tag.name, "span");
    for (const Attribute& a : Attributes(tag.attributes)) {
        switch (KindOf(a.name)) {
        case TtAttribute::Style:
            leftOut |= inline_ ? kLeftInlineStyles : kLeftStyles;
            break;
        case TtAttribute::Region:
            leftOut |= kLeftPositions;
            break;
        case TtAttribute::Agent:
            leftOut |= kLeftNames;
            break;
        case TtAttribute::Other:
            break;
        }
    }
    return leftOut;
}

// The body tags of a document mostly repeat a few styles (every paragraph style="s1"): what a
// tag's name and styling attributes leave out is worked out once and remembered, so that a tag
// like one before costs a look at its attributes and no more.
class TtBodyTags {
public:
    explicit TtBodyTags(const QSet<QString>& ours) : ours_(ours) {}

    uint32_t LeftOut(const Tag& tag) {
        key_.resize(0);
        key_ += tag.name;
        bool styled = false;
        ForEachAttribute(tag.attributes, [&](QStringView name, QStringView value) {
            if (KindOf(name) == TtAttribute::Other) return;
            styled = true;
            key_ += u'\x1f';
            key_ += name;
            key_ += u'=';
            key_ += value;
        });
        // A tag without any (a paragraph's times) styles nothing.
        if (!styled) return 0;
        for (const Seen& s : seen_)
            if (s.key == key_) return s.leftOut;
        const uint32_t leftOut = TtBodyTagLeftOut(tag, ours_);
        constexpr size_t kRemembered = 8;
        if (seen_.size() < kRemembered)
            seen_.push_back({key_, leftOut});
        else
            seen_[next_++ % kRemembered] = {key_, leftOut};
        return leftOut;
    }

private:
    struct Seen {
        QString key;
        uint32_t leftOut;
    };
    const QSet<QString>& ours_;
    QString key_;
    std::vector<Seen> seen_;
    size_t next_ = 0;
};

// --- SAMI ---

// The selectors of a SAMI style sheet ("P", ".SUBTTL", "#Source"), upper case.
QSet<QString> SamiSelectors(QStringView sheet) {
    QSet<QString> selectors;
    for (qsizetype i = 0; i < sheet.size();) {
        const qsizetype open = sheet.indexOf(u'{', i);
        if (open < 0) break;
        for (QStringView s : sheet.mid(i, open - i).split(u','))
            if (!s.trimmed().isEmpty()) selectors.insert(s.trimmed().toString().toUpper());
        const qsizetype close = sheet.indexOf(u'}', open);
        if (close < 0) break;
        i = close + 1;
    }
    selectors.remove(QStringLiteral("<!--"));
    return selectors;
}

// The style sheet of a SAMI text: what stands between its STYLE tags, comment marks removed.
QString SamiStyleSheet(const tFileText& text) {
    QString sheet;
    bool in = false, done = false;
    text.ForEachLine([&](QStringView line) {
        for (qsizetype i = 0; i < line.size() && !done;) {
            if (!in) {
                const qsizetype open = line.indexOf(u"<STYLE", i, kCi);
                if (open < 0) break;
                const qsizetype close = line.indexOf(u'>', open);
                if (close < 0) break;
                in = true;
                i = close + 1;
                continue;
            }
            const qsizetype end = line.indexOf(u"</STYLE", i, kCi);
            sheet += line.mid(i, end < 0 ? line.size() - i : end - i);
            sheet += u' ';
            if (end >= 0) done = true;
            break;
        }
        // The sheet stands in the head: the body is not searched for one.
        return !done && !line.contains(u"<BODY", kCi);
    });
    sheet.replace(QLatin1String("<!--"), QLatin1String(" "));
    sheet.replace(QLatin1String("-->"), QLatin1String(" "));
    return sheet;
}

QString SamiStyleSheet(const QString& text) {
    return SamiStyleSheet(tFileText(QStringView(text)));
}

uint32_t SamiLeftOut(const tFileText& text, const tReadSetup& setup, const QString& own) {
    uint32_t leftOut = 0;
    // The look of the captions is the program's settings' (its own sheet); classes the file's
    // sheet defines besides (languages, speakers) are not kept.
    QSet<QString> ours = SamiSelectors(SamiStyleSheet(own));
    ours.insert(QStringLiteral("P"));
    ours.insert(QStringLiteral(".SUBTTL"));
    const QSet<QString> theirs = SamiSelectors(SamiStyleSheet(text));
    if (!(theirs - ours).isEmpty()) leftOut |= kLeftStyles;
    // The body's tags, told by their names alone (the name stands right after the "<").
    bool inBody = false;
    qsizetype syncs = 0;
    const qsizetype most = 2 * (qsizetype(std::max(0, setup.limit)) + 1);
    text.ForEachLine([&](QStringView line) {
        for (qsizetype open = line.indexOf(u'<'); open >= 0; open = line.indexOf(u'<', open + 1)) {
            qsizetype from = open + 1;
            const bool closing = from < line.size() && line[from] == u'/';
            if (closing) ++from;
            qsizetype to = from;
            while (to < line.size() && line[to].isLetterOrNumber())
                ++to;
            const QStringView name = line.mid(from, to - from);
            // A comment or a "<" of the text.
            if (name.isEmpty()) continue;
            if (IsNamed(name, "body")) {
                inBody = !closing;
                continue;
            }
            if (!inBody) continue;
            if (IsNamed(name, "sync")) {
                if (++syncs > most) return false;
                continue;
            }
            bool kept = false;
            for (const char* k : {"p", "br", "b", "i", "u", "sami"})
                kept = kept || IsNamed(name, k);
            // Font, span and other markup within a caption: its look is not kept.
            if (!kept) leftOut |= kLeftInlineStyles;
        }
        return true;
    });
    return leftOut;
}

} // namespace

struct tTimedTextTags::Data {
    explicit Data(const QString& own) : ours(OwnTimedTextTags(own)), bodyTags(ours) {}
    const QSet<QString> ours;
    TtBodyTags bodyTags;
    TtPlace place = kOutside;
};

tTimedTextTags::tTimedTextTags(const QString& own) : d_(std::make_unique<Data>(own)) {}

tTimedTextTags::~tTimedTextTags() = default;

uint32_t tTimedTextTags::Note(QStringView name, QStringView attributes, bool closing) {
    Data& d = *d_;
    if (closing) {
        if (IsNamed(name, "head")) d.place = kOutside;
        return 0;
    }
    if (IsNamed(name, "head")) {
        d.place = kHead;
        return 0;
    }
    Tag tag;
    tag.name = name;
    tag.attributes = attributes;
    if (d.place == kHead) {
        // Containers hold nothing themselves; what they hold is looked at.
        for (const char* container : {"styling", "layout", "metadata"})
            if (IsNamed(name, container)) return 0;
        if (d.ours.contains(TtSignature(tag, true))) return 0;
        return IsNamed(name, "style")    ? kLeftStyles
               : IsNamed(name, "region") ? kLeftPositions
                                         : kLeftHeader;
    }
    if (IsNamed(name, "body")) d.place = kBody;
    return d.bodyTags.LeftOut(tag);
}

uint32_t MarkupLeftOut(const tFileText& text, const tReadSetup& setup, const QString& formatId) {
    // Timed text is told by its reader, tag by tag as it reads (tTimedTextTags).
    if (setup.plainText || formatId != QLatin1String("SAMI")) return 0;
    // What a file the program wrote holds besides its captions.
    return SamiLeftOut(text, setup, setup.ownHeader + setup.def.Body + setup.def.Footer);
}
