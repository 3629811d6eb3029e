// The main window's part of timing: the controller's view of the window's controls, the key
// preview that gives the hot keys to the controller wherever the focus is, and the events of
// the Apply button that press-and-hold timing listens to.
#include "document/captions.h"
#include "document/timecode.h"
#include "language/lang.h"
#include "mainwindow/TimingController.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/keyrepeat.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>

class MainTimingView final : public TimingView {
public:
    explicit MainTimingView(frmMain* window) : w(window) {}

    bool IsApplyEnabled() const override { return w->cmdApply->isEnabled(); }
    void SetApplyEnabled(bool on) override { SetButtonEnabled(w->cmdApply, on); }
    bool IsNextEnabled() const override { return w->cmdNext->isEnabled(); }
    void SetNextEnabled(bool on) override { SetButtonEnabled(w->cmdNext, on); }
    bool IsEndEnabled() const override { return w->cmdEnd->isEnabled(); }
    void SetEndEnabled(bool on) override { SetButtonEnabled(w->cmdEnd, on); }

    void MarkButtons(bool apply, bool next) override {
        for (auto [button, on] : {std::pair{w->cmdApply, apply}, std::pair{w->cmdNext, next}}) {
            QFont font = button->font();
            font.setUnderline(on);
            button->setFont(font);
        }
    }

    void ShowModeTexts(int mode) override {
        w->cmdApply->setText(LangText(mode == 1 ? 40 : 39));
        w->lblMode->setText(LangText(36 + mode));
    }

    void ShowStartBox(int32_t ms) override { w->txtTime[0]->setText(MsToTime(ms)); }
    void ShowDurationBox(int32_t ms) override { w->txtTime[1]->setText(MsToTime(ms)); }
    void SetTimeBoxesEnabled(bool on) override {
        for (QLineEdit* box : w->txtTime)
            box->setEnabled(on && IsDocumentGrid());
    }
    void SetCaptionBoxEnabled(bool on) override { w->txtSub->setEnabled(on); }

    void ShowPosition(const QString& time, const QString& stringPos) override {
        w->lblTime->setText(time);
        w->lblStringPos->setText(stringPos);
    }

    void ShowCaption(int row) override { w->ShowCaption(row); }
    void ClearCaption() override { w->ClearCaption(); }
    bool IsCaptionShown() const override { return !w->lblSub->isHidden() && !w->lblSub->text().isEmpty(); }

    void WaveCursorTick() override {
        if (w->waveCursorTick) w->waveCursorTick();
    }
    void ShowWaveCursor(bool on) override {
        if (w->showWaveCursor) w->showWaveCursor(on);
    }

private:
    // A focused button that is disabled would push the focus on to the mode options, where the
    // next space bar would switch the mode instead of timing. The focus goes to the timing
    // button the user needs next instead; when none is enabled it waits on the window and
    // comes back to Apply when Apply is enabled again.
    void SetButtonEnabled(QPushButton* button, bool on) {
        if (!on && button->isEnabled() && button->hasFocus()) {
            QPushButton* next = nullptr;
            for (QPushButton* b : {w->cmdNext, w->cmdEnd, w->cmdApply})
                if (b != button && b->isEnabled() && !next) next = b;
            if (next) {
                next->setFocus(Qt::OtherFocusReason);
            } else {
                w->setFocus(Qt::OtherFocusReason);
                mParked = true;
            }
        }
        button->setEnabled(on);
        if (on && button == w->cmdApply && mParked) {
            mParked = false;
            // Unless the user put the focus somewhere meanwhile.
            if (!w->focusWidget() || w->focusWidget() == w) button->setFocus(Qt::OtherFocusReason);
        }
    }

    frmMain* w;
    bool mParked = false;
};

