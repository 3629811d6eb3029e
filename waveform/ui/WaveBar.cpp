#include "waveform/ui/WaveBar.h"

#include "base/numbers.h"
#include "base/settings.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/mediastate.h"
#include "language/lang.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"
#include "waveform/ui/WavePane.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QTimer>

#include <algorithm>

namespace {

// The small marker above the position line: a downward triangle, its tip on the line.
QPixmap PositionMarker() {
    QPixmap pm(5, 4);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(RgbOf(kWavePosColor)));
    const QPoint tri[3] = {QPoint(0, 0), QPoint(5, 0), QPoint(2, 4)};
    p.drawPolygon(tri, 3);
    return pm;
}

// The labels over the pane read on any wave colour.
const QString kOverlayStyle =
    QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 170); padding: 0px 3px; }");

int32_t MsOfColumn(int x) {
    return SaturateToInt32((double(x) + gWaveOffset) * 10.0);
}

bool CurrentRowOk(int row) {
    return IsDocumentGrid() && row >= 1 && row < grdSubs().Rows();
}

} // namespace

WaveBar::WaveBar(WaveHost* host, const WaveControls& controls, QObject* parent)
    : QObject(parent), mHost(host), c(controls), mLoader(new WaveLoader(this)) {
    c.imgWavPos->setPixmap(PositionMarker());
    c.imgWavPos->setFixedSize(5, 4);
    c.imgWavPos->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QLabel* l : {c.lblWave, c.lblWaveTip}) {
        l->setStyleSheet(kOverlayStyle);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    c.sldWavScale->setEnabled(false);
    c.tmrWave->setInterval(20);

    connect(mLoader, &WaveLoader::PeaksReady, this, &WaveBar::OnPeaks);
    connect(mLoader, &WaveLoader::Progress, this, &WaveBar::OnProgress);
    connect(mLoader, &WaveLoader::Finished, this, &WaveBar::OnFinished);
    connect(mLoader, &WaveLoader::Failed, this, &WaveBar::OnFailed);
    connect(c.picWave, &WavePane::MouseDown, this, &WaveBar::picWave_MouseDown);
    connect(c.picWave, &WavePane::MouseMove, this, &WaveBar::picWave_MouseMove);
    connect(c.picWave, &WavePane::MouseUp, this, &WaveBar::picWave_MouseUp);
    connect(c.picWave, &WavePane::PointerLeft, this, &WaveBar::PointerLeft);
    connect(c.sldWavScale, &QSlider::valueChanged, this, &WaveBar::sldWavScale_Change);
    connect(c.tmrWave, &QTimer::timeout, this, &WaveBar::tmrWave_Timer);
    // The entries are checkable: Qt has turned the check over by the time they report.
    connect(c.mnuAudioBar, &QAction::triggered, this, [this](bool on) { SetAudioBar(on); });
    connect(c.mnuFullWave, &QAction::triggered, this, [this](bool on) {
        gFullWave = on;
        if (!gWaveFile.isEmpty()) DrawWave(gWaveOffset);
    });
}

WaveBar::~WaveBar() {
    // The worker goes before anything it reports to.
    mLoader->Cancel();
}

// --- Loading ---

void WaveBar::LoadWave(const QString& path) {
    // A new load replaces the one in progress; a stop asked for an earlier load is forgotten.
    mLoader->Cancel();
    gStopWave = false;
    if (!mLoadingPath.isEmpty()) LoadEnded();

    if (!mLoader->Start(path, std::max(1, c.picWave->width()))) {
        ReportFailure();
        return;
    }
    mLoadingPath = path;
    ++mFileGeneration;
    const int64_t blocks = mLoader->BlockCount();
    gWavePeaks.assign(size_t(2 * blocks), 0);
    gWavePeaks.shrink_to_fit();
    gWavePeakCount = int32_t(2 * blocks);
    gWaveLoadedBlocks = 0;
    gWaveOffset = 0;
    ResetWave(false);

    gWaveFile = path;
    c.lblWave->setText(LangText(419) + QLatin1Char(' '));
    c.lblWave->adjustSize();
    c.lblWave->move(4, 4);
    c.lblWave->show();
    c.lblWave->raise();
    mHost->SetLoadCommandEnabled(false);
    c.sldWavScale->setEnabled(true);
    if (!gAudioBar)
        SetAudioBar(true);
    else
        c.tmrWave->start();
    // The caption's lines appear on the new wave.
    if (!gSubFile.isEmpty() && CurrentRowOk(grdSubs().Row())) SelectLine(grdSubs().Row(), false);
    c.imgWavPos->show();
    PlacePosition(std::max(mHost->PositionMs(), 0) / 10, true, kWavePosColor);
    DrawWave(0);
}

