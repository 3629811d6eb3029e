#include "mainwindow/TimingController.h"

#include "base/numbers.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/rules.h"
#include "mainwindow/mainstate.h"
#include "platform/IMediaPlayer.h"

#include <QTimer>

#include <algorithm>
#include <limits>

bool AutoEndOn() {
    // The duration rule counts as on only for exactly 1 (as the rule run reads it); the rules
    // apply while timing for every ApplyWhen but 0. The button handlers, the hot keys and the
    // start of a caption all ask here, so no stored value can leave a caption that never ends.
    return gDurationMode == 1 && gApplyWhen >= 1;
}

QString PositionText(int32_t ms) {
    ms = std::max<int32_t>(ms, 0);
    // Minutes and seconds from the same whole milliseconds as the fraction, so 1.9996 s reads
    // "00:02.000" and never "00:01.000".
    return MediaPositionString(ms / 1000) + QLatin1Char('.') +
           QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

namespace {

QTimer* MakeTimer(QObject* parent, const char* name) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(10);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

bool RowInGrid(int row) {
    return IsDocumentGrid() && row >= 1 && row < grdSubs().Rows();
}

bool IsHotKey(int key) {
    for (const HotKeySetting& hk : kHotKeySettings)
        if (*hk.variable == key) return true;
    return false;
}

} // namespace

TimingController::TimingController(IMediaPlayer* player, TimingView* view, QObject* parent)
    : QObject(parent), mPlayer(player), mView(view) {
    tmrTime = MakeTimer(this, "tmrTime");
    tmrPreview = MakeTimer(this, "tmrPreview");
    connect(tmrTime, &QTimer::timeout, this, &TimingController::tmrTime_Timer);
    connect(tmrPreview, &QTimer::timeout, this, &TimingController::tmrPreview_Timer);
    connect(mPlayer, &IMediaPlayer::PlayStateChange, this, &TimingController::WMP_PlayStateChange);
    connect(mPlayer, &IMediaPlayer::PositionChange, this, &TimingController::WMP_PositionChange);
    grdSubs().AddObserver(this);
}

TimingController::~TimingController() {
    grdSubs().RemoveObserver(this);
}

bool TimingController::Playing() const {
    return mPlayer->playState() == kPlayStatePlaying;
}

bool TimingController::SubtitleOpen() const {
    return !gSubFile.isEmpty();
}

// --- Position ---

void TimingController::TakePosition(int32_t atMs) {
    mPositionMs = atMs >= 0 ? atMs : PlayPositionMs();
    mShownMs = mPositionMs;
    mView->ShowPosition(QString::number(mShownMs), PositionText(mShownMs));
    tmrLimit_Timer();
}

int32_t TimingController::PlayPositionMs() const {
    return SaturateToInt32(RoundHalfEven(mPlayer->currentPosition() * 1000.0));
}

void TimingController::SamplePosition(int32_t atMs) {
    // While paused or stopped the position is what the last event left.
    if (Playing()) TakePosition(atMs);
}

void TimingController::SetPositionMs(int32_t ms) {
    mPositionMs = ms;
    tmrLimit_Timer();
}

void TimingController::tmrTime_Timer() {
    if (Playing()) TakePosition();
}

void TimingController::WMP_PositionChange(double, double) {
    TakePosition();
    if (!gWaveFile.isEmpty()) mView->WaveCursorTick();
    if (gTimingMode == 2) GetPreviewCap();
}

void TimingController::tmrLimit_Timer() {
    if (!mLimitArmed || mPositionMs <= mLastEnd) return;
    // The caption's end was written when it started; timing simply stops here.
    mLimitArmed = false;
    mInProgress = false;
    mView->ClearCaption();
    FlexGrid& grid = grdSubs();
    if (RowInGrid(mRow) && grid.Rows() > mRow + 1) grid.SetRow(mRow + 1);
    mView->SetApplyEnabled(gTimingMode != 2 && Playing());
    mView->SetNextEnabled(false);
    mView->SetEndEnabled(false);
}

// --- Starting and ending ---

void TimingController::StartCaption(bool bMarkApply, bool bMarkNext) {
    // A caption is timed only against the playing video, one at a time, never in preview.
    if (mInProgress || gTimingMode == 2 || !Playing() || IsDocumentBusy()) return;
    FlexGrid& grid = grdSubs();
    const int row = grid.Row();
    if (!RowInGrid(row)) return;
    const bool autoEnd = AutoEndOn();

    if (gTimingMode == 1) {
        // Next and End first, so that the focus can pass from Start to Next.
        mView->SetNextEnabled(row < grid.Rows() - 1);
        mView->SetEndEnabled(true);
        mView->SetApplyEnabled(false);
    }
    mInProgress = true;
    mRow = int16_t(row);
    mView->ShowCaption(row);
    if (!autoEnd) mView->MarkButtons(bMarkApply, bMarkNext);

    // A start just after the previous end joins it, so consecutive captions leave no gap.
    int32_t start = mPositionMs;
    if (gAutoJoin == 1 && mLastEnd < mPositionMs && int64_t(mPositionMs) < int64_t(mLastEnd) + gNear)
        start = mLastEnd;
    mStartMs = start;
    mOldStart = GetLineStart(row);
    mOldEnd = GetLineEnd(row);
    mOldModified = gModified;
    SetLineStart(row, start, false);
    mStartGeneration = mGridGeneration;
    mView->ShowStartBox(start);

    if (autoEnd) {
        mView->SetApplyEnabled(false);
        SetDurationByLength(row, false);
        mLastEnd = GetLineEnd(row);
        mLimitArmed = true;
    }
}

void TimingController::EndCaption() {
    if (!mInProgress || IsDocumentBusy()) return;
    const bool autoSpan = mLimitArmed;
    mLimitArmed = false;
    mView->SetApplyEnabled(Playing());
    mView->SetNextEnabled(false);
    mView->SetEndEnabled(false);
    mInProgress = false;
    mView->ClearCaption();
    mView->MarkButtons(false, false);

    // The caption that was started, even if the selection moved meanwhile.
    const int row = mRow;
    if (!RowInGrid(row)) return;
    FlexGrid& grid = grdSubs();
    const int32_t end = mShownMs;
    if (end <= GetLineStart(row)) {
        // The position went back (a seek while the key was held): no span to write.
        if (!autoSpan) RestoreOldTimes();
        ScrollToLine(true);
        return;
    }
    mLastEnd = end;
    SetLineEnd(row, end);
    if (row < grid.Rows() - 1)
        grid.SetRow(row + 1);
    else if (grid.Row() == row)
        mView->ShowDurationBox(end - GetLineStart(row));
    ScrollToLine(true);
}

void TimingController::CancelCaption(bool bRestore) {
    if (!mInProgress) return;
    // With its automatic end running the caption already holds a whole span: it stays.
    const bool autoSpan = mLimitArmed;
    mLimitArmed = false;
    mInProgress = false;
    mView->ClearCaption();
    mView->MarkButtons(false, false);
    mView->SetNextEnabled(false);
    mView->SetEndEnabled(false);
    mView->SetApplyEnabled(gTimingMode != 2 && Playing() && SubtitleOpen());
    // Never while a run over the document is under way: it owns the captions until it ends.
    if (bRestore && !autoSpan && !IsDocumentBusy() && RowInGrid(mRow)) RestoreOldTimes();
}

void TimingController::RestoreOldTimes() {
    // Nothing but the start was written since the caption started: the document is again what
    // it was, modified or not. Any other change meanwhile keeps it modified.
    const bool untouched = mGridGeneration == mStartGeneration;
    SetLineStart(mRow, mOldStart, false);
    SetLineEnd(mRow, mOldEnd);
    if (untouched) gModified = mOldModified;
}

// --- Buttons ---

void TimingController::cmdApply_Click() {
    SamplePosition();
    if (gTimingMode == 1 && !mInProgress) StartCaption(false, false);
}

void TimingController::cmdApply_KeyDown(int keyCode, bool autoRepeat) {
    if (autoRepeat || keyCode != Qt::Key_Space) return;
    SamplePosition();
    if (gTimingMode == 0 && !mInProgress) StartCaption(false, false);
}

void TimingController::cmdApply_KeyUp(int keyCode, bool autoRepeat, int32_t atMs) {
    if (autoRepeat || keyCode != Qt::Key_Space) return;
    SamplePosition(atMs);
    if (gTimingMode == 0 && !mLimitArmed) EndCaption();
}

void TimingController::cmdApply_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    SamplePosition();
    if (gTimingMode == 0) StartCaption(false, false);
}

