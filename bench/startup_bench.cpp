// Start-up time: the start-up sequence alone, and the whole way from the start window to a
// shown main window, as the program does it. Run by hand; prints milliseconds.
//
// `startup_bench first-window [runs] [busy]` (on a real display, e.g. under Xvfb) starts fresh
// processes instead: the program the way main() runs it, and bare_window (a QMainWindow and
// nothing else, linked with Qt Widgets alone), alternately, and prints first_window_ms= for
// each: from just before the process is started to the first paint of its main window after
// it was exposed. With busy > 0 that many threads spin meanwhile, each on a processor of its own
// if it can, as other programs keep a busy machine's processors busy. For each side it also
// prints where the main thread's time went until the first paint: on a processor, ready but
// waiting for one, the times it slept (on a lock, a thread or the display) and the process's
// processor time over all its threads.
#include "bare/firstwindow.h"

#include "app/startup.h"
#include "app/ui/frmStart.h"
#include "app/ui/programmain.h"
#include "base/processstate.h"
#include "language/lang.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

namespace {

// In a child process: waits for the first main window to be exposed, lets its paint go out,
// prints the time since the parent started the process and ends at once.
class FirstWindowWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !FirstWindowMarks().show && watched->isWidgetType() &&
            qobject_cast<QMainWindow*>(watched))
            FirstWindowMarks().show = FirstWindowNowNs();
        if (event->type() == QEvent::Expose && !done_) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed() && IsMainWindow(window)) {
                done_ = true;
                FirstWindowMarks().expose = FirstWindowNowNs();
                // Queued: the expose is answered with a paint first.
                QTimer::singleShot(0, [] {
                    PrintFirstWindow();
                    std::_Exit(0);
                });
            }
        }
        return false;
    }

private:
    static bool IsMainWindow(QWindow* window) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == window && qobject_cast<QMainWindow*>(w)) return true;
        return false;
    }
    bool done_ = false;
};

int RunChild(int argc, char** argv) {
    FirstWindowWatch watch;
    return RunProgram(argc, argv, [&watch](QApplication& app) {
        FirstWindowMarks().app = FirstWindowNowNs();
        app.installEventFilter(&watch);
    });
}

// One start: the time to the first painted window and where the main thread's time went.
struct FirstWindow {
    double ms = -1, mainCpu = 0, mainWaiting = 0, mainSleeps = 0, processCpu = 0, app = 0, show = 0,
           expose = 0;
};

// Starts one child and returns what it printed (ms negative when it failed).
FirstWindow TimeChild(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess child;
    QProcessEnvironment e = env;
    child.setProgram(program);
    child.setArguments(arguments);
    e.insert(QLatin1String(kFirstWindowStartEnv), QString::number(FirstWindowNowNs()));
    child.setProcessEnvironment(e);
    child.start();
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return {};
    }
    const QList<QByteArray> f = child.readAllStandardOutput().simplified().split(' ');
    if (f.size() < 8) return {};
    return {f[0].toDouble(), f[1].toDouble(), f[2].toDouble(), f[3].toDouble(),
            f[4].toDouble(), f[5].toDouble(), f[6].toDouble(), f[7].toDouble()};
}

// Threads that keep processors busy for as long as they live, as other programs would.
class BusyLoops {
public:
    explicit BusyLoops(int count) {
        const int processors = int(std::thread::hardware_concurrency());
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this, i, processors] {
                if (processors > 0) {
                    cpu_set_t one;
                    CPU_ZERO(&one);
                    CPU_SET(i % processors, &one);
                    pthread_setaffinity_np(pthread_self(), sizeof one, &one);
                }
                volatile unsigned long n = 0;
                while (!stop_.load(std::memory_order_relaxed))
                    n = n + 1;
            });
    }
    ~BusyLoops() {
        stop_ = true;
        for (std::thread& t : threads_)
            t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// The median of one figure over the runs.
double MedianOf(const std::vector<FirstWindow>& runs, double FirstWindow::*field) {
    std::vector<double> v;
    for (const FirstWindow& r : runs)
        v.push_back(r.*field);
    return Median(v);
}

void PrintSide(const char* name, const std::vector<FirstWindow>& runs) {
    const auto median = [&runs](double FirstWindow::*field) { return MedianOf(runs, field); };
    std::printf("%-7s first_window_ms=%.1f (median of %zu, first %.1f)\n", name, median(&FirstWindow::ms),
                runs.size(), runs[0].ms);
    std::printf("        steps: application made %.1f, window shown %.1f, exposed %.1f, painted %.1f ms\n",
                median(&FirstWindow::app), median(&FirstWindow::show), median(&FirstWindow::expose),
                median(&FirstWindow::ms));
    std::printf("        main thread: on a processor %.1f ms, waiting for one %.1f ms, slept %.0f times; "
                "process processor time %.1f ms\n",
                median(&FirstWindow::mainCpu), median(&FirstWindow::mainWaiting),
                median(&FirstWindow::mainSleeps), median(&FirstWindow::processCpu));
}

int RunFirstWindow(int argc, char** argv) {
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const int busy = argc > 3 ? std::max(0, std::atoi(argv[3])) : 0;
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "first-window needs a display (DISPLAY), e.g. under Xvfb\n");
        return 2;
    }
    // One settings folder for all runs: after the first start the program finds its settings,
    // as it does on a user's machine.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
    const QString self = QCoreApplication::applicationFilePath();
    const QString bareWindow = QCoreApplication::applicationDirPath() + QStringLiteral("/bare_window");
    const BusyLoops loops(busy);
    std::vector<FirstWindow> program, bare;
    for (int i = 0; i < runs; ++i) {
        program.push_back(TimeChild(self, {QStringLiteral("--child-program")}, env));
        bare.push_back(TimeChild(bareWindow, {}, env));
    }
    std::printf("program runs:");
    for (const FirstWindow& r : program)
        std::printf(" %.1f", r.ms);
    std::printf("\nbare runs:   ");
    for (const FirstWindow& r : bare)
        std::printf(" %.1f", r.ms);
    std::printf("\n");
    if (busy > 0) std::printf("with %d busy threads\n", busy);
    PrintSide("program", program);
    PrintSide("bare", bare);
    const double p = MedianOf(program, &FirstWindow::ms), b = MedianOf(bare, &FirstWindow::ms);
    std::printf("ratio %.2f\n", b > 0 ? p / b : 0.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child-program") == 0) return RunChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "first-window") == 0) return RunFirstWindow(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
    QApplication app(argc, argv);

    constexpr int kRuns = 20;
    std::vector<double> sequence, window;
    for (int i = 0; i < kRuns; ++i) {
        processstate::ResetAll();
        QElapsedTimer t;
        t.start();
        RunStartupSequence({QStringLiteral("/home/user/film.srt")});
        sequence.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < kRuns; ++i) {
        processstate::ResetAll();
        QElapsedTimer t;
        t.start();
        auto* start = new frmStart;
        start->commandLine = {};
        start->Form_Load();
        QWidget* main = start->mainWindow();
        QCoreApplication::processEvents();
        window.push_back(t.nsecsElapsed() / 1e6);
        delete main;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("start-up sequence: median %.2f ms, first %.2f ms (%d runs)\n", Median(sequence), sequence[0],
                kRuns);
    std::printf("start window to shown main window: median %.2f ms, first %.2f ms (%d runs)\n",
                Median(window), window[0], kRuns);
    return 0;
}
