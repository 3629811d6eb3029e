#include "document/findreplace.h"

#include "document/captions.h"

#include <algorithm>

namespace {

// Calls visit(from, to, atFront, atBack) for each occurrence of find in text, left to right and
// without overlap. from..to is the part of the caption the occurrence covers; atFront and atBack
// say that it also took the space imagined before or after the caption. visit returns false to
// stop. Positions come from the case-insensitive search itself, which compares one character
// with one character, so they stay right where lower-casing would change a text's length
// ("İ" lower-cases to two characters).
template <typename Visit>
void ForEachOccurrence(const QString& text, const QString& find, FindOptions options, Visit&& visit) {
    if (find.isEmpty()) return;
    const QChar space(u' ');
    const QString padded = space + text + space;
    const QString pattern = options.wholeWord ? space + find + space : find;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype n = text.size();
    qsizetype from = 0;
    while (from <= padded.size()) {
        const qsizetype p = padded.indexOf(pattern, from, cs);
        if (p < 0) return;
        const qsizetype coreStart = p + (options.wholeWord ? 1 : 0);
        const qsizetype coreEnd = coreStart + find.size();
        // In the caption's own positions (the padded text has one space in front).
        const qsizetype s = coreStart - 1, e = coreEnd - 1;
        if (!visit(std::clamp<qsizetype>(s, 0, n), std::clamp<qsizetype>(e, 0, n), s<0, e> n)) return;
        // A whole word's closing space may open the next word: "art art" holds two.
        from = coreEnd;
    }
}

// The caption with its occurrences replaced; found tells whether there was any.
QString Replace(const QString& text, const QString& find, const QString& replaceWith, FindOptions options,
                bool& found) {
    found = false;
    QString out;
    qsizetype last = 0;
    ForEachOccurrence(text, find, options, [&](qsizetype s, qsizetype e, bool atFront, bool atBack) {
        found = true;
        // Only the imagined spaces matched: nothing of the caption to replace.
        if (s == e) return true;
        QString with = replaceWith;
        // The imagined spaces do not enter the caption by way of the replacement either.
        if (atFront && with.startsWith(u' ')) with.remove(0, 1);
        if (atBack && with.endsWith(u' ')) with.chop(1);
        out += QStringView(text).mid(last, s - last);
        out += with;
        last = e;
        return true;
    });
    // Nothing of the caption was replaced.
    if (last == 0) return text;
    out += QStringView(text).mid(last);
    return out;
}

// Writes a caption's new text; true when the caption now holds it (a text ending with the
// line-break marker is not stored).
bool WriteCaption(int row, const QString& before, const QString& after) {
    if (after == before) return false;
    SetLineText(row, after);
    if (grdSubs().Text(row) != after) return false;
    // The preview over the video shows the caption as it now reads.
    if (row == gPreviewRow && gTimingMode == 2 && gOnShowCaption) gOnShowCaption(row);
    return true;
}

} // namespace

bool CaptionMatches(const QString& text, const QString& find, FindOptions options) {
    bool found = false;
    ForEachOccurrence(text, find, options, [&](qsizetype, qsizetype, bool, bool) {
        found = true;
        return false;
    });
    return found;
}

QString ReplaceInCaption(const QString& text, const QString& find, const QString& replaceWith,
                         FindOptions options) {
    bool found = false;
    return Replace(text, find, replaceWith, options, found);
}

int FindInLines(const QString& find, uint8_t wholeWord, uint8_t matchCase, bool doReplace,
                const QString& replaceWith, bool replaceAll) {
    if (find.isEmpty() || !IsDocumentGrid()) return 0;
    FlexGrid& grid = grdSubs();
    const FindOptions options{wholeWord == 1, matchCase != 0};
    const int start = grid.Row();
    const int rows = grid.Rows();
    if (start < 1) return 0;

    if (doReplace && replaceAll) {
        // One pass with the grid off and redrawn once; only the last caption is selected.
        const bool enabled = grid.Enabled(), redraw = grid.Redraw();
        grid.SetEnabled(false);
        grid.SetRedraw(false);
        int changed = 0, last = 0;
        for (int i = start; i < rows; ++i) {
            const QString& text = grid.Text(i);
            bool found = false;
            const QString replaced = Replace(text, find, replaceWith, options, found);
            if (!found) continue;
            last = i;
            if (WriteCaption(i, text, replaced)) ++changed;
        }
        grid.SetRedraw(redraw);
        grid.SetEnabled(enabled);
        if (changed > 0) gModified = true;
        if (last != 0) {
            if (grid.Row() != last)
                grid.SetRow(last);
            else
                RefreshCurrentLine();
        }
        return changed;
    }

    int count = 0;
    for (int i = start; i < rows; ++i) {
        const QString text = grid.Text(i);
        bool found = false;
        const QString replaced = doReplace ? Replace(text, find, replaceWith, options, found) : QString();
        if (!doReplace) found = CaptionMatches(text, find, options);
        if (!found) continue;
        // Setting the grid's row selects the caption.
        if (grid.Row() != i) grid.SetRow(i);
        ++count;
        if (doReplace) {
            if (WriteCaption(i, text, replaced)) gModified = true;
            return count;
        }
        if (i != start) return count;
    }
    return count;
}
