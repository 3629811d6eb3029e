#include "mainwindow/keyrepeat.h"

#include "base/clock.h"

#include <utility>

namespace {

// A key thought down whose last press or repeat is older than this lost its release somewhere
// (auto-repeat sends something every second or faster): its next press is a new one.
constexpr qint64 kStaleDownMs = 3000;

} // namespace

KeyRepeatGate::KeyRepeatGate(int holdMs, QObject* parent) : QObject(parent) {
    mTimer.setSingleShot(true);
    mTimer.setInterval(holdMs);
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &KeyRepeatGate::Flush);
}

KeyRepeatGate::~KeyRepeatGate() = default;

bool KeyRepeatGate::Press(int key, quint64 time) {
    // A tap's release and the next press, arriving together from a busy window, stay two.
    if (mHeld && mHeld->key == key && (!time || !mHeld->time || time == mHeld->time)) {
        // The press of an auto-repeat pair: the key never came up.
        mHeld.reset();
        mTimer.stop();
        mDown[key] = ClockMs();
        return false;
    }
    Flush();
    const qint64 now = ClockMs();
    auto it = mDown.find(key);
    if (it != mDown.end() && now - *it <= kStaleDownMs) {
        *it = now;
        return false;
    }
    mDown[key] = now;
    return true;
}

void KeyRepeatGate::Release(int key, std::function<void()> deliver, quint64 time) {
    if (mHeld && mHeld->key != key) Flush();
    mHeld = Held{key, time, std::move(deliver)};
    mTimer.start();
}

bool KeyRepeatGate::IsDown(int key) const {
    return mDown.contains(key);
}

void KeyRepeatGate::Flush() {
    mTimer.stop();
    if (!mHeld) return;
    Held held = std::move(*mHeld);
    mHeld.reset();
    mDown.remove(held.key);
    // Last: delivering may run anything, even another key event through this gate.
    if (held.deliver) held.deliver();
}

void KeyRepeatGate::Reset() {
    Flush();
    mDown.clear();
}

KeyPacer::KeyPacer(std::function<void(int key)> step, std::function<void()> repaint, QObject* parent)
    : QObject(parent), mStep(std::move(step)), mRepaint(std::move(repaint)) {
    mTurn.setSingleShot(true);
    mTurn.setInterval(0);
    connect(&mTurn, &QTimer::timeout, this, &KeyPacer::Turn);
}

KeyPacer::~KeyPacer() = default;

bool KeyPacer::Press(int key, quint64 time, bool autoRepeat) {
    const bool pairHalf = time && key == mReleasedKey && time == mReleasedAt;
    mReleasedKey = 0;
    const bool repeat = autoRepeat || pairHalf || mDown.contains(key);
    mDown.insert(key);
    mQuietTurns = 0;
    if (repeat && mPending) {
        mWanted = key;
        return false;
    }
    mPending = true;
    mTurn.start();
    return true;
}

void KeyPacer::Release(int key, quint64 time, bool autoRepeat) {
    // Qt saw the press of the pair behind it: the key is still down.
    if (autoRepeat) return;
    mDown.remove(key);
    mReleasedKey = key;
    mReleasedAt = time;
    mQuietTurns = 0;
    if (mWanted == key) mWanted = 0;
}

void KeyPacer::Reset() {
    mWanted = 0;
    mDown.clear();
    mReleasedKey = 0;
}

void KeyPacer::Turn() {
    // The events that queued up while the step blocked arrive within one turn; a second quiet
    // turn makes sure none of them is still on its way.
    if (++mQuietTurns < 2) {
        mTurn.start();
        return;
    }
    // The window shows where the step took it before the next one is taken.
    if (mRepaint) mRepaint();
    mPending = false;
    const int key = std::exchange(mWanted, 0);
    if (key && mStep) {
        // A step of its own: the window has to catch up with it too.
        mPending = true;
        mQuietTurns = 0;
        mTurn.start();
        mStep(key);
    }
}
