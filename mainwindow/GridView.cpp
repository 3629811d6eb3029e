#include "mainwindow/GridView.h"

#include "base/paths.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace {

Qt::Alignment AlignmentOf(int code) {
    switch (code) {
    case 0:
        return Qt::AlignLeft | Qt::AlignTop;
    case 2:
        return Qt::AlignLeft | Qt::AlignBottom;
    case 3:
        return Qt::AlignHCenter | Qt::AlignTop;
    case 4:
        return Qt::AlignCenter;
    case 5:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case 6:
        return Qt::AlignRight | Qt::AlignTop;
    case 7:
        return Qt::AlignRight | Qt::AlignVCenter;
    case 8:
        return Qt::AlignRight | Qt::AlignBottom;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Colours are 0x00BBGGRR, or 0x80000000 plus a system colour index.
QColor ColorOf(int32_t color) {
    if (uint32_t(color) & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (uint32_t(color) & 0xFFu) {
        case 15:
            return pal.color(QPalette::Button); // button face
        case 12:
            return pal.color(QPalette::Dark); // application workspace
        case 16:
            return pal.color(QPalette::Mid); // button shadow
        default:
            return pal.color(QPalette::Base); // window
        }
    }
    return BgrToColor(color);
}

// The direction of a text as its first letter of a strong direction gives it (the rule the
// caption box's paragraphs follow); fallback for text that has none (numbers, times).
Qt::LayoutDirection TextDirection(QStringView text, Qt::LayoutDirection fallback) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[++i]);
        switch (QChar::direction(c)) {
        case QChar::DirL:
        case QChar::DirLRE:
        case QChar::DirLRO:
            return Qt::LeftToRight;
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
            return Qt::RightToLeft;
        default:
            break;
        }
    }
    return fallback;
}

// Each cell's text takes its own direction: in a mirrored window a caption in a left-to-right
// script still reads (and is cut with its ellipsis) left to right from the cell's left edge.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->direction = TextDirection(option->text, option->direction);
    }
};

int TwipsX() {
    return std::max(1, gTwipsX);
}
int TwipsY() {
    return std::max(1, gTwipsY);
}

} // namespace

// --- FlexGridModel ---

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), mGrid(grid) {
    SetBaseFont(QFont());
    mGrid.AddObserver(this);
}

FlexGridModel::~FlexGridModel() {
    mGrid.RemoveObserver(this);
}

void FlexGridModel::SetBaseFont(const QFont& font) {
    for (int s = 0; s < 8; ++s) {
        mFonts[s] = font;
        if (s & FlexGrid::kBold) mFonts[s].setBold(true);
        if (s & FlexGrid::kItalic) mFonts[s].setItalic(true);
        if (s & FlexGrid::kUnderline) mFonts[s].setUnderline(true);
    }
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::FontRole});
}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : mGrid.Rows() - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : mGrid.Cols();
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const int row = index.row() + 1, col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return mGrid.TextMatrix(row, col);
    case Qt::FontRole: {
        const uint8_t style = mGrid.CellStyle(row, col);
        return style ? QVariant(mFonts[style]) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(mGrid.ColAlignment(col)));
    case Qt::BackgroundRole:
        // Fixed columns look like the header; other cells keep the window colour while the
        // area around them shows the grid's background colour.
        return QApplication::palette().brush(col < mGrid.FixedCols() ? QPalette::Button : QPalette::Base);
    default:
        return QVariant();
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return mGrid.TextMatrix(0, section);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(mGrid.ColAlignment(section)));
    default:
        return QVariant();
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
    // Shown, selected by the grid's rules, never edited in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void FlexGridModel::GridAboutToReset() {
    if (mResetDepth++ == 0) beginResetModel();
}

void FlexGridModel::GridReset() {
    if (--mResetDepth == 0) endResetModel();
}

void FlexGridModel::GridRowsAboutToBeInserted(int first, int count) {
    beginInsertRows(QModelIndex(), ModelRow(first), ModelRow(first + count - 1));
}

void FlexGridModel::GridRowsInserted(int, int) {
    endInsertRows();
}

void FlexGridModel::GridRowsAboutToBeRemoved(int first, int count) {
    beginRemoveRows(QModelIndex(), ModelRow(first), ModelRow(first + count - 1));
}

void FlexGridModel::GridRowsRemoved(int, int) {
    endRemoveRows();
}

void FlexGridModel::GridCellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) {
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, mGrid.Rows() - 1);
    lastCol = std::min(lastCol, mGrid.Cols() - 1);
    if (lastRow < firstRow || lastCol < firstCol) return;
    Q_EMIT dataChanged(index(ModelRow(firstRow), firstCol), index(ModelRow(lastRow), lastCol));
}

void FlexGridModel::GridHeaderChanged(int firstCol, int lastCol) {
    Q_EMIT headerDataChanged(Qt::Horizontal, firstCol, std::min(lastCol, mGrid.Cols() - 1));
}

// --- GridView ---

