#pragma once
// Drags a borderless window by one of its title handles the way a user does where no window
// manager moves it: a left press on the handle, two moves with the button down, the release,
// then a move with the button up. Returns how far the window moved.
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

inline QPoint DragHandleBy(QWidget* handle, QPoint offset) {
    QWidget* window = handle->window();
    const QPoint before = window->pos();
    const QPoint grab = handle->mapToGlobal(QPoint(5, 5));
    QCursor::setPos(grab);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    for (const QPoint step : {offset / 4, offset}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(handle->mapFromGlobal(grab + step)), QPointF(grab + step),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(handle, &move);
    }
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, handle->mapFromGlobal(grab + offset));
    // Once the button is up, the mouse moves no window.
    QMouseEvent after(QEvent::MouseMove, QPointF(5, 5), QPointF(grab + offset * 2), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &after);
    QApplication::processEvents();
    return window->pos() - before;
}
