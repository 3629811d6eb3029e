#pragma once
// Answers a real modal window: fn runs on the first window of type T that becomes the active
// modal widget, from inside the modal call's own event loop.
#include <QApplication>
#include <QTimer>

#include <functional>

template <typename T> void OnModal(std::function<void(T*)> fn) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fn(w);
        }
    });
    timer->start();
}
