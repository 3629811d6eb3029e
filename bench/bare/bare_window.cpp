// The yardstick of the start-up benchmark: a Qt Widgets program that shows a QMainWindow and
// nothing else. It links Qt Widgets alone, as any such program would. It reports the time of
// its first paint the same way the benchmark's program run does (see startup_bench.cpp).
#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class FirstWindowWatch : public QObject {
public:
    explicit FirstWindowWatch(QMainWindow* target) : target_(target) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && !done_ && watched == target_->windowHandle() &&
            target_->windowHandle()->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, [] {
                timespec ts{};
                clock_gettime(CLOCK_MONOTONIC, &ts);
                const long long now = (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
                const char* t0 = std::getenv("STARTUP_BENCH_T0_NS");
                std::printf("%.3f\n", (now - (t0 ? std::atoll(t0) : 0)) / 1e6);
                std::fflush(stdout);
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
    QMainWindow window;
    FirstWindowWatch watch(&window);
    app.installEventFilter(&watch);
    window.show();
    return app.exec();
}
