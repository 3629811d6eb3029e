#include "platform/FlexGrid.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <vector>


namespace {

// Records what a view would be told.
struct Recorder : FlexGrid::Observer {
    QStringList log;
    void GridAboutToReset() override { log << "aboutToReset"; }
    void GridReset() override { log << "reset"; }
    void GridRowsAboutToBeInserted(int first, int count) override {
        log << QStringLiteral("aboutToInsert %1 %2").arg(first).arg(count);
    }
    void GridRowsInserted(int first, int count) override {
        log << QStringLiteral("inserted %1 %2").arg(first).arg(count);
    }
    void GridRowsAboutToBeRemoved(int first, int count) override {
        log << QStringLiteral("aboutToRemove %1 %2").arg(first).arg(count);
    }
    void GridRowsRemoved(int first, int count) override {
        log << QStringLiteral("removed %1 %2").arg(first).arg(count);
    }
    void GridCellsChanged(int r1, int r2, int c1, int c2) override {
        log << QStringLiteral("cells %1-%2 %3-%4").arg(r1).arg(r2).arg(c1).arg(c2);
    }
    void GridHeaderChanged(int c1, int c2) override { log << QStringLiteral("header %1-%2").arg(c1).arg(c2); }
};

// A four-column grid with rows 1..n holding start = row * 10, end = row * 10 + 5, text "t<row>".
void Fill(FlexGrid& g, int n) {
    g.SetCols(4);
    std::vector<FlexGrid::RowData> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({i * 10, i * 10 + 5, QStringLiteral("t%1").arg(i), 0});
    ASSERT_TRUE(g.FillRows(1, rows));
}

} // namespace

TEST(FlexGrid, StartsAsTheGridControlDoes) {
    FlexGrid g;
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.TopRow(), 1);
    EXPECT_TRUE(g.Enabled());
    EXPECT_TRUE(g.Redraw());
}

TEST(FlexGrid, CellsAreTypedAndColumnZeroIsTheRowNumber) {
    FlexGrid g;
    Fill(g, 3);
    EXPECT_EQ(g.TextMatrix(2, 0), "2");
    EXPECT_EQ(g.TextMatrix(2, 1), "20");
    EXPECT_EQ(g.TextMatrix(2, 2), "25");
    EXPECT_EQ(g.TextMatrix(2, 3), "t2");

    // A number cell keeps what its text reads as: the leading number, halves to even, saturated.
    g.SetTextMatrix(1, 1, QStringLiteral("12.5 ms"));
    EXPECT_EQ(g.Number(1, 1), 12);
    g.SetTextMatrix(1, 1, QStringLiteral("abc"));
    EXPECT_EQ(g.TextMatrix(1, 1), "0");
    g.SetTextMatrix(1, 2, QStringLiteral("99999999999"));
    EXPECT_EQ(g.Number(1, 2), std::numeric_limits<int32_t>::max());
    g.SetTextMatrix(1, 2, QStringLiteral("-1e12"));
    EXPECT_EQ(g.Number(1, 2), std::numeric_limits<int32_t>::min());

    // Outside the grid: nothing read, nothing written.
    for (int row : {-1, 4, 99999}) {
        g.SetTextMatrix(row, 3, QStringLiteral("x"));
        EXPECT_EQ(g.TextMatrix(row, 3), "");
        EXPECT_EQ(g.Number(row, 1), 0);
    }
    g.SetTextMatrix(1, 4, QStringLiteral("x"));
    EXPECT_EQ(g.TextMatrix(1, 4), "");
    EXPECT_EQ(g.Rows(), 4);
}

