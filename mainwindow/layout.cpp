#include "mainwindow/layout.h"

#include <algorithm>

namespace {

constexpr int kMinTrackX = 700;
constexpr int kMinTrackY = 570;
// The level meter and the wave start this far below the grid, in twips whatever the screen.
constexpr int kWaveGapTwips = 120;
constexpr int kGap = 4; // between rows of the bottom panel's controls

int CaptionBoxWidth(const LayoutDesign& d) {
    // The caption box takes what the time boxes and the buttons leave of the narrowest window.
    const int times = d.timeLabelWidth + kGap + d.timeBoxWidth;
    return std::max(120, d.minWidth - 2 * d.margin - 12 - times - 12 - d.button.width());
}

int BottomRowHeight(const LayoutDesign& d) {
    return std::max(4 * d.rowHeight + 3 * kGap, 3 * d.button.height() + 2 * kGap);
}

// The bottom panel's fixed controls, and its height.
void DesignBottom(MainLayout& g, const LayoutDesign& d) {
    const int m = d.margin;
    const int top = m;
    const int rowA = BottomRowHeight(d);
    g.txtSub = QRect(m, top, CaptionBoxWidth(d), rowA);

    const int x1 = g.txtSub.right() + 1 + 12;
    const int xBox = x1 + d.timeLabelWidth + kGap;
    const int step = d.rowHeight + kGap;
    g.lblShow = QRect(x1, top, d.timeLabelWidth, d.rowHeight);
    g.txtTime0 = QRect(xBox, top, d.timeBoxWidth, d.rowHeight);
    g.lblDuration = g.lblShow.translated(0, step);
    g.txtTime1 = g.txtTime0.translated(0, step);
    g.lblPosition = g.lblShow.translated(0, 2 * step);
    g.lblStringPos = g.txtTime0.translated(0, 2 * step);
    g.lblTime = g.txtTime0.translated(0, 3 * step);

    const int xb = xBox + d.timeBoxWidth + 12;
    g.cmdApply = QRect(QPoint(xb, top), d.button);
    g.cmdNext = g.cmdApply.translated(0, d.button.height() + kGap);
    g.cmdEnd = g.cmdNext.translated(0, d.button.height() + kGap);

    // An etched rule at the panel's top and one between the two rows.
    g.Line5 = QRect(m, 0, 1, 1);
    g.Line6 = QRect(m, 1, 1, 1);
    const int rule = top + rowA + m;
    g.Line3 = QRect(m, rule, 1, 1);
    g.Line4 = QRect(m, rule + 1, 1, 1);

    const int y2 = rule + 2 + m;
    g.lblMainMode = QRect(m, y2, 1, d.headingHeight);
    g.optPress = QRect(m, y2 + d.headingHeight + 2, 1, d.optionHeight);
    g.optManual = g.optPress.translated(0, d.optionHeight);
    g.optPreview = g.optManual.translated(0, d.optionHeight);
    g.lblMode = QRect(m, g.optPreview.bottom() + 1 + 2, 1, d.modeTextHeight);
    g.imgLogo = QRect(QPoint(0, y2), d.logo);
    g.picBottom = QRect(0, 0, 0, std::max(g.lblMode.bottom() + 1, g.imgLogo.bottom() + 1) + m);
}

void SetWidth(QRect& r, int width) {
    r.setWidth(std::max(0, width));
}

void SetRight(QRect& r, int right) {
    // right is the last pixel column the control covers.
    SetWidth(r, right - r.left() + 1);
}

} // namespace

std::array<int, 4> GridColumnWidths(int gridWidth, int txtSubWidth, int cols, const LayoutDesign& d) {
    std::array<int, 4> w{};
    if (cols <= 1) {
        // The one message cell fills the grid inside its frame.
        w[0] = std::max(0, gridWidth - 2 * d.gridFrame);
        return w;
    }
    if (gridWidth < txtSubWidth - 2) {
        // The player stands beside a narrow grid: the number and time columns keep their size.
        w[0] = 34;
        w[1] = w[2] = 58;
    } else {
        w[0] = int(gridWidth * 0.08);
        w[1] = w[2] = int(gridWidth * 0.15);
    }
    // Caption numbers go up to 32000: never cut to "320…", whatever the font.
    w[0] = std::max(w[0], d.numberColumn);
    // The text column takes the rest, leaving room for the scroll bar; in a grid narrower
    // than the other three columns it is empty rather than of a negative width.
    w[3] = std::max(0, gridWidth - w[0] - w[1] - w[2] - d.scrollBar - 8);
    return w;
}

