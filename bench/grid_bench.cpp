// The caption grid at full size: 32,000 captions in the model with the main window's view
// attached and shown. Prints the time of each bulk operation, including the view's handling of
// it (the events it causes are processed inside the measurement).
//
//   grid_bench [captions]      (default 32000)
#include "base/settings.h"
#include "bench/benchsupport.h"
#include "document/captions.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

std::vector<tSubtitleLine> MakeCaptions(int n) {
    std::vector<tSubtitleLine> lines;
    lines.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        lines.push_back(
            {i * 2000, i * 2000 + 1500, QStringLiteral("Caption number %1|with its second line").arg(i + 1)});
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = BenchCaptionCount(argc, argv);
    frmMain w;
    ShowBenchWindow(w);
    const std::vector<tSubtitleLine> captions = MakeCaptions(n);
    FlexGrid& grid = grdSubs();

    std::printf("%d captions, view attached\n", n);
    double worst = 0;
    const auto run = [&](const char* what, const std::function<void()>& work) {
        worst = std::max(worst, Measure(what, work));
    };

    run("fill (one batch) and select row 1", [&] {
        FillLines(0, captions);
        SelectLine(1, false);
    });
    run("select all", [&] {
        SelectLine(1, false);
        grid.SetRowSel(grid.Rows() - 1);
    });
    run("delete the selection", [&] { RemoveLines(grid.Row(), grid.RowSel()); });
    run("fill again", [&] {
        FillLines(0, captions);
        SelectLine(1, false);
    });
    run("toggle bold on all (add)", [&] {
        grid.SetRowSel(grid.Rows() - 1);
        ToggleBold(grid.Row(), grid.RowSel());
    });
    run("toggle bold on all (remove)", [&] { ToggleBold(grid.Row(), grid.RowSel()); });
    run("renumber", [&] { RenumberLines(); });
    run("insert one caption at the top", [&] { AddLine(0, 0, QStringLiteral("new"), 1); });
    run("delete the middle half", [&] { RemoveLines(grid.Rows() / 4, grid.Rows() * 3 / 4); });
    run("select the last caption and scroll to it", [&] { SelectLine(grid.Rows() - 1, true); });
    run("End and Home keys through the view", [&] {
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_End}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(w.grdSubsView, &press);
        }
    });
    std::printf("%-44s %8.1f ms\n", "slowest", worst);
    return 0;
}
