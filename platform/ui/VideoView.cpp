#include "platform/ui/VideoView.h"

#include <QPaintEvent>
#include <QPainter>

VideoView::VideoView(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted: no background fill first, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void VideoView::setStretchToFit(bool on) {
    if (stretch_ == on) return;
    stretch_ = on;
    update();
}

QRect VideoView::pictureRect() const {
    if (frameSize_.isEmpty() || width() <= 0 || height() <= 0) return {};
    QSize s = frameSize_;
    if (stretch_ || s.width() > width() || s.height() > height()) s.scale(size(), Qt::KeepAspectRatio);
    s = s.expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
}

void VideoView::SetPicture(QSize size, std::function<QImage()> makeImage) {
    if (size.isEmpty() || !makeImage) {
        Clear();
        return;
    }
    makeImage_ = std::move(makeImage);
    imageStale_ = true;
    if (size != frameSize_) {
        frameSize_ = size;
        update();
    } else {
        update(pictureRect());
    }
}

void VideoView::Clear() {
    makeImage_ = nullptr;
    image_ = QImage();
    imageStale_ = false;
    frameSize_ = QSize();
    update();
}

void VideoView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect picture = pictureRect();
    if (imageStale_) {
        // Converted only when shown: a hidden view costs nothing per frame.
        image_ = makeImage_ ? makeImage_() : QImage();
        imageStale_ = false;
    }
    if (picture.isEmpty() || image_.isNull()) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    // Black around the picture, the picture itself drawn over its own rectangle.
    const QRegion around = QRegion(event->rect()) - QRegion(picture);
    for (const QRect& r : around)
        p.fillRect(r, Qt::black);
    p.setRenderHint(QPainter::SmoothPixmapTransform, picture.size() != image_.size());
    p.drawImage(picture, image_);
}
