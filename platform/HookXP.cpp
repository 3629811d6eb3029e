#include "platform/HookXP.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QInputDevice>
#include <QList>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>

namespace MHookXP {
const int kNcDestroy = QEvent::registerEventType();
}

namespace {

struct Registration {
    IHookXP* obj;
    quintptr refData;
};

// The one procedure every hooked window shares. It watches the application's events, because
// a wheel turn goes to the widget under the pointer, not to the window that hooked it.
class SubclassProc final : public QObject {
public:
    QHash<QObject*, QList<Registration>> hooks;        // by window, in the order hooked
    QHash<QObject*, QMetaObject::Connection> destroys; // one per hooked window

    bool IsHooked(QObject* hWnd, IHookXP* obj) const {
        const auto it = hooks.constFind(hWnd);
        if (it == hooks.constEnd()) return false;
        return std::any_of(it->begin(), it->end(), [obj](const Registration& r) { return r.obj == obj; });
    }

    // The object the event being delivered was sent to (a child of hWnd for a wheel turn).
    QPointer<QObject> receiver;

    // Feeds msg to every hook of hWnd, the one hooked last first, until one keeps it.
    bool Deliver(QObject* hWnd, QEvent* msg, QObject* to) {
        // Handlers may run nested event loops: each delivery keeps its own receiver.
        const QPointer<QObject> outer = receiver;
        receiver = to;
        const bool kept = DeliverAll(hWnd, msg);
        receiver = outer;
        return kept;
    }

private:
    bool DeliverAll(QObject* hWnd, QEvent* msg) {
        // A handler may take hooks off (its own or others'): walk a copy, and skip any that
        // went meanwhile.
        const QList<Registration> list = hooks.value(hWnd);
        for (auto it = list.crbegin(); it != list.crend(); ++it) {
            if (!IsHooked(hWnd, it->obj)) continue;
            if (it->obj->Message(hWnd, msg, it->refData)) return true;
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel) return Wheel(watched, static_cast<QWheelEvent*>(event));
        if (!hooks.contains(watched)) return false;
        return Deliver(watched, event, watched);
    }

private:
    // A wheel turn reaches the widget under the pointer; the hooked window is that widget or the
    // first of its parents that carries hooks.
    bool Wheel(QObject* receiver, QWheelEvent* event) {
        QObject* window = receiver;
        while (window && !hooks.contains(window))
            window = window->parent();
        if (!window) return false;
        // A turn nobody took travels on to the parents as a copy of the same turn; the hooks saw
        // it already.
        const Seen seen{receiver, event->timestamp(), event->globalPosition(), event->angleDelta()};
        if (IsRepeat(seen)) return false;
        mLast = seen;
        const bool kept = Deliver(window, event, receiver);
        // A kept turn goes no further up either.
        if (kept) event->accept();
        return kept;
    }

    struct Seen {
        QPointer<QObject> receiver;
        quint64 timestamp = 0;
        QPointF global;
        QPoint delta;
    } mLast;

    bool IsRepeat(const Seen& s) const {
        if (!mLast.receiver || s.timestamp != mLast.timestamp || s.global != mLast.global ||
            s.delta != mLast.delta)
            return false;
        for (QObject* o = mLast.receiver->parent(); o; o = o->parent())
            if (o == s.receiver) return true;
        return false;
    }
};

SubclassProc* gProc = nullptr;

SubclassProc* Proc() {
    if (!gProc && QCoreApplication::instance()) {
        gProc = new SubclassProc;
        gProc->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(gProc);
        QObject::connect(gProc, &QObject::destroyed, [] { gProc = nullptr; });
    }
    return gProc;
}

void WindowDestroyed(QObject* hWnd) {
    if (!gProc) return;
    // The hooks hear of it first, then every registration of the window goes.
    QEvent msg{QEvent::Type(MHookXP::kNcDestroy)};
    // No pointer may be taken to an object being destroyed: the hooks get hWnd alone.
    gProc->Deliver(hWnd, &msg, nullptr);
    if (!gProc) return;
    gProc->hooks.remove(hWnd);
    gProc->destroys.remove(hWnd);
}

} // namespace