void WaveBar::OnPeaks(qint64 firstBlock, const std::vector<int16_t>& peaks) {
    if (gStopWave) {
        mLoader->Cancel();
        LoadEnded();
        return;
    }
    const size_t at = size_t(2 * firstBlock);
    if (at > gWavePeaks.size()) return;
    const size_t n = std::min(peaks.size(), gWavePeaks.size() - at);
    std::copy_n(peaks.begin(), n, gWavePeaks.begin() + ptrdiff_t(at));
    const int32_t before = gWaveLoadedBlocks;
    gWaveLoadedBlocks = int32_t((at + n) / 2);
    // Only blocks that reach into the pane need a new picture.
    if (before < int64_t(gWaveOffset) + c.picWave->width() && gWaveLoadedBlocks > gWaveOffset) DrawWave(gWaveOffset);
}

void WaveBar::OnProgress(qint64 done, qint64 total) {
    c.lblWave->setText(LangText(419) + QLatin1Char(' ') + QString::number(done / 1024) + QStringLiteral(" / ") +
                       QString::number(total / 1024) + QStringLiteral(" KB"));
    c.lblWave->adjustSize();
}

void WaveBar::OnFinished() {
    const QString path = mLoadingPath;
    // A file cut short since its header was read holds fewer blocks than planned.
    gWaveLoadedBlocks = std::min<int32_t>(gWaveLoadedBlocks, gWavePeakCount / 2);
    DrawWave(gWaveOffset);
    LoadEnded();
    mHost->ShowAudioEntry(path);
}

void WaveBar::OnFailed() {
    LoadEnded();
    if (!gClosing) ReportFailure();
}

void WaveBar::LoadEnded() {
    mLoadingPath.clear();
    if (gClosing) return;
    mHost->SetLoadCommandEnabled(true);
    c.lblWave->hide();
}

void WaveBar::ReportFailure() {
    MsgBox(LangText(413), vbCritical, LangText(356));
}

// --- Drawing ---

void WaveBar::ResetWave(bool bClear) {
    if (bClear) {
        mLoader->Cancel();
        if (!mLoadingPath.isEmpty()) LoadEnded();
        c.sldWavScale->setEnabled(false);
        c.tmrWave->stop();
        c.imgWavPos->hide();
        c.lblWaveTip->hide();
        WavePane* pane = c.picWave;
        const auto hidden = [](WaveMark m) {
            m.visible = false;
            return m;
        };
        pane->SetPos(hidden(pane->lnWavPos()));
        pane->SetStart(hidden(pane->lnStart()));
        pane->SetEnd(hidden(pane->lnEnd()));
        pane->SetSpan(hidden(pane->shpWav()));
        gWaveFile.clear();
        gWaveOffset = 0;
        gWavePeaks.clear();
        gWavePeaks.shrink_to_fit();
        gWavePeakCount = 0;
        gWaveLoadedBlocks = 0;
        ++mFileGeneration;
    }
    gWaveHeight = c.picWave->height();
    gWaveWidth = c.picWave->width();
    c.picLevel->SetLevel(0);
    // An empty pane: the background and the second marks.
    QImage& picture = c.picWave->Picture();
    if (picture.size() != c.picWave->size()) picture = QImage(c.picWave->size(), QImage::Format_RGB32);
    RenderWave(picture, gWavePeaks, 0, 0, gWaveOffset, gWavScale, gFullWave, gAudioBarColor);
    mShown = Shown{};
    c.picWave->PictureChanged();
}

