#pragma once
// The waveform's two widgets: the pane picWave, which shows a cached picture of the peaks with
// the caption lines (lnStart, lnEnd, the span shpWav) and the play-position line lnWavPos
// painted over it, and the level meter picLevel. Both only show what WaveBar tells them; the
// pane reports its mouse and its size back.
#include <QFrame>
#include <QImage>

#include <cstdint>

// A line or the span of the pane, as WaveBar places it.
struct WaveMark {
    int x = 0;  // the column (for the span: its left edge)
    int x2 = 0; // the span's right edge
    bool visible = false;
    int32_t color = 0; // 0x00BBGGRR
};

class WavePane : public QFrame {
    Q_OBJECT
public:
    explicit WavePane(QWidget* parent = nullptr);

    // The picture of the peaks (the pane's size); repainted whole.
    QImage& Picture() { return mPicture; }
    void PictureChanged();

    // The marks; each setter repaints only the columns the mark left and reached.
    const WaveMark& lnStart() const { return mStart; }
    const WaveMark& lnEnd() const { return mEnd; }
    const WaveMark& shpWav() const { return mSpan; }
    const WaveMark& lnWavPos() const { return mPos; }
    void SetStart(const WaveMark& m) { Set(mStart, m); }
    void SetEnd(const WaveMark& m) { Set(mEnd, m); }
    void SetSpan(const WaveMark& m) { Set(mSpan, m); }
    void SetPos(const WaveMark& m) { Set(mPos, m); }

Q_SIGNALS:
    void MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, int x, int y);
    void MouseUp(Qt::MouseButton button, int x, int y);
    void Resized();
    void PointerLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Set(WaveMark& mark, const WaveMark& to);
    void UpdateMark(const WaveMark& m);

    QImage mPicture;
    WaveMark mStart, mEnd, mSpan, mPos;
};

// The level meter: 33 segments, cyan up to 24, yellow to 28, red above, lit below the level.
class LevelMeter : public QFrame {
    Q_OBJECT
public:
    explicit LevelMeter(QWidget* parent = nullptr);
    // 0 shows every segment unlit.
    void SetLevel(int level);
    int Level() const { return mLevel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int mLevel = 0;
};
