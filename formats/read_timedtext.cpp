// The timed-text family (TTML, DFXP, SMPTE-TT, EBU-TT-D): an XML document whose "<p>" elements
// are the captions. Tools write them in many shapes (attributes in any order, an element over
// several lines or the whole document on one, namespace prefixes, clock times or offsets,
// frames at the document's frame rate, spans and line breaks inside), so the document is read
// whole at the end of the file by a small tolerant scanner rather than line by line.
#include "formats/readerpaths.h"

#include "formats/textops.h"

#include <cmath>

namespace {

// A caption without an end shows until the next one begins, or this long at the end.
constexpr int64_t kDefaultDuration = 3000;

struct Timing {
    double frameRate = 30;
    double subFrameRate = 1;
    double tickRate = 1;
};

struct Tag {
    QStringView name; // local name, without the namespace prefix
    bool closing = false;
    bool selfClosing = false;
    QStringView attributes;
};

QStringView LocalName(QStringView name) {
    const qsizetype colon = name.lastIndexOf(u':');
    return colon >= 0 ? name.mid(colon + 1) : name;
}

// The value of the attribute whose local name is name (any prefix), or a null view.
QStringView Attribute(QStringView attributes, QStringView name) {
    qsizetype i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && attributes[i].isSpace())
            ++i;
        const qsizetype nameStart = i;
        while (i < attributes.size() && attributes[i] != u'=' && !attributes[i].isSpace())
            ++i;
        const QStringView attr = attributes.mid(nameStart, i - nameStart);
        while (i < attributes.size() && attributes[i].isSpace())
            ++i;
        if (i >= attributes.size() || attributes[i] != u'=') {
            if (i == nameStart) ++i;
            continue;
        }
        ++i;
        while (i < attributes.size() && attributes[i].isSpace())
            ++i;
        if (i >= attributes.size()) break;
        const QChar quote = attributes[i];
        qsizetype valueStart = i, valueEnd;
        if (quote == u'"' || quote == u'\'') {
            valueStart = i + 1;
            valueEnd = attributes.indexOf(quote, valueStart);
            if (valueEnd < 0) valueEnd = attributes.size();
            i = valueEnd + 1;
        } else {
            while (i < attributes.size() && !attributes[i].isSpace())
                ++i;
            valueEnd = i;
        }
        if (LocalName(attr) == name) {
            const QStringView value = attributes.mid(valueStart, valueEnd - valueStart);
            // A present but empty value is not "absent".
            return value.isNull() ? QStringView(u"") : value;
        }
    }
    return QStringView();
}

// A time expression in ms, or -1: a clock time "hh:mm:ss", "hh:mm:ss.fraction",
// "hh:mm:ss:frames(.subframes)", or an offset "5.5s", "1200ms", "2m", "1h", "50f", "900t".
int64_t TimeExpression(QStringView text, const Timing& timing) {
    text = text.trimmed();
    if (text.isEmpty()) return -1;
    double fields[4] = {0, 0, 0, 0};
    int count = 0;
    qsizetype i = 0;
    auto number = [&](double& out) {
        const qsizetype from = i;
        while (i < text.size() && (text[i].isDigit() || text[i] == u'.'))
            ++i;
        if (i == from || i - from > 20) return false;
        bool ok = false;
        out = text.mid(from, i - from).toDouble(&ok);
        return ok && std::isfinite(out);
    };
    if (!number(fields[0])) return -1;
    count = 1;
    if (i < text.size() && text[i] == u':') {
        while (i < text.size() && text[i] == u':' && count < 4) {
            ++i;
            if (!number(fields[count++])) return -1;
        }
        if (i != text.size() || count < 3) return -1;
        double seconds = fields[0] * 3600 + fields[1] * 60 + fields[2];
        if (count == 4) seconds += fields[3] / (timing.frameRate * 1.0);
        return int64_t(std::llround(std::min(seconds, 1e9) * 1000));
    }
    const QStringView metric = text.mid(i);
    double seconds;
    if (metric == QLatin1String("h"))
        seconds = fields[0] * 3600;
    else if (metric == QLatin1String("m"))
        seconds = fields[0] * 60;
    else if (metric == QLatin1String("s"))
        seconds = fields[0];
    else if (metric == QLatin1String("ms"))
        seconds = fields[0] / 1000;
    else if (metric == QLatin1String("f"))
        seconds = fields[0] / timing.frameRate;
    else if (metric == QLatin1String("t"))
        seconds = fields[0] / timing.tickRate;
    else
        return -1;
    return int64_t(std::llround(std::min(seconds, 1e9) * 1000));
}

