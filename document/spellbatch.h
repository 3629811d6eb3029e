#pragma once
#include <QString>
#include <QStringList>

#include <optional>

// The captions travel to the spelling service as one text in which separators keep their
// structure: "%%%" ends a caption, "%#%" stands for a line break inside one, "#%#" for "<i>".
// Each separator stands on a line of its own, so a word checker never sees it as part of a word.
// Whatever a caption holds comes back unchanged: "%", "\\" and line-break characters of its own
// travel escaped ("\\" and two digits), so no text of a caption can pass for a separator.

// The batch text of rows first..last (the grid's current captions).
QString BuildSpellBatch(int first, int last);

// The pieces of a corrected batch text, one per caption, with the markers and "<i>" back in
// place and carriage returns dropped. Empty when the text does not hold exactly count captions
// (a separator was lost or added): such a batch must not be written back.
std::optional<QStringList> SplitSpellResult(const QString& corrected, int count);

// The caption of a batch text that position at stands in, as the caption holds it (escapes,
// separators and "<i>" back in place): what the spelling dialog shows around an unknown word.
QString SpellBatchCaption(const QString& batch, qsizetype at);

// Batches of rows for a grid of rows rows (header included): all captions at once up to 550
// rows, else 500 at a time. Each pair is first and last row.
QList<std::pair<int, int>> SpellBatches(int rows);
