// The main window's layout: the controls take the rectangles that the arithmetic of
// mainwindow/layout.h gives them whenever the window is resized, the splitter is dragged or a
// bar is switched. Also the window's hooks (the wheel, the size limits) and the logo image.
#include "base/paths.h"
#include "base/toolbox.h"
#include "dialogs/frmAbout.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "platform/IMediaPlayer.h"
#include "platform/ui/HookMinMax.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// A burst of resizes (a window edge being dragged) draws the waveform once, this long after
// the last of them.
constexpr int kWaveRedrawDelayMs = 40;

// The splitter between the grid and the player: dragging it with the left button moves it.
class SplitterBar final : public QWidget {
public:
    explicit SplitterBar(frmMain* window, QWidget* parent) : QWidget(parent), w(window) {
        setObjectName(QStringLiteral("imgSize"));
        setCursor(Qt::SizeHorCursor);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        w->imgSize_MouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
    }

private:
    frmMain* w;
};

// Hands the window's own events to it: the area under the menu bar was resized (Form_Resize),
// the pointer is over the logo or clicks it.
class LayoutEvents final : public QObject {
public:
    explicit LayoutEvents(frmMain* window) : QObject(window), w(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == w->centralWidget()) {
            if (event->type() == QEvent::Resize) w->ArrangeMainForm(false);
        } else if (watched == w->imgLogo && event->type() == QEvent::MouseButtonPress) {
            w->imgLogo_MouseDown(static_cast<QMouseEvent*>(event)->button());
        }
        return false;
    }

private:
    frmMain* w;
};

void Place(QWidget* widget, const QRect& r) {
    if (widget && widget->geometry() != r) widget->setGeometry(r);
}

} // namespace

void frmMain::CreateLayout() {
    picStatus->setFixedHeight(56);
    imgSize = new SplitterBar(this, centralWidget() ? centralWidget() : picStatus->parentWidget());
    imgSlide = new QFrame(imgSize->parentWidget());
    imgSlide->setObjectName(QStringLiteral("imgSlide"));
    imgSlide->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // The grip is drawn on the splitter: the splitter takes the drag.
    imgSlide->setAttribute(Qt::WA_TransparentForMouseEvents);
    imgLogo->setCursor(Qt::PointingHandCursor);

    mWaveRedraw = new QTimer(this);
    mWaveRedraw->setObjectName(QStringLiteral("tmrWaveRedraw"));
    mWaveRedraw->setSingleShot(true);
    mWaveRedraw->setInterval(kWaveRedrawDelayMs);
    connect(mWaveRedraw, &QTimer::timeout, this, [this] {
        if (wavePlaced) wavePlaced();
    });

    mDesign = MeasureDesign();
    DesignLayout(mLayout, mDesign);
    mLayout.statusHeight = picStatus->height();
    mLayoutEvents = new LayoutEvents(this);
    picBottom->parentWidget()->installEventFilter(mLayoutEvents);
    imgLogo->installEventFilter(mLayoutEvents);
}

void frmMain::CreateWindowHooks() {
    // The window sees its own events first, then the size limits and the wheel; each passes on
    // what it does not keep.
    MHookXP::SetSubclass(this, this, 0);
    m_MinMax = new CHookMinMax(this);
    connect(m_MinMax, &CHookMinMax::GetMinMax, this, &frmMain::m_MinMax_GetMinMax);
    m_MinMax->placeCaption = [this] { PlaceCaption(); };
    m_MinMax->setHWnd(this);
    m_MW = new CHookMouseWheel(this);
    connect(m_MW, &CHookMouseWheel::MouseWheel, this, &frmMain::m_MW_MouseWheel);
    m_MW->setHWnd(this);
}

void frmMain::DestroyWindowHooks() {
    // The hooks go before the window is half taken down: none of them may call into it later.
    delete m_MW;
    m_MW = nullptr;
    delete m_MinMax;
    m_MinMax = nullptr;
    MHookXP::RemoveSubclass(this, this);
}

bool frmMain::Message(QObject*, QEvent*, quintptr) {
    return false;
}

void frmMain::m_MinMax_GetMinMax(int& MinTrackX, int& MinTrackY, int& MaxTrackX, int& MaxTrackY) {
    const QScreen* s = screen();
    const SizeLimits limits = MainSizeLimits(s ? s->size() : QSize(1024, 768));
    MinTrackX = limits.minimum.width();
    MinTrackY = limits.minimum.height();
    MaxTrackX = limits.maximum.width();
    MaxTrackY = limits.maximum.height();
}