void ApplyResize(MainLayout& g, const LayoutDesign& d, int width, bool bFromGrid, bool bColumnsOnly) {
    if (!bColumnsOnly) {
        const int m = d.margin;
        g.grdSubs.moveLeft(m);
        if (bFromGrid)
            g.imgSize.moveLeft(g.grdSubs.left() + g.grdSubs.width());
        else
            SetWidth(g.grdSubs, g.imgSize.left() - g.grdSubs.left());
        SetWidth(g.imgSize, m);
        // The gap after the splitter equals the grid's left margin.
        g.WMP.moveLeft(g.imgSize.left() + g.grdSubs.left());
        SetWidth(g.WMP, width - g.WMP.left() - d.playerRight);
        g.picPLogo.setSize(d.playerLogo);
        g.picPLogo.moveLeft(g.WMP.left() + g.WMP.width() / 2 - d.playerLogo.width() / 2);
        g.imgSlide.setSize(QSize(std::min(d.slide.width(), m), d.slide.height()));
        g.imgSlide.moveLeft(g.imgSize.left() + (m - g.imgSlide.width()) / 2);
    }
    g.colWidth = GridColumnWidths(g.grdSubs.width(), g.txtSub.width(), g.cols, d);
}

void DesignLayout(MainLayout& g, const LayoutDesign& d) {
    DesignBottom(g, d);
    // The grid starts as wide as the caption box under it.
    g.grdSubs = QRect(d.margin, g.statusHeight, g.txtSub.width(), 0);
    g.imgSize = QRect(g.grdSubs.left() + g.grdSubs.width(), g.statusHeight, d.margin, 0);
    g.WMP = QRect(g.imgSize.left() + d.margin, g.statusHeight, 0, 0);
    g.lastWidth = g.lastHeight = 0;
}

void RedesignLayout(MainLayout& g, const LayoutDesign& d) {
    const int oldBox = g.txtSub.width();
    DesignBottom(g, d);
    // A grid nobody has sized yet stays as wide as the caption box.
    if (g.grdSubs.width() == oldBox) {
        g.grdSubs.setWidth(g.txtSub.width());
        g.imgSize.moveLeft(g.grdSubs.left() + g.grdSubs.width());
    }
    g.lastWidth = g.lastHeight = 0;
}

void PlaceInfoBar(MainLayout& g, const LayoutDesign& d, int width) {
    const int m = d.margin;
    g.picStatus = QRect(0, 0, width, g.statusHeight);
    // The etched rule under the menu bar.
    g.Line1 = QRect(0, 0, width, 1);
    g.Line2 = QRect(0, 1, width, 1);
    g.imgText = QRect(QPoint(m, 9), d.fileIcon);
    g.imgVideo = QRect(QPoint(m, 31), d.fileIcon);
    // Each label ends at the right margin, wherever its left edge is.
    g.lblTextFile = QRect(g.labelLeft, 8, std::max(0, width - m - g.labelLeft), d.labelHeight);
    g.lblVideoFile = QRect(g.labelLeft, 30, g.lblTextFile.width(), d.labelHeight);
    g.cmdUpdate = QRect(QPoint(width - m - d.update.width(), 6), d.update);
}

