// Start-up time: the start-up sequence alone, and the whole way from the start window to a
// shown main window, as the program does it. Run by hand; prints milliseconds.
#include "app/startup.h"
#include "app/ui/frmStart.h"
#include "language/lang.h"
#include "platform/processstate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
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