void TimingController::cmdApply_MouseUp(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    SamplePosition();
    if (gTimingMode == 0 && !mLimitArmed) EndCaption();
}

void TimingController::cmdNext_Click() {
    SamplePosition();
    EndCaption();
    StartCaption(false, false);
}

void TimingController::cmdEnd_Click() {
    SamplePosition();
    EndCaption();
}

// --- Modes ---

void TimingController::SelectMode(int mode) {
    if (mode < 0 || mode > 2) mode = 2;
    SamplePosition();
    if (mInProgress) EndCaption();
    // Ending can be refused (the document is busy); the new mode must not inherit the caption.
    CancelCaption(false);
    // Apply is for a document being timed against the playing video.
    if (mode != 2) mView->SetApplyEnabled(Playing() && SubtitleOpen());
    mView->ShowModeTexts(mode);
    gTimingMode = mode;
    gSubMode = uint8_t(mode);
    if (mode == 2) {
        SetPreviewMode(true);
    } else {
        mView->ClearCaption();
        SetPreviewMode(false);
    }
    WriteSetting(QStringLiteral("M_SUBMODE"), QString::number(mode));
}

void TimingController::SetPreviewMode(bool bOn) {
    GetPreviewCap();
    if (bOn)
        tmrPreview->start();
    else
        tmrPreview->stop();
    mView->SetNextEnabled(false);
    mView->SetEndEnabled(false);
    mView->SetTimeBoxesEnabled(!bOn);
    if (bOn) {
        mView->SetApplyEnabled(false);
    } else {
        mView->ClearCaption();
        gPreviewRow = 0;
    }
}