Timing TimingOf(QStringView attributes) {
    Timing t;
    bool ok = false;
    const double rate = Attribute(attributes, u"frameRate").toDouble(&ok);
    const bool hasRate = ok && rate > 0 && rate < 1000;
    if (hasRate) t.frameRate = rate;
    const QStringView multiplier = Attribute(attributes, u"frameRateMultiplier");
    if (!multiplier.isNull()) {
        const QList<QStringView> parts = multiplier.trimmed().split(u' ', Qt::SkipEmptyParts);
        if (parts.size() == 2) {
            const double a = parts[0].toDouble(), b = parts[1].toDouble();
            if (a > 0 && b > 0) t.frameRate = t.frameRate * a / b;
        }
    }
    const double sub = Attribute(attributes, u"subFrameRate").toDouble(&ok);
    if (ok && sub > 0) t.subFrameRate = sub;
    const double tick = Attribute(attributes, u"tickRate").toDouble(&ok);
    if (ok && tick > 0)
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

void NoteStyles(Caption& c, QStringView attributes) {
    if (Attribute(attributes, u"fontStyle").startsWith(QLatin1String("italic"))) c.italic = true;
    if (Attribute(attributes, u"fontWeight") == QLatin1String("bold")) c.bold = true;
    if (Attribute(attributes, u"textDecoration").contains(QLatin1String("underline"))) c.underline = true;
}

} // namespace

void ReadTimedTextLine(tCaptionReader& r, QStringView line) {
    r.document += line;
    r.document += u'\n';
}

