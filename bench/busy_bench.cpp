// How long the window stays busy, and how much it sends to the display meanwhile, when the
// program starts with a large subtitle file and when Tools > Apply current rules runs over it.
// Run by hand on a real display (e.g. Xvfb with a window manager); prints milliseconds and counts.
//
//   busy_bench [captions] [runs]             starts the program runs times (11) with a generated
//                                            SubRip file of that many captions (32,000), and in
//                                            each run clicks Tools > Apply current rules once
//                                            the window is quiet; prints the medians
//   busy_bench empty [runs]                  the same start without a file
//   busy_bench xwrites [captions]            one start with the file and one without, each under
//                                            strace, counting the writes to the display's socket
//                                            (needs strace)
//
// Each run is a fresh process: the program the way main() runs it, watched from inside by an
// application event filter. Figures of one run:
//   read       from the reader's first status text to the start of the rules
//   rules      the rule run, from its start to the file labels' restore
//   paints     window repaints, for an update or an expose (each a paint into the window's buffer
//              and a flush to the display), and the time they took; label = paints of the
//              subtitle file label
//   work       read + rules without the repaints in them: what has to be done at all
//   busy       from the reader's start until the event loop is idle again (a glib idle source
//              at the lowest priority runs), i.e. until the window takes input again
//   click      from triggering Tools > Apply current rules to the result box painted on screen
//              (after its first expose), split into the rules, the rules' end to the box's show,
//              the box's show to its expose (the window manager's part) and its first paint
// BUSY_BENCH_PAINTS=1 in the environment lists each repaint and what it painted (stderr).
#include "app/ui/programmain.h"
#include "document/rules.h"
#include "formats/formatdefs.h"
#include "formats/tools/catalogue.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPaintEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

namespace {

constexpr char kChildEnv[] = "BUSY_BENCH_CHILD";
// BUSY_BENCH_PAINTS=1 lists every repaint and the widgets it painted on stderr.
const bool kListPaints = qEnvironmentVariableIsSet("BUSY_BENCH_PAINTS");

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

constexpr char kTraceEnv[] = "BUSY_BENCH_TRACE";

// A mark in the system call trace, so that the counting can tell the phases apart.
void TraceMark(const char* phase) {
    static const bool traced = !qEnvironmentVariableIsEmpty(kTraceEnv);
    if (!traced) return;
    char line[96];
    const int n = std::snprintf(line, sizeof line, "busy_bench:phase %s\n", phase);
    if (write(2, line, size_t(n)) < 0) {
    }
}

// --- the watched program (child) ---

struct Phase {
    int paints = 0, labelPaints = 0;
    double paintMs = 0;
};

class Watch : public QObject {
public:
    explicit Watch(bool withFile, bool clickRules) : withFile_(withFile), clickRules_(clickRules) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (step_ == Step::Click && boxShowMs_ == 0 && qobject_cast<QMessageBox*>(watched))
                boxShowMs_ = NowMs();
            if (!main_ && watched->inherits("frmMain")) {
                main_ = static_cast<QWidget*>(watched);
                showMs_ = NowMs();
                WrapHooks();
            }
            break;
        case QEvent::Expose:
            if (!watched->isWindowType() || !static_cast<QWindow*>(watched)->isExposed() || inSync_) break;
            if (step_ == Step::Click && boxExposeMs_ == 0) {
                if (QMessageBox* box = BoxOf(watched)) return BoxExposed(box, event);
            }
            // An expose is answered with a paint and a flush of the window at once.
            if (QWidget* widget = WidgetOf(watched)) return TimedRepaint(widget, watched, event);
            break;
        case QEvent::Paint:
            if (kListPaints) {
                const QRect r = static_cast<QPaintEvent*>(event)->rect();
                std::fprintf(stderr, "  paint %s %s %d,%d %dx%d\n", watched->metaObject()->className(),
                             qPrintable(watched->objectName()), r.x(), r.y(), r.width(), r.height());
            }
            ++paintEvents_;
            if (watched->objectName() == QLatin1String("lblTextFile")) ++Current().labelPaints;
            break;
        case QEvent::UpdateRequest:
            if (watched->isWidgetType() && !inSync_)
                return TimedRepaint(static_cast<QWidget*>(watched), watched, event);
            break;
        default:
            break;
        }
        return false;
    }

