// The caption grid in the main window, driven through the real view with mouse, key and wheel
// events.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "document/timecode.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "support/FakeMediaPlayer.h"
#include "support/fixture.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <memory>
#include <ostream>
#include <vector>


namespace {

class GridWindow : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        gLangIndex = 0;
        LoadLanguageStrings();
        gLineBreak = QStringLiteral("|");
        w = std::make_unique<frmMain>(new FakeMediaPlayer);
        w->resize(800, 600);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override {
        if (w) w->mnuRclick->hide();
        w.reset();
        ScrivelleTest::TearDown();
    }

    // Opens a subtitle of n captions: caption i from i * 1000 to i * 1000 + 500, text "c<i>";
    // the captions listed in untimed have no times.
    void Open(int n, std::vector<int> untimed = {}) {
        w->ResetGrid(true);
        std::vector<tSubtitleLine> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back({i * 1000, i * 1000 + 500, QStringLiteral("c%1").arg(i)});
        for (int i : untimed)
            lines[size_t(i - 1)].start = lines[size_t(i - 1)].end = 0;
        ASSERT_TRUE(FillLines(0, lines));
        SelectLine(1, false);
        gSubFile = QStringLiteral("test.srt");
        w->ResetControls(); // as the loader leaves the window
        gModified = false;
        QApplication::processEvents();
    }

    GridView* View() const { return w->grdSubsView; }
    QWidget* Cells() const { return w->grdSubsView->viewport(); }
    QWidget* Header() const { return w->grdSubsView->horizontalHeader()->viewport(); }
    QPoint RowPoint(int row) const { return View()->GridRowRect(row).center(); }
    FlexGrid& Grid() const { return grdSubs(); }

    void Click(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(Cells(), Qt::LeftButton, mods, RowPoint(row));
    }
    void RightClick(QWidget* target, QPoint pos) {
        QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, pos);
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(View(), Qt::Key(key), mods);
    }
    void Wheel(int delta) {
        const QPointF pos = RowPoint(Grid().TopRow());
        QWheelEvent ev(pos, Cells()->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Cells(), &ev);
    }
    // Selected rows as the view shows them (grid rows).
    std::vector<int> ShownSelection() const {
        std::vector<int> rows;
        for (const QModelIndex& i : View()->selectionModel()->selectedRows())
            rows.push_back(i.row() + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    int FirstVisibleRow() const { return View()->rowAt(0) + 1; }

    std::unique_ptr<frmMain> w;
};

} // namespace

TEST_F(GridWindow, ShowsADocumentWithItsHeader) {
    Open(30);
    FlexGridModel* model = View()->GridModel();
    ASSERT_EQ(model->rowCount(), 30);
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_TRUE(View()->horizontalHeader()->isVisible());
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "#");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), LangText(40));
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), LangText(360));
    EXPECT_FALSE(LangText(360).isEmpty());
    EXPECT_EQ(model->index(4, 0).data().toString(), "5");
    EXPECT_EQ(model->index(4, 1).data().toString(), "5000");
    EXPECT_EQ(model->index(4, 3).data().toString(), "c5");
    // Every row has the same height, and nothing is edited in place.
    EXPECT_EQ(View()->rowHeight(0), View()->rowHeight(29));
    EXPECT_EQ(View()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(model->flags(model->index(0, 3)) & Qt::ItemIsEditable);
    // Rows are drawn where the grid says.
    EXPECT_EQ(View()->GridRowAt(RowPoint(3).y()), 3);
    EXPECT_EQ(ShownSelection(), std::vector<int>({1}));
}

