// Replace all and the time shift over a full document, with the main window's view attached and
// shown (the events they cause are processed inside the measurement). Each is run a few times;
// the slowest run is the figure.
//
//   edit_bench [captions]      (default 32000)
#include "base/settings.h"
#include "bench/benchsupport.h"
#include "document/captions.h"
#include "document/findreplace.h"
#include "document/timeshift.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = BenchCaptionCount(argc, argv);
    frmMain w;
    ShowBenchWindow(w);
    std::vector<tSubtitleLine> lines;
    lines.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        lines.push_back({i * 2000 + 5000, i * 2000 + 6500,
                         QStringLiteral("Caption number %1|with the second line of it").arg(i + 1)});
    if (!FillLines(0, lines)) return 1;
    SelectLine(1, false);
    QApplication::processEvents();
    std::printf("%d captions, view attached\n", n);

    double replaceWorst = 0, shiftWorst = 0;
    const char* words[][2] = {{"line", "row"}, {"row", "line"}};
    for (int run = 0; run < 6; ++run) {
        SelectLine(1, false);
        const char* const* pair = words[run % 2];
        int changed = 0;
        replaceWorst = std::max(replaceWorst, Measure("replace all (whole word, any case)", [&] {
                                    changed = FindInLines(QLatin1String(pair[0]), 1, 0, true,
                                                          QLatin1String(pair[1]), true);
                                }));
        if (changed != n) std::printf("  changed %d captions, expected %d\n", changed, n);
        const int64_t delay = run % 2 ? -1230 : 1230;
        shiftWorst = std::max(shiftWorst, Measure("time shift", [&] { ShiftAllTimes(delay); }));
    }
    std::printf("replace_all_ms=%.1f shift_ms=%.1f\n", replaceWorst, shiftWorst);
    return 0;
}
