#pragma once
// Paints the frames of a video onto an ordinary widget: centred, black around, either at the
// video's own size or scaled up to fill the widget (keeping the proportions). A picture larger
// than the widget is always scaled down to fit. Being an ordinary widget (not a native video
// window), anything placed over it - the preview caption labels - is drawn on top of the picture.
#include <QImage>
#include <QRect>
#include <QVideoFrame>
#include <QWidget>

#include <functional>

class VideoView : public QWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);

    bool stretchToFit() const { return stretch_; }
    void setStretchToFit(bool on);

    // The size of the last frame shown; empty when there is none.
    QSize frameSize() const { return frameSize_; }
    // Where the picture is drawn inside the widget; empty without a picture.
    QRect pictureRect() const;

    // Shows a frame (an invalid frame clears the picture). Inline, so that the view itself
    // needs nothing of Qt Multimedia: the program loads it only when media is opened.
    void SetFrame(const QVideoFrame& frame) {
        if (!frame.isValid()) {
            Clear();
            return;
        }
        SetPicture(frame.size(), [frame] { return frame.toImage(); });
    }
    // Shows a picture of the given size; makeImage is called only when it is painted (an
    // empty size clears the picture).
    void SetPicture(QSize size, std::function<QImage()> makeImage);
    // Back to black.
    void Clear();

    QSize sizeHint() const override { return {320, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<QImage()> makeImage_;
    QImage image_; // made by makeImage_ when painted
    bool imageStale_ = false;
    QSize frameSize_;
    bool stretch_ = false;
};
