// The main window's layout arithmetic, without widgets: a table of window sizes and bars, the
// splitter's limits, the grid's columns and what a pass re-flows.
#include "mainwindow/layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

MainLayout Arranged(const LayoutDesign& d, int w, int h, bool audio, int status) {
    MainLayout g;
    DesignLayout(g, d);
    g.audioBar = audio;
    g.statusHeight = status;
    g.cols = 4;
    ArrangeMainForm(g, d, w, h, false, false);
    return g;
}

bool Inside(const QRect& inner, const QRect& outer) {
    return inner.width() >= 0 && inner.height() >= 0 && outer.contains(inner);
}

struct SizeCase {
    int w, h;
    bool audio;
    int status;
};

std::ostream& operator<<(std::ostream& os, const SizeCase& c) {
    return os << c.w << "x" << c.h << (c.audio ? " audio" : "") << " status " << c.status;
}

class LayoutSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(LayoutSizes, NothingOverlapsOrLeavesTheWindow) {
    const SizeCase c = GetParam();
    const LayoutDesign d;
    const MainLayout g = Arranged(d, c.w, c.h, c.audio, c.status);
    const QRect area(0, 0, c.w, c.h);

    // Top to bottom: info bar, grid row, audio bar (when shown), bottom panel.
    EXPECT_EQ(g.picStatus, QRect(0, 0, c.w, c.status));
    EXPECT_EQ(g.grdSubs.top(), c.status);
    EXPECT_GT(g.grdSubs.height(), 100);
    EXPECT_EQ(g.picBottom.bottom(), c.h - 1);
    EXPECT_EQ(g.picBottom.width(), c.w);
    const int gridBottom = g.grdSubs.bottom();
    if (c.audio) {
        EXPECT_GT(g.picAudio.top(), gridBottom);
        EXPECT_LT(g.picAudio.bottom(), g.picBottom.top());
    } else {
        EXPECT_EQ(g.picBottom.top() - gridBottom - 1, 16);
    }

    // Left to right: grid, splitter, player; the player keeps its margin on the right.
    EXPECT_EQ(g.grdSubs.left(), d.margin);
    EXPECT_EQ(g.imgSize.left(), g.grdSubs.right() + 1);
    EXPECT_EQ(g.WMP.left(), g.imgSize.right() + 1);
    EXPECT_EQ(g.WMP.right(), c.w - d.playerRight - 1);
    EXPECT_EQ(g.WMP.height(), g.grdSubs.height());
    EXPECT_TRUE(g.WMP.contains(g.picPLogo));
    EXPECT_TRUE(g.imgSize.contains(g.imgSlide));

    for (const QRect& r : {g.grdSubs, g.imgSize, g.WMP, g.picBottom})
        EXPECT_TRUE(Inside(r, area)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    const QRect bar(0, 0, c.w, d.waveHeight);
    for (const QRect& r : {g.picLevel, g.picWave, g.sldWavScale})
        EXPECT_TRUE(Inside(r, bar));
    EXPECT_EQ(g.sldWavScale.left(), g.picWave.right() + 1);
    EXPECT_EQ(g.sldWavScale.right(), c.w - d.margin - 1);

    // The bottom panel: the caption row and the modes stay inside; the logo only in a wide
    // window, beside the heading, never over it.
    const QRect panel(0, 0, c.w, g.picBottom.height());
    for (const QRect& r :
         {g.txtSub, g.txtTime0, g.txtTime1, g.cmdApply, g.cmdNext, g.cmdEnd, g.lblMainMode, g.optPress,
          g.optManual, g.optPreview, g.lblMode, g.Line3, g.Line4, g.Line5, g.Line6})
        EXPECT_TRUE(Inside(r, panel));
    EXPECT_LT(g.txtSub.right(), g.lblShow.left());
    EXPECT_LT(g.txtTime0.right(), g.cmdApply.left());
    EXPECT_LT(g.txtSub.bottom(), g.Line3.top());
    EXPECT_LT(g.Line4.bottom(), g.lblMainMode.top());
    EXPECT_EQ(g.logoVisible, c.w > 1000);
    if (g.logoVisible) {
        EXPECT_TRUE(Inside(g.imgLogo, panel));
        EXPECT_LT(g.lblMainMode.right(), g.imgLogo.left());
        EXPECT_EQ(g.imgLogo.right(), c.w - d.margin - 1);
    } else {
        EXPECT_EQ(g.lblMainMode.right(), c.w - d.margin - 1);
    }
    for (const QRect* r : {&g.optPress, &g.optManual, &g.optPreview, &g.lblMode})
        EXPECT_EQ(r->width(), g.lblMainMode.width());
    for (const QRect* r : {&g.Line3, &g.Line4, &g.Line5, &g.Line6})
        EXPECT_EQ(r->right(), c.w - d.margin - 1);

    // Info bar: the labels end at the right margin, the update button inside it.
    EXPECT_EQ(g.lblTextFile.right(), c.w - d.margin - 1);
    EXPECT_EQ(g.cmdUpdate.right(), c.w - d.margin - 1);
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutSizes,
                         ::testing::Values(SizeCase{700, 545, false, 56}, SizeCase{700, 545, true, 56},
                                           SizeCase{700, 545, true, 10}, SizeCase{1000, 700, true, 8},
                                           SizeCase{1001, 700, false, 56}, SizeCase{1100, 780, true, 56},
                                           SizeCase{3200, 975, true, 56}, SizeCase{3840, 1050, false, 10}));

TEST(Layout, ColumnsBesideThePlayerWhenTheGridFillsAndAtTheGridsNarrowest) {
    LayoutDesign d;
    d.scrollBar = 16;
    struct Case {
        int grid, box, cols;
        std::array<int, 4> widths;
    } cases[] = {
        {300, 400, 4, {34, 58, 58, 300 - 150 - 16 - 8}}, // narrower than the caption box
        {398, 400, 4, {31, 59, 59, 398 - 149 - 16 - 8}}, // two pixels short counts as filling
        {1000, 400, 4, {80, 150, 150, 1000 - 380 - 16 - 8}},
        {57, 400, 4, {34, 58, 58, 0}}, // the splitter's limit: never a negative text column
        {0, 400, 4, {34, 58, 58, 0}},
        {500, 400, 1, {500 - 2 * d.gridFrame, 0, 0, 0}}, // nothing loaded: one cell fills the grid
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GridColumnWidths(c.grid, c.box, c.cols, d), c.widths) << c.grid;
        for (int w : GridColumnWidths(c.grid, c.box, c.cols, d))
            EXPECT_GE(w, 0);
    }
}