void WaveBar::DrawWave(int32_t firstColumn) {
    gWaveOffset = std::max(firstColumn, 0);
    gWaveHeight = c.picWave->height();
    gWaveWidth = c.picWave->width();
    const Shown now{gWaveOffset,  gWavScale, gWaveWidth,        gWaveHeight, gAudioBarColor,
                    gWaveBackColor, gWaveLoadedBlocks, gFullWave, mFileGeneration};
    if (now != mShown) {
        QImage& picture = c.picWave->Picture();
        if (picture.size() != c.picWave->size()) picture = QImage(c.picWave->size(), QImage::Format_RGB32);
        RenderWave(picture, gWavePeaks, gWaveLoadedBlocks, gWavePeakCount / 2, gWaveOffset, gWavScale, gFullWave,
                   gAudioBarColor);
        mShown = now;
        c.picWave->PictureChanged();
    }
    // The caption's lines belong to times, not columns: they move with the view.
    if (gWaveOffset != mPlacedOffset) ReplaceSelection();
}

void WaveBar::ReplaceSelection() {
    mPlacedOffset = gWaveOffset;
    const int row = grdSubs().Row();
    if (!gSubFile.isEmpty() && CurrentRowOk(row)) ShowWaveSelection(GetLineStart(row), GetLineEnd(row));
}

void WaveBar::Placed() {
    if (c.picWave->size() == QSize(gWaveWidth, gWaveHeight) && c.picWave->Picture().size() == c.picWave->size())
        return;
    if (gWaveFile.isEmpty())
        ResetWave(false);
    else
        DrawWave(gWaveOffset);
    ReplaceSelection();
}

void WaveBar::SetWaveColor(int32_t color) {
    const WavePalette palette = WavePaletteFor(color);
    gAudioBarColor = palette.wave;
    gWaveMarkColor = palette.mark;
    gWaveBackColor = palette.back;
    if (gWaveFile.isEmpty())
        ResetWave(false);
    else
        DrawWave(gWaveOffset);
    ColorLines(0);
}

void WaveBar::ShowWaveSelection(int32_t startMs, int32_t endMs) {
    if (gWaveFile.isEmpty()) return;
    mPlacedOffset = gWaveOffset;
    WavePane* pane = c.picWave;
    WaveMark start = pane->lnStart(), end = pane->lnEnd(), span = pane->shpWav();
    bool visible = false;
    if (endMs > startMs) {
        const int64_t xs = startMs / 10 - int64_t(gWaveOffset), xe = endMs / 10 - int64_t(gWaveOffset);
        if (xe >= 1 && xs < pane->width()) {
            visible = true;
            start.x = int(xs);
            end.x = int(std::min<int64_t>(xe, INT32_MAX / 2));
            span.x = start.x;
            span.x2 = end.x;
        }
    }
    start.visible = end.visible = span.visible = visible;
    if (mTarget == 0) start.color = end.color = span.color = kWaveSpanColor;
    pane->SetStart(start);
    pane->SetEnd(end);
    pane->SetSpan(span);
}

// --- View menu and slider ---

void WaveBar::mnuAudioBar_Click() {
    SetAudioBar(!gAudioBar);
}

void WaveBar::SetAudioBar(bool on) {
    c.mnuAudioBar->setChecked(on);
    gAudioBar = on;
    const bool wave = !gWaveFile.isEmpty();
    if (on) {
        ResetWave(false);
        if (wave) DrawWave(gWaveOffset);
    }
    c.imgWavPos->setVisible(on && wave && c.picWave->lnWavPos().visible);
    for (QWidget* w : {c.picAudio, static_cast<QWidget*>(c.picLevel), static_cast<QWidget*>(c.picWave),
                       static_cast<QWidget*>(c.sldWavScale)})
        if (w) w->setVisible(on);
    if (wave && on)
        c.tmrWave->start();
    else
        c.tmrWave->stop();
    mHost->Relayout();
}

void WaveBar::mnuFullWave_Click() {
    c.mnuFullWave->setChecked(!gFullWave);
    gFullWave = c.mnuFullWave->isChecked();
    if (!gWaveFile.isEmpty()) DrawWave(gWaveOffset);
}

void WaveBar::sldWavScale_Change(int value) {
    gWavScale = value * 10;
    if (!gWaveFile.isEmpty()) DrawWave(gWaveOffset);
}

// --- Following the player ---

