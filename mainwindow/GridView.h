#pragma once
// The caption grid on screen: a table view over an adapter model on the FlexGrid. The grid
// model is the only state; the view shows its cells, selection and top row, and turns mouse
// and keyboard input into the grid's own behaviour (current row, selection, top row). What the
// main window does on top (pop-up menu, Delete, seeking) comes through the signals; the wheel
// reaches the main window through its wheel hook.
#include "platform/FlexGrid.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>

class FlexGridModel : public QAbstractTableModel, public FlexGrid::Observer {
    Q_OBJECT
public:
    explicit FlexGridModel(FlexGrid& grid, QObject* parent = nullptr);
    ~FlexGridModel() override;

    // The font of unstyled cells; styled text cells use it with bold, italic or underline.
    void SetBaseFont(const QFont& font);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Model row of a grid row (the header is not a model row).
    static int ModelRow(int gridRow) { return gridRow - 1; }

    void GridAboutToReset() override;
    void GridReset() override;
    void GridRowsAboutToBeInserted(int first, int count) override;
    void GridRowsInserted(int first, int count) override;
    void GridRowsAboutToBeRemoved(int first, int count) override;
    void GridRowsRemoved(int first, int count) override;
    void GridCellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
    void GridHeaderChanged(int firstCol, int lastCol) override;

private:
    FlexGrid& mGrid;
    QFont mFonts[8]; // by style bits
    int mResetDepth = 0;
};

class GridView : public QTableView, public FlexGrid::Observer {
    Q_OBJECT
public:
    explicit GridView(FlexGrid& grid, QWidget* parent = nullptr);
    ~GridView() override;

    FlexGrid& Grid() const { return mGrid; }
    FlexGridModel* GridModel() const { return mModel; }
    // The grid's font; every row gets the height the font needs.
    void SetGridFont(const QFont& font);
    // Rows that fit wholly in the visible area.
    int VisibleRows() const;
    // The grid row at a viewport position: 1.., or -1 below the last row.
    int GridRowAt(int y) const;
    // The viewport rectangle of a grid row (empty when not laid out).
    QRect GridRowRect(int gridRow) const;

    // No search by typed letters: letters belong to the main window's hot keys.
    void keyboardSearch(const QString& search) override;

    void GridReset() override;
    void GridRowsInserted(int first, int count) override;
    void GridRowsRemoved(int first, int count) override;
    void GridLayoutChanged() override;
    void GridSelectionChanged() override;
    void GridTopRowChanged() override;
    void GridStateChanged() override;

Q_SIGNALS:
    // After the grid's own handling, as the grid control raises its events.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void DblClick();
    // Before the grid's own handling of the key.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Resized();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void updateGeometries() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyLayout();
    void ApplySelection();
    void ApplyTopRow();
    void UpdateViewSize();
    void EnsureRowVisible(int gridRow);
    int RowPixels() const;

    FlexGrid& mGrid;
    FlexGridModel* mModel;
    bool mSyncingTop = false;
    bool mFocusParked = false; // the focus waits on the window while the grid is disabled
    bool mDragging = false;
};
