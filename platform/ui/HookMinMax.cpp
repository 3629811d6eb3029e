#include "platform/ui/HookMinMax.h"

#include <QCoreApplication>
#include <QWidget>

const QEvent::Type MinMaxInfoEvent::kType = QEvent::Type(QEvent::registerEventType());

void AskMinMax(QWidget* window, QSize minTrack, QSize maxTrack) {
    if (!window) return;
    // A handler may destroy the window.
    const QPointer<QWidget> alive(window);
    MinMaxInfoEvent ask(minTrack, maxTrack);
    QCoreApplication::sendEvent(window, &ask);
    if (!alive) return;
    window->setMinimumSize(ask.minTrack.expandedTo(QSize(0, 0)));
    window->setMaximumSize(
        ask.maxTrack.expandedTo(ask.minTrack).boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)));
}

CHookMinMax::CHookMinMax(QObject* parent) : QObject(parent) {}

CHookMinMax::~CHookMinMax() {
    if (mWindow) MHookXP::RemoveSubclass(mWindow, this);
}

void CHookMinMax::setEnabled(bool on) {
    mEnabled = on;
    Ask();
}

void CHookMinMax::setHWnd(QObject* window) {
    if (mWindow) {
        MHookXP::RemoveSubclass(mWindow, this);
        // The window gets back the limits it had of its own.
        mWindow->setMinimumSize(mOwnMin);
        mWindow->setMaximumSize(mOwnMax);
    }
    mWindow = nullptr;
    auto* widget = qobject_cast<QWidget*>(window);
    if (!widget || !MHookXP::SetSubclass(widget, this, 0)) return;
    mWindow = widget;
    mOwnMin = widget->minimumSize();
    mOwnMax = widget->maximumSize();
    Ask();
}

void CHookMinMax::Ask() {
    if (mWindow) AskMinMax(mWindow, mOwnMin, mOwnMax);
}

bool CHookMinMax::Message(QObject* hWnd, QEvent* msg, quintptr) {
    const int type = msg->type();
    if (type == MinMaxInfoEvent::kType) {
        if (!mEnabled) return false;
        auto* ask = static_cast<MinMaxInfoEvent*>(msg);
        int minX = ask->minTrack.width(), minY = ask->minTrack.height();
        int maxX = ask->maxTrack.width(), maxY = ask->maxTrack.height();
        Q_EMIT GetMinMax(minX, minY, maxX, maxY);
        ask->minTrack = QSize(minX, minY);
        ask->maxTrack = QSize(maxX, maxY);
        return true;
    }
    if (type == MHookXP::kNcDestroy) {
        MHookXP::RemoveSubclass(hWnd, this);
        mWindow = nullptr;
        return false;
    }
    if (type == QEvent::Move || type == QEvent::Resize) {
        if (placeCaption) placeCaption();
    } else if (type == QEvent::Show || type == QEvent::ScreenChangeInternal) {
        // A screen of another size gives other limits.
        Ask();
    }
    return false;
}
