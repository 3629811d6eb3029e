// Start-up time: the start-up sequence alone, and the whole way from the start window to a
// shown main window, as the program does it. Run by hand; prints milliseconds.
//
// `startup_bench first-window [runs]` (on a real display, e.g. under Xvfb) starts fresh
// processes instead: the program the way main() runs it, and bare_window (a QMainWindow and
// nothing else, linked with Qt Widgets alone), alternately, and prints first_window_ms= for
// each: from just before the process is started to the first paint of its main window after
// it was exposed.
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

namespace {

constexpr char kStartEnv[] = "STARTUP_BENCH_T0_NS";

qint64 MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// In a child process: waits for the first main window to be exposed, lets its paint go out,
// prints the time since the parent started the process and ends at once.
class FirstWindowWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && !done_) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed() && IsMainWindow(window)) {
                done_ = true;
                // Queued: the expose is answered with a paint first.
                QTimer::singleShot(0, [] {
                    const double ms = (MonotonicNs() - qgetenv(kStartEnv).toLongLong()) / 1e6;
                    std::printf("%.3f\n", ms);
                    std::fflush(stdout);
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
    return RunProgram(argc, argv, [&watch](QApplication& app) { app.installEventFilter(&watch); });
}

// Starts one child and returns what it printed, in milliseconds (negative when it failed).
double TimeChild(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess child;
    QProcessEnvironment e = env;
    child.setProgram(program);
    child.setArguments(arguments);
    e.insert(QLatin1String(kStartEnv), QString::number(MonotonicNs()));
    child.setProcessEnvironment(e);
    child.start();
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    bool ok = false;
    const double ms = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

int RunFirstWindow(int argc, char** argv) {
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
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
    std::vector<double> program, bare;
    for (int i = 0; i < runs; ++i) {
        program.push_back(TimeChild(self, {QStringLiteral("--child-program")}, env));
        bare.push_back(TimeChild(bareWindow, {}, env));
    }
    std::printf("program runs:");
    for (double v : program)
        std::printf(" %.1f", v);
    std::printf("\nbare runs:   ");
    for (double v : bare)
        std::printf(" %.1f", v);
    const double p = Median(program), b = Median(bare);
    std::printf("\nprogram first_window_ms=%.1f (median of %d, first %.1f)\n", p, runs, program[0]);
    std::printf("bare    first_window_ms=%.1f (median of %d, first %.1f)\n", b, runs, bare[0]);
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