GridView::GridView(FlexGrid& grid, QWidget* parent)
    : QTableView(parent), mGrid(grid), mModel(new FlexGridModel(grid, this)) {
    setModel(mModel);
    setItemDelegate(new CellDelegate(this));
    // The grid's own rules decide the selection and the scrolling (see the event handlers);
    // the view only shows them.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setDragEnabled(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->viewport()->installEventFilter(this);
    // The selection shows the same whether or not the grid has the focus.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!mSyncingTop) mGrid.SetTopRow(value + 1);
    });
    mGrid.AddObserver(this);
    SetGridFont(font());
    ApplyLayout();
    ApplySelection();
    ApplyTopRow();
}

GridView::~GridView() {
    mGrid.RemoveObserver(this);
}

void GridView::SetGridFont(const QFont& font) {
    setFont(font);
    horizontalHeader()->setFont(font);
    mModel->SetBaseFont(font);
    const int px = QFontMetrics(font).height() + 4;
    mGrid.SetRowHeight(px * TwipsY());
    ApplyLayout(); // the row height may be unchanged in twips while the font changed
}

int GridView::RowPixels() const {
    return std::max(1, mGrid.RowHeight(1) / TwipsY());
}

int GridView::VisibleRows() const {
    return std::max(1, viewport()->height() / RowPixels());
}

int GridView::GridRowAt(int y) const {
    const int r = rowAt(y);
    return r < 0 ? -1 : r + 1;
}

QRect GridView::GridRowRect(int gridRow) const {
    if (gridRow < 1 || gridRow >= mGrid.Rows()) return QRect();
    return QRect(0, rowViewportPosition(gridRow - 1), viewport()->width(), rowHeight(gridRow - 1));
}

void GridView::keyboardSearch(const QString&) {}

// --- Following the grid ---

void GridView::GridReset() {
    // A model reset puts the sections back to their defaults.
    ApplyLayout();
    ApplySelection();
    ApplyTopRow();
}

void GridView::GridRowsInserted(int, int) {
    // The grid keeps its row numbers where rows came or went; the view's selection moved with
    // the rows and is put back.
    ApplySelection();
    ApplyTopRow();
}

void GridView::GridRowsRemoved(int, int) {
    ApplySelection();
    ApplyTopRow();
}

void GridView::GridLayoutChanged() {
    ApplyLayout();
}

void GridView::GridSelectionChanged() {
    ApplySelection();
}

void GridView::GridTopRowChanged() {
    ApplyTopRow();
}

void GridView::GridStateChanged() {
    const bool enabled = mGrid.Enabled();
    // Disabled with the focus, the grid would hand it on to the next control, the caption box,
    // where the hot keys type letters. It waits on the window instead, and comes back with the
    // grid unless the user put it elsewhere meanwhile.
    if (!enabled && hasFocus()) {
        mFocusParked = true;
        window()->setFocus(Qt::OtherFocusReason);
    }
    setEnabled(enabled);
    if (enabled && std::exchange(mFocusParked, false) && window()->focusWidget() == window())
        setFocus(Qt::OtherFocusReason);
    if (updatesEnabled() != mGrid.Redraw()) {
        setUpdatesEnabled(mGrid.Redraw());
        if (mGrid.Redraw()) viewport()->update();
    }
}

void GridView::ApplyLayout() {
    QHeaderView* header = horizontalHeader();
    const int cols = mModel->columnCount();
    for (int c = 0; c < cols; ++c)
        header->resizeSection(c, mGrid.ColWidth(c) / TwipsX());
    const int px = RowPixels();
    verticalHeader()->setDefaultSectionSize(px);
    header->setFixedHeight(px + 2);
    // The "nothing loaded" grid is one message cell, without a header.
    header->setVisible(cols > 1);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, ColorOf(mGrid.BackColorBkg()));
    viewport()->setPalette(pal);
    viewport()->update();
    header->viewport()->update();
    UpdateViewSize();
}

void GridView::ApplySelection() {
    QItemSelectionModel* sm = selectionModel();
    const int rows = mModel->rowCount(), cols = mModel->columnCount();
    if (rows <= 0 || cols <= 0) return;
    const int r1 = std::max(1, std::min(mGrid.Row(), mGrid.RowSel()));
    const int r2 = std::min(rows, std::max(mGrid.Row(), mGrid.RowSel()));
    const bool show = mGrid.HighLight() == 1 || (mGrid.HighLight() == 2 && hasFocus());
    if (show && r2 >= r1) {
        sm->select(QItemSelection(mModel->index(r1 - 1, 0), mModel->index(r2 - 1, cols - 1)),
                   QItemSelectionModel::ClearAndSelect);
    } else {
        sm->clearSelection();
    }
    if (!show && mGrid.HighLight() == 0) {
        // A grid that never highlights shows no current cell either.
        sm->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    } else if (mGrid.Row() >= 1 && mGrid.Row() <= rows)
        sm->setCurrentIndex(mModel->index(mGrid.Row() - 1, std::clamp(mGrid.Col(), 0, cols - 1)),
                            QItemSelectionModel::NoUpdate);
}