LayoutPass ArrangeMainForm(MainLayout& g, const LayoutDesign& d, int width, int height, bool minimized,
                           bool bForce) {
    LayoutPass pass;
    if (minimized) return pass;
    const int m = d.margin;
    if (width != g.lastWidth) {
        pass.horizontal = true;
        PlaceInfoBar(g, d, width);

        const int right = width - m - 1; // the last column inside the right margin
        g.picBottom.setLeft(0);
        SetWidth(g.picBottom, width);
        if (width > d.logoAbove) {
            g.imgLogo.moveLeft(width - d.logo.width() - m);
            g.logoVisible = true;
            SetWidth(g.lblMainMode, g.imgLogo.left() - g.lblMainMode.left() - m);
        } else {
            g.logoVisible = false;
            SetRight(g.lblMainMode, right);
        }
        for (QRect* r : {&g.Line3, &g.Line4, &g.Line5, &g.Line6})
            SetRight(*r, right);
        for (QRect* r : {&g.lblMode, &g.optPress, &g.optManual, &g.optPreview})
            SetWidth(*r, g.lblMainMode.width());

        g.picAudio = QRect(0, g.picAudio.top(), width, d.waveHeight);
        g.picLevel = QRect(m, 0, d.levelWidth, d.waveHeight);
        const int waveLeft = g.picLevel.right() + 1 + kGap;
        g.picWave = QRect(waveLeft, 0, std::max(0, width - waveLeft - m - d.sliderWidth), d.waveHeight);
        g.sldWavScale = QRect(g.picWave.left() + g.picWave.width(), 0, d.sliderWidth, d.waveHeight);

        // A window narrowed past the player pulls the grid back (the splitter follows it).
        if (g.imgSize.left() + d.keepPlayer > width) SetWidth(g.grdSubs, width - d.keepPlayer);
        ApplyResize(g, d, width, true, false);
    }
    if (height != g.lastHeight || bForce) {
        pass.vertical = true;
        g.picStatus.setHeight(g.statusHeight);
        g.picBottom.moveTop(height - g.picBottom.height());
        const int below = g.audioBar ? d.waveHeight + 20 : 16;
        const int gridHeight = std::max(0, height - g.statusHeight - g.picBottom.height() - below);
        for (QRect* r : {&g.grdSubs, &g.WMP, &g.imgSize}) {
            r->moveTop(g.statusHeight);
            r->setHeight(gridHeight);
        }
        g.picPLogo.setSize(d.playerLogo);
        g.picPLogo.moveTop(g.WMP.top() + (g.WMP.height() - d.playerBar) / 2 - d.playerLogo.height() / 2);
        g.imgSlide.moveTop(g.statusHeight + g.WMP.height() / 2 - g.imgSlide.height() / 2);
        const int waveTop = g.grdSubs.top() + g.grdSubs.height() + kWaveGapTwips / std::max(1, d.twipsY);
        g.picAudio.moveTop(waveTop);
    }
    g.lastWidth = width;
    g.lastHeight = height;
    return pass;
}

bool DragSplitter(MainLayout& g, const LayoutDesign& d, int width, int p) {
    if (p <= d.minGrid || p > width - d.minPlayer) return false;
    g.imgSize.moveLeft(p);
    ApplyResize(g, d, width, false, false);
    return true;
}

MainLayout MirroredLayout(const MainLayout& g, int width) {
    MainLayout m = g;
    const auto mirror = [](QRect& r, int within) { r.moveLeft(within - r.left() - r.width()); };
    for (QRect* r :
         {&m.picStatus, &m.grdSubs, &m.imgSize, &m.imgSlide, &m.WMP, &m.picPLogo, &m.picAudio, &m.picBottom})
        mirror(*r, width);
    for (QRect* r :
         {&m.Line1, &m.Line2, &m.imgText, &m.lblTextFile, &m.imgVideo, &m.lblVideoFile, &m.cmdUpdate})
        mirror(*r, g.picStatus.width());
    for (QRect* r : {&m.picLevel, &m.picWave, &m.sldWavScale})
        mirror(*r, g.picAudio.width());
    for (QRect* r : {&m.txtSub,       &m.lblShow, &m.txtTime0, &m.lblDuration, &m.txtTime1, &m.lblPosition,
                     &m.lblStringPos, &m.lblTime, &m.cmdApply, &m.cmdNext,     &m.cmdEnd,   &m.Line3,
                     &m.Line4,        &m.Line5,   &m.Line6,    &m.lblMainMode, &m.optPress, &m.optManual,
                     &m.optPreview,   &m.lblMode, &m.imgLogo})
        mirror(*r, g.picBottom.width());
    return m;
}

SizeLimits MainSizeLimits(QSize screen) {
    return {QSize(kMinTrackX, kMinTrackY), QSize(2 * screen.width(), screen.height())};
}
