#include "document/spellbatch.h"

#include "base/settings.h"
#include "document/captions.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kCaptionEnd = QStringLiteral("%%%");
const QString kLineBreak = QStringLiteral("%#%");
const QString kItalic = QStringLiteral("#%#");
} // namespace

QString BuildSpellBatch(int first, int last) {
    QString batch;
    for (int row = first; row <= last; ++row) {
        QString text = GetLineText(row, true);
        text.replace(kCrLf, kCrLf + kLineBreak + kCrLf);
        batch += text + kCrLf + kCaptionEnd + kCrLf;
    }
    batch.replace(QStringLiteral("<i>"), kCrLf + kItalic + kCrLf);
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
    for (QString& piece : pieces) {
        piece.replace(kLineBreak, gLineBreak);
        piece.replace(kItalic, QStringLiteral("<i>"));
        piece.remove(u'\r');
        piece.remove(u'\n');
    }
    return pieces;
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