bool frmMain::IsGridWindow(const QObject* hWnd) const {
    // The grid's cells, header and scroll bars are all the grid.
    for (const QObject* o = hWnd; o; o = o->parent())
        if (o == grdSubsView) return true;
    return false;
}

LayoutDesign frmMain::MeasureDesign() const {
    LayoutDesign d;
    d.scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grdSubsView);
    d.gridFrame = grdSubsView->frameWidth();
    // Five of the widest digit as the cells lay them out (fractions of a pixel add up), the
    // margins the cells draw their text within, and the grid line.
    const QFontMetricsF digits(grdSubsView->font());
    qreal number = 0;
    for (char c = '0'; c <= '9'; ++c)
        number = std::max(number, digits.horizontalAdvance(QString(5, QLatin1Char(c))));
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grdSubsView) + 1;
    d.numberColumn = int(std::ceil(number)) + 2 * textMargin + 1;
    d.twipsY = std::max(1, gTwipsY);
    d.labelHeight = std::max(18, lblTextFile->sizeHint().height());
    d.update = cmdUpdate->sizeHint();

    const QFontMetrics fm = txtTime[0]->fontMetrics();
    d.rowHeight = std::max({22, txtTime[0]->sizeHint().height(), lblShow->sizeHint().height()});
    d.timeBoxWidth = fm.horizontalAdvance(QStringLiteral("00:00:00,000")) + 16;
    d.timeLabelWidth = 40;
    for (QLabel* l : {lblShow, lblDuration, lblPosition})
        d.timeLabelWidth = std::max(d.timeLabelWidth, l->sizeHint().width());
    // The first button says Apply or Start by the mode: room for either.
    const QFontMetrics bm = cmdApply->fontMetrics();
    int button = 80;
    for (int text : {39, 40, 41, 42})
        button = std::max(button, bm.horizontalAdvance(LangText(text)) + 24);
    d.button = QSize(button, std::max(26, cmdApply->sizeHint().height()));

    d.headingHeight = std::max(18, lblMainMode->sizeHint().height());
    d.optionHeight = std::max(20, optPress->sizeHint().height());
    d.modeTextHeight = 2 * lblMode->fontMetrics().lineSpacing() + 4;
    d.logo = imgLogo->size();
    d.playerLogo = picPLogo->size();
    if (picWave->minimumHeight() > 0) d.waveHeight = picWave->minimumHeight();
    d.sliderWidth = std::max(20, sldWavScale->sizeHint().width());
    return d;
}

int frmMain::AreaWidth() const {
    return centralWidget() ? centralWidget()->width() : width();
}

MainLayout frmMain::ShownLayout() const {
    return layoutDirection() == Qt::RightToLeft ? MirroredLayout(mLayout, AreaWidth()) : mLayout;
}

void frmMain::ApplyLayout() {
    const MainLayout g = ShownLayout();
    mLaidOutRightToLeft = layoutDirection() == Qt::RightToLeft;
    // A path reads left to right in any language; it stands beside its icon either way.
    for (QLabel* l : {lblTextFile, lblVideoFile})
        l->setAlignment(Qt::AlignAbsolute | Qt::AlignVCenter |
                        (mLaidOutRightToLeft ? Qt::AlignRight : Qt::AlignLeft));
    Place(picStatus, g.picStatus);
    Place(Line1, g.Line1);
    Place(Line2, g.Line2);
    Place(imgText, g.imgText);
    Place(imgVideo, g.imgVideo);
    Place(lblTextFile, g.lblTextFile);
    Place(lblVideoFile, g.lblVideoFile);
    Place(cmdUpdate, g.cmdUpdate);
    cmdUpdate->raise();

    Place(grdSubsView, g.grdSubs);
    Place(imgSize, g.imgSize);
    Place(imgSlide, g.imgSlide);
    imgSlide->raise();
    Place(WMP->Widget(), g.WMP);
    Place(picPLogo, g.picPLogo);
    picPLogo->raise();

    Place(picAudio, g.picAudio);
    Place(picLevel, g.picLevel);
    Place(picWave, g.picWave);
    Place(sldWavScale, g.sldWavScale);

    Place(picBottom, g.picBottom);
    Place(txtSub, g.txtSub);
    Place(lblShow, g.lblShow);
    Place(txtTime[0], g.txtTime0);
    Place(lblDuration, g.lblDuration);
    Place(txtTime[1], g.txtTime1);
    Place(lblPosition, g.lblPosition);
    Place(lblStringPos, g.lblStringPos);
    Place(lblTime, g.lblTime);
    Place(cmdApply, g.cmdApply);
    Place(cmdNext, g.cmdNext);
    Place(cmdEnd, g.cmdEnd);
    Place(Line3, g.Line3);
    Place(Line4, g.Line4);
    Place(Line5, g.Line5);
    Place(Line6, g.Line6);
    Place(lblMainMode, g.lblMainMode);
    Place(optPress, g.optPress);
    Place(optManual, g.optManual);
    Place(optPreview, g.optPreview);
    Place(lblMode, g.lblMode);
    Place(imgLogo, g.imgLogo);
    imgLogo->setVisible(g.logoVisible);
    ApplyColumnWidths();
}

