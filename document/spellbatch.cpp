#include "document/spellbatch.h"

#include "base/settings.h"
#include "document/captions.h"

#include <algorithm>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kCaptionEnd = QStringLiteral("%%%");
const QString kLineBreak = QStringLiteral("%#%");
const QString kItalic = QStringLiteral("#%#");
const QString kItalicTag = QStringLiteral("<i>");

// What a caption may hold that the batch text needs for itself: "%" (every separator has one),
// the escape itself, and line-break characters of the caption's own (the batch's line ends are
// not kept). Each travels as "\" and two decimal digits of its code: no letter among them, so
// the checker sees the caption's words and only those.
constexpr QChar kEscape = u'\\';
struct Escaped {
    QChar c;
    QLatin1String code;
};
const Escaped kEscaped[] = {{u'\\', QLatin1String("92")},
                            {u'%', QLatin1String("37")},
                            {u'\r', QLatin1String("13")},
                            {u'\n', QLatin1String("10")}};

void AppendEscaped(QString& out, QStringView text) {
    for (QChar c : text) {
        const Escaped* e = std::find_if(std::begin(kEscaped), std::end(kEscaped),
                                        [c](const Escaped& x) { return x.c == c; });
        if (e == std::end(kEscaped)) {
            out += c;
        } else {
            out += kEscape;
            out += e->code;
        }
    }
}

// One caption's piece of the corrected text: separators back to the marker and "<i>", the
// batch's line ends dropped, escaped characters restored.
QString DecodePiece(QStringView piece) {
    QString out;
    out.reserve(piece.size());
    for (qsizetype i = 0; i < piece.size();) {
        const QStringView rest = piece.mid(i);
        if (rest.startsWith(kLineBreak)) {
            out += gLineBreak;
            i += 3;
        } else if (rest.startsWith(kItalic)) {
            out += kItalicTag;
            i += 3;
        } else if (piece[i] == u'\r' || piece[i] == u'\n') {
            ++i;
        } else if (piece[i] == kEscape && rest.size() >= 3) {
            const QStringView code = rest.mid(1, 2);
            const Escaped* e = std::find_if(std::begin(kEscaped), std::end(kEscaped),
                                            [code](const Escaped& x) { return code == x.code; });
            if (e == std::end(kEscaped)) {
                out += piece[i++];
            } else {
                out += e->c;
                i += 3;
            }
        } else {
            out += piece[i++];
        }
    }
    return out;
}

} // namespace

QString BuildSpellBatch(int first, int last) {
    QString batch;
    for (int row = first; row <= last; ++row) {
        const QString text = GetLineText(row);
        // Each line-break marker becomes a line "%#%" of its own; the text between is escaped.
        const QStringList lines = gLineBreak.isEmpty() ? QStringList{text} : text.split(gLineBreak);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) batch += kCrLf + kLineBreak + kCrLf;
            AppendEscaped(batch, lines[i]);
        }
        batch += kCrLf + kCaptionEnd + kCrLf;
    }
    batch.replace(kItalicTag, kCrLf + kItalic + kCrLf);
    return batch;
}

std::optional<QStringList> SplitSpellResult(const QString& corrected, int count) {
    // A service may give paragraphs back ended by CR alone, CR LF or LF: any of them will do.
    QString text = corrected;
    if (text.endsWith(u'\r') && text.size() > 1) text.chop(1);
    QStringList pieces = text.split(kCaptionEnd);
    // The last caption's separator is followed only by its own line end.
    const QString tail = pieces.takeLast();
    for (QChar c : tail)
        if (c != u'\r' && c != u'\n') return std::nullopt;
    if (pieces.size() != count) return std::nullopt;
    for (QString& piece : pieces)
        piece = DecodePiece(piece);
    return pieces;
}

QString SpellBatchCaption(const QString& batch, qsizetype at) {
    // A caption's piece runs from after the separator line before it to the next one; a
    // separator stands on a line of its own, so a "%%%" inside a caption's text is escaped.
    const QString separator = kCrLf + kCaptionEnd + kCrLf;
    const qsizetype before = at > 0 ? batch.lastIndexOf(separator, at - 1) : -1;
    const qsizetype from = before < 0 ? 0 : before + separator.size();
    qsizetype to = batch.indexOf(separator, at);
    if (to < 0) to = batch.size();
    return DecodePiece(QStringView(batch).mid(from, to - from));
}

QList<std::pair<int, int>> SpellBatches(int rows) {
    QList<std::pair<int, int>> batches;
    const int last = rows - 1;
    if (last < 1) return batches;
    const int size = rows > 550 ? 500 : last;
    for (int first = 1; first <= last; first += size)
        batches.append({first, std::min(first + size - 1, last)});
    return batches;
}
