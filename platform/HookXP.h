#pragma once
// The window hook kit: an object sees the events of a window before the window does, and
// decides for each whether the window gets it. MHookXP keeps one registration per (window,
// object) pair and feeds the window's events to the object's Message through one filter on the
// application. CHookMouseWheel turns wheel turns over the window into events with the pointer
// position, the keys and the buttons; the size-limit hook is in platform/ui/HookMinMax.h.
#include <QObject>
#include <QPointer>

#include <cstdint>

class QEvent;
class QWheelEvent;

class IHookXP {
public:
    virtual ~IHookXP() = default;
    // An event of the hooked window hWnd (or a wheel turn over one of its children, which
    // hWnd would see on the system the kit was first written for). True keeps the event from
    // the window; false passes it on to the next hook and then the window.
    virtual bool Message(QObject* hWnd, QEvent* msg, quintptr dwRefData) = 0;
};

namespace MHookXP {
// The event a hook gets when its window is being destroyed: the registration goes right after.
extern const int kNcDestroy;

// Hooks obj onto hWnd; false for a null window or object, or a pair already hooked. The
// registration does not own obj. The hook that came last sees an event first.
bool SetSubclass(QObject* hWnd, IHookXP* obj, quintptr dwRefData = 0);
// Takes the hook off; false when the pair was not hooked (harmless).
bool RemoveSubclass(QObject* hWnd, IHookXP* obj);
// While a hook's Message runs: the object the event was sent to (for a wheel turn, the widget
// under the pointer, which may be a child of the hooked window).
QObject* Receiver();
// How many hooks hWnd carries.
int HookCount(const QObject* hWnd);
} // namespace MHookXP

// Wheel turns over a window and its children. hWnd is the widget under the pointer that the
// turn reached; Delta is 120 per notch (positive away from the user); Shift is 1 Shift + 2 Ctrl
// + 4 Alt; Button is 1 left + 2 right + 4 middle; X and Y are the pointer's screen position.
// A handler that sets Cancel keeps the turn from the window.
class CHookMouseWheel : public QObject, public IHookXP {
    Q_OBJECT
public:
    explicit CHookMouseWheel(QObject* parent = nullptr);
    ~CHookMouseWheel() override;

    bool Enabled() const { return mEnabled; }
    void setEnabled(bool on) { mEnabled = on; }
    // Hooks the window (unhooking the one hooked so far); null unhooks.
    void setHWnd(QObject* window);
    QObject* hWnd() const { return mWindow.data(); }

    // A pointing device that scrolls is attached.
    static bool Present();
    // Characters per horizontal notch: the system keeps no such figure here, so 1 as when the
    // figure cannot be read.
    static int ScrollChars() { return 1; }
    // Lines per wheel notch as the desktop sets it.
    static int ScrollLines();
    static constexpr int16_t WordHi(uint32_t value) { return int16_t(value >> 16); }
    static constexpr int16_t WordLo(uint32_t value) { return int16_t(value & 0xFFFF); }

    bool Message(QObject* hWnd, QEvent* msg, quintptr dwRefData) override;

Q_SIGNALS:
    void MouseWheel(QObject* hWnd, int Delta, int Shift, int Button, int X, int Y, bool& Cancel);
    void MouseWheelH(QObject* hWnd, int Delta, int Shift, int Button, int X, int Y, bool& Cancel);

private:
    bool mEnabled = true;
    QPointer<QObject> mWindow;
};
