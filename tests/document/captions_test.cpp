#include "base/settings.h"
#include "document/captions.h"
#include "support/fixture.h"

#include <ostream>
#include <vector>


namespace {

class Captions : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLineBreak = QStringLiteral("|");
    }
    void TearDown() override {
        gOnShowSelectedLine = nullptr;
        gOnShowCaption = nullptr;
        gOnShowWaveSelection = nullptr;
        ScrivelleTest::TearDown();
    }

    // A document of n captions: caption i runs from i * 1000 to i * 1000 + 500, text "c<i>".
    static void MakeDocument(int n) {
        ResetCaptionGrid(true);
        std::vector<tSubtitleLine> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back({i * 1000, i * 1000 + 500, QStringLiteral("c%1").arg(i)});
        ASSERT_TRUE(FillLines(0, lines));
    }

    static QStringList Texts() {
        QStringList out;
        for (int i = 1; i < grdSubs().Rows(); ++i)
            out << GetLineText(i);
        return out;
    }
};

} // namespace

TEST_F(Captions, ANewDocumentIsTheHeaderAndOneEmptyRow) {
    gModified = false;
    ResetCaptionGrid(true);
    FlexGrid& g = grdSubs();
    EXPECT_TRUE(IsDocumentGrid());
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.TextMatrix(0, 0), "#");
    EXPECT_EQ(g.TextMatrix(1, 0), "1");
    EXPECT_EQ(g.TextMatrix(1, 1), "0");
    EXPECT_EQ(g.TextMatrix(1, 2), "0");
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_FALSE(gModified);
}

TEST_F(Captions, NothingLoadedIsNotADocument) {
    MakeDocument(3);
    ResetCaptionGrid(false);
    FlexGrid& g = grdSubs();
    EXPECT_FALSE(IsDocumentGrid());
    EXPECT_EQ(g.Cols(), 1);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.HighLight(), 0);
    EXPECT_EQ(CaptionCount(), 0);
    // The message cell is no caption text, and nothing can be written into it.
    g.SetTextMatrix(1, 0, QStringLiteral("No text or subtitle file loaded."));
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(IsLineTimed(1));
    gModified = false;
    SetLineStart(1, 500);
    SetLineText(1, QStringLiteral("x"));
    EXPECT_EQ(AddLine(0, 0, QStringLiteral("x")), 0);
    RemoveLines(1, 1);
    EXPECT_FALSE(ToggleBold(1, 1));
    EXPECT_FALSE(FillLines(0, std::vector<tSubtitleLine>{{1, 2, QStringLiteral("x")}}));
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.TextMatrix(1, 0), "No text or subtitle file loaded.");
    EXPECT_FALSE(gModified);
}

TEST_F(Captions, TextWithLineBreaks) {
    MakeDocument(2);
    SetLineText(1, QStringLiteral("one|two|three"));
    EXPECT_EQ(GetLineText(1), "one|two|three");
    EXPECT_EQ(GetLineText(1, true), "one\r\ntwo\r\nthree");
    // A line still being typed (ending with the marker) leaves the cell alone.
    SetLineText(1, QStringLiteral("Hello|"));
    EXPECT_EQ(GetLineText(1), "one|two|three");
    gLineBreak = QStringLiteral("[br]");
    EXPECT_EQ(GetLineText(1, true), "one|two|three");
}

TEST_F(Captions, AnEmptyLineBreakMarkerNeitherDropsTextNorSplitsIt) {
    MakeDocument(1);
    gLineBreak.clear();
    SetLineText(1, QStringLiteral("kept"));
    EXPECT_EQ(GetLineText(1), "kept");
    EXPECT_EQ(GetLineText(1, true), "kept");
}

TEST_F(Captions, TimeSettersClampAndMarkTheDocument) {
    MakeDocument(2);
    gModified = false;
    SetLineStart(1, -5, false);
    EXPECT_EQ(GetLineStart(1), 0);
    EXPECT_EQ(grdSubs().TextMatrix(1, 1), "0");
    EXPECT_TRUE(gModified);

    gModified = false;
    SetLineStart(1, 1200, true);
    EXPECT_EQ(GetLineStart(1), 1200);
    EXPECT_FALSE(gModified);

    SetLineEnd(1, -1);
    EXPECT_EQ(GetLineEnd(1), 0);
    EXPECT_TRUE(gModified);

    gModified = false;
    ClearLineTimes(2, true);
    EXPECT_FALSE(IsLineTimed(2));
    EXPECT_FALSE(gModified);
    SetLineEnd(2, 3000);
    ClearLineTimes(2);
    EXPECT_EQ(GetLineEnd(2), 0);
    EXPECT_TRUE(gModified);
}

