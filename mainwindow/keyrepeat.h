#pragma once
// Telling a held key from a key pressed again, from the key events alone.
//
// While a key is held, X11's auto-repeat sends a release and a press of that key every few
// tens of milliseconds, and Qt marks them as auto-repeat only when it happens to see the
// press already queued behind the release: often it does not, and the pair looks exactly like
// the user letting go and pressing again. For a key that starts something on its press and
// ends it on its release (press-and-hold timing) that splits one hold into many. The gate
// therefore holds every release back for a moment: a press of the same key within that time
// makes the pair a repeat (both are dropped); anything else, or the time running out, lets
// the release through. A press of a key that is still down (X servers with detectable
// auto-repeat send presses only) is a repeat too.
#include <QHash>
#include <QObject>
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

    // A press of key. True when it is a new press; false when it only continues a key held
    // down (the press of an auto-repeat pair, or a press while the key is still down), which
    // the caller drops. A release of another key held back is delivered first.
    bool Press(int key);
    // A release of a key that went down through Press: deliver runs when the release turns
    // out to be real (at the latest after the hold time), never for an auto-repeat.
    void Release(int key, std::function<void()> deliver);
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
        std::function<void()> deliver;
    };
    std::optional<Held> mHeld;
    // The keys down, each with the time of its last press or repeat (ClockMs).
    QHash<int, qint64> mDown;
    QTimer mTimer;
};

// Holding a key whose every press acts (a seek) at the pace the window can follow.
//
// An action can block the window for a while (a seek waits for the player). The keyboard goes
// on repeating meanwhile, and those presses queue up behind it: acted on one by one, each
// blocking again, they would keep the selection moving long after the key came up, and nothing
// would be drawn in between. So after a step the pacer waits for the window to catch up (two
// turns of the event loop in a row with no key arriving) and draws it: the presses that come
// meanwhile are merged into one further step, taken then, and only while the key is still
// down; a release meanwhile cancels it.
class KeyPacer : public QObject {
    Q_OBJECT
public:
    // step acts on a key again (a merged step); repaint draws the window now.
    KeyPacer(std::function<void(int key)> step, std::function<void()> repaint, QObject* parent = nullptr);
    ~KeyPacer() override;

    // A press of a paced key. True when it may act now, and then the window has to catch up
    // before the next press acts; false when it was merged into the step waiting.
    bool Press(int key);
    // A release: a step waiting for this key is cancelled.
    void Release(int key);
    // A step is under way: the window has not caught up with it yet.
    bool Pending() const { return mPending; }
    // Forgets a step waiting (the window lost the keyboard: the release goes elsewhere).
    void Reset();

private:
    void Turn();

    std::function<void(int)> mStep;
    std::function<void()> mRepaint;
    bool mPending = false;
    int mWanted = 0; // the key of the merged step, 0 for none
    int mQuietTurns = 0;
    QTimer mTurn;
};
