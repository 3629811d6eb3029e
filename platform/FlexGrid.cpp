#include "platform/FlexGrid.h"

#include "base/numbers.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr int kDefaultColWidth = 960;
constexpr int kAlignGeneral = 9;
constexpr int32_t kSystemWindowColor = int32_t(0x80000005u);

int StyleShift(int col) {
    return col * 3;
}

const QString& EmptyText() {
    static const QString empty;
    return empty;
}

} // namespace

FlexGrid::FlexGrid() {
    Reset();
}

template <typename F> void FlexGrid::Notify(F&& f) {
    if (mObservers.empty()) return;
    // A copy, so an observer may detach itself while being told.
    const std::vector<Observer*> observers = mObservers;
    for (Observer* o : observers)
        f(*o);
}

void FlexGrid::Reset() {
    Notify([](Observer& o) { o.GridAboutToReset(); });
    mRows.clear();
    mRows.emplace_back();
    for (int c = 0; c < kMaxCols; ++c) {
        mHeader[c].clear();
        mColWidth[c] = kDefaultColWidth;
        mColAlignment[c] = kAlignGeneral;
    }
    mHeaderStyles = 0;
    mNumberTexts = 0;
    mCols = 2;
    mFixedCols = 1;
    mRow = mCol = mRowSel = mColSel = mTopRow = 1;
    mRowHeight = 240;
    mHighLight = 1;
    mBackColorBkg = kSystemWindowColor;
    mEnabled = true;
    mRedraw = true;
    mMouseRow = -1;
    mDirtyFirstRow = 0;
    mDirtyLastRow = -1;
    mDirtyFirstCol = 0;
    mDirtyLastCol = -1;
    mHeaderDirty = false;
    Notify([](Observer& o) { o.GridReset(); });
    Notify([](Observer& o) {
        o.GridLayoutChanged();
        o.GridStateChanged();
        o.GridSelectionChanged();
        o.GridTopRowChanged();
    });
}

// --- Structure ---

bool FlexGrid::SetRows(int rows) {
    if (rows < 1 || rows > kMaxRows) return false;
    const int old = Rows();
    if (rows > old) {
        const int count = rows - old;
        Notify([&](Observer& o) { o.GridRowsAboutToBeInserted(old, count); });
        mRows.resize(size_t(rows - 1));
        Notify([&](Observer& o) { o.GridRowsInserted(old, count); });
    } else if (rows < old) {
        return RemoveRange(rows, old - rows);
    }
    return true;
}

void FlexGrid::SetCols(int cols) {
    cols = std::clamp(cols, 1, kMaxCols);
    if (cols == mCols) return;
    Notify([](Observer& o) { o.GridAboutToReset(); });
    if (cols < mCols) {
        // What the dropped columns held is gone, as with the grid control.
        const uint16_t keep = uint16_t((1u << StyleShift(cols)) - 1);
        for (Line& line : mRows) {
            if (cols <= 1) line.start = 0;
            if (cols <= 2) line.end = 0;
            if (cols <= 3) line.text.clear();
            line.styles &= keep;
        }
        for (int c = cols; c < kMaxCols; ++c)
            mHeader[c].clear();
        mHeaderStyles &= keep;
    }
    mCols = cols;
    mFixedCols = std::min(mFixedCols, mCols - 1);
    Notify([](Observer& o) { o.GridReset(); });
    if (mCol >= mCols || mColSel >= mCols) {
        mColSel = std::min(mColSel, mCols - 1);
        SetCurrent(mRow, std::min(mCol, mCols - 1), false);
    }
    Notify([](Observer& o) {
        o.GridLayoutChanged();
        o.GridSelectionChanged();
    });
}

void FlexGrid::SetFixedCols(int cols) {
    cols = std::clamp(cols, 0, mCols - 1);
    if (cols == mFixedCols) return;
    mFixedCols = cols;
    Notify([](Observer& o) { o.GridLayoutChanged(); });
}

void FlexGrid::Clear() {
    for (Line& line : mRows)
        line = Line();
    for (QString& h : mHeader)
        h.clear();
    mHeaderStyles = 0;
    mNumberTexts = 0;
    CellsChanged(1, Rows() - 1, 0, mCols - 1);
    HeaderChanged(0, mCols - 1);
}

