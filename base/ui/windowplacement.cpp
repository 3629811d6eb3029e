#include "base/ui/windowplacement.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

class FramelessPlacement final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || !(widget->windowFlags() & Qt::FramelessWindowHint)) return false;
        if (widget->windowType() == Qt::Popup || widget->windowType() == Qt::ToolTip) return false;
        QPointer<QWidget> w(widget);
        // After the window manager has had its say on the first placement.
        QTimer::singleShot(0, widget, [w] {
            if (w && w->isVisible() && w->windowHandle()) w->windowHandle()->setPosition(w->pos());
        });
        return false;
    }
};

} // namespace

void InstallFramelessPlacementFix(QApplication& app) {
    app.installEventFilter(new FramelessPlacement(&app));
}