void WaveBar::tmrWave_Timer() {
    if (gWaveFile.isEmpty()) return;
    IMediaPlayer* player = mHost->Player();
    const int state = player ? player->playState() : kPlayStateStopped;
    const int64_t idx = int64_t(std::max(mHost->PositionMs(), 0) / 10) * 2;
    if (state != kPlayStatePlaying || idx > gWavePeakCount) {
        if (gWaveOffset > 0 && state == kPlayStateStopped) DrawWave(0);
        if (state != kPlayStatePaused && c.picLevel->Level() > 0) c.picLevel->SetLevel(0);
        return;
    }
    if (idx + 1 >= int64_t(gWavePeaks.size())) return;
    const int32_t col = int32_t(idx / 2);
    // A page turn, except under a drag: the lines the user holds stay where they are.
    if ((col < gWaveOffset || col >= int64_t(gWaveOffset) + c.picWave->width()) && mTarget == 0) DrawWave(col);
    const WaveMark& pos = c.picWave->lnWavPos();
    PlacePosition(col - gWaveOffset, pos.visible, pos.color);
    if (gAudioBar) c.picLevel->SetLevel(col < gWaveLoadedBlocks ? WaveMeterLevel(gWavePeaks[size_t(idx)], gWavScale) : 0);
}

void WaveBar::ShowCursor(bool on) {
    if (on) {
        c.imgWavPos->setVisible(gAudioBar);
        PlacePosition(c.picWave->lnWavPos().x, true, c.picWave->lnWavPos().color);
    } else {
        c.imgWavPos->hide();
        PlacePosition(c.picWave->lnWavPos().x, false, c.picWave->lnWavPos().color);
        DrawWave(0);
    }
}

void WaveBar::PlacePosition(int x, bool visible, int32_t color) {
    WaveMark m = c.picWave->lnWavPos();
    m.x = x;
    m.visible = visible;
    m.color = color;
    c.picWave->SetPos(m);
    c.imgWavPos->move(x - 2, 0);
}

// --- Mouse ---

bool WaveBar::LinesShown() const {
    return c.picWave->lnStart().visible && c.picWave->lnEnd().visible;
}

void WaveBar::picWave_MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y) {
    if (gWaveFile.isEmpty()) return;
    if (button == Qt::RightButton) {
        mGrab = x - c.picWave->lnStart().x;
        mTarget = LinesShown() ? WaveDragTarget(x, {c.picWave->lnStart().x, c.picWave->lnEnd().x}) : 0;
        // What the caption was when the drag began: a bound whose line has not left its column
        // keeps its time to the millisecond, and nothing moves before the pointer does.
        const int row = grdSubs().Row();
        mPress = {
            x,    row, {c.picWave->lnStart().x, c.picWave->lnEnd().x}, GetLineStart(row), GetLineEnd(row),
            false};
    } else if (button == Qt::LeftButton && x >= 0 && x <= c.picWave->width()) {
        // Only the press decides: the moves that follow find the player paused by it.
        IMediaPlayer* player = mHost->Player();
        gWasPlaying = player && player->playState() == kPlayStatePlaying;
        if (gWasPlaying) player->pause();
    }
    picWave_MouseMove(buttons, x, y);
}

void WaveBar::picWave_MouseMove(Qt::MouseButtons buttons, int x, int) {
    if (gWaveFile.isEmpty()) return;
    const WaveSpan lines{c.picWave->lnStart().x, c.picWave->lnEnd().x};
    PlaceTip(LinesShown() && x >= lines.start - 1 && x <= lines.end + 1);
    if (!(buttons & Qt::LeftButton) && mTarget == 0) {
        const int over = LinesShown() ? WaveDragTarget(x, lines) : 0;
        ColorLines(over);
        c.picWave->setCursor(over == 1 || over == 2 ? Qt::SizeHorCursor : Qt::ArrowCursor);
    }
    if ((buttons & Qt::RightButton) && mTarget != 0 && LinesShown()) Drag(x);
    if ((buttons & Qt::LeftButton) && x >= 0 && x <= c.picWave->width()) Seek(x);
}

