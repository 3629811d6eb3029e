#pragma once
// The size-limit hook of the window hook kit (platform/HookXP.h). The window asks its hooks for
// its minimum and maximum size whenever it is hooked, shown or moved to another screen; a hook
// that is enabled raises GetMinMax with the limits in pixels and the window takes what the
// handler leaves. The hook also keeps the preview caption placed on every move and resize.
#include "platform/HookXP.h"

#include <QEvent>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

// The question a window puts to its hooks: the limits it would take, which a hook may change.
class MinMaxInfoEvent : public QEvent {
public:
    static const QEvent::Type kType;
    MinMaxInfoEvent(QSize minTrack, QSize maxTrack) : QEvent(kType), minTrack(minTrack), maxTrack(maxTrack) {}
    QSize minTrack;
    QSize maxTrack;
};

// Asks window's hooks for its size limits, starting from the given ones, and applies the answer.
void AskMinMax(QWidget* window, QSize minTrack, QSize maxTrack);

class CHookMinMax : public QObject, public IHookXP {
    Q_OBJECT
public:
    explicit CHookMinMax(QObject* parent = nullptr);
    ~CHookMinMax() override;

    bool Enabled() const { return mEnabled; }
    // Switching the hook asks the window again: off gives it back the limits it had before.
    void setEnabled(bool on);
    // Hooks a window (unhooking the one hooked so far); null, or an object that is no window,
    // leaves the hook unhooked.
    void setHWnd(QObject* window);
    QObject* hWnd() const { return mWindow.data(); }

    // Runs on every move and resize of the window, before the window sees it.
    std::function<void()> placeCaption;

    bool Message(QObject* hWnd, QEvent* msg, quintptr dwRefData) override;

Q_SIGNALS:
    void GetMinMax(int& MinTrackX, int& MinTrackY, int& MaxTrackX, int& MaxTrackY);

private:
    void Ask();

    bool mEnabled = true;
    QPointer<QWidget> mWindow;
    QSize mOwnMin, mOwnMax; // the window's limits before it was hooked
};
