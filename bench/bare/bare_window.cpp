// The yardstick of the start-up benchmark: a Qt Widgets program that shows a QMainWindow and
// nothing else. It links Qt Widgets alone, as any such program would. It reports the time of
// its first paint the same way the benchmark's program run does (see startup_bench.cpp).
#include "firstwindow.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <cstdlib>

namespace {

class FirstWindowWatch : public QObject {
public:
    explicit FirstWindowWatch(QMainWindow* target) : target_(target) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == target_ && !FirstWindowMarks().show)
            FirstWindowMarks().show = FirstWindowNowNs();
        if (event->type() == QEvent::Expose && !done_ && watched == target_->windowHandle() &&
            target_->windowHandle()->isExposed()) {
            done_ = true;
            FirstWindowMarks().expose = FirstWindowNowNs();
            QTimer::singleShot(0, [] {
                PrintFirstWindow();
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    QMainWindow* target_;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstWindowMarks().app = FirstWindowNowNs();
    QMainWindow window;
    FirstWindowWatch watch(&window);
    app.installEventFilter(&watch);
    window.show();
    return app.exec();
}
