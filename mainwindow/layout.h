#pragma once
// The main window's layout as arithmetic on rectangles, apart from the widgets: the window keeps
// one MainLayout, runs these functions on it when its size or a bar changes, and then gives each
// control the rectangle it got. All figures are pixels.
//
// The window's width and height are its own (inside the frame that the window manager draws,
// below nothing: the menu bar is not part of the height given here, so H is the area under it).
// Rectangles are in the area's coordinates, except where a comment names the panel they lie in.
#include <QRect>
#include <QSize>

#include <array>

// What the layout takes as it is: the controls' designed sizes, measured from the controls
// (texts in the UI language decide how wide a button or a label is).
struct LayoutDesign {
    int margin = 8;           // the grid's left edge, the splitter's width, the side margins
    int playerRight = 24;     // room right of the player
    int playerBar = 64;       // the player's control bar, which the logo stays above
    int minGrid = 64;         // the splitter never goes this close to the left
    int minPlayer = 180;      // nor closer than this to the right edge
    int keepPlayer = 182;     // a narrowed window pulls the grid back this far from its edge
    QSize playerLogo{64, 64}; // picPLogo
    QSize slide{6, 40};       // imgSlide, the splitter's grip
    int scrollBar = 16;       // a vertical scroll bar's width
    int gridFrame = 1;        // the grid's frame, inside its rectangle
    int numberColumn = 0;     // the number column's least width: five digits in the grid's font
    int twipsY = 15;          // screen twips per pixel: the level meter's gap is fixed in twips

    // Info bar.
    int labelHeight = 18;
    QSize update{100, 24}; // cmdUpdate
    QSize fileIcon{16, 16};

    // Bottom panel.
    int minWidth = 700; // the narrowest window: the caption box row fits in it
    int rowHeight = 22; // a time box and its label
    int timeLabelWidth = 70;
    int timeBoxWidth = 100;
    QSize button{96, 26}; // cmdApply, cmdNext, cmdEnd
    int headingHeight = 18;
    int optionHeight = 20;
    int modeTextHeight = 36;
    QSize logo{48, 48};   // imgLogo
    int logoAbove = 1000; // the logo shows only in a window wider than this

    // Audio bar.
    int levelWidth = 18;
    int waveHeight = 68;
    int sliderWidth = 20;

    bool operator==(const LayoutDesign&) const = default;
};

// Where everything is. The grid's width and the splitter's place are state: the user moves
// them and a layout pass keeps them where it can.
struct MainLayout {
    // Info bar and what lies in it (panel coordinates).
    int statusHeight = 56;
    QRect picStatus, Line1, Line2, imgText, lblTextFile, imgVideo, lblVideoFile, cmdUpdate;
    int labelLeft = 8; // the file labels' left edge: 8, or 32 beside their icons

    // Grid, splitter and player.
    QRect grdSubs, imgSize, imgSlide, WMP, picPLogo;

    // Audio bar: picAudio holds the three below (their coordinates are the bar's).
    bool audioBar = false;
    QRect picAudio, picLevel, picWave, sldWavScale;

    // Bottom panel and what lies in it (panel coordinates).
    QRect picBottom, txtSub, lblShow, txtTime0, lblDuration, txtTime1, lblPosition, lblStringPos, lblTime;
    QRect cmdApply, cmdNext, cmdEnd, Line3, Line4, Line5, Line6;
    QRect lblMainMode, optPress, optManual, optPreview, lblMode, imgLogo;
    bool logoVisible = false;

    // The grid's columns (1 while nothing is loaded, else 4).
    int cols = 1;
    std::array<int, 4> colWidth{};

    // The size of the last pass: a pass re-flows only a direction whose size changed.
    int lastWidth = 0;
    int lastHeight = 0;
};

// What a pass did.
struct LayoutPass {
    bool horizontal = false; // widths changed: the waveform is drawn again
    bool vertical = false;
};

// The grid, splitter and player after the splitter or the grid moved (bFromGrid: the splitter
// follows the grid's right edge; otherwise the grid follows the splitter), then the columns.
// With bColumnsOnly only the columns are sized.
void ApplyResize(MainLayout& g, const LayoutDesign& d, int width, bool bFromGrid, bool bColumnsOnly);

// The grid's column widths for its width (number, start, end, text).
std::array<int, 4> GridColumnWidths(int gridWidth, int txtSubWidth, int cols, const LayoutDesign& d);

// The first layout: the designed places before the window has a size.
void DesignLayout(MainLayout& g, const LayoutDesign& d);

// The designed controls again for a changed design (texts of another length); the next pass
// re-flows both directions.
void RedesignLayout(MainLayout& g, const LayoutDesign& d);

// Re-flows the window for its size. Nothing happens while it is minimised; a direction whose
// size is the one of the last pass is left as it is, unless bForce asks for the vertical one.
LayoutPass ArrangeMainForm(MainLayout& g, const LayoutDesign& d, int width, int height, bool minimized,
                           bool bForce);

// The splitter dragged to p (the splitter's new left edge): taken only where the grid keeps
// more than minGrid and the player its minPlayer. True when it moved.
bool DragSplitter(MainLayout& g, const LayoutDesign& d, int width, int p);

// The info bar for the window's width, with the labels at g.labelLeft.
void PlaceInfoBar(MainLayout& g, const LayoutDesign& d, int width);

// The layout as a right-to-left window shows it: every control at the mirror place of its own
// in what holds it (the area of the given width, or its bar or panel). The arithmetic above
// works left to right; only the places it gives are mirrored.
MainLayout MirroredLayout(const MainLayout& g, int width);

// The window's size limits for a screen: at least the design's minimum, at most twice the
// screen's width and its height.
struct SizeLimits {
    QSize minimum, maximum;
};
SizeLimits MainSizeLimits(QSize screen);
