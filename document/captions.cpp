#include "document/captions.h"

#include "base/processstate.h"
#include "base/settings.h"
#include "base/textsearch.h"
#include "language/lang.h"

#include <algorithm>
#include <type_traits>
#include <vector>

QString gSubFile;
bool gModified = false;
int16_t gCurrentRow = 0;
int32_t gSelStart = 0;
int32_t gSelEnd = 0;
int32_t gTimingMode = 0;
int16_t gPreviewRow = 0;

std::function<void(int row)> gOnShowSelectedLine;
std::function<void(int row)> gOnShowCaption;
std::function<void(int32_t startMs, int32_t endMs)> gOnShowWaveSelection;

namespace {

const QString kTagBold = QStringLiteral("<b>");
const QString kTagItalic = QStringLiteral("<i>");
const QString kTagUnderline = QStringLiteral("<u>");

// The system colour "button face" in the grid's colour form.
constexpr int32_t kButtonFaceColor = int32_t(0x8000000Fu);

bool RowOk(int row) {
    return IsDocumentGrid() && row >= 1 && row < grdSubs().Rows();
}

int32_t NotNegative(int32_t ms) {
    return std::max<int32_t>(ms, 0);
}

uint8_t StyleFromTags(const QString& text) {
    uint8_t style = 0;
    // Most captions hold no tag; every tag starts with "<".
    if (!ContainsChar(text, u'<')) return style;
    if (ContainsText(text, kTagBold)) style |= FlexGrid::kBold;
    if (ContainsText(text, kTagItalic)) style |= FlexGrid::kItalic;
    if (ContainsText(text, kTagUnderline)) style |= FlexGrid::kUnderline;
    return style;
}

// Shows a row's state around the grid: gSelStart/gSelEnd, the window's boxes and checks, the
// waveform span.
void ShowLine(int row) {
    gSelStart = GetLineStart(row);
    gSelEnd = GetLineEnd(row);
    if (gOnShowSelectedLine) gOnShowSelectedLine(row);
    if (gOnShowWaveSelection) gOnShowWaveSelection(gSelStart, gSelEnd);
}

void RefreshLineIfCurrent(int row) {
    if (row == gCurrentRow) RefreshCurrentLine();
}

void ShowCaption(int row) {
    if (gOnShowCaption) gOnShowCaption(row);
}

bool Toggle(int fromRow, int toRow, const QString& tag, uint8_t bit) {
    if (!RowOk(fromRow) || !RowOk(toRow)) return false;
    FlexGrid& grid = grdSubs();
    const int lo = std::min(fromRow, toRow), hi = std::max(fromRow, toRow);
    bool add = false;
    for (int i = lo; i <= hi && !add; ++i)
        add = !grid.Text(i).contains(tag);

    // One redraw for the whole range.
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    for (int i = lo; i <= hi; ++i) {
        QString text = grid.Text(i);
        const uint8_t style = grid.CellStyle(i, kColText);
        if (add) {
            if (!text.contains(tag)) grid.SetText(i, tag + text);
            grid.SetCellStyle(i, kColText, uint8_t(style | bit));
        } else {
            if (text.contains(tag)) grid.SetText(i, text.remove(tag));
            grid.SetCellStyle(i, kColText, uint8_t(style & ~bit));
        }
        if (i == gPreviewRow && gTimingMode == 2) ShowCaption(i);
    }
    // The selection is the range again, its first row the current one.
    grid.SetCurrentCell(fromRow, 1);
    grid.SetRowSel(toRow);
    grid.SetColSel(kColText);
    grid.SetRedraw(redraw);
    if (gCurrentRow >= lo && gCurrentRow <= hi) RefreshCurrentLine();
    return add;
}

void SetUpDocumentGrid(FlexGrid& grid) {
    grid.RowColChange = grdSubs_RowColChange;
    ResetCaptionGrid(true);
}

void ResetDocumentState() {
    gSubFile.clear();
    gModified = false;
    gCurrentRow = 0;
    gSelStart = gSelEnd = 0;
    gTimingMode = 0;
    gPreviewRow = 0;
    // Hooks belong to the window that set them; a test's window is gone after its test.
    gOnShowSelectedLine = nullptr;
    gOnShowCaption = nullptr;
    gOnShowWaveSelection = nullptr;
    FlexGrid& grid = grdSubs();
    grid.Reset();
    SetUpDocumentGrid(grid);
}
SCRIVELLE_REGISTER_RESET(ResetDocumentState);

} // namespace

FlexGrid& grdSubs() {
    static FlexGrid grid;
    // Set up on first use; a plain flag, because setting up selects row 1, which comes back here.
    static bool setUp = false;
    if (!setUp) {
        setUp = true;
        SetUpDocumentGrid(grid);
    }
    return grid;
}

bool IsDocumentGrid() {
    return grdSubs().Cols() == FlexGrid::kMaxCols;
}

int CaptionCount() {
    return IsDocumentGrid() ? grdSubs().Rows() - 1 : 0;
}

// --- Cell accessors ---