void TimingController::GetPreviewCap() {
    if (!IsDocumentGrid()) return;
    const int rows = grdSubs().Rows();
    if (rows == 2) {
        // The only caption is the one to show.
        if (IsLineTimed(1)) mPreviewRow = 1;
        return;
    }
    const int64_t pos = mPositionMs;
    // The last fruitless scan still holds: nothing in the list changed and the position has not
    // crossed any end that could make a caption match.
    if (mNoMatchGeneration == mGridGeneration && pos >= mNoMatchFrom && pos < mNoMatchTo) return;
    ++mPreviewScans;

    const int32_t end1 = GetLineEnd(1);
    int64_t from = end1;
    int64_t to = std::numeric_limits<int64_t>::max();
    for (int i = 1; i <= rows - 2; ++i) {
        if (!IsLineTimed(i)) continue;
        if (pos < end1) {
            // Before the first caption's end: the first caption.
            mPreviewRow = 1;
            return;
        }
        const int32_t end = GetLineEnd(i), nextEnd = GetLineEnd(i + 1);
        if (end <= pos && pos <= nextEnd) {
            mPreviewRow = int16_t(i + 1);
            return;
        }
        // Where this row would start to match: above its end, or never again below nextEnd.
        if (end > pos)
            to = std::min<int64_t>(to, end);
        else
            from = std::max<int64_t>(from, int64_t(nextEnd) + 1);
    }
    mNoMatchGeneration = mGridGeneration;
    mNoMatchFrom = from;
    mNoMatchTo = to;
}

void TimingController::tmrPreview_Timer() {
    const int state = mPlayer->playState();
    if (state != kPlayStatePlaying && state != kPlayStatePaused) return;
    const int32_t s = GetLineStart(mPreviewRow), e = GetLineEnd(mPreviewRow);
    if (mPreviewRow < 1 || mPositionMs < s || mPositionMs > e) {
        if (mView->IsCaptionShown()) {
            gPreviewRow = 0;
            mView->ClearCaption();
        }
        if (mPreviewRow < 1 || mPositionMs >= e) GetPreviewCap();
    } else if (mPreviewRow != gPreviewRow) {
        mView->ShowCaption(mPreviewRow);
        if (grdSubs().Row() != mPreviewRow && gFollow) {
            SelectLine(mPreviewRow, false);
            ScrollToLine(true);
        }
        gPreviewRow = mPreviewRow;
    }
}

// --- Hot keys ---

bool TimingController::TakesHotKey(int keyCode) const {
    return gHotKeys != 0 && !mTyping && mPlayer->enabled() && SubtitleOpen() && IsHotKey(keyCode);
}

bool TimingController::HotKeyActsOnRelease(int keyCode) {
    return keyCode == gHkStart;
}