TEST_F(GridWindow, ResetGridForASubtitleAndForNothingLoaded) {
    Open(5);
    gModified = false;
    w->ResetGrid(true);
    EXPECT_EQ(Grid().Rows(), 2);
    EXPECT_EQ(View()->GridModel()->rowCount(), 1);
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_FALSE(gModified);
    EXPECT_TRUE(w->txtSub->isEnabled());
    EXPECT_TRUE(w->txtTime[0]->isEnabled());
    EXPECT_EQ(w->txtTime[0]->text(), "00:00:00,000");

    w->txtSub->setPlainText(QStringLiteral("left over"));
    w->ResetGrid(false);
    EXPECT_EQ(View()->GridModel()->columnCount(), 1);
    EXPECT_EQ(View()->GridModel()->index(0, 0).data().toString(), LangText(24));
    EXPECT_FALSE(View()->horizontalHeader()->isVisible());
    // One column as wide as the grid.
    EXPECT_EQ(View()->columnWidth(0), Cells()->width());
    EXPECT_FALSE(View()->horizontalScrollBar()->isVisible());
    EXPECT_EQ(w->txtSub->toPlainText(), "");
    EXPECT_FALSE(w->txtSub->isEnabled());
    EXPECT_FALSE(w->txtTime[1]->isEnabled());
    EXPECT_TRUE(ShownSelection().empty());

    // In preview mode the time boxes stay off even with a subtitle open.
    gTimingMode = 2;
    w->ResetGrid(true);
    EXPECT_TRUE(w->txtSub->isEnabled());
    EXPECT_FALSE(w->txtTime[0]->isEnabled());
    EXPECT_FALSE(w->txtTime[1]->isEnabled());
}

TEST_F(GridWindow, SelectingARowFillsTheBoxesAndTheChecks) {
    Open(5);
    SetLineText(3, QStringLiteral("<i>one|two"));
    SelectLine(3, false);
    EXPECT_EQ(w->txtSub->toPlainText(), "<i>one\ntwo");
    EXPECT_EQ(w->txtTime[0]->text(), "00:00:03,000");
    EXPECT_EQ(w->txtTime[1]->text(), "00:00:00,500");
    EXPECT_TRUE(w->mnuFormatItalic->isChecked());
    EXPECT_TRUE(w->rmnuItalic->isChecked());
    EXPECT_FALSE(w->mnuFormatBold->isChecked());

    // An end of 0, before the start or at it shows a zero duration, never the previous
    // caption's.
    for (const int32_t end : {0, 100, 4000}) {
        SCOPED_TRACE(end);
        SelectLine(3, false);
        SetLineEnd(4, end);
        SelectLine(4, false);
        EXPECT_EQ(w->txtTime[0]->text(), "00:00:04,000");
        EXPECT_EQ(w->txtTime[1]->text(), "00:00:00,000");
    }

    // While a bulk operation has the grid disabled the checks are left alone.
    Grid().SetEnabled(false);
    SelectLine(3, false);
    EXPECT_FALSE(w->mnuFormatItalic->isChecked());
    EXPECT_EQ(w->txtSub->toPlainText(), "<i>one\ntwo");
    Grid().SetEnabled(true);
}

TEST_F(GridWindow, ClickSelectsShiftClickExtends) {
    Open(20);
    Click(4);
    EXPECT_EQ(gCurrentRow, 4);
    EXPECT_EQ(Grid().Row(), 4);
    EXPECT_EQ(w->txtSub->toPlainText(), "c4");
    EXPECT_EQ(ShownSelection(), std::vector<int>({4}));

    Click(7, Qt::ShiftModifier);
    EXPECT_EQ(Grid().Row(), 4);
    EXPECT_EQ(Grid().RowSel(), 7);
    EXPECT_EQ(gCurrentRow, 4); // extending selects no other caption
    EXPECT_EQ(ShownSelection(), std::vector<int>({4, 5, 6, 7}));

    Click(2, Qt::ShiftModifier);
    EXPECT_EQ(ShownSelection(), std::vector<int>({2, 3, 4}));

    Click(6); // a plain click collapses the selection
    EXPECT_EQ(gCurrentRow, 6);
    EXPECT_EQ(ShownSelection(), std::vector<int>({6}));
}