QString GetLineText(int row, bool bCrLf) {
    if (!RowOk(row)) return QString();
    QString text = grdSubs().Text(row);
    // An empty marker would put a line break between every two characters.
    if (bCrLf && !gLineBreak.isEmpty()) text.replace(gLineBreak, QStringLiteral("\r\n"));
    return text;
}

int32_t GetLineStart(int row) {
    return RowOk(row) ? grdSubs().Number(row, kColStart) : 0;
}

int32_t GetLineEnd(int row) {
    return RowOk(row) ? grdSubs().Number(row, kColEnd) : 0;
}

bool IsLineTimed(int row) {
    if (!RowOk(row)) return false;
    return grdSubs().Number(row, kColStart) != 0 || grdSubs().Number(row, kColEnd) != 0;
}

void SetLineText(int row, const QString& text) {
    if (!RowOk(row)) return;
    // A text ending with the marker is a line still being typed. Every text "ends with" an
    // empty marker, which must not stop the write.
    if (!gLineBreak.isEmpty() && text.endsWith(gLineBreak)) return;
    grdSubs().SetText(row, text);
    RefreshLineIfCurrent(row);
}

void SetLineStart(int row, int32_t ms, bool bNoDirty) {
    if (!RowOk(row)) return;
    grdSubs().SetNumber(row, kColStart, NotNegative(ms));
    if (!bNoDirty) gModified = true;
    RefreshLineIfCurrent(row);
}

void SetLineEnd(int row, int32_t ms) {
    if (!RowOk(row)) return;
    grdSubs().SetNumber(row, kColEnd, NotNegative(ms));
    gModified = true;
    RefreshLineIfCurrent(row);
}

void ClearLineTimes(int row, bool bNoDirty) {
    if (!RowOk(row)) return;
    grdSubs().SetNumber(row, kColStart, 0);
    grdSubs().SetNumber(row, kColEnd, 0);
    if (!bNoDirty) gModified = true;
    RefreshLineIfCurrent(row);
}

// --- Styles ---

bool IsLineBold(int row) {
    return RowOk(row) && grdSubs().Text(row).contains(kTagBold);
}
bool IsLineItalic(int row) {
    return RowOk(row) && grdSubs().Text(row).contains(kTagItalic);
}
bool IsLineUnderline(int row) {
    return RowOk(row) && grdSubs().Text(row).contains(kTagUnderline);
}

bool ToggleBold(int fromRow, int toRow) {
    return Toggle(fromRow, toRow, kTagBold, FlexGrid::kBold);
}
bool ToggleItalic(int fromRow, int toRow) {
    return Toggle(fromRow, toRow, kTagItalic, FlexGrid::kItalic);
}
bool ToggleUnderline(int fromRow, int toRow) {
    return Toggle(fromRow, toRow, kTagUnderline, FlexGrid::kUnderline);
}

void RemoveLineTags(int row) {
    if (!RowOk(row)) return;
    FlexGrid& grid = grdSubs();
    QString text = grid.Text(row);
    const qsizetype length = text.size();
    text.remove(kTagBold).remove(kTagItalic).remove(kTagUnderline);
    if (text.size() != length) grid.SetText(row, text);
    if (row == gPreviewRow && gTimingMode == 2) ShowCaption(row);
    // The tags' mirror is the font of the text cell.
    grid.SetCellStyle(row, kColText, 0);
    RefreshLineIfCurrent(row);
}

// --- Rows ---

int AddLine(int32_t startMs, int32_t endMs, const QString& text, int row) {
    if (!IsDocumentGrid()) return 0;
    FlexGrid& grid = grdSubs();
    if (row == 0) row = grid.Rows();
    if (row < 1 || row > grid.Rows()) return 0;
    const bool reuse = grid.Rows() == 2 && grid.Number(1, kColStart) == 0 && grid.Number(1, kColEnd) == 0 &&
                       grid.Text(1).isEmpty();
    if (reuse) {
        row = 1;
        // The reused row starts as plain as an inserted one.
        for (int c = 0; c < grid.Cols(); ++c)
            grid.SetCellStyle(1, c, 0);
    } else {
        if (grid.Rows() - 1 >= kMaxCaptions) return 0;
        grid.AddItem(QString(), row);
    }
    grid.SetNumber(row, kColStart, NotNegative(startMs));
    grid.SetNumber(row, kColEnd, NotNegative(endMs));
    grid.SetText(row, text);
    grid.SetTextMatrix(row, kColNumber, QString::number(row));
    if (row != grid.Rows() - 1) RenumberLines();
    // Rows from here on moved down: the current row now holds another caption.
    if (row <= gCurrentRow) RefreshCurrentLine();
    return row;
}

void RemoveLines(int fromRow, int toRow) {
    if (!IsDocumentGrid()) return;
    FlexGrid& grid = grdSubs();
    const int first = std::min(fromRow, toRow), last = std::max(fromRow, toRow);
    if (first < 1 || last > grid.Rows() - 1) return;
    const int count = last - first + 1;
    const int captions = grid.Rows() - 1;
    if (count >= captions) {
        // Every caption goes: one empty row stays, with nothing left of the old caption.
        if (captions > 1) grid.RemoveRange(2, captions - 1);
        grid.SetText(1, QString());
        for (int c = 0; c < grid.Cols(); ++c)
            grid.SetCellStyle(1, c, 0);
        ClearLineTimes(1, false);
    } else {
        grid.RemoveRange(first, count);
    }
    SelectLine(first, false);
    RenumberLines();
    gModified = true;
}