bool FlexGrid::AddItem(const QString& item, int index) {
    if (index == -1) index = Rows();
    if (index < 1 || index > Rows() || Rows() >= kMaxRows) return false;
    Notify([&](Observer& o) { o.GridRowsAboutToBeInserted(index, 1); });
    mRows.insert(mRows.begin() + (index - 1), Line());
    if (!item.isEmpty()) {
        const QStringList fields = item.split(u'\t');
        Line& line = LineAt(index);
        for (int c = 0; c < std::min<int>(int(fields.size()), mCols); ++c) {
            switch (c) {
            case 0:
                SetNumberText(line, index, fields[c]);
                break;
            case 1:
                line.start = LeadingInt32Saturated(fields[c]);
                break;
            case 2:
                line.end = LeadingInt32Saturated(fields[c]);
                break;
            default:
                line.text = fields[c];
                break;
            }
        }
    }
    Notify([&](Observer& o) { o.GridRowsInserted(index, 1); });
    return true;
}

bool FlexGrid::RemoveItem(int index) {
    return RemoveRange(index, 1);
}

bool FlexGrid::RemoveRange(int first, int count) {
    if (count < 1 || first < 1 || first > Rows() - count) return false;
    Notify([&](Observer& o) { o.GridRowsAboutToBeRemoved(first, count); });
    const auto begin = mRows.begin() + (first - 1);
    if (mNumberTexts > 0)
        mNumberTexts -=
            int(std::count_if(begin, begin + count, [](const Line& l) { return l.hasNumberText(); }));
    mRows.erase(begin, begin + count);
    Notify([&](Observer& o) { o.GridRowsRemoved(first, count); });
    KeepSelectionInside();
    return true;
}

bool FlexGrid::FillRows(int firstRow, std::span<const RowData> rows) {
    return FillRows(firstRow, rows.size(), [rows](size_t i, RowData& data) { data = rows[i]; });
}

bool FlexGrid::FillRows(int firstRow, size_t count, const std::function<void(size_t i, RowData& data)>& row) {
    if (firstRow < 1 || firstRow > Rows()) return false;
    if (qsizetype(count) > qsizetype(kMaxRows - firstRow)) return false;
    Notify([](Observer& o) { o.GridAboutToReset(); });
    if (mNumberTexts > 0)
        mNumberTexts -= int(std::count_if(mRows.begin() + (firstRow - 1), mRows.end(),
                                          [](const Line& l) { return l.hasNumberText(); }));
    mRows.resize(size_t(firstRow - 1));
    mRows.reserve(size_t(firstRow - 1) + count);
    RowData r;
    for (size_t i = 0; i < count; ++i) {
        r = RowData();
        row(i, r);
        Line& line = mRows.emplace_back();
        if (mCols > 1) line.start = r.start;
        if (mCols > 2) line.end = r.end;
        if (mCols > 3) {
            line.text = std::move(r.text);
            line.styles = uint16_t((r.textStyle & 7u) << StyleShift(3));
        }
    }
    Notify([](Observer& o) { o.GridReset(); });
    KeepSelectionInside();
    Notify([](Observer& o) {
        o.GridSelectionChanged();
        o.GridTopRowChanged();
    });
    return true;
}

void FlexGrid::KeepSelectionInside() {
    const int last = Rows() - 1;
    const int row = std::min(mRow, last);
    const bool selectionMoved = mRowSel > last;
    mRowSel = std::min(mRowSel, last);
    const int top = std::clamp(mTopRow, 1, std::max(1, last));
    if (top != mTopRow) {
        mTopRow = top;
        Notify([](Observer& o) { o.GridTopRowChanged(); });
    }
    if (row != mRow) {
        mRowSel = row;
        SetCurrent(row, mCol, true);
    } else if (selectionMoved) {
        Notify([](Observer& o) { o.GridSelectionChanged(); });
    }
}

// --- Cells ---

QString FlexGrid::TextMatrix(int row, int col) const {
    if (col < 0 || col >= mCols) return QString();
    if (row == 0) return mHeader[col];
    if (!ValidRow(row)) return QString();
    const Line& line = LineAt(row);
    switch (col) {
    case 0:
        return line.hasNumberText() ? *line.numberText : QString::number(row);
    case 1:
        return QString::number(line.start);
    case 2:
        return QString::number(line.end);
    default:
        return line.text;
    }
}

