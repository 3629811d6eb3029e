// The main window in a right-to-left language, and the caption numbers' column in any font.
#include "base/settings.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/layout.h"
#include "mainwindow_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

#include <cmath>
#include <utility>
#include <vector>

namespace {

class MirroredWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        InitLanguageTable();
        Make();
        w->resize(1000, 700);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QApplication::processEvents();
        w->ResetGrid(true);
    }
    void TearDown() override {
        w.reset();
        gLangIndex = 0;
        LoadLanguageStrings();
        MainWindowFixture::TearDown();
    }
    void Language(int block) {
        gLangIndex = uint8_t(block);
        ASSERT_TRUE(LoadLanguageStrings());
        w->ApplyLanguageToMain();
        QApplication::processEvents();
    }
    // Every control with the rectangle the layout gives it (left to right).
    std::vector<std::pair<QWidget*, QRect>> Placed() const {
        const MainLayout& g = w->Layout();
        return {{w->grdSubsView, g.grdSubs},     {w->imgSize, g.imgSize},
                {w->WMP->Widget(), g.WMP},       {w->imgText, g.imgText},
                {w->lblTextFile, g.lblTextFile}, {w->cmdUpdate, g.cmdUpdate},
                {w->picLevel, g.picLevel},       {w->picWave, g.picWave},
                {w->sldWavScale, g.sldWavScale}, {w->txtSub, g.txtSub},
                {w->lblShow, g.lblShow},         {w->txtTime[0], g.txtTime0},
                {w->lblDuration, g.lblDuration}, {w->txtTime[1], g.txtTime1},
                {w->lblPosition, g.lblPosition}, {w->lblStringPos, g.lblStringPos},
                {w->cmdApply, g.cmdApply},       {w->Line3, g.Line3},
                {w->lblMainMode, g.lblMainMode}, {w->optPress, g.optPress},
                {w->optPreview, g.optPreview},   {w->lblMode, g.lblMode},
                {w->imgLogo, g.imgLogo}};
    }
    QWidget* Area() const { return w->centralWidget(); }
};

TEST_F(MirroredWindow, ArabicAndPersianMirrorTheWholeWindow) {
    for (const int block : {14, 13}) {
        SCOPED_TRACE(block);
        Language(block);
        ASSERT_EQ(w->layoutDirection(), Qt::RightToLeft);
        // Each control at its mirror place in what holds it.
        for (const auto& [widget, r] : Placed()) {
            const int within = widget->parentWidget()->width();
            EXPECT_EQ(widget->geometry(),
                      QRect(within - r.left() - r.width(), r.top(), r.width(), r.height()))
                << widget->objectName().toStdString();
        }
        // So: the grid at the right, the player left of it; each label right of its box, the
        // buttons left of the boxes; the options and the mode text read from the right.
        EXPECT_EQ(w->grdSubsView->geometry().right(), Area()->width() - 1 - 8);
        EXPECT_LT(w->WMP->Widget()->geometry().right(), w->grdSubsView->geometry().left());
        EXPECT_GT(w->lblShow->geometry().left(), w->txtTime[0]->geometry().right());
        EXPECT_GT(w->lblDuration->geometry().left(), w->txtTime[1]->geometry().right());
        EXPECT_LT(w->cmdApply->geometry().right(), w->txtTime[0]->geometry().left());
        EXPECT_EQ(w->txtSub->geometry().right(), w->picBottom->width() - 1 - 8);
        for (QWidget* c :
             std::initializer_list<QWidget*>{w->optPress, w->optManual, w->optPreview, w->lblMainMode,
                                             w->lblMode, w->lblShow, w->lblDuration})
            EXPECT_EQ(c->layoutDirection(), Qt::RightToLeft) << c->objectName().toStdString();
        // A path still reads left to right, beside its icon at the right.
        EXPECT_EQ(w->lblTextFile->layoutDirection(), Qt::LeftToRight);
        EXPECT_TRUE(w->lblTextFile->alignment() & Qt::AlignRight);
        EXPECT_LT(w->lblTextFile->geometry().right(), w->imgText->geometry().left() + 16 + 1);
    }
    // Back to a left-to-right language: every control where the layout says.
    Language(0);
    for (const auto& [widget, r] : Placed())
        EXPECT_EQ(widget->geometry(), r) << widget->objectName().toStdString();
    EXPECT_TRUE(w->lblTextFile->alignment() & Qt::AlignLeft);
}

