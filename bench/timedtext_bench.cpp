// timedtext_bench: what reading timed text (TTML) costs, against SubRip.
//
//   timedtext_bench [N] [RUNS]   N captions (32,000 when not given) as SubRip and as TTML, the same
//                                texts and times, each read RUNS times (9 when not given) by the
//                                reader's core; prints the best and the median time per caption
//                                and the ratio. Then writes a TTML file of a million paragraphs
//                                on one line and opens it in a process of its own, as the open
//                                command does, printing the time and that process's peak memory;
//                                then the same file in UTF-8, not ASCII. Then a plain-text file
//                                of one line of 100 MB, as ASCII, as UTF-8 (two bytes a
//                                character) and as ANSI (a byte above ASCII a character), each
//                                opened the same way, printing the peak as a multiple of the
//                                file's size.
//   timedtext_bench open FILE    that process: opens FILE and prints its figures.
//
// SubRip is read on one thread here (a large SubRip file is otherwise read in parts at once), so
// that both figures are the work of one processor per caption.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "formats/detect.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/tools/catalogue.h"
#include "language/lang.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A value of this process's /proc status in kB (VmRSS, VmHWM), or -1.
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    return -1;
}

// Sets the peak back to what the process holds now, so that the next peak is that of the work
// that follows.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A TTML clock time: hh:mm:ss.mmm.
QString TtmlClock(int ms) {
    return MsToTime(ms).replace(u',', u'.');
}

// One paragraph a line, as most converters write it.
QByteArray Ttml(const std::vector<tSubtitleLine>& captions) {
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                 "<tt xmlns=\"http://www.w3.org/ns/ttml\" xml:lang=\"en\">\n"
                                 "  <head><styling><style xml:id=\"s1\"/></styling></head>\n"
                                 "  <body>\n    <div>\n");
    int k = 0;
    for (const tSubtitleLine& c : captions) {
        QString text = c.text;
        text.replace(u'\n', QStringLiteral("<br/>"));
        out += QStringLiteral("      <p xml:id=\"c%1\" begin=\"%2\" end=\"%3\" style=\"s1\">%4</p>\n")
                   .arg(++k)
                   .arg(TtmlClock(c.start), TtmlClock(c.end), text);
    }
    out += QStringLiteral("    </div>\n  </body>\n</tt>\n");
    return out.toLatin1();
}

// One way of reading: a format and the bytes of its file (ASCII, as the open command passes
// them).
struct Reading {
    const char* id;
    QByteArray bytes;
    tReadSetup setup;
    std::vector<double> us; // per caption, one entry a run
};

bool Prepare(Reading& r) {
    if (!LoadFormatDefinition(QString::fromLatin1(r.id), false, false)) return false;
    r.setup.def = gFormatDef;
    r.setup.timedSample = true;
    r.setup.parts = 1;
    return true;
}

bool ReadOnce(Reading& r, int expected) {
    QElapsedTimer clock;
    clock.start();
    const tReadOutcome outcome = ParseSubtitleText(tFileText::AsciiBytes(r.bytes), r.setup);
    const double elapsed = double(clock.nsecsElapsed()) / 1e3;
    if (int(outcome.captions.size()) != expected) {
        std::fprintf(stderr, "%s: %zu captions read, %d expected\n", r.id, outcome.captions.size(), expected);
        return false;
    }
    r.us.push_back(elapsed / expected);
    return true;
}

int PerCaption(int n, int runs) {
    if (!LoadForReading()) return 1;
    const std::vector<tSubtitleLine> captions = DemoCaptions(n, QStringLiteral("\n"), false);
    Reading srt{"SUBRIP", DemoSubRip(captions), {}, {}}, ttml{"TTML", Ttml(captions), {}, {}};
    std::printf("%d captions: SubRip %lld bytes, TTML %lld bytes, %d runs each, one after the other\n", n,
                qlonglong(srt.bytes.size()), qlonglong(ttml.bytes.size()), runs);
    if (!Prepare(srt) || !Prepare(ttml)) return 1;
    // Taken in turns, so that a busy moment of the machine falls on both alike.
    for (int r = 0; r < runs; ++r)
        if (!ReadOnce(srt, n) || !ReadOnce(ttml, n)) return 1;
    std::sort(srt.us.begin(), srt.us.end());
    std::sort(ttml.us.begin(), ttml.us.end());
    const double ma = srt.us[srt.us.size() / 2], mb = ttml.us[ttml.us.size() / 2];
    std::printf("  SubRip  best %.3f us, median %.3f us per caption\n", srt.us.front(), ma);
    std::printf("  TTML    best %.3f us, median %.3f us per caption\n", ttml.us.front(), mb);
    std::printf("  TTML / SubRip: %.2f (best), %.2f (median)\n", ttml.us.front() / srt.us.front(), mb / ma);
    return 0;
}

