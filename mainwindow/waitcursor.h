#pragma once
// Shows a waiting pointer over the program's windows for the lifetime of the object.
#include <QCursor>
#include <QGuiApplication>

class WaitCursor {
public:
    explicit WaitCursor(Qt::CursorShape shape = Qt::WaitCursor) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(QCursor(shape));
            mSet = true;
        }
    }
    ~WaitCursor() {
        if (mSet) QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool mSet = false;
};
