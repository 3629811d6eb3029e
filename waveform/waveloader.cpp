#include "waveform/waveloader.h"

#include "waveform/wavepeaks.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <chrono>

// A chunk stays in the processor's cache between the read and the scan.
int64_t WaveLoader::ChunkBytes = 256 * 1024;

namespace {

// Reads until len bytes are in or the file ends; -1 on a read error.
int64_t ReadFull(QFile& file, unsigned char* buf, int64_t len) {
    int64_t got = 0;
    while (got < len) {
        const qint64 n = file.read(reinterpret_cast<char*>(buf) + got, len - got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += n;
    }
    return got;
}

} // namespace

WaveLoader::WaveLoader(QObject* parent) : QObject(parent) {}

WaveLoader::~WaveLoader() {
    Cancel();
}

template <typename F>
void WaveLoader::Post(uint64_t generation, F&& f) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, f = std::forward<F>(f)]() mutable {
            if (generation == mGeneration && mRunning) f();
        },
        Qt::QueuedConnection);
}

bool WaveLoader::Start(const QString& path, int64_t firstScreenBlocks, QString* why) {
    Cancel();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why) *why = file.errorString();
        return false;
    }
    const std::optional<WavFormat> format = ParseWavFile(file, why);
    if (!format) return false;
    mFormat = *format;
    mBlocks = WaveBlockCount(mFormat.FrameCount(), mFormat.sampleRate);
    mRunning = true;
    mPosted = 0;
    mCancel = std::make_shared<std::atomic<bool>>(false);
    mThread = std::thread(&WaveLoader::Run, this, mGeneration, path, mFormat, mBlocks,
                          std::max<int64_t>(1, firstScreenBlocks), mCancel);
    return true;
}

void WaveLoader::Cancel() {
    if (mCancel) mCancel->store(true);
    if (mThread.joinable()) mThread.join();
    mCancel.reset();
    mRunning = false;
    // Whatever the stopped worker posted is dropped on arrival.
    ++mGeneration;
}

void WaveLoader::Run(uint64_t generation, QString path, WavFormat format, int64_t blocks, int64_t firstScreen,
                     std::shared_ptr<std::atomic<bool>> cancel) {
    using Clock = std::chrono::steady_clock;
    const auto fail = [&] {
        Post(generation, [this] {
            mRunning = false;
            if (mThread.joinable()) mThread.join();
            Q_EMIT Failed();
        });
    };

    QFile file(path);
    // Unbuffered: the chunks go straight from the system into our buffer.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !file.seek(format.dataOffset)) {
        fail();
        return;
    }
    const int frameBytes = format.blockAlign;
    const int64_t wanted =
        std::min(format.dataSize, BlockStartFrame(blocks, format.sampleRate) * int64_t(frameBytes));
    const int64_t chunkFrames = std::max<int64_t>(1, ChunkBytes / frameBytes);
    std::vector<unsigned char> buf(size_t(chunkFrames * frameBytes));

    PeakScanner scanner(format, 0, blocks);
    std::vector<int16_t> batch;
    int64_t batchFirst = 0;
    bool firstSent = false;
    auto lastPost = Clock::now();
    const auto post = [&](int64_t done) {
        Post(generation, [this, batchFirst, peaks = std::move(batch), done, total = format.dataSize] {
            if (!peaks.empty()) Q_EMIT PeaksReady(batchFirst, peaks);
            Q_EMIT Progress(done, total);
        });
        ++mPosted;
        batch = {};
        batchFirst = scanner.NextBlock();
        lastPost = Clock::now();
    };

    int64_t done = 0;
    while (done < wanted && !cancel->load(std::memory_order_relaxed)) {
        const int64_t len = std::min<int64_t>(int64_t(buf.size()), wanted - done);
        const int64_t n = ReadFull(file, buf.data(), len);
        if (n < 0) {
            fail();
            return;
        }
        const int64_t frames = n / frameBytes;
        scanner.Feed(buf.data(), frames, batch);
        done += n;
        // The file was cut short since the header was read: what is there is shown.
        if (n < len) break;
        if ((!firstSent && scanner.NextBlock() >= firstScreen) || Clock::now() - lastPost > std::chrono::milliseconds(100)) {
            firstSent = true;
            post(done);
        }
    }
    if (cancel->load()) return;
    scanner.Finish(batch);
    post(done);
    Post(generation, [this] {
        mRunning = false;
        if (mThread.joinable()) mThread.join();
        Q_EMIT Finished();
    });
}
