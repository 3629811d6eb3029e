#pragma once
// The audio bar: a WAV file's waveform under the caption grid, a play-position line that
// follows the player, a level meter, and the selected caption's start and end as two lines
// that a right-drag moves to retime the caption. A left click seeks the player.
//
// WaveBar works the bar's controls (which the main window makes and lays out) and reaches the
// rest of the window through WaveHost. The peaks are read by WaveLoader on a worker; the pane
// draws them into a cached picture only when what it shows changes (first block, scale, mode,
// colour, size, newly read blocks); the 20 ms tick moves only the position line and the meter.
#include "waveform/waveloader.h"
#include "waveform/wavestate.h"

#include <QObject>
#include <QString>

#include <cstdint>

class IMediaPlayer;
class LevelMeter;
class QAction;
class QLabel;
class QSlider;
class QTimer;
class QWidget;
class WavePane;

// What the audio bar needs of the main window.
class WaveHost {
public:
    virtual ~WaveHost() = default;
    virtual IMediaPlayer* Player() = 0;
    // The play position the window keeps (ms), and one chosen on the bar.
    virtual int32_t PositionMs() = 0;
    virtual void SetPositionMs(int32_t ms) = 0;
    // A drag retimed the current caption (the preview picks its caption again).
    virtual void CaptionRetimed() = 0;
    // The bar was shown or hidden: the window lays itself out again.
    virtual void Relayout() = 0;
    // The audio command that stays off while a file loads.
    virtual void SetLoadCommandEnabled(bool on) = 0;
    // A file was read: the recent-audio entry shows it.
    virtual void ShowAudioEntry(const QString& path) = 0;
};

// The bar's controls, made by the window.
struct WaveControls {
    QWidget* picAudio = nullptr; // the row holding the three below
    WavePane* picWave = nullptr;
    LevelMeter* picLevel = nullptr;
    QSlider* sldWavScale = nullptr;
    QLabel* imgWavPos = nullptr;
    QLabel* lblWaveTip = nullptr;
    QLabel* lblWave = nullptr;
    QTimer* tmrWave = nullptr;
    QAction* mnuAudioBar = nullptr;
    QAction* mnuFullWave = nullptr;
};

class WaveBar : public QObject {
    Q_OBJECT
public:
    WaveBar(WaveHost* host, const WaveControls& controls, QObject* parent = nullptr);
    ~WaveBar() override;

    // Reads a WAV file into the bar (a load in progress is stopped first). A file the program
    // cannot read is reported (text 413) and leaves the bar as it was.
    void LoadWave(const QString& path);
    // Shows the pane from block firstColumn on (gWaveOffset becomes it).
    void DrawWave(int32_t firstColumn);
    // Prepares the pane for its size and colours; with bClear also stops a load and forgets
    // the file.
    void ResetWave(bool bClear);
    // Places the caption lines on the span (hidden when it is empty or outside the pane).
    void ShowWaveSelection(int32_t startMs, int32_t endMs);
    // The wave colour (0x00BBGGRR), with the mark and background colours that go with it.
    void SetWaveColor(int32_t color);

    // The View menu's entries and the scale slider.
    void mnuAudioBar_Click();
    void SetAudioBar(bool on);
    void mnuFullWave_Click();
    void sldWavScale_Change(int value);

    // The 20 ms tick: the position line, a page turn when it leaves the pane, the meter.
    void tmrWave_Timer();
    // The player started (true) or stopped (false: the line goes, the view returns to the start).
    void ShowCursor(bool on);

    void picWave_MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y);
    void picWave_MouseMove(Qt::MouseButtons buttons, int x, int y);
    void picWave_MouseUp(Qt::MouseButton button, int x, int y);

    // The pane was placed again: the window calls it once a burst of resizes is over; it takes
    // its new size and redraws.
    void Placed();
    // The pointer left the pane: the hint goes and the lines take their rest colours.
    void PointerLeft();

    bool Loading() const { return mLoader->Running(); }
    WaveLoader& Loader() { return *mLoader; }
    // 0 none, 1 start line, 2 end line, 3 the whole span.
    int DragTarget() const { return mTarget; }
    const WaveControls& Controls() const { return c; }

private:
    void OnPeaks(qint64 firstBlock, const std::vector<int16_t>& peaks);
    void OnProgress(qint64 done, qint64 total);
    void OnFinished();
    void OnFailed();
    // The end of a load, however it ended: the command comes back, the progress goes.
    void LoadEnded();
    void ReportFailure();
    bool LinesShown() const;
    // Colours the lines for what a right-drag at x would take (target 0: their rest colours).
    void ColorLines(int target);
    void Drag(int x);
    void Seek(int x);
    void PlacePosition(int x, bool visible, int32_t color);
    void PlaceTip(bool visible);
    // The current row's span, placed again after the view moved.
    void ReplaceSelection();

    WaveHost* mHost;
    WaveControls c;
    WaveLoader* mLoader;
    QString mLoadingPath;
    int mTarget = 0;
    int mGrab = 0;
    // The right press that began the drag: where, on which row, the lines and times then, and
    // whether the pointer has moved since.
    struct Press {
        int x = 0;
        int row = 0;
        WaveSpan lines{0, 0};
        int32_t start = 0, end = 0;
        bool moved = false;
    } mPress;

    // What the cached picture shows.
    struct Shown {
        int32_t offset = -1, scale = 0, width = 0, height = 0, color = 0, back = 0, loaded = -1;
        bool full = false;
        uint64_t file = 0;
        bool operator==(const Shown&) const = default;
    } mShown;
    uint64_t mFileGeneration = 0;
    int32_t mPlacedOffset = -1;
};
