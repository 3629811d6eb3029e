#include "formats/readerpaths.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// A WebVTT timestamp: "mm:ss.ttt" or "hh:mm:ss.ttt" (hours may have more digits). Some
// converters write a comma before the milliseconds; a minus in front gives a time below 0.
// Nothing when the text is no timestamp.
std::optional<int64_t> WebVttTime(QStringView t) {
    if (t.startsWith(u'-')) {
        const std::optional<int64_t> magnitude = WebVttTime(t.mid(1));
        if (magnitude && *magnitude >= 0) return -*magnitude;
        return std::nullopt;
    }
    int64_t fields[3] = {0, 0, 0};
    int count = 0;
    int64_t value = 0;
    int digits = 0;
    qsizetype i = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit()) {
            if (++digits > 10) return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
        } else if (c == u':') {
            if (digits == 0 || count == 2) return std::nullopt;
            fields[count++] = value;
            value = 0;
            digits = 0;
        } else {
            break;
        }
    }
    if (digits == 0 || count == 0 || i >= t.size() || (t[i] != u'.' && t[i] != u',')) return std::nullopt;
    const int64_t seconds = value;
    int64_t ms = 0;
    int fractionDigits = 0;
    for (++i; i < t.size() && t[i].isDigit(); ++i) {
        if (fractionDigits < 3) ms = ms * 10 + (t[i].unicode() - u'0');
        ++fractionDigits;
    }
    if (fractionDigits == 0 || i != t.size()) return std::nullopt;
    for (int k = fractionDigits; k < 3; ++k)
        ms *= 10;
    const int64_t hours = count == 2 ? fields[0] : 0;
    const int64_t minutes = count == 2 ? fields[1] : fields[0];
    return std::min<int64_t>(hours, 10000000) * 3600000 + minutes * 60000 + seconds * 1000 + ms;
}

// The cue text with the program's style tags: "<b>", "<i>", "<u>" (with or without classes)
// and their closing tags stay, voices, classes, languages, ruby and timestamps go (noted in
// leftOut). A "<" that no ">" follows is text.
QString CueText(QStringView text, uint32_t& leftOut) {
    if (!text.contains(u'<')) return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != u'<') {
            out += text[i++];
            continue;
        }
        const qsizetype close = text.indexOf(u'>', i + 1);
        if (close < 0) {
            out += text.mid(i);
            break;
        }
        const QStringView tag = text.mid(i + 1, close - i - 1);
        const bool closing = tag.startsWith(u'/');
        const QStringView name = closing ? tag.mid(1) : tag;
        qsizetype nameEnd = 0;
        while (nameEnd < name.size() && name[nameEnd].isLetter())
            ++nameEnd;
        const QStringView letter = name.left(nameEnd);
        if (letter == QLatin1String("b") || letter == QLatin1String("i") || letter == QLatin1String("u")) {
            out += closing ? QStringLiteral("</") : QStringLiteral("<");
            out += letter;
            out += u'>';
            // A class on the tag styles it further.
            if (!closing && nameEnd < name.size()) leftOut |= kLeftInlineStyles;
        } else if (!closing) {
            leftOut |= letter == QLatin1String("v")                               ? kLeftNames
                       : letter.isEmpty() && !name.isEmpty() && name[0].isDigit() ? kLeftInlineTimes
                                                                                  : kLeftInlineStyles;
        }
        i = close + 1;
    }
    return out;
}

enum : int { kHeader = 0, kBetween, kSkipBlock, kCueText, kIdentifier, kStray };

// A line taken for a cue's identifier until the timing line follows it.
struct Identifier final : tGrammarData {
    QString line;
};

QString TakeIdentifier(tCaptionReader& r) {
    if (!r.grammarData) return QString();
    QString line = std::move(static_cast<Identifier&>(*r.grammarData).line);
    r.grammarData.reset();
    return line;
}

} // namespace

// WebVTT: the "WEBVTT" line and its header (up to the first blank line), then blocks separated
// by blank lines: NOTE, STYLE and REGION blocks, and cues of an optional identifier line, a
// timing line "start --> end" with optional settings, and the text lines.
void ReadWebVttLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) {
        if (r.grammarState == kCueText && r.start >= 0 && r.end >= 0) r.FlushCaption();
        // No timing line followed: the line was no cue's identifier.
        r.NotRead(TakeIdentifier(r));
        r.grammarState = kBetween;
        return;
    }
    // Neither the header nor a NOTE block may hold "-->": a line with two timestamps around it
    // always begins a cue.
    const qsizetype arrow = line.indexOf(QLatin1String("-->"));
    if (arrow > 0) {
        const std::optional<int64_t> from = WebVttTime(TrimLine(line.left(arrow)));
        const QStringView rest = TrimLine(line.mid(arrow + 3));
        qsizetype blank = 0;
        while (blank < rest.size() && !rest[blank].isSpace())
            ++blank;
        const std::optional<int64_t> to = WebVttTime(rest.left(blank));
        if (from && to) {
            // Cue settings: where and how the cue stands.
            if (!TrimLine(rest.mid(blank)).isEmpty()) r.leftOut |= kLeftPositions;
            TakeIdentifier(r);
            if (r.Complete())
                r.FlushCaption();
            else
                r.DropPending();
            r.start = r.LimitTime(*from);
            r.end = r.LimitTime(*to);
            r.grammarState = kCueText;
            return;
        }
    }
    switch (r.grammarState) {
    case kBetween:
        if (arrow > 0) {
            // A timing line that cannot be read: its cue is skipped.
            ++r.skipped;
            r.grammarState = kSkipBlock;
            return;
        }
        if (line.startsWith(QLatin1String("NOTE"))) {
            r.leftOut |= kLeftComments;
            r.grammarState = kSkipBlock;
        } else if (line.startsWith(QLatin1String("STYLE"))) {
            r.leftOut |= kLeftStyles;
            r.grammarState = kSkipBlock;
        } else if (line.startsWith(QLatin1String("REGION"))) {
            r.leftOut |= kLeftPositions;
            r.grammarState = kSkipBlock;
        } else if (line == QLatin1String("WEBVTT")) {
            // Files joined: the next one's header.
            r.grammarState = kHeader;
        } else {
            // A cue identifier, when the timing line follows.
            auto identifier = std::make_unique<Identifier>();
            identifier->line = line.toString();
            r.grammarData = std::move(identifier);
            r.grammarState = kIdentifier;
        }
        return;
    case kIdentifier:
        // Lines of something else up to the next blank line, the one before included.
        r.NotRead(TakeIdentifier(r));
        r.NotRead(line);
        r.grammarState = kStray;
        return;
    case kStray:
        r.NotRead(line);
        return;
    case kCueText:
        r.AppendText(CueText(line, r.leftOut));
        return;
    case kHeader:
        // The "WEBVTT" line is all this program writes of the header.
        if (line != QLatin1String("WEBVTT")) r.leftOut |= kLeftHeader;
        return;
    default:
        // The header ("WEBVTT", "X-TIMESTAMP-MAP=...", "Kind: ...") and skipped blocks.
        return;
    }
}

// A last line taken for an identifier that no timing line followed.
void FinishWebVtt(tCaptionReader& r) {
    r.NotRead(TakeIdentifier(r));
}
