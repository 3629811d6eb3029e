#pragma once
// Timing captions against the playing video, and following the player.
//
// Three modes (gTimingMode): 0 press-and-hold (the caption shows while the Apply button, the
// space bar on it or the Start hot key is held), 1 manual (Start, Next and End buttons), 2
// preview (nothing is written; the caption under the play position is shown). The controller
// holds the timing state, keeps the play position, reacts to the player's events and to the
// hot keys, and writes captions through the caption accessors. It owns no widget: what it
// needs of the window (the three buttons, the labels, the time boxes, the caption over the
// video, the waveform cursor) it reaches through TimingView, so tests run it on a fake player
// and a fake view.
//
// The position is read from the player at the moment a key or mouse event arrives, so a start
// or end is where the key went down or up, not where the last 10 ms tick saw the video. The
// automatic end is checked whenever the position is read.
#include "platform/FlexGrid.h"

#include <QObject>
#include <QString>

#include <cstdint>

class IMediaPlayer;
class QTimer;

// True when a caption's end is computed from its length as it starts (the duration rule is on
// and the rules apply while timing). Everything that depends on the automatic end asks this.
bool AutoEndOn();

// lblStringPos's text for a position: "mm:ss.mmm" ("hh:mm:ss.mmm" from one hour on).
QString PositionText(int32_t ms);

// What the timing needs of the main window.
class TimingView {
public:
    virtual ~TimingView() = default;

    // The three timing buttons cmdApply, cmdNext, cmdEnd.
    virtual bool IsApplyEnabled() const = 0;
    virtual void SetApplyEnabled(bool on) = 0;
    virtual bool IsNextEnabled() const = 0;
    virtual void SetNextEnabled(bool on) = 0;
    virtual bool IsEndEnabled() const = 0;
    virtual void SetEndEnabled(bool on) = 0;
    // Marks the button a hot key last acted as (cmdApply, cmdNext); both false clears the marks.
    virtual void MarkButtons(bool apply, bool next) = 0;
    // cmdApply's caption and lblMode's description for a mode.
    virtual void ShowModeTexts(int mode) = 0;

    // The start box txtTime(0), the duration box txtTime(1).
    virtual void ShowStartBox(int32_t ms) = 0;
    virtual void ShowDurationBox(int32_t ms) = 0;
    virtual void SetTimeBoxesEnabled(bool on) = 0;
    // The caption box txtSub.
    virtual void SetCaptionBoxEnabled(bool on) = 0;

    // lblTime (whole milliseconds) and lblStringPos.
    virtual void ShowPosition(const QString& time, const QString& stringPos) = 0;

    // The caption over the video.
    virtual void ShowCaption(int row) = 0;
    virtual void ClearCaption() = 0;
    virtual bool IsCaptionShown() const = 0;

    // The waveform's play cursor: one tick of it, shown or hidden (hiding redraws the wave).
    virtual void WaveCursorTick() {}
    virtual void ShowWaveCursor(bool /*on*/) {}
};

class TimingController : public QObject, private FlexGrid::Observer {
    Q_OBJECT
public:
    // Follows the player's events at once; detaches from the caption grid when destroyed.
    TimingController(IMediaPlayer* player, TimingView* view, QObject* parent = nullptr);
    ~TimingController() override;

    // --- The two central operations ---
    // Starts the selected caption at the play position (joined to the previous end when it
    // lies just after it). Does nothing unless the video plays, while a caption is already
    // being timed, or while the document is busy.
    void StartCaption(bool bMarkApply, bool bMarkNext);
    // Ends the caption being timed at the displayed position and moves to the next row. An end
    // that is not after the start is not written: the caption gets its times back and stays
    // selected. Does nothing when no caption is being timed.
    void EndCaption();
    // Drops the caption being timed without writing its end. With bRestore (and unless its
    // automatic end already wrote a whole span) the caption gets back the times it had.
    void CancelCaption(bool bRestore);

    // --- Modes ---
    // The option handlers: end a caption being timed, then switch and remember the mode.
    void optPress_Click() { SelectMode(0); }
    void optManual_Click() { SelectMode(1); }
    void optPreview_Click() { SelectMode(2); }
    void SelectMode(int mode);
    void SetPreviewMode(bool bOn);
    // Chooses mPreviewRow for the position: the caption whose span (from the previous end)
    // holds it. Scans the list only when the last scan's answer may have changed.
    void GetPreviewCap();