void RenumberLines() {
    grdSubs().RenumberRows();
}

namespace {

// Fills the grid from count captions, line(i) giving the i-th; a text that may be changed is
// moved into the grid.
template <typename LineAt> bool FillFrom(int baseRow, size_t count, LineAt line) {
    if (!IsDocumentGrid()) return false;
    FlexGrid& grid = grdSubs();
    if (baseRow < 0 || baseRow > grid.Rows() - 1) return false;
    if (qsizetype(count) > qsizetype(kMaxCaptions - baseRow)) return false;
    // The document never becomes empty: one empty row.
    return grid.FillRows(baseRow + 1, count == 0 && baseRow == 0 ? 1 : count,
                         [&](size_t i, FlexGrid::RowData& row) {
                             if (i >= count) return;
                             auto& from = line(i);
                             row.start = NotNegative(from.start);
                             row.end = NotNegative(from.end);
                             row.textStyle = StyleFromTags(from.text);
                             if constexpr (std::is_const_v<std::remove_reference_t<decltype(from)>>)
                                 row.text = from.text;
                             else
                                 row.text = std::move(from.text);
                         });
}

} // namespace

bool FillLines(int baseRow, std::span<const tSubtitleLine> lines) {
    return FillFrom(baseRow, lines.size(), [lines](size_t i) -> const tSubtitleLine& { return lines[i]; });
}

bool FillLines(int baseRow, std::span<std::vector<tSubtitleLine>> pieces) {
    // Where each piece begins among all the captions.
    std::vector<size_t> starts;
    starts.reserve(pieces.size());
    size_t count = 0;
    for (const std::vector<tSubtitleLine>& piece : pieces) {
        starts.push_back(count);
        count += piece.size();
    }
    return FillFrom(baseRow, count, [&](size_t i) -> tSubtitleLine& {
        const size_t k = size_t(std::upper_bound(starts.begin(), starts.end(), i) - starts.begin()) - 1;
        return pieces[k][i - starts[k]];
    });
}

void ResetCaptionGrid(bool bSubtitle) {
    FlexGrid& grid = grdSubs();
    grid.SetRows(2);
    grid.Clear();
    if (bSubtitle) {
        grid.SetCols(4);
        grid.SetFixedCols(1);
        for (int c = 0; c < 4; ++c)
            grid.SetColAlignment(c, 1);
        grid.SetTextMatrix(0, kColNumber, QStringLiteral("#"));
        grid.SetTextMatrix(0, kColStart, LangText(40));
        grid.SetTextMatrix(0, kColEnd, LangText(42));
        grid.SetTextMatrix(0, kColText, LangText(360));
        grid.SetTextMatrix(1, kColNumber, QStringLiteral("1"));
        grid.SetHighLight(1);
        gCurrentRow = 1;
        SelectLine(1, false);
        ClearLineTimes(1, true);
    } else {
        grid.SetHighLight(0);
        grid.SetCols(1);
        grid.SetFixedCols(0);
        grid.SetColWidth(0, grid.Width());
        grid.SetTextMatrix(1, 0, LangText(24));
        grid.SetBackColorBkg(kButtonFaceColor);
    }
}

// --- Selection ---

void SelectLine(int row, bool bScroll) {
    if (row == 0) return;
    FlexGrid& grid = grdSubs();
    if (grid.Rows() < 2) return;
    row = std::clamp(row, 1, grid.Rows() - 1);
    // gCurrentRow first, so the grid's row change does not select again.
    gCurrentRow = int16_t(row);
    grid.SetRow(row);
    if (grid.Cols() > 1) grid.SetColSel(std::min(int(kColText), grid.Cols() - 1));
    ShowLine(row);
    if (bScroll) ScrollToLine(false);
}

void RefreshCurrentLine() {
    if (RowOk(gCurrentRow)) ShowLine(gCurrentRow);
}

void ScrollToLine(bool bForce) {
    FlexGrid& grid = grdSubs();
    const int rowHeight = grid.RowHeight(1);
    if (rowHeight <= 0) return;
    // Rows that fit below the header; at least one, so a tiny grid still follows the row.
    const int n = std::max(1, grid.Height() / rowHeight - 1);
    const int row = grid.Row(), top = grid.TopRow();
    if (row < top || row >= top + n || (bForce && row > top + n - 3)) {
        // From below, the row lands with two rows of look-ahead under it, but never above the top.
        const int newTop = row < top ? row : std::min(row, row - n + 3);
        grid.SetTopRow(std::max(1, newTop));
    }
}

void grdSubs_RowColChange() {
    const int row = grdSubs().Row();
    if (row != gCurrentRow) SelectLine(row, true);
}
