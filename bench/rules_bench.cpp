// The timing rules over large seeded documents: prints the time of one rule run in ms.
//   rules_bench            32,000 captions with collisions, long captions and credit lines
// then the same run with ever more credit captions, to show that removing them stays linear,
// and once more with the caption grid's view attached, as in the program.
#include "base/settings.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "language/lang.h"
#include "mainwindow/GridView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

void RuleSettings() {
    gLineBreak = QStringLiteral("|");
    gAutoSplit = gCollision = gAutoJoin = gDurationMode = gFixBreaks = 1;
    gRemoveCredits = 1;
    gCreditsText = QStringLiteral("@,http,www");
    gNear = 200;
    const int16_t duration[3] = {250, 120, 50};
    for (int i = 0; i < 3; ++i) {
        gRuleDuration[i] = duration[i];
        gRuleTolerance[i] = 200;
    }
}

// count captions; creditShare of them (0..1) are credit lines.
std::vector<tSubtitleLine> SeededDocument(int count, double creditShare) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> words(1, 24);
    static const char* const kWords[] = {"the",    "night",    "was",   "cold",  "and",
                                         "nobody", "answered", "when",  "I",     "called",
                                         "your",   "name",     "again", "- Yes", "- No"};
    std::vector<tSubtitleLine> lines;
    lines.reserve(size_t(count));
    int32_t t = 1000;
    for (int i = 0; i < count; ++i) {
        tSubtitleLine line;
        const double r = unit(rng);
        if (r < creditShare) {
            line.text = i % 2 ? QStringLiteral("Subtitles by someone@example.org")
                              : QStringLiteral("www.example.org");
        } else {
            const int n = words(rng);
            QString text;
            for (int w = 0; w < n; ++w) {
                if (w) text += (w % 7 == 0) ? QStringLiteral("|") : QStringLiteral(" ");
                text += QLatin1String(kWords[rng() % std::size(kWords)]);
            }
            if (unit(rng) < 0.1) text.prepend(QStringLiteral("<i>"));
            line.text = text;
        }
        // Overlaps, near starts, zero and odd display times.
        const double kind = unit(rng);
        if (kind < 0.15)
            line.start = t - 300; // collision
        else if (kind < 0.35)
            line.start = t + 100; // near the previous end
        else
            line.start = t + 800;
        line.end = kind > 0.9 ? line.start : line.start + 500 + int32_t(rng() % 6000);
        t = std::max(line.end, line.start + 1);
        lines.push_back(line);
    }
    return lines;
}

// The best of a few runs of the rules over the document, in ms.
double TimeRules(const std::vector<tSubtitleLine>& lines, int runs) {
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        ResetCaptionGrid(true);
        FillLines(0, lines);
        QElapsedTimer timer;
        timer.start();
        ApplyRules(true);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RuleSettings();
    LoadLanguageStrings(); // real report texts, so the report is built at full length
    if (gLang[228].isEmpty()) std::printf("(no UI texts found: the report is built from empty texts)\n");

    const std::vector<tSubtitleLine> document = SeededDocument(32000, 0.05);
    const double ms = TimeRules(document, 5);
    std::printf("rules over 32000 captions: %.1f ms (findings %d: split %d, collisions %d, durations %d, "
                "removed %d; %d captions left)\n",
                ms, gReportCount, gRepSplit, gRepCollisions, gRepDurations, gRepRemoved, CaptionCount());

    std::printf("credit removal (32000 captions):\n");
    for (double share : {0.0, 0.25, 0.5, 0.9}) {
        const double t = TimeRules(SeededDocument(32000, share), 3);
        std::printf("  %3.0f%% credit lines: %.1f ms, %d removed\n", share * 100, t, gRepRemoved);
    }
    std::printf("scaling (50%% credit lines):\n");
    for (int n : {8000, 16000, 32000}) {
        const double t = TimeRules(SeededDocument(n, 0.5), 3);
        std::printf("  %5d captions: %.1f ms\n", n, t);
    }

    {
        GridView view(grdSubs());
        view.resize(800, 600);
        view.show();
        QApplication::processEvents();
        const double t = TimeRules(document, 5);
        std::printf("with the grid view attached: %.1f ms\n", t);
    }
    return 0;
}