    // --- Buttons ---
    void cmdApply_Click();
    void cmdApply_KeyDown(int keyCode, bool autoRepeat);
    // atMs: the play position when the key really came up, for a release handled later (held
    // back to tell it from auto-repeat); -1 = the position now.
    void cmdApply_KeyUp(int keyCode, bool autoRepeat, int32_t atMs = -1);
    void cmdApply_MouseDown(Qt::MouseButton button);
    void cmdApply_MouseUp(Qt::MouseButton button);
    void cmdNext_Click();
    void cmdEnd_Click();

    // --- Hot keys (the window's key preview) ---
    // True when the key was a hot key and was taken (the focused control should not see it).
    bool Form_KeyDown(int keyCode, bool autoRepeat);
    bool Form_KeyUp(int keyCode, bool autoRepeat, int32_t atMs = -1);
    // True when Form_KeyDown would take this key now (hot keys on, not typing, a video and a
    // subtitle open, the key one of the ten).
    bool TakesHotKey(int keyCode) const;
    // True for the hot key that acts on its release as well as on its press (Start): a held
    // key has to be one press and one release for it, however the keyboard repeats. Every
    // other hot key acts on each press, so holding it repeats its action.
    static bool HotKeyActsOnRelease(int keyCode);
    // The play position a key event arriving now would take (ms).
    int32_t PlayPositionMs() const;

    // --- Player and timers ---
    void WMP_PlayStateChange(int newState);
    void WMP_PositionChange(double oldPosition, double newPosition);
    void tmrTime_Timer();
    void tmrPreview_Timer();
    // The automatic end: once the position passes the computed end, timing stops.
    void tmrLimit_Timer();

    // The document was replaced (new, load, close): timing stops and the previous end is
    // forgotten. The grid's own resets, inserts and removals are noticed without this; a
    // command that rewrites the times of many captions at once (removing all timing, a time
    // shift) calls CancelCaption(false) first.
    void DocumentReset();

    // --- State ---
    bool InProgress() const { return mInProgress; }
    int Row() const { return mRow; }
    int32_t PositionMs() const { return mPositionMs; }
    int32_t StartMs() const { return mStartMs; }
    int32_t LastEnd() const { return mLastEnd; }
    int PreviewRow() const { return mPreviewRow; }
    // The automatic end of the caption being timed is running.
    bool LimitArmed() const { return mLimitArmed; }
    // The number lblTime shows.
    int32_t ShownMs() const { return mShownMs; }
    // The caption box has the focus: hot keys are off.
    bool Typing() const { return mTyping; }
    void SetTyping(bool on) { mTyping = on; }
    // A position chosen outside the player's events (a click on the waveform).
    void SetPositionMs(int32_t ms);
    // How many times GetPreviewCap went through the list.
    int PreviewScans() const { return mPreviewScans; }

    QTimer* tmrTime = nullptr;    // 10 ms while a video is open
    QTimer* tmrPreview = nullptr; // 10 ms in preview mode

private:
    // Reads the player's position now (while playing) and shows it; atMs >= 0 takes that
    // position instead (an event that happened earlier than it is handled).
    void SamplePosition(int32_t atMs = -1);
    // Position bookkeeping shared by the tick, the events and the samples.
    void TakePosition(int32_t atMs = -1);
    bool Playing() const;
    bool SubtitleOpen() const;
    // The caption being timed gets back the times (and the document the modified flag) it had.
    void RestoreOldTimes();

    // FlexGrid::Observer: the document changing under a caption being timed.
    void GridAboutToReset() override;
    void GridRowsAboutToBeInserted(int first, int count) override;
    void GridRowsAboutToBeRemoved(int first, int count) override;
    void GridCellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) override;
    void GridRowsInserted(int first, int count) override;
    void GridRowsRemoved(int first, int count) override;
    void GridReset() override;
    void DocumentChanged();

    IMediaPlayer* mPlayer;
    TimingView* mView;

    bool mInProgress = false;
    int16_t mRow = 0;
    int32_t mPositionMs = 0;
    int32_t mShownMs = 0;
    int32_t mStartMs = 0;
    int32_t mLastEnd = 0;
    int16_t mPreviewRow = 0;
    bool mTyping = false;
    bool mLimitArmed = false;
    // The times the caption being timed had before it started.
    int32_t mOldStart = 0;
    int32_t mOldEnd = 0;
    // Whether the document was modified before the caption started, and the grid's state
    // just after its start was written.
    bool mOldModified = false;
    uint64_t mStartGeneration = 0;

    // GetPreviewCap's last fruitless scan holds for positions in [mNoMatchFrom, mNoMatchTo)
    // while the captions stay as they were (mGridGeneration).
    uint64_t mGridGeneration = 0;
    uint64_t mNoMatchGeneration = ~uint64_t(0);
    int64_t mNoMatchFrom = 0;
    int64_t mNoMatchTo = 0;
    int mPreviewScans = 0;
};