TEST(Layout, TheSplitterKeepsTheGridAndThePlayerTheirRoom) {
    const LayoutDesign d;
    MainLayout g = Arranged(d, 1000, 700, false, 56);
    const MainLayout before = g;
    for (int p : {64, 60, 0, 1000 - 179, 1200}) {
        EXPECT_FALSE(DragSplitter(g, d, 1000, p)) << p;
        EXPECT_EQ(g.grdSubs, before.grdSubs);
    }
    ASSERT_TRUE(DragSplitter(g, d, 1000, 65));
    EXPECT_EQ(g.grdSubs.width(), 65 - d.margin);
    EXPECT_EQ(g.WMP.left(), 65 + d.margin);
    EXPECT_GE(g.colWidth[3], 0);
    ASSERT_TRUE(DragSplitter(g, d, 1000, 1000 - 180));
    EXPECT_EQ(g.imgSize.left(), 820);
    EXPECT_EQ(g.WMP.width(), 1000 - 828 - d.playerRight);

    // Narrowing the window past the player pulls the grid back and the splitter with it.
    ArrangeMainForm(g, d, 900, 700, false, false);
    EXPECT_EQ(g.grdSubs.width(), 900 - d.keepPlayer);
    EXPECT_EQ(g.imgSize.left(), g.grdSubs.right() + 1);
    EXPECT_GT(g.WMP.width(), 0);
}

TEST(Layout, APassReflowsOnlyWhatChanged) {
    const LayoutDesign d;
    MainLayout g = Arranged(d, 1000, 700, false, 56);
    const MainLayout before = g;

    // Minimised: nothing moves, and the restored size finds the same layout.
    LayoutPass pass = ArrangeMainForm(g, d, 160, 30, true, true);
    EXPECT_FALSE(pass.horizontal || pass.vertical);
    EXPECT_EQ(g.lastWidth, 1000);
    pass = ArrangeMainForm(g, d, 1000, 700, false, false);
    EXPECT_FALSE(pass.horizontal || pass.vertical);
    EXPECT_EQ(g.grdSubs, before.grdSubs);

    // A change of height alone leaves the widths (and the waveform) alone.
    pass = ArrangeMainForm(g, d, 1000, 760, false, false);
    EXPECT_FALSE(pass.horizontal);
    EXPECT_TRUE(pass.vertical);
    EXPECT_EQ(g.grdSubs.height(), before.grdSubs.height() + 60);

    // A bar switched at the same size re-flows the height when forced.
    g.statusHeight = 8;
    g.audioBar = true;
    pass = ArrangeMainForm(g, d, 1000, 760, false, true);
    EXPECT_TRUE(pass.vertical);
    EXPECT_EQ(g.grdSubs.top(), 8);
    EXPECT_EQ(g.grdSubs.height(), before.grdSubs.height() + 60 + 48 - d.waveHeight - 4);
}

TEST(Layout, TheLevelMeterStarts120TwipsBelowTheGrid) {
    for (int twips : {15, 12, 8, 20}) {
        LayoutDesign d;
        d.twipsY = twips;
        const MainLayout g = Arranged(d, 900, 700, true, 56);
        EXPECT_EQ(g.picAudio.top() - (g.grdSubs.bottom() + 1), 120 / twips) << twips;
    }
}

TEST(Layout, SizeLimits) {
    const SizeLimits l = MainSizeLimits(QSize(1600, 1000));
    EXPECT_EQ(l.minimum, QSize(700, 570));
    EXPECT_EQ(l.maximum, QSize(3200, 1000));
}

TEST(Layout, ANewDesignKeepsAnUnsizedGridUnderTheCaptionBox) {
    LayoutDesign d;
    MainLayout g = Arranged(d, 1000, 700, false, 56);
    EXPECT_EQ(g.grdSubs.width(), g.txtSub.width());
    d.timeLabelWidth += 30;
    RedesignLayout(g, d);
    ArrangeMainForm(g, d, 1000, 700, false, false);
    EXPECT_EQ(g.grdSubs.width(), g.txtSub.width());
    EXPECT_LT(g.txtSub.right(), g.lblShow.left());

    // A grid the user sized keeps its width.
    ASSERT_TRUE(DragSplitter(g, d, 1000, 600));
    d.timeLabelWidth -= 30;
    RedesignLayout(g, d);
    ArrangeMainForm(g, d, 1000, 700, false, false);
    EXPECT_EQ(g.grdSubs.width(), 600 - d.margin);
}

} // namespace