private:
    enum class Step { Start, Open, Quiet, Click, Done };

    static QWidget* WidgetOf(QObject* window) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == window) return w;
        return nullptr;
    }
    static QMessageBox* BoxOf(QObject* window) { return qobject_cast<QMessageBox*>(WidgetOf(window)); }

    // The box's first expose: its first paint goes to the screen here.
    bool BoxExposed(QMessageBox* box, QEvent* event) {
        boxExposeMs_ = NowMs();
        static_cast<QObject*>(box->windowHandle())->event(event);
        boxMs_ = NowMs();
        TraceMark("box");
        box->reject();
        Finish();
        return true;
    }

    Phase& Current() { return step_ == Step::Click ? click_ : open_; }

    // A repaint of a window (an update or an expose of it), timed: the buffer is painted and
    // flushed to the display here. target is the widget or its platform window.
    bool TimedRepaint(QWidget* widget, QObject* target, QEvent* event) {
        inSync_ = true;
        const int paintsBefore = paintEvents_;
        const double t0 = NowMs();
        target->event(event);
        const double ms = NowMs() - t0;
        inSync_ = false;
        if (kListPaints)
            std::fprintf(stderr, "repaint of %s: %.2f ms (%s%s)\n", widget->metaObject()->className(), ms,
                         step_ == Step::Click ? "after the click" : "start",
                         inRules_ ? ", in the rules" : "");
        Phase& p = Current();
        ++p.paints;
        p.paintMs += ms;
        if (inRules_) rulesPaintMs_ += ms;
        if (reading_) readPaintMs_ += ms;
        // (An expose may come before the window has its size, and paint nothing.)
        if (widget == main_ && paintEvents_ > paintsBefore) mainPainted_ = true;
        if (step_ == Step::Open) ArmQuiet();
        return true;
    }

    void WrapHooks() {
        const auto status = gOnFileStatus;
        gOnFileStatus = [this, status](const QString& text, bool clear) {
            if (readStartMs_ == 0) {
                readStartMs_ = NowMs();
                reading_ = true;
                step_ = Step::Open;
            }
            if (status) status(text, clear);
        };
        const auto unload = gRulesHooks.unloadSideWindows;
        gRulesHooks.unloadSideWindows = [this, unload] {
            rulesStartMs_ = NowMs();
            if (reading_) readMs_ = rulesStartMs_ - readStartMs_;
            reading_ = false;
            rulesPaintMs_ = 0;
            inRules_ = true;
            if (unload) unload();
        };
        const auto restore = gRulesHooks.restoreFileLabels;
        gRulesHooks.restoreFileLabels = [this, restore] {
            inRules_ = false;
            const double ms = NowMs() - rulesStartMs_;
            if (step_ == Step::Click) {
                clickRulesEndMs_ = NowMs();
                clickRulesMs_ = ms;
                clickRulesPaintMs_ = rulesPaintMs_;
            } else {
                rulesMs_ = ms;
                loadRulesPaintMs_ = rulesPaintMs_;
                rulesDone_ = true;
            }
            if (restore) restore();
        };
        if (!withFile_) step_ = Step::Open;
    }

    // The load is over once the rules ran (or, without a file, once the window is painted);
    // quiet is when the event loop next has nothing to do.
    void ArmQuiet() {
        if (armed_ || step_ != Step::Open || !mainPainted_ || (withFile_ && !rulesDone_)) return;
        armed_ = true;
        g_idle_add_full(
            G_PRIORITY_LOW,
            [](gpointer self) -> gboolean {
                static_cast<Watch*>(self)->Quiet();
                return G_SOURCE_REMOVE;
            },
            this, nullptr);
    }

    void Quiet() {
        quietMs_ = NowMs();
        step_ = Step::Quiet;
        TraceMark("quiet");
        if (!clickRules_ || !withFile_) return Finish();
        QTimer::singleShot(0, main_, [this] {
            auto* rules = main_->findChild<QAction*>(QStringLiteral("mnuRules"));
            if (!rules) return Finish();
            step_ = Step::Click;
            TraceMark("click");
            clickMs_ = NowMs();
            rules->trigger(); // returns once the result box is closed
        });
    }

    void Finish() {
        TraceMark("done");
        const double work = readMs_ - readPaintMs_ + rulesMs_ - loadRulesPaintMs_;
        std::printf("read=%.2f rules=%.2f rules_paint_ms=%.2f read_paint_ms=%.2f work=%.2f "
                    "busy=%.2f show_to_quiet=%.2f open_paints=%d open_label_paints=%d open_paint_ms=%.2f",
                    readMs_, rulesMs_, loadRulesPaintMs_, readPaintMs_, work,
                    withFile_ ? quietMs_ - readStartMs_ : 0.0, quietMs_ - showMs_, open_.paints,
                    open_.labelPaints, open_.paintMs);
        if (boxMs_ != 0)
            std::printf(" click=%.2f click_rules=%.2f click_rules_paint_ms=%.2f click_paints=%d "
                        "click_label_paints=%d click_paint_ms=%.2f rules_end_to_box_show=%.2f "
                        "box_show_to_expose=%.2f box_expose_paint=%.2f",
                        boxMs_ - clickMs_, clickRulesMs_, clickRulesPaintMs_, click_.paints,
                        click_.labelPaints, click_.paintMs, boxShowMs_ - clickRulesEndMs_,
                        boxExposeMs_ - boxShowMs_, boxMs_ - boxExposeMs_);
        std::printf("\n");
        std::fflush(stdout);
        std::_Exit(0);
    }

    const bool withFile_, clickRules_;
    QWidget* main_ = nullptr;
    Step step_ = Step::Start;
    Phase open_, click_;
    int paintEvents_ = 0;
    bool inSync_ = false, inRules_ = false, reading_ = false, mainPainted_ = false, rulesDone_ = false,
         armed_ = false;
    double showMs_ = 0, readStartMs_ = 0, readMs_ = 0, readPaintMs_ = 0, rulesStartMs_ = 0, rulesMs_ = 0,
           rulesPaintMs_ = 0, loadRulesPaintMs_ = 0, quietMs_ = 0, clickMs_ = 0, clickRulesMs_ = 0,
           clickRulesPaintMs_ = 0, clickRulesEndMs_ = 0, boxShowMs_ = 0, boxExposeMs_ = 0, boxMs_ = 0;
};

