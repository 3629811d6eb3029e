// The audio bar's load of a long WAV file: how long until the first screenful can be drawn,
// how long until every peak is read, and how much memory the peaks take.
//
//   wave_bench [FILE.wav] [runs] [chunk KB]
//
// Without a file it writes a 2-hour 48 kHz 16-bit stereo WAV to /tmp (once; it is kept for
// the next run). The file is read once before timing so that it is in the page cache, as a
// file just extracted or opened a second time is. The last line is
//   load_ms=<total> first_screen_ms=<first screenful> peak_bytes=<bytes held for the peaks>
// (the median run).
#include "waveform/waveloader.h"
#include "waveform/wavepeaks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int64_t kSeconds = 2 * 3600;
constexpr int kScreenColumns = 1600;

void Put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
void Put16(QByteArray& b, uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

bool MakeWav(const QString& path) {
    const int64_t dataBytes = kSeconds * kRate * kChannels * 2;
    if (QFileInfo(path).size() == dataBytes + 44) return true;
    std::printf("writing %s (%lld bytes)...\n", qPrintable(path), static_cast<long long>(dataBytes + 44));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QByteArray h("RIFF");
    Put32(h, uint32_t(dataBytes + 36));
    h.append("WAVEfmt ");
    Put32(h, 16);
    Put16(h, 1);
    Put16(h, kChannels);
    Put32(h, kRate);
    Put32(h, kRate * kChannels * 2);
    Put16(h, kChannels * 2);
    Put16(h, 16);
    h.append("data");
    Put32(h, uint32_t(dataBytes));
    f.write(h);
    // Speech-like: a tone whose loudness swells and fades every few seconds, louder on the
    // right channel.
    std::vector<int16_t> buf(size_t(kRate) * kChannels);
    for (int64_t s = 0; s < kSeconds; ++s) {
        for (int i = 0; i < kRate; ++i) {
            const double t = double(s) + double(i) / kRate;
            const double env = 0.5 + 0.5 * std::sin(t * 0.9);
            const double v = std::sin(t * 2 * M_PI * 220) * env;
            buf[size_t(2 * i)] = int16_t(v * 6000);
            buf[size_t(2 * i + 1)] = int16_t(v * 20000);
        }
        if (f.write(reinterpret_cast<const char*>(buf.data()), qint64(buf.size() * 2)) != qint64(buf.size() * 2))
            return false;
    }
    return f.flush();
}

// Reads the whole file once: it is in the page cache afterwards. Returns the milliseconds a
// plain read of it takes.
double ReadThrough(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return -1;
    std::vector<char> buf(size_t(WaveLoader::ChunkBytes));
    QElapsedTimer t;
    t.start();
    while (f.read(buf.data(), qint64(buf.size())) > 0) {
    }
    return double(t.nsecsElapsed()) / 1e6;
}

struct Run {
    double loadMs = -1, firstMs = -1;
    size_t peakBytes = 0;
};

Run LoadOnce(const QString& path) {
    Run run;
    WaveLoader loader;
    std::vector<int16_t> peaks;
    QEventLoop loop;
    QElapsedTimer t;
    QObject::connect(&loader, &WaveLoader::PeaksReady, [&](qint64 first, const std::vector<int16_t>& p) {
        if (run.firstMs < 0 && first == 0) run.firstMs = double(t.nsecsElapsed()) / 1e6;
        std::copy(p.begin(), p.end(), peaks.begin() + ptrdiff_t(2 * first));
    });
    QObject::connect(&loader, &WaveLoader::Finished, [&] {
        run.loadMs = double(t.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QObject::connect(&loader, &WaveLoader::Failed, &loop, &QEventLoop::quit);
    t.start();
    if (!loader.Start(path, kScreenColumns)) return run;
    // The peak array the window holds, sized from the header as the window sizes it.
    peaks.assign(size_t(2 * loader.BlockCount()), 0);
    loop.exec();
    run.peakBytes = peaks.capacity() * sizeof(int16_t);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/wave_bench_2h.wav");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (argc > 3) WaveLoader::ChunkBytes = std::max(1, std::atoi(argv[3])) * int64_t(1024);
    if (argc <= 1 && !MakeWav(path)) {
        std::printf("cannot write %s\n", qPrintable(path));
        return 1;
    }
    ReadThrough(path);
    std::printf("file %s, %lld bytes; plain read of it: %.1f ms\n", qPrintable(path),
                static_cast<long long>(QFileInfo(path).size()), ReadThrough(path));

    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) {
        const Run r = LoadOnce(path);
        if (r.loadMs < 0) {
            std::printf("the file could not be read as a WAV file\n");
            return 1;
        }
        std::printf("run %d: load %.1f ms, first screen %.1f ms, peaks %zu bytes\n", i + 1, r.loadMs, r.firstMs,
                    r.peakBytes);
        all.push_back(r);
    }
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.loadMs < b.loadMs; });
    const Run& m = all[all.size() / 2];
    std::printf("load_ms=%.1f first_screen_ms=%.1f peak_bytes=%zu\n", m.loadMs, m.firstMs, m.peakBytes);
    return 0;
}