// Where a cell's text is drawn: the leftmost and rightmost columns of pixels that differ from the
// cell's background, relative to the cell.
std::pair<int, int> InkSpan(GridView* view, int gridRow, int col) {
    const QRect cell = view->visualRect(view->model()->index(gridRow - 1, col)).adjusted(1, 1, -1, -1);
    const QImage shot = view->viewport()->grab(cell).toImage();
    const QRgb background = shot.pixel(0, 0);
    int left = -1, right = -1;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y)
            if (shot.pixel(x, y) != background) {
                if (left < 0) left = x;
                right = x;
                break;
            }
    return {left, shot.width() - 1 - right};
}

TEST_F(MirroredWindow, EachCellReadsInItsOwnTextsDirection) {
    const struct {
        const char* text;
        bool fromLeft; // the text's own direction: it begins at the cell's left edge
    } rows[] = {
        {"first", true},
        {"Thank you for coming tonight.", true},
        {"<i><b>Caption in italics</b></i>", true},
        {"\u0634\u0643\u0631\u0627 \u0644\u062d\u0636\u0648\u0631\u0643\u0645.", false},
        {"\u00ab\u0633\u0644\u0627\u0645\u00bb and more", false}, // the first letter decides
        {"12345", true}, // no letter: the window's direction (checked below)
    };
    std::vector<tSubtitleLine> lines;
    for (const auto& r : rows)
        lines.push_back({1000, 2000, QString::fromUtf8(r.text)});
    ASSERT_TRUE(FillLines(0, lines));
    SelectLine(1, false);
    for (const int block : {0, 14, 13}) {
        SCOPED_TRACE(block);
        Language(block);
        const bool mirrored = w->layoutDirection() == Qt::RightToLeft;
        GridView* view = w->grdSubsView;
        for (int row = 2; row <= int(std::size(rows)); ++row) {
            SCOPED_TRACE(rows[row - 1].text);
            const bool fromLeft = row == int(std::size(rows)) ? !mirrored : rows[row - 1].fromLeft;
            const auto [left, right] = InkSpan(view, row, kColText);
            ASSERT_GE(left, 0) << "nothing drawn";
            // The text stands against one edge of its cell, with room to spare at the other.
            if (fromLeft)
                EXPECT_LT(left, 8);
            else
                EXPECT_LT(right, 8);
            EXPECT_GT(fromLeft ? right : left, 20);
        }
    }
}

TEST_F(MirroredWindow, TheSplitterFollowsThePointerInAMirroredWindow) {
    Language(14);
    const int before = w->grdSubsView->width();
    // The pointer 50 pixels left of the splitter's right edge: the grid, at the right, widens.
    const int x = w->imgSize->width() - 1 - 50;
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), w->imgSize->mapToGlobal(QPointF(x, 20)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w->imgSize, &move);
    EXPECT_EQ(w->grdSubsView->width(), before + 50);
    EXPECT_EQ(w->grdSubsView->geometry().right(), Area()->width() - 1 - 8);
    EXPECT_EQ(w->imgSize->geometry().right() + 1, w->grdSubsView->geometry().left());
}

TEST_F(MirroredWindow, CaptionNumbersOfFiveDigitsShowWhole) {
    struct Case {
        int size;
        bool bold;
    };
    const Case fonts[] = {{0, false}, {8, false}, {10, true}, {14, false}, {24, true}};
    // The grid as wide as the caption box, then narrowed beside the player.
    for (const bool narrow : {false, true}) {
        if (narrow) {
            const int x = 100 - w->grdSubsView->width();
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), w->imgSize->mapToGlobal(QPointF(x, 20)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w->imgSize, &move);
            ASSERT_LT(w->grdSubsView->width(), w->txtSub->width() - 2);
        }
        for (const Case& f : fonts) {
            SCOPED_TRACE(::testing::Message()
                         << f.size << (f.bold ? " bold" : "") << (narrow ? " narrow" : ""));
            gGridFontSize = uint8_t(f.size);
            gGridFontBold = f.bold;
            w->ApplyGridFont();
            GridView* view = w->grdSubsView;
            QStyleOptionViewItem option;
            option.initFrom(view->viewport());
            option.font = view->font();
            option.fontMetrics = QFontMetrics(view->font());
            option.rect = view->visualRect(view->model()->index(0, 0));
            option.features |= QStyleOptionViewItem::HasDisplay;
            // The style draws the text inside its focus margins and cuts a text laid out wider
            // than the room left (fractions of a pixel included).
            const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
            for (const char* number : {"10000", "18888", "20000", "28888", "30000", "31999", "32000"}) {
                option.text = QLatin1String(number);
                const QRect text = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
                EXPECT_GE(text.width() - 2 * margin,
                          std::ceil(QFontMetricsF(view->font()).horizontalAdvance(option.text)))
                    << number;
            }
        }
    }
}

} // namespace