TEST(FlexGrid, NumbersFollowTheRowsButAWrittenNumberTextStaysUntilRenumbered) {
    FlexGrid g;
    Fill(g, 3);
    g.SetTextMatrix(3, 0, QStringLiteral("x"));
    ASSERT_TRUE(g.AddItem(QString(), 1));
    EXPECT_EQ(g.TextMatrix(1, 0), "1");
    EXPECT_EQ(g.TextMatrix(2, 0), "2");
    EXPECT_EQ(g.TextMatrix(4, 0), "x"); // moved down with its row
    g.RenumberRows();
    EXPECT_EQ(g.TextMatrix(4, 0), "4");
    EXPECT_EQ(g.TextMatrix(2, 3), "t1");
}

TEST(FlexGrid, AddItemFillsFieldsAndRefusesBadIndexes) {
    FlexGrid g;
    Fill(g, 2);
    ASSERT_TRUE(g.AddItem(QStringLiteral("9\t100\t200\thello"), 2));
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Number(2, 1), 100);
    EXPECT_EQ(g.Number(2, 2), 200);
    EXPECT_EQ(g.Text(2), "hello");
    EXPECT_EQ(g.TextMatrix(2, 0), "9");
    EXPECT_EQ(g.Text(3), "t2");
    EXPECT_FALSE(g.AddItem(QString(), 0)); // never above the header
    EXPECT_FALSE(g.AddItem(QString(), 6));
    EXPECT_TRUE(g.AddItem()); // appends
    EXPECT_EQ(g.Rows(), 5);
}

TEST(FlexGrid, StylesMoveWithTheirRows) {
    FlexGrid g;
    Fill(g, 5);
    g.SetCellStyle(2, 3, FlexGrid::kBold);
    g.SetCellStyle(4, 3, FlexGrid::kItalic | FlexGrid::kUnderline);
    g.SetCellStyle(4, 1, FlexGrid::kBold);

    ASSERT_TRUE(g.AddItem(QString(), 1));
    EXPECT_EQ(g.CellStyle(3, 3), FlexGrid::kBold);
    EXPECT_EQ(g.CellStyle(5, 3), FlexGrid::kItalic | FlexGrid::kUnderline);
    EXPECT_EQ(g.CellStyle(5, 1), FlexGrid::kBold);
    EXPECT_EQ(g.CellStyle(2, 3), 0);

    ASSERT_TRUE(g.RemoveRange(1, 3)); // the new row, t1 and the bold t2
    EXPECT_EQ(g.Text(1), "t3");
    EXPECT_EQ(g.CellStyle(1, 3), 0);
    EXPECT_EQ(g.Text(2), "t4");
    EXPECT_EQ(g.CellStyle(2, 3), FlexGrid::kItalic | FlexGrid::kUnderline);
}

TEST(FlexGrid, CellFontActsOnTheCurrentCell) {
    FlexGrid g;
    Fill(g, 3);
    g.SetCurrentCell(2, 3);
    g.SetCellFontBold(true);
    g.SetCellFontUnderline(true);
    EXPECT_EQ(g.CellStyle(2, 3), FlexGrid::kBold | FlexGrid::kUnderline);
    EXPECT_EQ(g.CellStyle(2, 1), 0);
    g.SetCellFontBold(false);
    EXPECT_FALSE(g.CellFontBold());
    EXPECT_TRUE(g.CellFontUnderline());
    EXPECT_FALSE(g.CellFontItalic());
}

TEST(FlexGrid, RemoveRangeOnlyWithinTheRows) {
    FlexGrid g;
    Fill(g, 4);
    EXPECT_FALSE(g.RemoveRange(0, 1));
    EXPECT_FALSE(g.RemoveRange(3, 3));
    EXPECT_FALSE(g.RemoveRange(-2, 4));
    EXPECT_FALSE(g.RemoveRange(2, 0));
    EXPECT_EQ(g.Rows(), 5);
    EXPECT_TRUE(g.RemoveRange(2, 3));
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Text(1), "t1");
}