// The one-line file: a million paragraphs, each a different caption, no line break at all; with
// word "Line" in UTF-8 with an accent, so that the file is not ASCII.
bool WriteOneLineFile(const QString& path, int paragraphs, bool utf8) {
    const QByteArray word = utf8 ? QByteArray("L\xC3\xADnea ") : QByteArray("Line ");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><tt xmlns=\"http://www.w3.org/ns/ttml\" "
               "xml:lang=\"en\"><body><div>");
    QByteArray chunk;
    for (int i = 0; i < paragraphs; ++i) {
        const int start = (1000 + i * 300) % 359990000;
        chunk += "<p begin=\"" + TtmlClock(start).toLatin1() + "\" end=\"" +
                 TtmlClock(start + 250).toLatin1() + "\">" + word + QByteArray::number(i + 1) + "</p>";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    chunk += "</div></body></tt>\n";
    file.write(chunk);
    return file.flush();
}

// Opens the file in a process of its own (its peak memory is the open's alone), which prints the
// figures; 1 when it fails.
int OpenInChild(const QString& path) {
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("open"), path});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) return 1;
    return 0;
}

int OneLine(bool utf8) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("oneline.ttml"));
    if (!dir.isValid() || !WriteOneLineFile(path, 1000000, utf8)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("one line of a million paragraphs%s, %lld bytes, opened in a process of its own:\n",
                utf8 ? " in UTF-8" : "", qlonglong(QFileInfo(path).size()));
    return OpenInChild(path);
}

// A plain-text file of one line of `bytes` bytes, the one unit repeated.
int OneLinePlainText(const char* what, const QByteArray& unit, qsizetype bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("oneline.txt"));
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray chunk = unit.repeated(int((1 << 20) / unit.size()));
    for (qsizetype left = bytes / unit.size() * unit.size(); left > 0; left -= chunk.size())
        file.write(chunk.first(std::min<qsizetype>(left, chunk.size())));
    file.close();
    std::printf("one plain-text line of %lld bytes, %s, opened in a process of its own:\n",
                qlonglong(QFileInfo(path).size()), what);
    return OpenInChild(path);
}

// A caption's text as the figures show it: its beginning, and its length when it is long.
QString Shown(const QString& text) {
    constexpr qsizetype kShown = 40;
    if (text.size() <= kShown) return text;
    return text.left(kShown) + QStringLiteral("... (%1 characters)").arg(text.size());
}

// Opens the file as the open command does (recognised, then read into the caption list).
int Open(const QString& path) {
    if (!LoadForReading()) return 1;
    NoDialogs dialogs;
    SetDialogs(&dialogs);
    const long baseKb = StatusKb("VmRSS");
    ResetPeak();
    QElapsedTimer clock;
    clock.start();
    gAbortLoad = false;
    ImportSubtitleFile(path, false, false);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const long peakKb = StatusKb("VmHWM");
    const double fileMb = double(QFileInfo(path).size()) / (1 << 20);
    std::printf("  open: %d captions (%s), %.0f ms, peak memory %.1f MB (%.1f MB before the open), "
                "%.2f times the file\n",
                CaptionCount(), qPrintable(CurrentFormatId()), ms, peakKb / 1024.0, baseKb / 1024.0,
                peakKb / 1024.0 / fileMb);
    if (CaptionCount() > 0)
        std::printf("  first %d-%d \"%s\", last %d-%d \"%s\"\n", GetLineStart(1), GetLineEnd(1),
                    qPrintable(Shown(GetLineText(1))), GetLineStart(CaptionCount()), GetLineEnd(CaptionCount()),
                    qPrintable(Shown(GetLineText(CaptionCount()))));
    SetDialogs(nullptr);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("open")) return Open(args[2]);
    const int n = args.size() > 1 ? std::clamp(args[1].toInt(), 1, kMaxCaptions) : 32000;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 9;
    if (const int rc = PerCaption(n, runs)) return rc;
    if (const int rc = OneLine(false)) return rc;
    if (const int rc = OneLine(true)) return rc;
    constexpr qsizetype kPlainBytes = 100000000;
    if (const int rc = OneLinePlainText("ASCII", "a", kPlainBytes)) return rc;
    if (const int rc = OneLinePlainText("UTF-8", "\xC3\xA9", kPlainBytes)) return rc;
    return OneLinePlainText("ANSI", "\xE9", kPlainBytes);
}