void WaveBar::picWave_MouseUp(Qt::MouseButton button, int, int) {
    if (button == Qt::LeftButton && gWasPlaying) {
        gWasPlaying = false;
        if (IMediaPlayer* player = mHost->Player()) player->play();
    }
    c.picWave->setCursor(Qt::ArrowCursor);
    const WaveMark& pos = c.picWave->lnWavPos();
    PlacePosition(pos.x, pos.visible, kWavePosColor);
    if (button == Qt::RightButton) {
        mTarget = 0;
        ColorLines(0);
    }
}

void WaveBar::PointerLeft() {
    c.lblWaveTip->hide();
    if (mTarget == 0) ColorLines(0);
}

void WaveBar::ColorLines(int target) {
    WavePane* pane = c.picWave;
    WaveMark start = pane->lnStart(), end = pane->lnEnd(), span = pane->shpWav();
    if (target == 0) {
        start.color = end.color = span.color = kWaveSpanColor;
    } else {
        start.color = target == 1 || target == 3 ? kWaveTakeColor : kWaveKeepColor;
        end.color = target == 2 || target == 3 ? kWaveTakeColor : kWaveKeepColor;
        span.color = target == 3 ? kWaveTakeColor : kWaveKeepColor;
    }
    pane->SetStart(start);
    pane->SetEnd(end);
    pane->SetSpan(span);
}

void WaveBar::PlaceTip(bool visible) {
    QLabel* tip = c.lblWaveTip;
    if (visible && !tip->isVisible()) {
        tip->adjustSize();
        const int x = std::clamp(c.picWave->lnEnd().x + 4, 0, std::max(0, c.picWave->width() - tip->width()));
        tip->move(x, c.picWave->height() - tip->height() - 2);
        tip->raise();
    }
    tip->setVisible(visible);
}

void WaveBar::Drag(int x) {
    // A run over the document (a read, the rules) owns the captions until it ends.
    if (IsDocumentBusy()) return;
    FlexGrid& grid = grdSubs();
    const int row = grid.Row();
    if (!CurrentRowOk(row)) return;
    // The drag belongs to the caption it began on.
    if (row != mPress.row) return;
    if (!mPress.moved) {
        // A click that does not move retimes nothing (it would round the times to a column).
        if (x == mPress.x) return;
        mPress.moved = true;
    }
    const WaveSpan from{c.picWave->lnStart().x, c.picWave->lnEnd().x};
    // Time 0 is the leftmost place a line can go.
    const WaveSpan to = DragWaveSpan(mTarget, x, mGrab, from, -gWaveOffset);
    // A line back in (or never out of) its column keeps the bound's exact time: held at the
    // 14-pixel limit, or returned to where it started.
    const auto timeOf = [](int column, int pressColumn, int32_t pressMs) {
        return column == pressColumn ? pressMs : MsOfColumn(column);
    };
    const int32_t oldStart = GetLineStart(row), oldEnd = GetLineEnd(row);
    int32_t newStart = oldStart, newEnd = oldEnd;
    if (mTarget == 1 || mTarget == 3) newStart = timeOf(to.start, mPress.lines.start, mPress.start);
    if (mTarget == 2) newEnd = timeOf(to.end, mPress.lines.end, mPress.end);
    // The whole span keeps its exact length; a single line leaves the other bound's
    // milliseconds as they were.
    if (mTarget == 3) newEnd = SaturateToInt32(double(newStart) + (double(mPress.end) - mPress.start));
    if (newStart == oldStart && newEnd == oldEnd) return;
    // Moving right, the end goes first, so that the start never passes it on the way.
    if (newStart > oldStart) {
        if (newEnd != oldEnd) SetLineEnd(row, newEnd);
        if (newStart != oldStart) SetLineStart(row, newStart);
    } else {
        if (newStart != oldStart) SetLineStart(row, newStart);
        if (newEnd != oldEnd) SetLineEnd(row, newEnd);
    }
    ShowWaveSelection(GetLineStart(row), GetLineEnd(row));
    mHost->CaptionRetimed();
}

void WaveBar::Seek(int x) {
    c.imgWavPos->setVisible(gAudioBar);
    PlacePosition(x, true, kWaveSeekColor);
    const int32_t ms = MsOfColumn(x);
    mHost->SetPositionMs(ms);
    if (IMediaPlayer* player = mHost->Player()) player->setCurrentPosition(ms / 1000.0);
}
