#include "base/ui/formhelpers.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

namespace {

// Moves a window with the mouse until the button comes up, where the window system cannot
// move it itself (no window manager, or one that does not offer moving on request).
class ManualDrag final : public QObject {
public:
    explicit ManualDrag(QWidget* window)
        : mWindow(window), mGrabAt(QCursor::pos()), mWindowAt(window->pos()) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!mWindow || !(move->buttons() & Qt::LeftButton)) {
                deleteLater();
                return false;
            }
            mWindow->move(mWindowAt + (move->globalPosition().toPoint() - mGrabAt));
            return true;
        }
        case QEvent::MouseButtonRelease:
            deleteLater();
            return false;
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> mWindow;
    QPoint mGrabAt;
    QPoint mWindowAt;
};

// Starts DragForm on a left press on any widget it watches.
class DragHandle final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress ||
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        DragForm(static_cast<QWidget*>(watched));
        return true;
    }
};

} // namespace

void DragForm(QWidget* window) {
    if (!window) return;
    QWidget* top = window->window();
    QWindow* handle = top->windowHandle();
    if (handle && handle->startSystemMove()) return;
    // Deletes itself when the button comes up.
    new ManualDrag(top);
}

void MakeDragHandle(QWidget* handle) {
    // The filter goes with the handle.
    handle->installEventFilter(new DragHandle(handle));
}

void UnloadForm(QWidget* window) {
    if (!window) return;
    const QWidgetList live = QApplication::topLevelWidgets();
    if (!live.contains(window)) return;
    window->close();
    // Deleted once control is back in the event loop: the caller may be one of its handlers.
    window->deleteLater();
}

static QPixmap PaintIcon(int index, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    static const QColor colors[] = {QColor(0x2b, 0x5d, 0x9c), QColor(0x55, 0x55, 0x60),
                                    QColor(0x2b, 0x7d, 0xd0), QColor(0xe0, 0xa0, 0x10),
                                    QColor(0x40, 0x40, 0x48), QColor(0x20, 0x90, 0x60)};
    const int i = (index >= 0 && index < 6) ? index : 0;
    p.setPen(Qt::NoPen);
    p.setBrush(colors[i]);
    p.drawRoundedRect(r, size * 0.18, size * 0.18);
    p.setPen(QPen(Qt::white, qMax(1.0, size / 12.0)));
    p.setBrush(Qt::NoBrush);
    const qreal m = size * 0.25, w = size - 2 * m;
    switch (i) {
    case 2: // information
        p.drawLine(QPointF(size / 2.0, m + w * 0.35), QPointF(size / 2.0, m + w));
        p.drawPoint(QPointF(size / 2.0, m + w * 0.1));
        break;
    case 3: // warning
        p.drawLine(QPointF(size / 2.0, m), QPointF(size / 2.0, m + w * 0.65));
        p.drawPoint(QPointF(size / 2.0, m + w * 0.95));
        break;
    default: // two caption lines under a frame
        p.drawRect(QRectF(m, m, w, w * 0.45));
        p.drawLine(QPointF(m, m + w * 0.7), QPointF(m + w, m + w * 0.7));
        p.drawLine(QPointF(m + w * 0.2, m + w * 0.95), QPointF(m + w * 0.8, m + w * 0.95));
        break;
    }
    return pm;
}

QIcon AppIcon(int index) {
    static QHash<int, QIcon> icons;
    auto it = icons.find(index);
    if (it != icons.end()) return *it;
    QIcon icon;
    for (int s : {16, 32, 48, 64})
        icon.addPixmap(PaintIcon(index, s));
    return *icons.insert(index, icon);
}

void DrawAppIcon(QPainter& painter, int index, int x, int y, int width, int height) {
    AppIcon(index).paint(&painter, QRect(x, y, width, height));
}

QPixmap AppIconPixmap(int index, int size, int margin) {
    QPixmap pm(size + 2 * margin, size + 2 * margin);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    DrawAppIcon(painter, index, margin, margin, size, size);
    painter.end();
    return pm;
}

QLabel* MakePlainLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void ShowAsLink(QLabel* label) {
    label->setCursor(Qt::PointingHandCursor);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
}

QPushButton* MakeNamedButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QString WithoutEllipsis(QString text) {
    return text.remove(QStringLiteral("..."));
}
