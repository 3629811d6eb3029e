// subtitle_io: a small command-line tool over the core library for measuring and trying the
// subtitle file code by hand.
//
//   subtitle_io write-demo N FORMATID OUT   writes N generated captions in a format, printing
//                                           how long formatting, encoding and writing took
//   subtitle_io read FILE [FPS]             recognises and reads a file, printing its format,
//                                           the number of captions and how long that took
//   subtitle_io dump FILE [FPS]             reads a file and prints one line per caption:
//                                           start ms, TAB, end ms, TAB, text (line breaks as "|")
//   subtitle_io convert IN OUT FORMATID [FPS]  reads IN and writes it to OUT in another format
//
// FPS answers the frame-rate question of frame-based formats (25 when not given).
// The format files are looked for beside the program and in the folders above it.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/tools/catalogue.h"
#include "formats/writer.h"
#include "language/lang.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: subtitle_io write-demo N FORMATID OUT\n"
                         "       subtitle_io read FILE [FPS]\n"
                         "       subtitle_io dump FILE [FPS]\n"
                         "       subtitle_io convert IN OUT FORMATID [FPS]\n");
    return 2;
}

// Answers the reader's frame-rate question; every other dialog is cancelled.
class FpsAnswer final : public NoDialogs {
public:
    explicit FpsAnswer(QString fps) : fps_(std::move(fps)) {}
    QString InputBox(QWidget*, const QString&, const QString&, const QString&, bool* ok) override {
        if (ok) *ok = true;
        return fps_;
    }

private:
    QString fps_;
};

int WriteDemo(int n, const QString& id, const QString& out) {
    if (n < 1 || n > kMaxCaptions) {
        std::fprintf(stderr, "N must be 1..%d\n", kMaxCaptions);
        return 2;
    }
    if (!LoadFormatCatalogue()) return 1;
    gFormatIndex = int(gFormatIds.indexOf(id.toUpper()));
    if (gFormatIndex < 0) {
        std::fprintf(stderr, "unknown format id %s\n", qPrintable(id));
        return 1;
    }
    if (gFormatDef.Timecode.contains(QLatin1String("ff")) ||
        ReadFormatIni(id, QStringLiteral("timecode")).contains(QLatin1String("ff")))
        gFPS = 25.0f;
    if (gLineBreak.isEmpty()) gLineBreak = QStringLiteral("|");
    // Captions of one or two lines, with style tags now and then.
    const std::vector<tSubtitleLine> rows = DemoCaptions(n, gLineBreak, true);

    // The formatting core alone, from captions in memory to the encoded bytes.
    QElapsedTimer clock;
    clock.start();
    if (gFormatIndex != 0) LoadFormatDefinition(gFormatIds[gFormatIndex], false, false);
    const tWriteJob job{gFormatIds[gFormatIndex], gFormatDef, rows, n, gFPS, gLineBreak};
    const QByteArray bytes = BuildSubtitleFile(job);
    const double coreMs = double(clock.nsecsElapsed()) / 1e6;

    // The whole save: captions read from the caption grid, formatted, encoded and written
    // to the file in one atomic replacement.
    FillLines(0, rows);
    gSubFile = QFileInfo(out).absoluteFilePath();
    clock.restart();
    const bool saved = SaveSubtitleFile(n);
    const double saveMs = double(clock.nsecsElapsed()) / 1e6;
    if (!saved) {
        std::fprintf(stderr, "saving %s failed\n", qPrintable(out));
        return 1;
    }
    std::printf("format %s, %d captions, %lld bytes\n", qPrintable(gFormatIds[gFormatIndex]), n,
                qlonglong(bytes.size()));
    std::printf("format+encode in memory: %.2f ms\n", coreMs);
    std::printf("SaveSubtitleFile (grid -> file): %.2f ms\n", saveMs);
    return 0;
}

// Loads the catalogue and reads a file as the open command does. False when nothing was read.
bool ReadInto(const QString& file, double& ms) {
    if (!LoadForReading()) return false;
    QElapsedTimer clock;
    clock.start();
    gSubFile = file;
    gAbortLoad = false;
    ImportSubtitleFile(file, false, false);
    ms = double(clock.nsecsElapsed()) / 1e6;
    return !(CaptionCount() == 1 && GetLineText(1).trimmed().isEmpty());
}

int Read(const QString& file) {
    double ms = 0;
    if (!ReadInto(file, ms)) return 1;
    std::printf("format %s, %d captions, read in %.2f ms\n", qPrintable(CurrentFormatId()), CaptionCount(),
                ms);
    return 0;
}

int Dump(const QString& file) {
    double ms = 0;
    if (!ReadInto(file, ms)) return 1;
    QByteArray out;
    for (int r = 1; r <= CaptionCount(); ++r) {
        out += QByteArray::number(GetLineStart(r)) + '\t' + QByteArray::number(GetLineEnd(r)) + '\t' +
               GetLineText(r).toUtf8() + '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

int Convert(const QString& in, const QString& out, const QString& id, const QString& fps) {
    double ms = 0;
    if (!ReadInto(in, ms)) return 1;
    const QString from = CurrentFormatId();
    const int index = int(gFormatIds.indexOf(id.toUpper()));
    if (index < 0) {
        std::fprintf(stderr, "unknown format id %s\n", qPrintable(id));
        return 1;
    }
    gFormatIndex = index;
    gFPS = ReadFormatIni(gFormatIds[index], QStringLiteral("timecode")).contains(QLatin1String("ff"))
               ? fps.toFloat()
               : 0.0f;
    gSubFile = QFileInfo(out).absoluteFilePath();
    if (!SaveSubtitleFile(CaptionCount())) return 1;
    std::printf("%s (%s, %d captions) -> %s (%s)\n", qPrintable(in), qPrintable(from), CaptionCount(),
                qPrintable(out), qPrintable(gFormatIds[index]));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) return Usage();
    if (args[1] == QLatin1String("write-demo") && args.size() == 5) {
        bool ok = false;
        const int n = args[2].toInt(&ok);
        if (!ok) return Usage();
        return WriteDemo(n, args[3], args[4]);
    }
    const QString& command = args[1];
    const bool readLike = command == QLatin1String("read") || command == QLatin1String("dump");
    if ((readLike && (args.size() == 3 || args.size() == 4)) ||
        (command == QLatin1String("convert") && (args.size() == 5 || args.size() == 6))) {
        const QString fps = args.size() == (readLike ? 4 : 6) ? args.last() : QStringLiteral("25");
        FpsAnswer dialogs(fps);
        SetDialogs(&dialogs);
        int rc;
        if (command == QLatin1String("read"))
            rc = Read(args[2]);
        else if (command == QLatin1String("dump"))
            rc = Dump(args[2]);
        else
            rc = Convert(args[2], args[3], args[4], fps);
        SetDialogs(nullptr);
        return rc;
    }
    return Usage();
}