bool TimingController::Form_KeyDown(int keyCode, bool autoRepeat) {
    if (!TakesHotKey(keyCode)) return false;
    // Held, Start would start the next caption as soon as the automatic end has passed: only
    // its first press counts. The other keys repeat their action while held.
    if (autoRepeat && HotKeyActsOnRelease(keyCode)) return true;
    SamplePosition();
    FlexGrid& grid = grdSubs();
    const auto jumpTo = [&](int row) {
        grid.SetRow(row);
        if (IsLineTimed(row)) mPlayer->setCurrentPosition(GetLineStart(row) / 1000.0);
    };
    // A letter given to two actions does only the first of them.
    if (keyCode == gHkStart) {
        if (gTimingMode != 2 && !mInProgress) StartCaption(true, false);
    } else if (keyCode == gHkNext) {
        if (gTimingMode == 1 && mView->IsNextEnabled() && Playing()) {
            EndCaption();
            StartCaption(false, true);
        }
    } else if (keyCode == gHkEnd) {
        if (gTimingMode == 1 && mView->IsEndEnabled()) EndCaption();
    } else if (keyCode == gHkPlay) {
        mPlayer->play();
    } else if (keyCode == gHkPause) {
        if (Playing()) mPlayer->pause();
    } else if (keyCode == gHkStop) {
        mPlayer->stop();
    } else if (keyCode == gHkPrevious) {
        if (grid.Row() >= 2) jumpTo(grid.Row() - 1);
    } else if (keyCode == gHkJump) {
        if (grid.Row() < grid.Rows() - 1) jumpTo(grid.Row() + 1);
    } else if (keyCode == gHkRewind) {
        if (Playing()) mPlayer->setCurrentPosition(mPlayer->currentPosition() - gRewindSecs);
    } else if (keyCode == gHkForward) {
        if (Playing()) mPlayer->setCurrentPosition(mPlayer->currentPosition() + gForwardSecs);
    }
    return true;
}

bool TimingController::Form_KeyUp(int keyCode, bool autoRepeat, int32_t atMs) {
    if (gHotKeys == 0 || mTyping || gVideoFile.isEmpty() || !SubtitleOpen() || keyCode != gHkStart)
        return false;
    if (autoRepeat) return true;
    // In manual mode, and with the automatic end, starting disabled cmdApply: only
    // press-and-hold timing ends on release.
    if (mView->IsApplyEnabled() && !mLimitArmed) {
        SamplePosition(atMs);
        EndCaption();
    }
    return true;
}

// --- Player ---

void TimingController::WMP_PlayStateChange(int newState) {
    switch (newState) {
    case kPlayStateStopped:
        CancelCaption(true);
        mView->ClearCaption();
        gPreviewRow = 0;
        mPositionMs = 0;
        mShownMs = 0;
        mView->ShowPosition(QStringLiteral("0"), QStringLiteral("00:00.000"));
        if (SubtitleOpen()) {
            mView->SetApplyEnabled(false);
            mView->SetCaptionBoxEnabled(true);
        }
        if (!gWaveFile.isEmpty()) mView->ShowWaveCursor(false);
        // Stopping moves the position back without a position event: the preview starts over.
        if (gTimingMode == 2) GetPreviewCap();
        break;
    case kPlayStatePaused:
        CancelCaption(true);
        mView->SetApplyEnabled(false);
        break;
    case kPlayStatePlaying:
        mView->SetApplyEnabled(false);
        if (gTimingMode != 2 && SubtitleOpen()) mView->SetApplyEnabled(true);
        if (!gWaveFile.isEmpty() && gAudioBar) mView->ShowWaveCursor(true);
        break;
    default:
        CancelCaption(true);
        if (SubtitleOpen()) {
            mView->SetApplyEnabled(false);
            mView->SetCaptionBoxEnabled(true);
        }
        if (!gWaveFile.isEmpty()) mView->ShowWaveCursor(false);
        break;
    }
}

// --- The document changing ---

void TimingController::DocumentReset() {
    CancelCaption(false);
    // The previous end belongs to the document that is gone.
    mLastEnd = 0;
    mPreviewRow = 0;
    DocumentChanged();
}

void TimingController::GridAboutToReset() {
    DocumentReset();
}

void TimingController::GridRowsAboutToBeInserted(int, int) {
    // The row being timed may no longer be the caption that was started.
    CancelCaption(false);
    mPreviewRow = 0;
}

void TimingController::GridRowsAboutToBeRemoved(int, int) {
    CancelCaption(false);
    mPreviewRow = 0;
}

void TimingController::GridCellsChanged(int, int, int, int) {
    DocumentChanged();
}

void TimingController::GridRowsInserted(int, int) {
    DocumentChanged();
}

void TimingController::GridRowsRemoved(int, int) {
    DocumentChanged();
}

void TimingController::GridReset() {
    DocumentChanged();
}

void TimingController::DocumentChanged() {
    ++mGridGeneration;
}