void FlexGrid::SetNumberText(Line& line, int row, const QString& text) {
    // The row's own number is what column 0 shows anyway; only other texts need keeping.
    const bool own = text != QString::number(row);
    if (own != line.hasNumberText()) mNumberTexts += own ? 1 : -1;
    if (!own)
        line.numberText.reset();
    else if (line.numberText)
        *line.numberText = text;
    else
        line.numberText = std::make_unique<QString>(text);
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    if (col < 0 || col >= mCols) return;
    if (row == 0) {
        mHeader[col] = text;
        HeaderChanged(col, col);
        return;
    }
    if (!ValidRow(row)) return;
    Line& line = LineAt(row);
    switch (col) {
    case 0:
        SetNumberText(line, row, text);
        break;
    case 1:
        line.start = LeadingInt32Saturated(text);
        break;
    case 2:
        line.end = LeadingInt32Saturated(text);
        break;
    default:
        line.text = text;
        break;
    }
    CellsChanged(row, row, col, col);
}

int32_t FlexGrid::Number(int row, int col) const {
    if (!ValidRow(row) || col < 1 || col > 2 || col >= mCols) return 0;
    return col == 1 ? LineAt(row).start : LineAt(row).end;
}

void FlexGrid::SetNumber(int row, int col, int32_t value) {
    if (!ValidRow(row) || col < 1 || col > 2 || col >= mCols) return;
    (col == 1 ? LineAt(row).start : LineAt(row).end) = value;
    CellsChanged(row, row, col, col);
}

const QString& FlexGrid::Text(int row) const {
    if (!ValidRow(row) || mCols < 4) return EmptyText();
    return LineAt(row).text;
}

void FlexGrid::SetText(int row, const QString& text) {
    if (!ValidRow(row) || mCols < 4) return;
    LineAt(row).text = text;
    CellsChanged(row, row, 3, 3);
}

uint8_t FlexGrid::CellStyle(int row, int col) const {
    if (col < 0 || col >= mCols) return 0;
    if (row == 0) return uint8_t((mHeaderStyles >> StyleShift(col)) & 7u);
    if (!ValidRow(row)) return 0;
    return uint8_t((LineAt(row).styles >> StyleShift(col)) & 7u);
}

void FlexGrid::SetCellStyle(int row, int col, uint8_t style) {
    if (col < 0 || col >= mCols) return;
    uint16_t* styles;
    if (row == 0)
        styles = &mHeaderStyles;
    else if (ValidRow(row))
        styles = &LineAt(row).styles;
    else
        return;
    const uint16_t mask = uint16_t(7u << StyleShift(col));
    const uint16_t value = uint16_t((style & 7u) << StyleShift(col));
    if ((*styles & mask) == value) return;
    *styles = uint16_t((*styles & ~mask) | value);
    if (row == 0)
        HeaderChanged(col, col);
    else
        CellsChanged(row, row, col, col);
}

void FlexGrid::SetCurrentStyleBit(uint8_t bit, bool on) {
    const uint8_t style = CellStyle(mRow, mCol);
    SetCellStyle(mRow, mCol, on ? uint8_t(style | bit) : uint8_t(style & ~bit));
}

void FlexGrid::RenumberRows() {
    if (mNumberTexts == 0) return; // column 0 already shows every row's number
    for (Line& line : mRows)
        line.numberText.reset();
    mNumberTexts = 0;
    CellsChanged(1, Rows() - 1, 0, 0);
}

void FlexGrid::CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
    if (lastRow < firstRow) return;
    if (!mRedraw) {
        if (mDirtyLastRow < mDirtyFirstRow) {
            mDirtyFirstRow = firstRow;
            mDirtyLastRow = lastRow;
            mDirtyFirstCol = firstCol;
            mDirtyLastCol = lastCol;
        } else {
            mDirtyFirstRow = std::min(mDirtyFirstRow, firstRow);
            mDirtyLastRow = std::max(mDirtyLastRow, lastRow);
            mDirtyFirstCol = std::min(mDirtyFirstCol, firstCol);
            mDirtyLastCol = std::max(mDirtyLastCol, lastCol);
        }
        return;
    }
    Notify([&](Observer& o) { o.GridCellsChanged(firstRow, lastRow, firstCol, lastCol); });
}

void FlexGrid::HeaderChanged(int firstCol, int lastCol) {
    if (!mRedraw) {
        mHeaderDirty = true;
        return;
    }
    Notify([&](Observer& o) { o.GridHeaderChanged(firstCol, lastCol); });
}

// --- Current cell, selection, scrolling ---

void FlexGrid::SetCurrent(int row, int col, bool force) {
    const bool changed = row != mRow || col != mCol;
    if (!changed && !force && mRowSel == row && mColSel == col) return;
    mRow = mRowSel = row;
    mCol = mColSel = col;
    Notify([](Observer& o) { o.GridSelectionChanged(); });
    if (changed && RowColChange) RowColChange();
}

