#include "formats/readerpaths.h"

#include "base/numbers.h"
#include "formats/textops.h"

namespace {

constexpr Qt::CaseSensitivity kCi = Qt::CaseInsensitive;

bool IsBodyLine(QStringView line) {
    if (!line.startsWith(QLatin1String("<BODY"), kCi)) return false;
    return line.size() == 5 || line[5] == u'>' || line[5].isSpace();
}

// The time of a SYNC tag: the number after its first "=" (quotes allowed), in ms.
int64_t SyncTime(QStringView line, qsizetype syncAt) {
    qsizetype at = line.indexOf(u'=', syncAt);
    if (at < 0) return 0;
    ++at;
    while (at < line.size() && (line[at] == u'"' || line[at] == u'\'' || line[at] == u' '))
        ++at;
    // A sign is no part of a time.
    if (at < line.size() && (line[at] == u'-' || line[at] == u'+')) return 0;
    return std::max(0, LeadingInt32Saturated(line.mid(at)));
}

// A line that shows nothing but "&nbsp;" (around markup) clears the screen; a caption that
// merely holds a non-breaking space somewhere is text.
bool IsClearingLine(QStringView line) {
    if (!line.contains(QLatin1String("&nbsp;"), kCi)) return false;
    const QString text = StripSamiMarkup(line);
    return IsBlank(ReplaceText(text, u"&nbsp;", u"", kCi));
}

} // namespace

QString StripSamiMarkup(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] != u'<') {
            out += text[i++];
            continue;
        }
        const qsizetype close = text.indexOf(u'>', i + 1);
        // A "<" that no ">" follows is text, not the start of a tag.
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        QString tag = text.mid(i + 1, close - i - 1).toString().toLower();
        tag.remove(u' ');
        if (tag == QLatin1String("br") || tag == QLatin1String("br/"))
            out += QLatin1String("<br>");
        else if (tag == QLatin1String("b") || tag == QLatin1String("i") || tag == QLatin1String("u"))
            out += u'<' + tag + u'>';
        i = close + 1;
    }
    return out;
}

// SAMI: the body holds SYNC lines with a time in ms, each opening a caption (its text on the
// same line after the tag or on the next line) and closing the caption before it; "&nbsp;"
// marks a SYNC that only clears the screen. The body begins at "<BODY>" (or at the first SYNC
// line of a file that has no body tag).
void ReadSamiLine(tCaptionReader& r, QStringView line) {
    const qsizetype syncAt = line.indexOf(QLatin1String("SYNC START"), 0, kCi);
    if (!r.sectionOpen || r.sectionGuessed) {
        if (IsBodyLine(line)) {
            // What was read before the body was not part of it.
            if (r.sectionGuessed) r.captions.resize(std::min(r.captions.size(), r.sectionFirstCaption));
            r.ClearPending();
            r.sectionOpen = true;
            r.sectionGuessed = false;
            return;
        }
        if (!r.sectionOpen) {
            if (syncAt < 0) return;
            // A file without a body tag: its first SYNC begins the captions.
            r.sectionOpen = r.sectionGuessed = true;
            r.sectionFirstCaption = r.captions.size();
        }
    }
    if (line.isEmpty()) return;
    if (r.Complete()) r.FlushCaption();
    const bool blank = IsClearingLine(
        syncAt >= 0 && line.indexOf(u'>', syncAt) >= 0 ? line.mid(line.indexOf(u'>', syncAt) + 1) : line);
    if (syncAt >= 0) {
        const int32_t t = r.LimitTime(SyncTime(line, syncAt));
        const qsizetype tagEnd = line.indexOf(u'>', syncAt);
        const QString rest = tagEnd >= 0 ? StripSamiMarkup(line.mid(tagEnd + 1)) : QString();
        const bool restIsText = !blank && !IsBlank(rest);
        if (r.start < 0) {
            r.start = t;
            if (restIsText && r.text.isEmpty()) r.text = rest;
        } else if (r.end < 0 && !r.text.isEmpty()) {
            // The caption's closing SYNC: it is complete and kept before anything on this line
            // can clear it; text after the tag opens the next caption at the same time.
            r.end = t;
            r.FlushCaption();
            if (restIsText) {
                r.start = t;
                r.text = rest;
            }
        } else if (restIsText) {
            r.ClearPending();
            r.start = t;
            r.text = rest;
        } else if (r.end < 0) {
            r.end = t;
        }
    } else if (!blank && r.text.isEmpty()) {
        r.text = StripSamiMarkup(line);
    }
    if (blank) r.DropPending();
}
