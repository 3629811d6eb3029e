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

bool KeyRepeatGate::Press(int key) {
    if (mHeld && mHeld->key == key) {
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

void KeyRepeatGate::Release(int key, std::function<void()> deliver) {
    if (mHeld && mHeld->key != key) Flush();
    mHeld = Held{key, std::move(deliver)};
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
