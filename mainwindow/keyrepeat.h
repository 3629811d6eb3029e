#pragma once
// Telling a held key from a key pressed again, from the key events alone.
//
// While a key is held, X11's auto-repeat sends a release and a press of that key every few
// tens of milliseconds, and Qt marks them as auto-repeat only when it happens to see the
// press already queued behind the release: often it does not, and the pair looks like the
// user letting go and pressing again. What tells them apart is the time the X server stamped
// on each event (QKeyEvent::timestamp()): both halves of a repeat carry the same one, while a
// finger lifted and pressed again takes some milliseconds. The time of arrival tells nothing:
// while the window is busy the events queue up, and a tap's release and the next press then
// arrive together just as a repeat's pair does. A time of 0 means the event came without one.
//
// For a key that starts something on its press and ends it on its release (press-and-hold
// timing) a repeat would split one hold into many. The gate therefore holds every release back
// for a moment: a press of the same key within that time, with the release's time (or where
// either has none), makes the pair a repeat (both are dropped); anything else, or the time
// running out, lets the release through. A press of a key that is still down (X servers with
// detectable auto-repeat send presses only) is a repeat too.
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

// How long a release waits for the press that would make it an auto-repeat. X sends the pair
// together; this only has to cover the two being handled in different turns of the event loop.
inline constexpr int kRepeatGapMs = 50;

class KeyRepeatGate : public QObject {
    Q_OBJECT
public:
    explicit KeyRepeatGate(int holdMs = kRepeatGapMs, QObject* parent = nullptr);
    ~KeyRepeatGate() override;

    // A press of key stamped at time. True when it is a new press; false when it only
    // continues a key held down (the press of an auto-repeat pair, or a press while the key is
    // still down), which the caller drops. A release held back that this press does not pair
    // with is delivered first.
    bool Press(int key, quint64 time = 0);
    // A release of a key that went down through Press: deliver runs when the release turns
    // out to be real (at the latest after the hold time), never for an auto-repeat.
    void Release(int key, std::function<void()> deliver, quint64 time = 0);
    // Key went down through Press and has not come up for good.
    bool IsDown(int key) const;
    // A release is being held back.
    bool Holding() const { return mHeld.has_value(); }
    // Delivers a release held back now (another event came that must come after it).
    void Flush();
    // Delivers a release held back, then forgets every key down (the window lost the
    // keyboard, so their releases will not come here).
    void Reset();

private:
    struct Held {
        int key;
        quint64 time;
        std::function<void()> deliver;
    };
    std::optional<Held> mHeld;
    // The keys down, each with the time of its last press or repeat (ClockMs).
    QHash<int, qint64> mDown;
    QTimer mTimer;
};

// Every press of the user's acts; a held key's repeats go at the pace the window can follow.
//
// An action can block the window for a while (a seek waits for the player). The keys that come
// meanwhile queue up and arrive together once it is free. Each press the user made acts, in the
// order made, however close together they arrive. A held key's auto-repeat, though, would keep
// the selection moving long after the key came up, with nothing drawn in between. So after a
// step the pacer waits for the window to catch up (two turns of the event loop in a row with no
// key arriving) and draws it: the repeats that come meanwhile are merged into one further step,
// taken then, and only while the key is still down; its release cancels that step.
//
// A repeat is a press Qt marks as auto-repeat, a press of a key that has not come up since its
// last press, or the press that follows the key's release with the same time stamp (see above).
class KeyPacer : public QObject {
    Q_OBJECT
public:
    // step acts on a key again (a merged step); repaint draws the window now.
    KeyPacer(std::function<void(int key)> step, std::function<void()> repaint, QObject* parent = nullptr);
    ~KeyPacer() override;

    // A press of a paced key stamped at time, marked or not as auto-repeat. True when it acts
    // now (every press of the user's does); false when it is a repeat merged into the step
    // waiting for the window to catch up.
    bool Press(int key, quint64 time = 0, bool autoRepeat = false);
    // A release of any key: a step waiting for it is cancelled, unless the release is marked
    // as half of an auto-repeat pair.
    void Release(int key, quint64 time = 0, bool autoRepeat = false);
    // A step is under way: the window has not caught up with it yet.
    bool Pending() const { return mPending; }
    // Forgets the keys down and a step waiting (the window lost the keyboard: the releases go
    // elsewhere).
    void Reset();

private:
    void Turn();

    std::function<void(int)> mStep;
    std::function<void()> mRepaint;
    bool mPending = false;
    int mWanted = 0; // the key of the merged step, 0 for none
    int mQuietTurns = 0;
    QSet<int> mDown;
    // The last key event when it was a release: the press that would pair with it.
    int mReleasedKey = 0;
    quint64 mReleasedAt = 0;
    QTimer mTurn;
};