TEST_F(Captions, CellsReadTheirLeadingNumberSaturated) {
    MakeDocument(1);
    FlexGrid& g = grdSubs();
    g.SetTextMatrix(1, 1, QStringLiteral("99999999999"));
    g.SetTextMatrix(1, 2, QStringLiteral("1e12"));
    EXPECT_EQ(GetLineStart(1), 2147483647);
    EXPECT_EQ(GetLineEnd(1), 2147483647);
    g.SetTextMatrix(1, 1, QStringLiteral("2.5"));
    g.SetTextMatrix(1, 2, QStringLiteral("none"));
    EXPECT_EQ(GetLineStart(1), 2);
    EXPECT_EQ(GetLineEnd(1), 0);
}

TEST_F(Captions, TimedMeansAnyNonZeroTime) {
    MakeDocument(3);
    ClearLineTimes(1);
    EXPECT_FALSE(IsLineTimed(1));
    SetLineEnd(1, 1);
    EXPECT_TRUE(IsLineTimed(1));
    SetLineStart(2, 5000);
    SetLineEnd(2, 100); // an end before the start is still timed
    EXPECT_TRUE(IsLineTimed(2));
    EXPECT_FALSE(IsLineTimed(0));
    EXPECT_FALSE(IsLineTimed(grdSubs().Rows()));
}

TEST_F(Captions, RowsOutsideTheDocumentAreIgnored) {
    MakeDocument(3);
    gModified = false;
    for (int row : {0, -1, 4, 40000, -40000}) {
        SetLineText(row, QStringLiteral("x"));
        SetLineStart(row, 10);
        SetLineEnd(row, 10);
        ClearLineTimes(row);
        RemoveLineTags(row);
        EXPECT_EQ(GetLineText(row), "");
        EXPECT_EQ(GetLineStart(row), 0);
        EXPECT_EQ(GetLineEnd(row), 0);
        EXPECT_FALSE(IsLineBold(row));
        EXPECT_FALSE(ToggleBold(row, 1));
        EXPECT_FALSE(ToggleItalic(1, row));
        RemoveLines(row, 2);
    }
    for (int row : {-1, 5, 40000, -40000})
        EXPECT_EQ(AddLine(0, 0, QStringLiteral("x"), row), 0);
    EXPECT_EQ(Texts(), QStringList({"c1", "c2", "c3"}));
    EXPECT_EQ(grdSubs().TextMatrix(0, 0), "#");
}

TEST_F(Captions, AddLineReusesTheEmptyRowOfANewDocument) {
    ResetCaptionGrid(true);
    EXPECT_EQ(AddLine(100, 200, QStringLiteral("first"), 0), 1);
    EXPECT_EQ(grdSubs().Rows(), 2);
    EXPECT_EQ(GetLineText(1), "first");
    EXPECT_EQ(AddLine(300, 400, QStringLiteral("second"), 0), 2);
    EXPECT_EQ(grdSubs().Rows(), 3);
    EXPECT_EQ(grdSubs().TextMatrix(2, 0), "2");
}

TEST_F(Captions, AddLineInsertsAndRenumbers) {
    MakeDocument(3);
    gModified = false;
    EXPECT_EQ(AddLine(-50, 700, QStringLiteral("new"), 2), 2);
    EXPECT_EQ(Texts(), QStringList({"c1", "new", "c2", "c3"}));
    EXPECT_EQ(GetLineStart(2), 0); // never negative
    EXPECT_EQ(GetLineEnd(2), 700);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(grdSubs().TextMatrix(i, 0), QString::number(i));
    EXPECT_FALSE(gModified);
    EXPECT_EQ(AddLine(0, 0, QStringLiteral("end"), 5), 5);
    EXPECT_EQ(AddLine(0, 0, QStringLiteral("past"), 7), 0);
    EXPECT_EQ(grdSubs().Rows(), 6);
}