void FinishTimedText(tCaptionReader& r) {
    const QString doc = std::move(r.document);
    r.document.clear();
    Timing timing;
    std::vector<Caption> found;
    // Offsets of the enclosing body and div elements that carry a begin of their own.
    std::vector<std::pair<QString, int64_t>> offsets;
    int64_t offset = 0;
    Caption current;
    bool inP = false;
    bool pendingSpace = false;
    auto appendText = [&](QStringView text) {
        for (const QChar c : text) {
            if (c.isSpace()) {
                pendingSpace = !current.text.isEmpty() && !current.text.endsWith(r.LineBreak());
                continue;
            }
            if (pendingSpace) current.text += u' ';
            pendingSpace = false;
            current.text += c;
        }
    };
    const qsizetype n = doc.size();
    for (qsizetype i = 0; i < n;) {
        if (doc[i] != u'<') {
            qsizetype next = doc.indexOf(u'<', i);
            if (next < 0) next = n;
            if (inP) appendText(QStringView(doc).mid(i, next - i));
            i = next;
            continue;
        }
        const QStringView rest = QStringView(doc).mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const qsizetype close = doc.indexOf(QLatin1String("-->"), i + 4);
            i = close < 0 ? n : close + 3;
            continue;
        }
        if (rest.startsWith(QLatin1String("<![CDATA["))) {
            const qsizetype close = doc.indexOf(QLatin1String("]]>"), i + 9);
            const qsizetype end = close < 0 ? n : close;
            if (inP) {
                // CDATA is text as it stands: its markup characters are escaped for the one
                // unescaping that every caption of the format goes through.
                QString raw = doc.mid(i + 9, end - i - 9);
                raw.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;"));
                appendText(raw);
            }
            i = close < 0 ? n : close + 3;
            continue;
        }
        // A tag runs to the first ">" outside quotes.
        qsizetype k = i + 1;
        QChar quote;
        for (; k < n; ++k) {
            const QChar c = doc[k];
            if (!quote.isNull()) {
                if (c == quote) quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        if (k >= n) break;
        QStringView inner = QStringView(doc).mid(i + 1, k - i - 1);
        i = k + 1;
        if (inner.startsWith(u'?') || inner.startsWith(u'!')) continue;
        Tag tag;
        if (inner.startsWith(u'/')) {
            tag.closing = true;
            inner = inner.mid(1);
        }
        if (inner.endsWith(u'/')) {
            tag.selfClosing = true;
            inner.chop(1);
        }
        qsizetype nameEnd = 0;
        while (nameEnd < inner.size() && !inner[nameEnd].isSpace())
            ++nameEnd;
        tag.name = LocalName(inner.left(nameEnd));
        tag.attributes = inner.mid(nameEnd);

        if (tag.name == QLatin1String("tt") && !tag.closing) {
            timing = TimingOf(tag.attributes);
        } else if (tag.name == QLatin1String("body") || tag.name == QLatin1String("div")) {
            if (tag.closing) {
                if (!offsets.empty() && offsets.back().first == tag.name) {
                    offset = offsets.back().second;
                    offsets.pop_back();
                }
            } else if (!tag.selfClosing) {
                const int64_t begin = TimeExpression(Attribute(tag.attributes, u"begin"), timing);
                if (begin >= 0) {
                    offsets.emplace_back(tag.name.toString(), offset);
                    offset += begin;
                }
            }
        } else if (tag.name == QLatin1String("p")) {
            if (!tag.closing) {
                current = Caption();
                const int64_t begin = TimeExpression(Attribute(tag.attributes, u"begin"), timing);
                const int64_t end = TimeExpression(Attribute(tag.attributes, u"end"), timing);
                const int64_t dur = TimeExpression(Attribute(tag.attributes, u"dur"), timing);
                if (begin >= 0) {
                    current.begin = offset + begin;
                    if (end >= 0)
                        current.end = offset + end;
                    else if (dur >= 0)
                        current.end = current.begin + dur;
                }
                NoteStyles(current, tag.attributes);
                inP = !tag.selfClosing;
                pendingSpace = false;
            } else if (inP) {
                inP = false;
                if (IsBlank(current.text)) continue;
                // Timed spans inside an untimed paragraph (karaoke layouts) are not read.
                if (current.begin < 0)
                    ++r.skipped;
                else
                    found.push_back(std::move(current));
            }
        } else if (inP && tag.name == QLatin1String("br")) {
            current.text += r.LineBreak();
            pendingSpace = false;
        } else if (inP && tag.name == QLatin1String("span") && !tag.closing) {
            NoteStyles(current, tag.attributes);
        }
    }
    if (inP && !IsBlank(current.text)) ++r.skipped; // an unclosed paragraph at the end of the file

    for (size_t c = 0; c < found.size() && !r.limitReached; ++c) {
        Caption& cap = found[c];
        if (cap.end < 0)
            cap.end = c + 1 < found.size() && found[c + 1].begin > cap.begin ? found[c + 1].begin
                                                                             : cap.begin + kDefaultDuration;
        QString text = cap.text;
        while (text.endsWith(r.LineBreak()) && !r.LineBreak().isEmpty())
            text.chop(r.LineBreak().size());
        if (cap.underline) text.prepend(QLatin1String("<u>"));
        if (cap.italic) text.prepend(QLatin1String("<i>"));
        if (cap.bold) text.prepend(QLatin1String("<b>"));
        r.start = r.LimitTime(cap.begin);
        r.end = r.LimitTime(std::max(cap.end, cap.begin));
        r.text = text;
        r.FlushCaption();
    }
    r.ClearPending();
}
