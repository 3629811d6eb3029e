#include "waveform/ui/WavePane.h"

#include "waveform/wavestate.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

WavePane::WavePane(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("picWave"));
    // Columns are pixels of the widget itself: no frame shifts them.
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(68);
    setMinimumWidth(20);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    mPos.color = kWavePosColor;
}

void WavePane::PictureChanged() {
    update();
}

void WavePane::UpdateMark(const WaveMark& m) {
    if (!m.visible) return;
    const int left = std::min(m.x, std::max(m.x, m.x2));
    const int right = std::max(m.x, m.x2);
    if (&m == &mSpan)
        update(QRect(left, 0, right - left + 1, height()));
    else
        update(QRect(m.x - 1, 0, 3, height()));
}

void WavePane::Set(WaveMark& mark, const WaveMark& to) {
    if (mark.x == to.x && mark.x2 == to.x2 && mark.visible == to.visible && mark.color == to.color) return;
    UpdateMark(mark);
    mark = to;
    UpdateMark(mark);
}

void WavePane::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    if (mPicture.size() == size())
        p.drawImage(r.topLeft(), mPicture, r);
    else
        p.fillRect(r, RgbOf(gWaveBackColor));
    const int bottom = height() - 1;
    if (mSpan.visible) {
        // A light wash over the caption's time, its outline in the span's colour.
        QColor wash(RgbOf(mSpan.color));
        wash.setAlpha(60);
        p.setPen(QColor(RgbOf(mSpan.color)));
        p.setBrush(wash);
        p.drawRect(QRect(QPoint(mSpan.x, 0), QPoint(mSpan.x2, bottom)));
    }
    for (const WaveMark* m : {&mStart, &mEnd, &mPos}) {
        if (!m->visible) continue;
        p.setPen(QColor(RgbOf(m->color)));
        p.drawLine(m->x, 0, m->x, bottom);
    }
}

void WavePane::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Q_EMIT Resized();
}

void WavePane::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    Q_EMIT MouseDown(event->button(), event->buttons(), pos.x(), pos.y());
}

void WavePane::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    Q_EMIT MouseMove(event->buttons(), pos.x(), pos.y());
}

void WavePane::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    Q_EMIT MouseUp(event->button(), pos.x(), pos.y());
}

void WavePane::leaveEvent(QEvent* event) {
    QFrame::leaveEvent(event);
    Q_EMIT PointerLeft();
}

// --- Level meter ---

namespace {

constexpr int kSegments = 33;

struct SegmentColors {
    int32_t lit, unlit;
};

SegmentColors ColorsOfSegment(int i) {
    if (i <= 24) return {0xFFFF00, 0x808000};
    if (i <= 28) return {0x00FFFF, 0x008080};
    return {0x0000FF, 0x000080};
}

} // namespace

LevelMeter::LevelMeter(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("picLevel"));
    setFrameShape(QFrame::NoFrame);
    setFixedSize(18, 68);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelMeter::SetLevel(int level) {
    level = std::max(level, 0);
    if (level == mLevel) return;
    mLevel = level;
    update();
}

void LevelMeter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    for (int i = 0; i < kSegments; ++i) {
        const SegmentColors c = ColorsOfSegment(i);
        p.setPen(QColor(RgbOf(mLevel > i ? c.lit : c.unlit)));
        p.drawLine(2, 66 - 2 * i, 15, 66 - 2 * i);
    }
}