TEST_F(GridWindow, DraggingExtendsTheSelection) {
    Open(20);
    QTest::mousePress(Cells(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
    QMouseEvent move(QEvent::MouseMove, RowPoint(6), Cells()->mapToGlobal(RowPoint(6)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Cells(), &move);
    QTest::mouseRelease(Cells(), Qt::LeftButton, Qt::NoModifier, RowPoint(6));
    EXPECT_EQ(gCurrentRow, 3);
    EXPECT_EQ(Grid().RowSel(), 6);
    EXPECT_EQ(ShownSelection(), std::vector<int>({3, 4, 5, 6}));
}

TEST_F(GridWindow, ArrowKeysSelectAndScroll) {
    Open(200);
    const int visible = View()->VisibleRows();
    ASSERT_GT(visible, 5);
    Key(Qt::Key_Down);
    EXPECT_EQ(gCurrentRow, 2);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up); // stays on the first caption
    EXPECT_EQ(gCurrentRow, 1);

    // Walking down past the last visible row scrolls so that two rows show below the current one.
    for (int i = 1; i < visible + 1; ++i)
        Key(Qt::Key_Down);
    EXPECT_EQ(gCurrentRow, visible + 1);
    EXPECT_GT(Grid().TopRow(), 1);
    EXPECT_EQ(FirstVisibleRow(), Grid().TopRow());
    const int rowBottom = View()->GridRowRect(gCurrentRow).bottom();
    EXPECT_LE(rowBottom + 2 * View()->rowHeight(0), Cells()->height());

    Key(Qt::Key_End);
    EXPECT_EQ(gCurrentRow, 200);
    EXPECT_TRUE(Cells()->rect().contains(RowPoint(200)));
    Key(Qt::Key_Home);
    EXPECT_EQ(gCurrentRow, 1);
    EXPECT_EQ(Grid().TopRow(), 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(gCurrentRow, 1 + visible);

    // Shift extends from the other corner without selecting another caption.
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(gCurrentRow, 1 + visible);
    EXPECT_EQ(Grid().RowSel(), 3 + visible);
    EXPECT_EQ(ShownSelection().size(), 3u);
}

TEST_F(GridWindow, LettersDoNotSearch) {
    Open(20);
    SelectLine(2, false);
    QTest::keyClicks(View(), QStringLiteral("c1"));
    EXPECT_EQ(gCurrentRow, 2);
    EXPECT_EQ(Grid().Row(), 2);
}

TEST_F(GridWindow, SelectLineScrollsOnlyWhenAsked) {
    Open(300);
    SelectLine(250, false);
    EXPECT_EQ(Grid().TopRow(), 1);
    EXPECT_EQ(FirstVisibleRow(), 1);
    SelectLine(250, true);
    EXPECT_GT(Grid().TopRow(), 200);
    EXPECT_EQ(FirstVisibleRow(), Grid().TopRow());
    EXPECT_TRUE(Cells()->rect().contains(RowPoint(250)));
    SelectLine(5000, true);
    EXPECT_EQ(gCurrentRow, 300);
    EXPECT_TRUE(Cells()->rect().contains(RowPoint(300)));
}

TEST_F(GridWindow, TheWheelMovesTheViewOneRowPerTurnNotTheSelection) {
    Open(100);
    SelectLine(3, false);
    Wheel(-120);
    EXPECT_EQ(Grid().TopRow(), 2);
    Wheel(-960); // a big turn is still one row
    EXPECT_EQ(Grid().TopRow(), 3);
    EXPECT_EQ(FirstVisibleRow(), 3);
    Wheel(120);
    EXPECT_EQ(Grid().TopRow(), 2);
    Wheel(120);
    Wheel(120); // never to the header
    EXPECT_EQ(Grid().TopRow(), 1);
    EXPECT_EQ(gCurrentRow, 3);
    EXPECT_EQ(Grid().Row(), 3);

    // Nothing without an open subtitle.
    gSubFile.clear();
    Wheel(-120);
    EXPECT_EQ(Grid().TopRow(), 1);
}

TEST_F(GridWindow, TheWheelNeverReachesTheLastRowIndex) {
    Open(2);
    Wheel(-120);
    EXPECT_EQ(Grid().TopRow(), 1);
    bool cancel = false;
    w->m_MW_MouseWheel(Cells(), -120, 0, 0, 0, 0, cancel);
    EXPECT_EQ(Grid().TopRow(), 1);
    // On a long subtitle the view stops at its last page.
    Open(60);
    for (int i = 0; i < 100; ++i)
        Wheel(-120);
    EXPECT_LT(Grid().TopRow(), Grid().Rows() - 1);
    EXPECT_TRUE(Cells()->rect().contains(RowPoint(60)));
}

TEST_F(GridWindow, RightClickSelectsASingleRowAndShowsThePopUp) {
    Open(10);
    SetLineText(5, QStringLiteral("<u>c5"));
    SelectLine(2, false);
    RightClick(Cells(), RowPoint(5));
    EXPECT_EQ(gCurrentRow, 5);
    EXPECT_TRUE(w->mnuRclick->isVisible());
    EXPECT_TRUE(w->rmnuUnderline->isChecked());
    EXPECT_FALSE(w->rmnuBold->isChecked());
    EXPECT_TRUE(View()->hasFocus() || QApplication::focusWidget() == nullptr);
}

TEST_F(GridWindow, RightClickKeepsASelectionOfSeveralRows) {
    Open(10);
    Click(2);
    Click(4, Qt::ShiftModifier);
    RightClick(Cells(), RowPoint(8));
    EXPECT_TRUE(w->mnuRclick->isVisible());
    EXPECT_EQ(Grid().Row(), 2);
    EXPECT_EQ(Grid().RowSel(), 4);
    EXPECT_EQ(gCurrentRow, 2);

    // The pop-up's commands act on the whole selection.
    w->rmnuBold->trigger();
    for (int i = 2; i <= 4; ++i)
        EXPECT_TRUE(IsLineBold(i)) << i;
    EXPECT_FALSE(IsLineBold(5));
    EXPECT_TRUE(w->mnuFormatBold->isChecked());
    EXPECT_TRUE(View()->GridModel()->index(2, 3).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(w->txtSub->toPlainText(), "<b>c2");
    EXPECT_EQ(ShownSelection(), std::vector<int>({2, 3, 4}));

    w->rmnuRemove->trigger();
    EXPECT_EQ(CaptionCount(), 7);
    EXPECT_EQ(GetLineText(2), "c5");
    EXPECT_TRUE(gModified);
}

TEST_F(GridWindow, NoPopUpBelowTheRowsNorOverTheHeader) {
    Open(3);
    const QPoint below(20, View()->GridRowRect(3).bottom() + 20);
    ASSERT_LT(below.y(), Cells()->height());
    RightClick(Cells(), below);
    EXPECT_FALSE(w->mnuRclick->isVisible());
    RightClick(Header(), QPoint(20, Header()->height() / 2));
    EXPECT_FALSE(w->mnuRclick->isVisible());
    EXPECT_EQ(gCurrentRow, 1);
}

TEST_F(GridWindow, ReleasingOverTheHeaderSelectsTheTopVisibleCaption) {
    Open(100);
    Grid().SetTopRow(40);
    SelectLine(45, false);
    QTest::mouseClick(Header(), Qt::LeftButton, Qt::NoModifier, QPoint(30, Header()->height() / 2));
    EXPECT_EQ(gCurrentRow, 40);
    EXPECT_EQ(Grid().TopRow(), 40);
}

TEST_F(GridWindow, DeleteRemovesTheSelectedRows) {
    Open(10);
    Click(3);
    Click(5, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(CaptionCount(), 7);
    EXPECT_EQ(GetLineText(3), "c6");
    EXPECT_EQ(gCurrentRow, 3);
    EXPECT_EQ(w->txtSub->toPlainText(), "c6");
    EXPECT_EQ(ShownSelection(), std::vector<int>({3}));
    EXPECT_TRUE(gModified);

    // Everything: one empty caption stays.
    Key(Qt::Key_Home);
    Key(Qt::Key_End, Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Grid().Rows(), 2);
    EXPECT_EQ(GetLineText(1), "");
    EXPECT_EQ(View()->GridModel()->rowCount(), 1);
}

TEST_F(GridWindow, EnterAndDoubleClickSeekOnlyATimedCaptionWhilePlaying) {
    Open(5, {2});
    int state = 2; // paused
    std::vector<double> seeks;
    w->playerState = [&] { return state; };
    w->playerSeek = [&](double s) { seeks.push_back(s); };

    Click(3);
    Key(Qt::Key_Return);
    QTest::mouseDClick(Cells(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
    EXPECT_TRUE(seeks.empty());

    state = 3;
    Click(2); // untimed
    Key(Qt::Key_Return);
    QTest::mouseDClick(Cells(), Qt::LeftButton, Qt::NoModifier, RowPoint(2));
    EXPECT_TRUE(seeks.empty());

    Click(4);
    Key(Qt::Key_Enter);
    QTest::mouseDClick(Cells(), Qt::LeftButton, Qt::NoModifier, RowPoint(4));
    ASSERT_EQ(seeks.size(), 2u);
    EXPECT_DOUBLE_EQ(seeks[0], 4.0);
    EXPECT_DOUBLE_EQ(seeks[1], 4.001);
}

TEST_F(GridWindow, GoToLine) {
    Open(50);
    for (const char* answer : {"0", "-3", "word", "3x"}) {
        dialogs.inputs.push_back(QString::fromLatin1(answer));
        w->mnuGoTo_Click();
        EXPECT_EQ(gCurrentRow, 1) << answer;
    }
    dialogs.inputs.push_back(std::nullopt);
    w->mnuGoTo_Click();
    EXPECT_EQ(gCurrentRow, 1);

    dialogs.inputs.push_back(QStringLiteral(" 12 "));
    w->mnuGoTo_Click();
    EXPECT_EQ(gCurrentRow, 12);
    EXPECT_EQ(dialogs.calls.last().title, LangText(246));

    dialogs.inputs.push_back(QStringLiteral("99999"));
    w->mnuGoTo_Click();
    EXPECT_EQ(gCurrentRow, 50);
    EXPECT_TRUE(Cells()->rect().contains(RowPoint(50)));

    dialogs.inputs.push_back(QStringLiteral("7.5"));
    w->mnuGoTo_Click();
    EXPECT_EQ(gCurrentRow, 8);
}

TEST_F(GridWindow, NextUntimedCaption) {
    Open(10, {4, 7});
    w->mnuNextUntimed_Click();
    EXPECT_EQ(gCurrentRow, 4);
    w->mnuNextUntimed_Click();
    EXPECT_EQ(gCurrentRow, 7);

    // None after the selection: the message, and the selection stays.
    msgbox.Answer(vbOK);
    w->mnuNextUntimed_Click();
    EXPECT_EQ(gCurrentRow, 7);
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(137));
    EXPECT_EQ(msgbox.last().title, LangText(135));
    EXPECT_EQ(msgbox.last().icon, vbInformation);

    // From the last row.
    SelectLine(10, false);
    SetLineEnd(10, 0);
    SetLineStart(10, 0);
    msgbox.Answer(vbOK);
    w->mnuNextUntimed_Click();
    EXPECT_EQ(gCurrentRow, 10);
    EXPECT_EQ(msgbox.count(), 2);
}

TEST_F(GridWindow, CountUntimedCaptions) {
    Open(10, {1, 4, 10});
    msgbox.Answer(vbOK);
    w->mnuCountUntimed_Click();
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, LangText(136, QStringLiteral("3")));
    EXPECT_TRUE(msgbox.last().text.contains(QStringLiteral("3")));
    EXPECT_EQ(msgbox.last().title, LangText(134));
}

TEST_F(GridWindow, RowsInsertedAboveTheCurrentOneKeepTheViewInStepWithTheGrid) {
    Open(10);
    Click(4);
    AddLine(0, 0, QStringLiteral("top"), 1);
    // The grid keeps its current row number; the view and the caption box show that row.
    EXPECT_EQ(Grid().Row(), 4);
    EXPECT_EQ(ShownSelection(), std::vector<int>({4}));
    EXPECT_EQ(w->txtSub->toPlainText(), GetLineText(4));
    EXPECT_EQ(View()->GridModel()->index(0, 3).data().toString(), "top");
    RemoveLines(1, 2);
    EXPECT_EQ(ShownSelection(), std::vector<int>({1}));
    EXPECT_EQ(w->txtSub->toPlainText(), "c2");
}

TEST_F(GridWindow, AddCaptionBelowTheCurrentOne) {
    Open(5);
    Click(2);
    dialogs.inputs.push_back(QString());
    EXPECT_FALSE(w->CreateCaption(3));
    EXPECT_EQ(CaptionCount(), 5);
    EXPECT_FALSE(gModified);

    dialogs.inputs.push_back(QStringLiteral("inserted"));
    w->rmnuAdd->trigger();
    EXPECT_EQ(CaptionCount(), 6);
    EXPECT_EQ(GetLineText(3), "inserted");
    EXPECT_FALSE(IsLineTimed(3));
    EXPECT_EQ(gCurrentRow, 3);
    EXPECT_EQ(w->txtSub->toPlainText(), "inserted");
    EXPECT_EQ(View()->GridModel()->index(2, 0).data().toString(), "3");
    EXPECT_EQ(View()->GridModel()->index(5, 3).data().toString(), "c5");
    EXPECT_TRUE(gModified);
}

TEST_F(GridWindow, EditCaptionThroughThePopUp) {
    Open(3);
    Click(2);
    dialogs.inputs.push_back(QStringLiteral("   "));
    w->rmnuEdit->trigger();
    EXPECT_EQ(GetLineText(2), "c2");
    EXPECT_EQ(dialogs.calls.last().defaultText, "c2");
    dialogs.inputs.push_back(QStringLiteral("new|text|"));
    w->rmnuEdit->trigger();
    EXPECT_EQ(GetLineText(2), "new|text");
    EXPECT_EQ(w->txtSub->toPlainText(), "new\ntext");
    EXPECT_TRUE(gModified);
}

TEST_F(GridWindow, TheCaptionBoxFollowsWritesToTheCurrentRow) {
    Open(5);
    Click(3);
    ToggleBold(3, 3);
    EXPECT_EQ(w->txtSub->toPlainText(), "<b>c3");
    EXPECT_TRUE(w->mnuFormatBold->isChecked());
    SetLineStart(3, 61000);
    SetLineEnd(3, 62500);
    EXPECT_EQ(w->txtTime[0]->text(), "00:01:01,000");
    EXPECT_EQ(w->txtTime[1]->text(), "00:00:01,500");
    RemoveLineTags(3);
    EXPECT_EQ(w->txtSub->toPlainText(), "c3");
    EXPECT_FALSE(w->mnuFormatBold->isChecked());
    EXPECT_FALSE(View()->GridModel()->index(2, 3).data(Qt::FontRole).value<QFont>().bold());
}

TEST_F(GridWindow, TheGridFontFollowsTheSettings) {
    gGridFontName = QApplication::font().family();
    gGridFontSize = 20;
    gGridFontBold = true;
    w->ApplyGridFont();
    Open(3);
    EXPECT_TRUE(View()->font().bold());
    EXPECT_GE(View()->rowHeight(0), QFontMetrics(View()->font()).height());
    EXPECT_EQ(Grid().RowHeight(1), View()->rowHeight(0) * gTwipsY);
}
