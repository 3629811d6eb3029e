#pragma once
// What the benchmarks over the main window share: the caption count from the command line, the
// window as they measure it, and one timed step.
#include "base/settings.h"
#include "document/captions.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

// The first argument, else 32,000; never more than a document may hold.
inline int BenchCaptionCount(int argc, char** argv) {
    return argc > 1 ? std::max(1, std::min(std::atoi(argv[1]), kMaxCaptions)) : 32000;
}

// The window at 1000 x 700, shown, with an empty subtitle open and "|" as the line-break marker.
inline void ShowBenchWindow(frmMain& w) {
    gLineBreak = QStringLiteral("|");
    w.resize(1000, 700);
    w.show();
    QApplication::processEvents();
    w.ResetGrid(true);
    gSubFile = QStringLiteral("bench.srt");
}

// Runs work and the events it causes; prints and returns the time in milliseconds.
inline double Measure(const char* what, const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    QApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%-44s %8.1f ms\n", what, ms);
    return ms;
}