// Installed on the application: the window sees its key events before the focused control
// does (a key preview), and the Apply button's presses and releases reach the timing. The keys
// that act on both their press and their release go through a KeyRepeatGate, so that a held
// key is one press and one release however the X server repeats it; the other hot keys repeat,
// through a KeyPacer, so that a held one never runs ahead of the window.
class MainTimingFilter final : public QObject {
public:
    explicit MainTimingFilter(frmMain* window)
        : QObject(window), w(window), mGate(kRepeatGapMs, this),
          mPacer([this](int key) { w->mTiming->Form_KeyDown(key, true); }, [this] { w->repaint(); }, this) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return Key(watched, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A key released just before the click came first.
            if (InWindow(watched)) mGate.Flush();
            // A quick second press on Apply arrives as a double click: it starts a caption too.
            if (watched == w->cmdApply && w->cmdApply->isEnabled())
                w->mTiming->cmdApply_MouseDown(static_cast<QMouseEvent*>(event)->button());
            break;
        case QEvent::MouseButtonRelease:
            if (InWindow(watched)) mGate.Flush();
            if (watched == w->cmdApply && w->cmdApply->isEnabled())
                w->mTiming->cmdApply_MouseUp(static_cast<QMouseEvent*>(event)->button());
            break;
        case QEvent::FocusIn:
            if (watched == w->txtSub) w->mTiming->SetTyping(true);
            break;
        case QEvent::FocusOut:
            if (watched == w->txtSub) w->mTiming->SetTyping(false);
            break;
        case QEvent::WindowDeactivate:
            // The keys held now come up somewhere else.
            if (watched == w) {
                mGate.Reset();
                mPacer.Reset();
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool InWindow(QObject* watched) const {
        return watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == w;
    }

    // Keys whose repeats must not act again, those that act on their release as well: the
    // Start hot key while the timing takes it, and the space bar holding Apply in
    // press-and-hold mode.
    bool Gated(QObject* watched, int key) const {
        if (w->mTiming->TakesHotKey(key) && TimingController::HotKeyActsOnRelease(key)) return true;
        return key == Qt::Key_Space && watched == w->cmdApply && w->cmdApply->isEnabled() && gTimingMode == 0;
    }

    bool Key(QObject* watched, QKeyEvent* key) {
        if (!InWindow(watched)) return false;
        // A release let through by the gate, on its way to where it was going.
        if (key == mReplaying) return Dispatch(watched, key, mReplayAtMs);
        const int code = key->key();
        // The time the keyboard's server stamped on the event: a repeat's release and press
        // share it, a tap's release and the next press never do.
        const quint64 at = key->timestamp();
        if (key->type() == QEvent::KeyPress) {
            if (mGate.IsDown(code) || Gated(watched, code)) {
                // A repeat goes nowhere: the first press did all there was to do.
                if (!mGate.Press(code, at)) return true;
            } else {
                mGate.Flush();
                // A held hot key that acts on every press repeats as fast as the window follows.
                if (w->mTiming->TakesHotKey(code) && !mPacer.Press(code, at, key->isAutoRepeat()))
                    return true;
            }
            return Dispatch(watched, key, -1);
        }
        mPacer.Release(code, at, key->isAutoRepeat());
        if (mGate.IsDown(code)) {
            // Held back until it is known not to be half of an auto-repeat pair; when it is
            // real it ends what it ends at the position it came up at.
            const int32_t atMs = w->mTiming->PlayPositionMs();
            std::shared_ptr<QKeyEvent> copy(static_cast<QKeyEvent*>(key->clone()));
            auto replay = [this, target = QPointer<QObject>(watched), copy, atMs] {
                Replay(target, copy.get(), atMs);
            };
            mGate.Release(code, std::move(replay), at);
            return true;
        }
        mGate.Flush();
        return Dispatch(watched, key, -1);
    }

    void Replay(const QPointer<QObject>& target, QKeyEvent* key, int32_t atMs) {
        if (!target) {
            // The control went away meanwhile: the window's own handling still gets the key.
            Dispatch(w, key, atMs);
            return;
        }
        QKeyEvent* const outer = mReplaying;
        const int32_t outerAt = mReplayAtMs;
        mReplaying = key;
        mReplayAtMs = atMs;
        QCoreApplication::sendEvent(target, key);
        mReplaying = outer;
        mReplayAtMs = outerAt;
    }

    // The timing's share of a key event; true when it took the key.
    bool Dispatch(QObject* watched, QKeyEvent* key, int32_t atMs) {
        TimingController* timing = w->mTiming;
        const bool press = key->type() == QEvent::KeyPress;
        // A hot key the timing took goes no further (not even up to the parents).
        if (press ? timing->Form_KeyDown(key->key(), key->isAutoRepeat())
                  : timing->Form_KeyUp(key->key(), key->isAutoRepeat(), atMs))
            return true;
        if (watched == w->cmdApply && w->cmdApply->isEnabled()) {
            if (press)
                timing->cmdApply_KeyDown(key->key(), key->isAutoRepeat());
            else
                timing->cmdApply_KeyUp(key->key(), key->isAutoRepeat(), atMs);
        }
        return false;
    }

    frmMain* w;
    KeyRepeatGate mGate;
    KeyPacer mPacer;
    QKeyEvent* mReplaying = nullptr;
    int32_t mReplayAtMs = -1;
};

void frmMain::CreateTiming() {
    mTimingView = new MainTimingView(this);
    mTiming = new TimingController(WMP, mTimingView, this);
    tmrTime = mTiming->tmrTime;
    tmrPreview = mTiming->tmrPreview;
    connect(cmdApply, &QPushButton::clicked, mTiming, &TimingController::cmdApply_Click);
    connect(cmdNext, &QPushButton::clicked, mTiming, &TimingController::cmdNext_Click);
    connect(cmdEnd, &QPushButton::clicked, mTiming, &TimingController::cmdEnd_Click);
    mTimingFilter = new MainTimingFilter(this);
    qApp->installEventFilter(mTimingFilter);
}

void frmMain::DestroyTiming() {
    // A deleted filter leaves the application's list by itself.
    delete mTimingFilter;
    mTimingFilter = nullptr;
    delete mTiming;
    mTiming = nullptr;
    tmrTime = tmrPreview = nullptr;
    delete mTimingView;
    mTimingView = nullptr;
}