TEST_F(Captions, AddLineRefusesMoreCaptionsThanRowNumbersHold) {
    ResetCaptionGrid(true);
    std::vector<tSubtitleLine> lines(kMaxCaptions, tSubtitleLine{1, 2, QStringLiteral("x")});
    ASSERT_TRUE(FillLines(0, lines));
    EXPECT_EQ(CaptionCount(), 32767);
    EXPECT_EQ(AddLine(5, 6, QStringLiteral("too many"), 0), 0);
    EXPECT_EQ(AddLine(5, 6, QStringLiteral("too many"), 1), 0);
    EXPECT_EQ(CaptionCount(), 32767);
    EXPECT_EQ(GetLineText(1), "x");
    lines.push_back({});
    EXPECT_FALSE(FillLines(0, lines));
    EXPECT_FALSE(FillLines(1, std::vector<tSubtitleLine>(kMaxCaptions)));
    EXPECT_EQ(CaptionCount(), 32767);
}

TEST_F(Captions, RemoveLinesInEitherOrder) {
    MakeDocument(5);
    RemoveLines(3, 1);
    EXPECT_EQ(Texts(), QStringList({"c4", "c5"}));
    MakeDocument(5);
    RemoveLines(1, 3);
    EXPECT_EQ(Texts(), QStringList({"c4", "c5"}));
    EXPECT_EQ(grdSubs().TextMatrix(1, 0), "1");
    EXPECT_EQ(grdSubs().TextMatrix(2, 0), "2");
}

TEST_F(Captions, RemoveLinesSelectsTheFirstRowAndMarksTheDocument) {
    MakeDocument(6);
    gModified = false;
    RemoveLines(5, 6);
    EXPECT_TRUE(gModified);
    EXPECT_EQ(gCurrentRow, 4); // row 5 no longer exists: the last caption
    EXPECT_EQ(grdSubs().Row(), 4);
    RemoveLines(2, 2);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(GetLineText(2), "c3");
}

TEST_F(Captions, RemovingEveryCaptionLeavesOneEmptyRow) {
    MakeDocument(4);
    ToggleBold(1, 4);
    RemoveLines(1, 4);
    FlexGrid& g = grdSubs();
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_EQ(g.TextMatrix(1, 0), "1");
    EXPECT_EQ(g.CellStyle(1, kColText), 0); // no bold left on the empty row
    EXPECT_TRUE(gModified);

    // The only caption: cleared, not removed.
    AddLine(10, 20, QStringLiteral("<i>only"), 0);
    g.SetCellStyle(1, kColText, FlexGrid::kItalic);
    gModified = false;
    RemoveLines(1, 1);
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(IsLineTimed(1));
    EXPECT_EQ(g.CellStyle(1, kColText), 0);
    EXPECT_TRUE(gModified);
}

TEST_F(Captions, ToggleAddsWhenAnyRowLacksTheTagElseRemoves) {
    MakeDocument(5);
    SetLineText(3, QStringLiteral("<b>c3"));
    grdSubs().SetCellStyle(3, kColText, FlexGrid::kBold);
    gModified = false;

    EXPECT_TRUE(ToggleBold(2, 4));
    EXPECT_EQ(Texts(), QStringList({"c1", "<b>c2", "<b>c3", "<b>c4", "c5"}));
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(grdSubs().CellStyle(i, kColText), FlexGrid::kBold) << i;
    EXPECT_EQ(grdSubs().CellStyle(1, kColText), 0);

    EXPECT_FALSE(ToggleBold(4, 2)); // all bold now: removes, in either direction
    EXPECT_EQ(Texts(), QStringList({"c1", "c2", "c3", "c4", "c5"}));
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(grdSubs().CellStyle(i, kColText), 0) << i;
    EXPECT_FALSE(gModified);
}

TEST_F(Captions, ToggleRemovesEveryOccurrenceAndKeepsOtherStyles) {
    MakeDocument(2);
    SetLineText(1, QStringLiteral("<i>a<b>b<b>"));
    grdSubs().SetCellStyle(1, kColText, FlexGrid::kBold | FlexGrid::kItalic);
    EXPECT_TRUE(IsLineBold(1)); // a tag in the middle counts
    EXPECT_FALSE(ToggleBold(1, 1));
    EXPECT_EQ(GetLineText(1), "<i>ab");
    EXPECT_EQ(grdSubs().CellStyle(1, kColText), FlexGrid::kItalic);
    EXPECT_TRUE(ToggleUnderline(1, 2));
    EXPECT_EQ(Texts(), QStringList({"<u><i>ab", "<u>c2"}));
    EXPECT_TRUE(IsLineUnderline(2));
    EXPECT_TRUE(IsLineItalic(1));
    EXPECT_FALSE(IsLineItalic(2));
    // Tags are case-sensitive.
    SetLineText(2, QStringLiteral("<B>c2"));
    EXPECT_FALSE(IsLineBold(2));
}