void FlexGrid::SetRow(int row) {
    if (row < 0 || row >= Rows()) return;
    SetCurrent(row, mCol, true);
}

void FlexGrid::SetCol(int col) {
    if (col < 0 || col >= mCols) return;
    SetCurrent(mRow, col, true);
}

void FlexGrid::SetCurrentCell(int row, int col) {
    if (row < 0 || row >= Rows() || col < 0 || col >= mCols) return;
    SetCurrent(row, col, true);
}

void FlexGrid::SetRowSel(int row) {
    if (row < 0 || row >= Rows() || row == mRowSel) return;
    mRowSel = row;
    Notify([](Observer& o) { o.GridSelectionChanged(); });
}

void FlexGrid::SetColSel(int col) {
    if (col < 0 || col >= mCols || col == mColSel) return;
    mColSel = col;
    Notify([](Observer& o) { o.GridSelectionChanged(); });
}

void FlexGrid::SetTopRow(int row) {
    row = std::clamp(row, 1, std::max(1, Rows() - 1));
    if (row == mTopRow) return;
    mTopRow = row;
    Notify([](Observer& o) { o.GridTopRowChanged(); });
}

// --- Appearance ---

int FlexGrid::ColWidth(int col) const {
    return col >= 0 && col < kMaxCols ? mColWidth[col] : 0;
}

void FlexGrid::SetColWidth(int col, int twips) {
    if (col < 0 || col >= kMaxCols) return;
    twips = std::max(0, twips);
    if (mColWidth[col] == twips) return;
    mColWidth[col] = twips;
    Notify([](Observer& o) { o.GridLayoutChanged(); });
}

int FlexGrid::ColAlignment(int col) const {
    return col >= 0 && col < kMaxCols ? mColAlignment[col] : 0;
}

void FlexGrid::SetColAlignment(int col, int code) {
    if (col < 0 || col >= kMaxCols || code < 0 || code > kAlignGeneral) return;
    if (mColAlignment[col] == code) return;
    mColAlignment[col] = code;
    Notify([](Observer& o) { o.GridLayoutChanged(); });
}

void FlexGrid::SetRowHeight(int twips) {
    twips = std::max(1, twips);
    if (twips == mRowHeight) return;
    mRowHeight = twips;
    Notify([](Observer& o) { o.GridLayoutChanged(); });
}

void FlexGrid::SetHighLight(int mode) {
    if (mode < 0 || mode > 2 || mode == mHighLight) return;
    mHighLight = mode;
    Notify([](Observer& o) {
        o.GridLayoutChanged();
        o.GridSelectionChanged();
    });
}

void FlexGrid::SetBackColorBkg(int32_t color) {
    if (color == mBackColorBkg) return;
    mBackColorBkg = color;
    Notify([](Observer& o) { o.GridLayoutChanged(); });
}

void FlexGrid::SetEnabled(bool on) {
    if (on == mEnabled) return;
    mEnabled = on;
    Notify([](Observer& o) { o.GridStateChanged(); });
}

void FlexGrid::SetRedraw(bool on) {
    if (on == mRedraw) return;
    mRedraw = on;
    if (on) {
        // Report what changed meanwhile, as one range.
        if (mDirtyLastRow >= mDirtyFirstRow) {
            const int r1 = mDirtyFirstRow, r2 = std::min(mDirtyLastRow, Rows() - 1);
            const int c1 = mDirtyFirstCol, c2 = std::min(mDirtyLastCol, mCols - 1);
            mDirtyFirstRow = 0;
            mDirtyLastRow = -1;
            if (r2 >= r1 && c2 >= c1) CellsChanged(r1, r2, c1, c2);
        }
        if (mHeaderDirty) {
            mHeaderDirty = false;
            HeaderChanged(0, mCols - 1);
        }
    }
    Notify([](Observer& o) { o.GridStateChanged(); });
}

void FlexGrid::SetViewSize(int widthTwips, int heightTwips) {
    mWidth = std::max(0, widthTwips);
    mHeight = std::max(0, heightTwips);
}

void FlexGrid::AddObserver(Observer* observer) {
    if (observer && std::find(mObservers.begin(), mObservers.end(), observer) == mObservers.end())
        mObservers.push_back(observer);
}

void FlexGrid::RemoveObserver(Observer* observer) {
    mObservers.erase(std::remove(mObservers.begin(), mObservers.end(), observer), mObservers.end());
}