int RunChild(int argc, char** argv) {
    const bool withFile = argc > 1;
    Watch watch(withFile, qgetenv(kChildEnv) == "click");
    TraceMark("start");
    return RunProgram(argc, argv, [&watch](QApplication& app) { app.installEventFilter(&watch); });
}

// --- the bench (parent) ---

// Captions of one or two lines, with style tags now and then, three seconds apart: a file the
// rules find nothing to correct in, so that a run ends with the "all comply" box.
bool WriteSubRip(const QString& path, int n) {
    const QByteArray out = DemoSubRip(DemoCaptions(n, QStringLiteral("\n"), true));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

std::map<QString, double> ParseFigures(const QByteArray& line) {
    std::map<QString, double> figures;
    for (const QByteArray& pair : line.trimmed().split(' ')) {
        const int eq = int(pair.indexOf('='));
        if (eq > 0) figures[QString::fromLatin1(pair.left(eq))] = pair.mid(eq + 1).toDouble();
    }
    return figures;
}

struct Bench {
    QProcessEnvironment env;
    QString self;

    std::map<QString, double> Run(const QStringList& args, bool click) const {
        QProcess child;
        QProcessEnvironment e = env;
        e.insert(QLatin1String(kChildEnv), click ? QStringLiteral("click") : QStringLiteral("open"));
        child.setProcessEnvironment(e);
        child.setProgram(self);
        child.setArguments(args);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        if (!child.waitForFinished(60000)) {
            child.kill();
            child.waitForFinished();
            return {};
        }
        return ParseFigures(child.readAllStandardOutput());
    }
};

QByteArray LoadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readLine() : QByteArray("?\n");
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void PrintMedians(const std::vector<std::map<QString, double>>& runs, const QStringList& keys) {
    for (const QString& key : keys) {
        std::vector<double> v;
        for (const auto& r : runs)
            if (r.count(key)) v.push_back(r.at(key));
        if (v.empty()) continue;
        std::printf("  %-22s median %8.1f   runs:", qPrintable(key), Median(v));
        for (double x : v)
            std::printf(" %.1f", x);
        std::printf("\n");
    }
}

// The writes to the display's socket in each phase of one traced run.
void CountWrites(const Bench& bench, const QStringList& args, bool click, const QString& traceFile) {
    QProcess strace;
    QProcessEnvironment e = bench.env;
    e.insert(QLatin1String(kChildEnv), click ? QStringLiteral("click") : QStringLiteral("open"));
    e.insert(QLatin1String(kTraceEnv), QStringLiteral("1"));
    strace.setProcessEnvironment(e);
    strace.setProgram(QStringLiteral("strace"));
    strace.setArguments(QStringList{QStringLiteral("-f"), QStringLiteral("-yy"), QStringLiteral("-e"),
                                    QStringLiteral("trace=connect,write,writev,sendmsg"),
                                    QStringLiteral("-e"), QStringLiteral("signal=none"), QStringLiteral("-o"),
                                    traceFile, bench.self} +
                        args);
    strace.start();
    if (!strace.waitForFinished(120000)) {
        strace.kill();
        strace.waitForFinished();
        std::printf("  strace run did not finish\n");
        return;
    }
    QFile f(traceFile);
    if (!f.open(QIODevice::ReadOnly)) {
        std::printf("  no trace (is strace installed?)\n");
        return;
    }
    // The display's socket: the one connected to an X11 socket path.
    static const QRegularExpression connectLine(QStringLiteral(
        R"(connect\(\d+<UNIX-STREAM:\[(\d+)\]>, \{sa_family=AF_UNIX, sun_path=@?"/tmp/\.X11-unix/)"));
    static const QRegularExpression writeLine(
        QStringLiteral(R"((?:write|writev|sendmsg)\(\d+<UNIX-STREAM:\[(\d+))"));
    static const QRegularExpression markLine(QStringLiteral(R"(busy_bench:phase (\w+))"));
    QString socket;
    QString phase = QStringLiteral("exec");
    std::vector<std::pair<QString, int>> counts{{phase, 0}};
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine());
        if (socket.isEmpty()) {
            const auto m = connectLine.match(line);
            if (m.hasMatch()) socket = m.captured(1);
        }
        const auto mark = markLine.match(line);
        if (mark.hasMatch() && line.contains(QLatin1String("write(2"))) {
            counts.emplace_back(mark.captured(1), 0);
            continue;
        }
        const auto w = writeLine.match(line);
        if (!socket.isEmpty() && w.hasMatch() && w.captured(1) == socket) ++counts.back().second;
    }
    int total = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        const QString to = i + 1 < counts.size() ? counts[i + 1].first : QStringLiteral("exit");
        std::printf("  %-28s %6d writes to the display\n",
                    qPrintable(counts[i].first + QStringLiteral(" to ") + to), counts[i].second);
        total += counts[i].second;
    }
    std::printf("  total %d\n", total);
}