TEST_F(Captions, ToggleLeavesTheRangeSelectedAndRedrawOn) {
    MakeDocument(6);
    SelectLine(2, false);
    grdSubs().SetRowSel(5);
    ToggleItalic(2, 5);
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(grdSubs().RowSel(), 5);
    EXPECT_EQ(grdSubs().Col(), 1);
    EXPECT_EQ(grdSubs().ColSel(), 3);
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_TRUE(grdSubs().Redraw());
}

TEST_F(Captions, TogglingInPreviewRedrawsThePreviewedCaption) {
    MakeDocument(4);
    std::vector<int> shown;
    gOnShowCaption = [&](int row) { shown.push_back(row); };
    gPreviewRow = 3;
    ToggleBold(1, 4);
    EXPECT_TRUE(shown.empty()); // not in preview mode
    gTimingMode = 2;
    ToggleBold(1, 4);
    RemoveLineTags(2);
    RemoveLineTags(3);
    EXPECT_EQ(shown, std::vector<int>({3, 3}));
}

TEST_F(Captions, RemoveLineTagsClearsTheTextCellsFont) {
    MakeDocument(3);
    ToggleBold(2, 2);
    ToggleItalic(2, 2);
    ToggleUnderline(2, 2);
    grdSubs().SetCellStyle(2, kColStart, FlexGrid::kBold);
    EXPECT_EQ(GetLineText(2), "<u><i><b>c2");
    gModified = false;
    RemoveLineTags(2);
    EXPECT_EQ(GetLineText(2), "c2");
    EXPECT_EQ(grdSubs().CellStyle(2, kColText), 0);
    EXPECT_FALSE(gModified);
    EXPECT_EQ(GetLineText(1), "c1");
}

TEST_F(Captions, FillLinesReplacesOrAppendsInOneStep) {
    ResetCaptionGrid(true);
    const std::vector<tSubtitleLine> first = {{-10, 500, QStringLiteral("<b>bold")},
                                              {600, 900, QStringLiteral("x<i>y<u>")}};
    ASSERT_TRUE(FillLines(0, first));
    EXPECT_EQ(Texts(), QStringList({"<b>bold", "x<i>y<u>"}));
    EXPECT_EQ(GetLineStart(1), 0);
    EXPECT_EQ(grdSubs().CellStyle(1, kColText), FlexGrid::kBold);
    EXPECT_EQ(grdSubs().CellStyle(2, kColText), FlexGrid::kItalic | FlexGrid::kUnderline);

    ASSERT_TRUE(FillLines(2, std::vector<tSubtitleLine>{{1000, 2000, QStringLiteral("appended")}}));
    EXPECT_EQ(Texts(), QStringList({"<b>bold", "x<i>y<u>", "appended"}));
    EXPECT_EQ(grdSubs().TextMatrix(3, 0), "3");

    ASSERT_TRUE(FillLines(0, std::vector<tSubtitleLine>()));
    EXPECT_EQ(grdSubs().Rows(), 2);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_FALSE(FillLines(-1, first));
    EXPECT_FALSE(FillLines(5, first));
}

// The reader hands its captions over in pieces: their texts move into the grid in order, and a
// fill the grid refuses leaves them as they were.
TEST_F(Captions, FillLinesTakesPiecesOnlyWhenItFills) {
    ResetCaptionGrid(true);
    std::vector<std::vector<tSubtitleLine>> pieces = {
        {{0, 500, QStringLiteral("<u>one")}}, {}, {{600, 900, QStringLiteral("two")}, {-5, 1, QStringLiteral("3")}}};
    ASSERT_TRUE(FillLines(0, pieces));
    EXPECT_EQ(Texts(), QStringList({"<u>one", "two", "3"}));
    EXPECT_EQ(grdSubs().CellStyle(1, kColText), FlexGrid::kUnderline);
    EXPECT_EQ(GetLineStart(3), 0);
    EXPECT_TRUE(pieces[0][0].text.isEmpty());

    std::vector<std::vector<tSubtitleLine>> tooMany(2);
    tooMany[1].assign(size_t(kMaxCaptions), {0, 0, QStringLiteral("kept")});
    EXPECT_FALSE(FillLines(1, tooMany));
    EXPECT_EQ(tooMany[1].back().text, "kept");
    EXPECT_EQ(Texts(), QStringList({"<u>one", "two", "3"}));
    std::vector<std::vector<tSubtitleLine>> none;
    ASSERT_TRUE(FillLines(0, none));
    EXPECT_EQ(grdSubs().Rows(), 2);
}