void frmMain::ApplyColumnWidths() {
    FlexGrid& grid = grdSubs();
    for (int c = 0; c < std::min(grid.Cols(), 4); ++c)
        grid.SetColWidth(c, mLayout.colWidth[size_t(c)] * gTwipsX);
}

bool frmMain::RefreshDesign() {
    const LayoutDesign d = MeasureDesign();
    if (d == mDesign) return false;
    mDesign = d;
    RedesignLayout(mLayout, mDesign);
    return true;
}

void frmMain::ArrangeMainForm(bool bForce) {
    QWidget* area = centralWidget();
    // Before the window shows, the area passes through sizes it never has on screen (a narrow
    // one would pull the grid back for good); the first pass comes with the show.
    if (!area || mArranging || !isVisible()) return;
    // Placing the controls can resize the area again (a bar appearing): that is the next pass.
    mArranging = true;
    mLayout.statusHeight = picStatus->height();
    mLayout.audioBar = !picAudio->isHidden();
    mLayout.cols = grdSubs().Cols();
    const LayoutPass pass =
        ::ArrangeMainForm(mLayout, mDesign, area->width(), area->height(), isMinimized(), bForce);
    if (pass.horizontal || pass.vertical) ApplyLayout();
    // The waveform is drawn for the pane's new width once the resizing has paused.
    if (pass.horizontal) mWaveRedraw->start();
    mArranging = false;
    if (!isMinimized()) PlaceCaption();
}

void frmMain::ApplyResize(bool bFromGrid, bool bColumnsOnly) {
    mLayout.cols = grdSubs().Cols();
    ::ApplyResize(mLayout, mDesign, AreaWidth(), bFromGrid, bColumnsOnly);
    if (bColumnsOnly) {
        ApplyColumnWidths();
        return;
    }
    ApplyLayout();
    PlaceCaption();
}

void frmMain::SizeGridColumns() {
    ApplyResize(false, true);
}

void frmMain::imgSize_MouseMove(Qt::MouseButtons Button, Qt::KeyboardModifiers, int X, int) {
    if (!(Button & Qt::LeftButton)) return;
    // The splitter's edge follows the pointer: its left edge, or its right one where the window
    // reads right to left (the layout's own columns run left to right).
    const QRect& bar = mLayout.imgSize;
    const int p = layoutDirection() == Qt::RightToLeft ? bar.left() + bar.width() - 1 - X : bar.left() + X;
    if (!DragSplitter(mLayout, mDesign, AreaWidth(), p)) return;
    ApplyLayout();
    PlaceCaption();
}

void frmMain::PlaceStatusLabels() {
    // The labels' texts or their left edge changed (UpdateFileLabels), and with the texts of a
    // new language the controls' designed sizes may have too.
    if (RefreshDesign()) {
        ArrangeMainForm(true);
        return;
    }
    PlaceInfoBar(mLayout, mDesign, AreaWidth());
    const MainLayout g = ShownLayout();
    Place(lblTextFile, g.lblTextFile);
    Place(lblVideoFile, g.lblVideoFile);
    Place(imgText, g.imgText);
    Place(imgVideo, g.imgVideo);
    Place(cmdUpdate, g.cmdUpdate);
    cmdUpdate->raise();
}

void frmMain::imgLogo_MouseDown(Qt::MouseButton Button) {
    if (Button == Qt::LeftButton) ShellOpen(kDonationPage);
}