TEST(FlexGrid, SettingRowOrColCollapsesTheSelectionAndRaisesRowColChange) {
    FlexGrid g;
    Fill(g, 10);
    int events = 0;
    g.RowColChange = [&] { ++events; };

    g.SetRow(4);
    EXPECT_EQ(events, 1);
    g.SetRowSel(8);
    g.SetColSel(3);
    EXPECT_EQ(events, 1); // the other corner moves without an event
    EXPECT_EQ(g.RowSel(), 8);

    g.SetRow(4); // same row: no event, but the selection collapses
    EXPECT_EQ(events, 1);
    EXPECT_EQ(g.RowSel(), 4);
    EXPECT_EQ(g.ColSel(), 1);

    g.SetRowSel(6);
    g.SetCol(2);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(g.RowSel(), 4);
    EXPECT_EQ(g.ColSel(), 2);

    g.SetCurrentCell(7, 3); // both change: one event
    EXPECT_EQ(events, 3);

    // Out of range: ignored.
    for (int row : {-1, 11, 40000})
        g.SetRow(row);
    g.SetCol(4);
    g.SetRowSel(11);
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.Col(), 3);
    EXPECT_EQ(g.RowSel(), 7);
    EXPECT_EQ(events, 3);
}

TEST(FlexGrid, RowColChangeSeesTheNewRow) {
    FlexGrid g;
    Fill(g, 5);
    int seen = 0;
    g.RowColChange = [&] { seen = g.Row(); };
    g.SetRow(3);
    EXPECT_EQ(seen, 3);
}

TEST(FlexGrid, RowsThatGoAwayTakeTheCurrentRowAlong) {
    FlexGrid g;
    Fill(g, 10);
    g.SetRow(9);
    g.SetRowSel(10);
    g.SetTopRow(8);
    int events = 0;
    g.RowColChange = [&] { ++events; };
    ASSERT_TRUE(g.RemoveRange(3, 6));
    EXPECT_EQ(g.Rows(), 5);
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.RowSel(), 4);
    EXPECT_EQ(g.TopRow(), 4);
    EXPECT_EQ(events, 1);

    ASSERT_TRUE(g.SetRows(3));
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(events, 2);
}

TEST(FlexGrid, TopRowStaysAmongTheRows) {
    FlexGrid g;
    Fill(g, 20);
    g.SetTopRow(0);
    EXPECT_EQ(g.TopRow(), 1);
    g.SetTopRow(500);
    EXPECT_EQ(g.TopRow(), 20);
    g.SetTopRow(7);
    EXPECT_EQ(g.TopRow(), 7);
}

TEST(FlexGrid, FillRowsReplacesFromARowOnInOneStep) {
    FlexGrid g;
    Fill(g, 5);
    g.SetCellStyle(4, 3, FlexGrid::kBold);
    Recorder rec;
    g.AddObserver(&rec);
    const std::vector<FlexGrid::RowData> more = {{1, 2, QStringLiteral("a"), FlexGrid::kItalic},
                                                 {3, 4, QStringLiteral("b"), 0}};
    ASSERT_TRUE(g.FillRows(4, more));
    EXPECT_EQ(g.Rows(), 6);
    EXPECT_EQ(g.Text(3), "t3");
    EXPECT_EQ(g.Text(4), "a");
    EXPECT_EQ(g.CellStyle(4, 3), FlexGrid::kItalic); // the old row's bold did not stay
    EXPECT_EQ(g.Number(5, 2), 4);
    EXPECT_EQ(rec.log.count("reset"), 1);
    EXPECT_EQ(rec.log.filter("cells").size(), 0);

    EXPECT_FALSE(g.FillRows(0, more));
    EXPECT_FALSE(g.FillRows(8, more));
    g.RemoveObserver(&rec);
}