void GridView::ApplyTopRow() {
    if (mSyncingTop) return;
    mSyncingTop = true;
    // The scroll range follows the rows only after the view's delayed layout.
    executeDelayedItemsLayout();
    QTableView::updateGeometries();
    verticalScrollBar()->setValue(mGrid.TopRow() - 1);
    const int shown = verticalScrollBar()->value() + 1;
    mSyncingTop = false;
    // The view cannot scroll past its last page; the grid's top row is what it shows.
    if (shown != mGrid.TopRow()) mGrid.SetTopRow(shown);
}

void GridView::UpdateViewSize() {
    // The grid's height is its header and its rows' area, so that height / row height counts the
    // header row and the rows that fit.
    const int headerPx = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
    // Its width is what lies inside the frame: a column of that width fills the grid.
    mGrid.SetViewSize((width() - 2 * frameWidth()) * TwipsX(), (headerPx + viewport()->height()) * TwipsY());
}

void GridView::EnsureRowVisible(int gridRow) {
    const int n = VisibleRows();
    if (gridRow < mGrid.TopRow())
        mGrid.SetTopRow(gridRow);
    else if (gridRow >= mGrid.TopRow() + n)
        mGrid.SetTopRow(gridRow - n + 1);
}

// --- Input ---

void GridView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int row = GridRowAt(pos.y());
    mGrid.SetMouseRow(row);
    if (event->button() == Qt::LeftButton && row >= 1) {
        if (event->modifiers() & Qt::ShiftModifier) {
            mGrid.SetRowSel(row);
        } else {
            int col = columnAt(pos.x());
            if (col < mGrid.FixedCols()) col = std::min(mGrid.FixedCols(), mGrid.Cols() - 1);
            mGrid.SetCurrentCell(row, col);
        }
        mDragging = true;
    }
    Q_EMIT MouseDown(event->button(), event->modifiers(), pos);
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    if (!mDragging || !(event->buttons() & Qt::LeftButton)) return;
    const int y = event->position().toPoint().y();
    const int last = mGrid.Rows() - 1;
    if (last < 1) return;
    int row;
    if (y < 0)
        row = mGrid.TopRow() - 1;
    else if (GridRowAt(y) >= 1)
        row = GridRowAt(y);
    else
        row = mGrid.TopRow() + VisibleRows(); // below the rows: one row further down
    row = std::clamp(row, 1, last);
    mGrid.SetRowSel(row);
    EnsureRowVisible(row);
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    mDragging = false;
    const QPoint pos = event->position().toPoint();
    mGrid.SetMouseRow(GridRowAt(pos.y()));
    Q_EMIT MouseUp(event->button(), event->modifiers(), pos);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    mGrid.SetMouseRow(GridRowAt(event->position().toPoint().y()));
    if (event->button() == Qt::LeftButton) Q_EMIT DblClick();
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != horizontalHeader()->viewport()) return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        // The header is the grid's row 0: no sorting, no column selection, no resizing.
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint pos = me->position().toPoint();
        mGrid.SetMouseRow(0);
        if (event->type() == QEvent::MouseButtonPress)
            Q_EMIT MouseDown(me->button(), me->modifiers(), pos);
        else
            Q_EMIT MouseUp(me->button(), me->modifiers(), pos);
        return true;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return true;
    default:
        return QTableView::eventFilter(watched, event);
    }
}

void GridView::keyPressEvent(QKeyEvent* event) {
    Q_EMIT KeyDown(event->key(), event->modifiers());
    const int last = mGrid.Rows() - 1;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int from = shift ? mGrid.RowSel() : mGrid.Row();
    int target;
    switch (event->key()) {
    case Qt::Key_Up:
        target = from - 1;
        break;
    case Qt::Key_Down:
        target = from + 1;
        break;
    case Qt::Key_PageUp:
        target = from - VisibleRows();
        break;
    case Qt::Key_PageDown:
        target = from + VisibleRows();
        break;
    case Qt::Key_Home:
        target = 1;
        break;
    case Qt::Key_End:
        target = last;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        const int lo = std::min(mGrid.FixedCols(), mGrid.Cols() - 1);
        mGrid.SetCol(std::clamp(mGrid.Col() + step, lo, mGrid.Cols() - 1));
        event->accept();
        return;
    }
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The main window's KeyDown handles these.
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
    event->accept();
    if (last < 1) return;
    target = std::clamp(target, 1, last);
    if (shift) {
        mGrid.SetRowSel(target);
    } else {
        // The row change selects the caption (RowColChange), which scrolls it into view.
        mGrid.SetRow(target);
    }
    EnsureRowVisible(target);
}

void GridView::wheelEvent(QWheelEvent* event) {
    // The grid itself does not scroll by the wheel: the main window's wheel hook moves its top
    // row. The turn ends here rather than scrolling a window around the grid.
    event->accept();
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    UpdateViewSize();
    Q_EMIT Resized();
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    UpdateViewSize();
}

void GridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (mGrid.HighLight() == 2) ApplySelection();
}

void GridView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    if (mGrid.HighLight() == 2) ApplySelection();
}
