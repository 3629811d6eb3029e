#include "base/textsearch.h"
#include "formats/readerpaths.h"
#include "formats/writerpaths.h"

// SubRip: a line of digits in a caption followed by a time line is read, by this program and by
// other tools, as the next caption's number and time line, which would cut the caption in two
// and give its second half those times. The two lines are written as one, joined by a blank:
// every character of the caption stays, and it reads back as one caption.
std::optional<QString> SubRipCaptionLines(const QString& text, const QString& lineBreak) {
    // Nearly every caption holds no time line at all.
    if (FindText(text, u"-->") < 0) return std::nullopt;
    const QString join = lineBreak.isEmpty() ? QStringLiteral("\r\n") : lineBreak;
    QStringList lines = text.split(join);
    bool joined = false;
    for (qsizetype k = 1; k < lines.size(); ++k) {
        if (!IsSubRipNumberAndTimeLine(lines[k - 1], lines[k])) continue;
        lines[k - 1] += QLatin1Char(' ') + lines[k];
        lines.removeAt(k--);
        joined = true;
    }
    if (!joined) return std::nullopt;
    return lines.join(join);
}