int RunBench(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "busy_bench needs a display (DISPLAY), e.g. under Xvfb\n");
        return 2;
    }
    const QStringList args = QCoreApplication::arguments().mid(1);
    const bool empty = !args.isEmpty() && args[0] == QLatin1String("empty");
    const bool xwrites = !args.isEmpty() && args[0] == QLatin1String("xwrites");
    const QStringList numbers = (empty || xwrites) ? args.mid(1) : args;
    const int captions = !empty && !numbers.isEmpty() ? std::clamp(numbers[0].toInt(), 1, 32000) : 32000;
    const int runs = std::max(1, numbers.size() > (empty ? 0 : 1) ? numbers[empty ? 0 : 1].toInt() : 11);

    QTemporaryDir home;
    Bench bench;
    bench.self = QCoreApplication::applicationFilePath();
    bench.env = QProcessEnvironment::systemEnvironment();
    bench.env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    bench.env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    bench.env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
    const QString file = home.path() + QStringLiteral("/captions.srt");
    if (!WriteSubRip(file, captions)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return 1;
    }
    // A first start makes the settings file, as on a user's machine after the first run.
    bench.Run({}, false);

    if (xwrites) {
        std::printf("start with %d captions, then Tools > Apply current rules:\n", captions);
        CountWrites(bench, {file}, true, home.path() + QStringLiteral("/file.trace"));
        std::printf("start without a file:\n");
        CountWrites(bench, {}, false, home.path() + QStringLiteral("/empty.trace"));
        return 0;
    }
    std::printf("load average before: %s", LoadAverage().constData());
    std::vector<std::map<QString, double>> results;
    for (int i = 0; i < runs; ++i) {
        auto r = bench.Run(empty ? QStringList{} : QStringList{file}, !empty);
        if (r.empty()) {
            std::printf("run %d failed\n", i + 1);
            continue;
        }
        if (r.count(QStringLiteral("work")) && r.at(QStringLiteral("work")) > 0)
            r[QStringLiteral("busy/work")] = r[QStringLiteral("busy")] / r[QStringLiteral("work")];
        if (r.count(QStringLiteral("click_rules")) && r.at(QStringLiteral("click_rules")) > 0)
            r[QStringLiteral("click/rules")] = r[QStringLiteral("click")] / r[QStringLiteral("click_rules")];
        if (r.count(QStringLiteral("click_rules")) && r.at(QStringLiteral("click_rules")) > 0)
            r[QStringLiteral("click/rules_work")] =
                r[QStringLiteral("click")] /
                (r[QStringLiteral("click_rules")] - r[QStringLiteral("click_rules_paint_ms")]);
        results.push_back(r);
    }
    std::printf("load average after:  %s", LoadAverage().constData());
    if (empty) {
        std::printf("start without a file, %d runs:\n", runs);
        PrintMedians(results, {QStringLiteral("show_to_quiet"), QStringLiteral("open_paints"),
                               QStringLiteral("open_paint_ms")});
        return 0;
    }
    std::printf("start with %d captions, %d runs:\n", captions, runs);
    PrintMedians(results, {QStringLiteral("read"), QStringLiteral("rules"), QStringLiteral("rules_paint_ms"),
                           QStringLiteral("read_paint_ms"), QStringLiteral("work"), QStringLiteral("busy"),
                           QStringLiteral("busy/work"), QStringLiteral("open_paints"),
                           QStringLiteral("open_label_paints"), QStringLiteral("open_paint_ms"),
                           QStringLiteral("show_to_quiet")});
    std::printf("Tools > Apply current rules, click to result box:\n");
    PrintMedians(results, {QStringLiteral("click"), QStringLiteral("click_rules"),
                           QStringLiteral("click_rules_paint_ms"), QStringLiteral("click/rules"),
                           QStringLiteral("click/rules_work"), QStringLiteral("click_paints"),
                           QStringLiteral("click_label_paints"), QStringLiteral("click_paint_ms"),
                           QStringLiteral("rules_end_to_box_show"), QStringLiteral("box_show_to_expose"),
                           QStringLiteral("box_expose_paint")});
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty(kChildEnv)) return RunChild(argc, argv);
    return RunBench(argc, argv);
}
