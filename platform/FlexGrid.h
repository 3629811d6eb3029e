#pragma once
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

// The caption grid as a model with no widgets: rows and cells addressed by row and column, a
// fixed header row 0, a current cell with a selection, a top visible row, per-cell bold /
// italic / underline, and the appearance values a view needs. The main window shows it through
// a table view; everything else in the program reads and writes captions here.
//
// The grid holds subtitles only, so its cells are stored typed: column 0 is the row number
// (computed from the row index, so renumbering costs nothing), columns 1 and 2 are 32-bit
// integers (a text written there is read as its leading number, saturated), column 3 is text.
// At most four columns exist. Bulk operations (remove a range, fill many rows, redraw off while
// many cells change) keep 32,000-row documents fast.
class FlexGrid {
public:
    static constexpr int kMaxCols = 4;
    // The header and 32,767 rows: every row index fits a 16-bit integer.
    static constexpr int kMaxRows = 32768;

    // Cell font style flags.
    enum Style : uint8_t { kBold = 1, kItalic = 2, kUnderline = 4 };

    // One row for FillRows: the two numbers, the text and the style of the text cell.
    struct RowData {
        int32_t start = 0;
        int32_t end = 0;
        QString text;
        uint8_t textStyle = 0;
    };

    // Views follow the grid through an observer. Structural changes are reported before and
    // after; cell and header changes are held back while Redraw is off and reported as one
    // range when it is switched on again.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void GridAboutToReset() {}
        virtual void GridReset() {}
        virtual void GridRowsAboutToBeInserted(int /*first*/, int /*count*/) {}
        virtual void GridRowsInserted(int /*first*/, int /*count*/) {}
        virtual void GridRowsAboutToBeRemoved(int /*first*/, int /*count*/) {}
        virtual void GridRowsRemoved(int /*first*/, int /*count*/) {}
        // Rows are grid rows (1 and up); header cells come through GridHeaderChanged.
        virtual void GridCellsChanged(int /*firstRow*/, int /*lastRow*/, int /*firstCol*/, int /*lastCol*/) {}
        virtual void GridHeaderChanged(int /*firstCol*/, int /*lastCol*/) {}
        // Column widths, alignment, fixed columns, highlight, background, row height.
        virtual void GridLayoutChanged() {}
        virtual void GridSelectionChanged() {}
        virtual void GridTopRowChanged() {}
        // Enabled or Redraw.
        virtual void GridStateChanged() {}
    };

    FlexGrid();
    FlexGrid(const FlexGrid&) = delete;
    FlexGrid& operator=(const FlexGrid&) = delete;

    // Back to the state of a new grid (two rows, two columns, nothing in them). Observers and the
    // RowColChange handler stay connected.
    void Reset();

    // --- Structure ---
    int Rows() const { return int(mRows.size()) + 1; }
    // Adds empty rows at the end or removes rows from the end. At least 1 (the header alone),
    // at most kMaxRows; false (nothing changed) outside that.
    bool SetRows(int rows);
    int Cols() const { return mCols; }
    // 1..kMaxCols; the cells of dropped columns are emptied.
    void SetCols(int cols);
    int FixedRows() const { return 1; }
    int FixedCols() const { return mFixedCols; }
    void SetFixedCols(int cols);
    // Empties every cell (header included) and every cell style; keeps Rows and Cols.
    void Clear();
    // Inserts a row at index (1..Rows; -1 appends). The item's tab-separated fields fill the
    // cells from column 0. False when the index is invalid or the grid is full.
    bool AddItem(const QString& item = QString(), int index = -1);
    bool RemoveItem(int index);
    // Removes count rows from first on, in one step. False (nothing removed) unless the whole
    // range lies in 1..Rows - 1.
    bool RemoveRange(int first, int count);
    // Rows firstRow.. are replaced by the given rows and the grid ends after them
    // (Rows = firstRow + size). firstRow is 1..Rows; false when the result would not fit.
    bool FillRows(int firstRow, std::span<const RowData> rows);
    // The same with the rows handed over one at a time: row(i, data) fills the i-th of count
    // rows into data (empty to begin with; a text may be moved in, so nothing is copied).
    bool FillRows(int firstRow, size_t count, const std::function<void(size_t i, RowData& data)>& row);

    // --- Cells ---
    // Empty text for a cell outside the grid.
    QString TextMatrix(int row, int col) const;
    // Ignored for a cell outside the grid. Column 0 of a row normally shows the row's number;
    // any other text written there stays until RenumberRows.
    void SetTextMatrix(int row, int col, const QString& text);
    // Typed access to the rows 1..Rows - 1 (0 or empty text outside).
    int32_t Number(int row, int col) const; // columns 1 and 2
    void SetNumber(int row, int col, int32_t value);
    const QString& Text(int row) const; // column 3
    void SetText(int row, const QString& text);
    uint8_t CellStyle(int row, int col) const;
    void SetCellStyle(int row, int col, uint8_t style);
    // Column 0 shows every row's number again.
    void RenumberRows();

    // The font of the current cell (Row, Col).
    bool CellFontBold() const { return CellStyle(mRow, mCol) & kBold; }
    bool CellFontItalic() const { return CellStyle(mRow, mCol) & kItalic; }
    bool CellFontUnderline() const { return CellStyle(mRow, mCol) & kUnderline; }
    void SetCellFontBold(bool on) { SetCurrentStyleBit(kBold, on); }
    void SetCellFontItalic(bool on) { SetCurrentStyleBit(kItalic, on); }
    void SetCellFontUnderline(bool on) { SetCurrentStyleBit(kUnderline, on); }

    // --- Current cell, selection, scrolling ---
    // Setting Row or Col makes that the current cell and collapses the selection onto it;
    // RowColChange runs (synchronously) when Row or Col changed. Out-of-range values are ignored.
    int Row() const { return mRow; }
    void SetRow(int row);
    int Col() const { return mCol; }
    void SetCol(int col);
    // Both at once, with one RowColChange.
    void SetCurrentCell(int row, int col);
    // The other corner of the selection; no event.
    int RowSel() const { return mRowSel; }
    void SetRowSel(int row);
    int ColSel() const { return mColSel; }
    void SetColSel(int col);
    // The first visible non-header row, 1..Rows - 1 (a view may limit it further).
    int TopRow() const { return mTopRow; }
    void SetTopRow(int row);
    std::function<void()> RowColChange;

    // --- Appearance and container values ---
    int ColWidth(int col) const; // twips
    void SetColWidth(int col, int twips);
    int ColAlignment(int col) const; // 0..9; 1 left-centre, 4 centre, 7 right-centre
    void SetColAlignment(int col, int code);
    int RowHeight(int /*row*/) const { return mRowHeight; } // every row has the same height (twips)
    void SetRowHeight(int twips);
    int HighLight() const { return mHighLight; } // 0 never, 1 always, 2 with the focus
    void SetHighLight(int mode);
    int32_t BackColorBkg() const { return mBackColorBkg; } // 0x00BBGGRR, or 0x80000000 + system colour index
    void SetBackColorBkg(int32_t color);
    bool Enabled() const { return mEnabled; }
    void SetEnabled(bool on);
    // Off: cell changes are collected and reported once when switched back on.
    bool Redraw() const { return mRedraw; }
    void SetRedraw(bool on);
    // The size the view gives the grid (twips); 0 while nothing shows it.
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    void SetViewSize(int widthTwips, int heightTwips);
    // The row under the mouse at the last mouse event (0 the header, -1 none).
    int MouseRow() const { return mMouseRow; }
    void SetMouseRow(int row) { mMouseRow = row; }

    void AddObserver(Observer* observer);
    void RemoveObserver(Observer* observer);