TEST_F(Captions, RenumberLinesRewritesEveryNumber) {
    MakeDocument(4);
    grdSubs().SetTextMatrix(2, 0, QStringLiteral("x"));
    grdSubs().SetTextMatrix(4, 0, QStringLiteral("9"));
    RenumberLines();
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(grdSubs().TextMatrix(i, 0), QString::number(i));
}

TEST_F(Captions, SelectLineClampsAndFillsTheSelection) {
    MakeDocument(10);
    std::vector<int> shown;
    std::vector<std::pair<int32_t, int32_t>> spans;
    gOnShowSelectedLine = [&](int row) { shown.push_back(row); };
    gOnShowWaveSelection = [&](int32_t s, int32_t e) { spans.emplace_back(s, e); };

    SelectLine(4, false);
    EXPECT_EQ(gCurrentRow, 4);
    EXPECT_EQ(grdSubs().Row(), 4);
    EXPECT_EQ(grdSubs().RowSel(), 4);
    EXPECT_EQ(grdSubs().ColSel(), 3);
    EXPECT_EQ(gSelStart, 4000);
    EXPECT_EQ(gSelEnd, 4500);
    EXPECT_EQ(shown, std::vector<int>({4}));
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_EQ(spans[0], std::make_pair(4000, 4500));

    SelectLine(0, false); // nothing at all
    EXPECT_EQ(gCurrentRow, 4);
    EXPECT_EQ(shown.size(), 1u);

    SelectLine(5000, false);
    EXPECT_EQ(gCurrentRow, 10);
    EXPECT_EQ(gSelStart, 10000);
    SelectLine(-3, false);
    EXPECT_EQ(gCurrentRow, 1);
}

TEST_F(Captions, ARowChangedOnTheGridIsSelected) {
    MakeDocument(10);
    std::vector<int> shown;
    gOnShowSelectedLine = [&](int row) { shown.push_back(row); };
    grdSubs().SetRow(7);
    EXPECT_EQ(gCurrentRow, 7);
    EXPECT_EQ(gSelStart, 7000);
    grdSubs().SetRowSel(9); // extending the selection selects nothing new
    EXPECT_EQ(shown, std::vector<int>({7}));
}

TEST_F(Captions, WritingTheCurrentRowShowsItsNewState) {
    MakeDocument(5);
    SelectLine(2, false);
    grdSubs().SetRowSel(4);
    std::vector<int> shown;
    gOnShowSelectedLine = [&](int row) { shown.push_back(row); };
    SetLineStart(2, 3100);
    EXPECT_EQ(gSelStart, 3100);
    SetLineEnd(2, 3900);
    EXPECT_EQ(gSelEnd, 3900);
    SetLineText(2, QStringLiteral("changed"));
    ToggleBold(2, 4);
    RemoveLineTags(2);
    EXPECT_EQ(shown, std::vector<int>({2, 2, 2, 2, 2}));
    // Without losing the selection of several rows.
    EXPECT_EQ(grdSubs().Row(), 2);
    EXPECT_EQ(grdSubs().RowSel(), 4);

    shown.clear();
    SetLineText(1, QStringLiteral("other row"));
    SetLineStart(5, 1);
    RemoveLineTags(3);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Captions, ScrollToLineKeepsLookAheadBelowTheRow) {
    MakeDocument(100);
    FlexGrid& g = grdSubs();
    g.SetRowHeight(240);
    g.SetViewSize(6000, 240 * 11); // header and ten rows: n = 10
    g.SetTopRow(1);

    SelectLine(10, true); // the last visible row: no scrolling
    EXPECT_EQ(g.TopRow(), 1);
    SelectLine(11, true); // just below: it lands with two rows under it
    EXPECT_EQ(g.TopRow(), 11 - 10 + 3);
    SelectLine(2, true); // above: it becomes the top row
    EXPECT_EQ(g.TopRow(), 2);

    // Forced: a row in the last three visible ones scrolls too.
    g.SetRow(9);
    ScrollToLine(false);
    EXPECT_EQ(g.TopRow(), 2);
    ScrollToLine(true);
    EXPECT_EQ(g.TopRow(), 9 - 10 + 3);

    // A grid too small for look-ahead still shows the row.
    g.SetViewSize(6000, 240 * 2);
    g.SetTopRow(1);
    g.SetRow(50);
    ScrollToLine(false);
    EXPECT_EQ(g.TopRow(), 50);
}
