#include "mainwindow/captionboxrules.h"

#include <QStringList>

#include <algorithm>

namespace TimeBox {

TypedChar FilterChar(QChar typed, bool backspace) {
    if (backspace) return {true, QLatin1Char('0'), true};
    // Only digits: the box keeps its own separators and the caret already steps over them, so a
    // ":" typed as part of "00:00:20,000" would land on a digit and write another time.
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9')) return {true, typed, false};
    return {};
}

int CaretAfterChange(int p, bool back) {
    if (back) {
        switch (p) {
        case 0:
        case 1:
            return 0;
        case 4:
            return 1;
        case 7:
            return 4;
        case 10:
            return 7;
        default:
            return std::clamp(p - 2, 0, kLength - 1);
        }
    }
    if (p == 2 || p == 5 || p == 8) return p + 1;
    return std::clamp(p, 0, kLength - 1);
}

int CaretAfterLeft(int selStart) {
    // As if a digit had just been written before the caret: one step back over separators.
    return CaretAfterChange(selStart + 1, true);
}

int CaretAfterRight(int selStart) {
    return CaretAfterChange(selStart + 1, false);
}

int NormalizedCaret(int caret) {
    return CaretAfterChange(caret, false);
}

Typed Type(const QString& text, int selStart, QChar ch, bool back) {
    QString out = text;
    selStart = std::clamp(selStart, 0, kLength);
    if (selStart < out.size())
        out[selStart] = ch;
    else if (out.size() < kLength)
        out.append(ch);
    else
        return {text, CaretAfterChange(selStart, back)};
    return {out, CaretAfterChange(std::min(selStart, int(out.size()) - 1) + 1, back)};
}

bool ShapeOk(QStringView text) {
    return text.size() == kLength && text[2] == QLatin1Char(':') && text[5] == QLatin1Char(':') &&
           text[8] == QLatin1Char(',');
}

} // namespace TimeBox

namespace CaptionBox {

QString AsTyped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\t'))
            out += QLatin1Char(' ');
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.category() != QChar::Other_Control)
            out += c;
    }
    return out;
}

QString ToCaption(const QString& boxText, const QString& marker) {
    QString text = AsTyped(boxText);
    text.replace(QStringLiteral("\r\n"), marker);
    text.replace(QLatin1Char('\n'), marker);
    text.replace(QLatin1Char('\r'), marker);
    // A paragraph or line separator pasted from elsewhere is a line break too.
    text.replace(QChar(QChar::ParagraphSeparator), marker);
    text.replace(QChar(QChar::LineSeparator), marker);
    return Normalized(text, marker);
}

QString Normalized(const QString& caption, const QString& marker) {
    if (marker.isEmpty()) return caption;
    static const QString kTags[] = {QStringLiteral("<b>"), QStringLiteral("<i>"), QStringLiteral("<u>")};
    QString tags, out;
    bool first = true;
    for (const QString& line : caption.split(marker)) {
        QString bare = line;
        for (const QString& tag : kTags)
            bare.remove(tag);
        if (bare.trimmed().isEmpty()) {
            for (const QChar c : line)
                if (!c.isSpace()) tags += c;
            continue;
        }
        if (!first) out += marker;
        out += line;
        first = false;
    }
    return tags + out;
}

QString ToBox(const QString& caption, const QString& marker) {
    QString text = caption;
    if (!marker.isEmpty()) text.replace(marker, QStringLiteral("\n"));
    return text;
}

QString ConvertMarker(const QString& text, const QString& oldMarker, const QString& newMarker) {
    if (oldMarker.isEmpty() || oldMarker == newMarker) return text;
    QString out = text;
    return out.replace(oldMarker, newMarker);
}

bool MarkerOk(const QString& marker) {
    return !marker.trimmed().isEmpty();
}

} // namespace CaptionBox