private:
    // 48 bytes: a document's rows are many, and a text of its own in column 0 is rare, so it
    // lives apart.
    struct Line {
        int32_t start = 0;
        int32_t end = 0;
        QString text;
        std::unique_ptr<QString> numberText; // column 0, when it is not the row's number
        uint16_t styles = 0;                 // 3 bits per column
        bool hasNumberText() const { return bool(numberText); }
    };

    bool ValidRow(int row) const { return row >= 1 && row < Rows(); }
    Line& LineAt(int row) { return mRows[size_t(row - 1)]; }
    const Line& LineAt(int row) const { return mRows[size_t(row - 1)]; }
    void SetNumberText(Line& line, int row, const QString& text);
    void SetCurrentStyleBit(uint8_t bit, bool on);
    void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol);
    void HeaderChanged(int firstCol, int lastCol);
    // After rows came or went: keeps Row, RowSel and TopRow inside the grid.
    void KeepSelectionInside();
    void SetCurrent(int row, int col, bool force);
    template <typename F> void Notify(F&& f);

    std::vector<Line> mRows; // rows 1..Rows - 1
    QString mHeader[kMaxCols];
    uint16_t mHeaderStyles = 0;
    int mNumberTexts = 0; // rows whose column 0 holds a text of its own
    int mCols = 2;
    int mFixedCols = 1;
    int mRow = 1, mCol = 1, mRowSel = 1, mColSel = 1, mTopRow = 1;
    int mColWidth[kMaxCols];
    int mColAlignment[kMaxCols];
    int mRowHeight = 240;
    int mHighLight = 1;
    int32_t mBackColorBkg;
    bool mEnabled = true;
    bool mRedraw = true;
    int mWidth = 0, mHeight = 0;
    int mMouseRow = -1;
    // Changes held back while Redraw is off.
    int mDirtyFirstRow = 0, mDirtyLastRow = -1, mDirtyFirstCol = 0, mDirtyLastCol = -1;
    bool mHeaderDirty = false;
    std::vector<Observer*> mObservers;
};