bool MHookXP::SetSubclass(QObject* hWnd, IHookXP* obj, quintptr dwRefData) {
    SubclassProc* proc = Proc();
    if (!proc || !hWnd || !obj || proc->IsHooked(hWnd, obj)) return false;
    if (!proc->hooks.contains(hWnd))
        proc->destroys.insert(hWnd, QObject::connect(hWnd, &QObject::destroyed, proc, WindowDestroyed));
    proc->hooks[hWnd].append({obj, dwRefData});
    return true;
}

bool MHookXP::RemoveSubclass(QObject* hWnd, IHookXP* obj) {
    if (!gProc || !gProc->IsHooked(hWnd, obj)) return false;
    QList<Registration>& list = gProc->hooks[hWnd];
    list.erase(
        std::remove_if(list.begin(), list.end(), [obj](const Registration& r) { return r.obj == obj; }),
        list.end());
    if (list.isEmpty()) {
        gProc->hooks.remove(hWnd);
        QObject::disconnect(gProc->destroys.take(hWnd));
    }
    return true;
}

QObject* MHookXP::Receiver() {
    return gProc ? gProc->receiver.data() : nullptr;
}

int MHookXP::HookCount(const QObject* hWnd) {
    return gProc ? int(gProc->hooks.value(const_cast<QObject*>(hWnd)).size()) : 0;
}

// --- CHookMouseWheel ---

CHookMouseWheel::CHookMouseWheel(QObject* parent) : QObject(parent) {}

CHookMouseWheel::~CHookMouseWheel() {
    if (mWindow) MHookXP::RemoveSubclass(mWindow, this);
}

void CHookMouseWheel::setHWnd(QObject* window) {
    if (mWindow) MHookXP::RemoveSubclass(mWindow, this);
    mWindow = nullptr;
    if (window && MHookXP::SetSubclass(window, this, 0)) mWindow = window;
}

bool CHookMouseWheel::Present() {
    const auto devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* d) {
        return d->capabilities().testFlag(QInputDevice::Capability::Scroll);
    });
}

int CHookMouseWheel::ScrollLines() {
    return qGuiApp ? QGuiApplication::styleHints()->wheelScrollLines() : 0;
}

bool CHookMouseWheel::Message(QObject* hWnd, QEvent* msg, quintptr) {
    if (msg->type() == MHookXP::kNcDestroy) {
        MHookXP::RemoveSubclass(hWnd, this);
        mWindow = nullptr;
        return false;
    }
    if (msg->type() != QEvent::Wheel || !mEnabled) return false;
    const auto* wheel = static_cast<QWheelEvent*>(msg);
    const Qt::MouseButtons b = wheel->buttons();
    const int button =
        (b & Qt::LeftButton ? 1 : 0) + (b & Qt::RightButton ? 2 : 0) + (b & Qt::MiddleButton ? 4 : 0);
    const Qt::KeyboardModifiers m = wheel->modifiers();
    const int shift =
        (m & Qt::ShiftModifier ? 1 : 0) + (m & Qt::ControlModifier ? 2 : 0) + (m & Qt::AltModifier ? 4 : 0);
    const QPoint at = wheel->globalPosition().toPoint();
    // The widget the turn reached is the one under the pointer.
    QObject* target = MHookXP::Receiver() ? MHookXP::Receiver() : hWnd;
    bool cancel = false;
    QPointer<CHookMouseWheel> self(this);
    const QPoint delta = wheel->angleDelta();
    if (delta.y() != 0) Q_EMIT MouseWheel(target, delta.y(), shift, button, at.x(), at.y(), cancel);
    // A handler may have destroyed this hook; the turn's fate is still what it said.
    if (self && delta.x() != 0) Q_EMIT MouseWheelH(target, delta.x(), shift, button, at.x(), at.y(), cancel);
    return cancel;
}