TEST(FlexGrid, HoldsAtMostThirtyTwoThousandSevenHundredSixtySevenRows) {
    FlexGrid g;
    g.SetCols(4);
    std::vector<FlexGrid::RowData> rows(FlexGrid::kMaxRows - 1);
    ASSERT_TRUE(g.FillRows(1, rows));
    EXPECT_EQ(g.Rows(), FlexGrid::kMaxRows);
    EXPECT_FALSE(g.AddItem());
    EXPECT_FALSE(g.SetRows(FlexGrid::kMaxRows + 1));
    rows.push_back({});
    EXPECT_FALSE(g.FillRows(1, rows));
    EXPECT_EQ(g.Rows(), FlexGrid::kMaxRows);
}

TEST(FlexGrid, RedrawOffCollectsCellChangesIntoOne) {
    FlexGrid g;
    Fill(g, 100);
    Recorder rec;
    g.AddObserver(&rec);
    g.SetRedraw(false);
    for (int i = 10; i <= 60; ++i)
        g.SetText(i, QStringLiteral("x"));
    g.SetCellStyle(5, 3, FlexGrid::kBold);
    g.SetTextMatrix(0, 3, QStringLiteral("Text"));
    EXPECT_TRUE(rec.log.isEmpty());
    // Structure is never held back: a view must always know the row count.
    g.RemoveItem(100);
    EXPECT_EQ(rec.log, QStringList({"aboutToRemove 100 1", "removed 100 1"}));
    rec.log.clear();
    g.SetRedraw(true);
    EXPECT_EQ(rec.log, QStringList({"cells 5-60 3-3", "header 0-3"}));
    g.RemoveObserver(&rec);
}

TEST(FlexGrid, ObserversHearStructureBeforeAndAfter) {
    FlexGrid g;
    Fill(g, 3);
    Recorder rec;
    g.AddObserver(&rec);
    g.AddItem(QString(), 2);
    g.SetRows(7);
    g.RemoveRange(2, 2);
    EXPECT_EQ(rec.log, QStringList({"aboutToInsert 2 1", "inserted 2 1", "aboutToInsert 5 2", "inserted 5 2",
                                    "aboutToRemove 2 2", "removed 2 2"}));
    g.RemoveObserver(&rec);
}

TEST(FlexGrid, FewerColumnsDropTheirCells) {
    FlexGrid g;
    Fill(g, 2);
    g.SetCellStyle(1, 3, FlexGrid::kBold);
    g.SetTextMatrix(0, 3, QStringLiteral("Text"));
    g.SetCurrentCell(1, 3);
    g.SetCols(1);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.FixedCols(), 0);
    g.SetCols(4);
    EXPECT_EQ(g.Text(1), "");
    EXPECT_EQ(g.Number(1, 1), 0);
    EXPECT_EQ(g.CellStyle(1, 3), 0);
    EXPECT_EQ(g.TextMatrix(0, 3), "");
}

TEST(FlexGrid, ClearEmptiesCellsButKeepsTheShape) {
    FlexGrid g;
    Fill(g, 3);
    g.SetTextMatrix(0, 1, QStringLiteral("Start"));
    g.SetCellStyle(2, 3, FlexGrid::kBold);
    g.SetTextMatrix(2, 0, QStringLiteral("x"));
    g.Clear();
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.TextMatrix(0, 1), "");
    EXPECT_EQ(g.Text(2), "");
    EXPECT_EQ(g.Number(3, 2), 0);
    EXPECT_EQ(g.CellStyle(2, 3), 0);
    EXPECT_EQ(g.TextMatrix(2, 0), "2");
}

TEST(FlexGrid, ResetKeepsObserversAndTheRowColChangeHandler) {
    FlexGrid g;
    Fill(g, 3);
    int events = 0;
    g.RowColChange = [&] { ++events; };
    Recorder rec;
    g.AddObserver(&rec);
    g.Reset();
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 2);
    EXPECT_TRUE(rec.log.contains("reset"));
    g.SetRows(5);
    g.SetRow(3);
    EXPECT_EQ(events, 1);
    g.RemoveObserver(&rec);
}
