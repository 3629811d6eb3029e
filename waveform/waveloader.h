#pragma once
// Reads the peaks of a WAV file on a worker thread, so that the window never waits for a
// long file.
//
// Start reads the header at once (a refused header is reported there and then); the worker
// then reads the samples in order, in large chunks into a buffer of its own, and hands the
// peaks over in batches through the event loop: the first batch as soon as the first
// screenful of blocks is ready, then about ten a second, then the rest. A new Start, Cancel or
// the loader's end stops the worker and waits for it; batches still on their way from a load
// that was stopped are dropped. The file is read, never mapped: a file cut short while it is
// read only ends the load early.
#include "waveform/wavfile.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class WaveLoader : public QObject {
    Q_OBJECT
public:
    explicit WaveLoader(QObject* parent = nullptr);
    ~WaveLoader() override;

    // Starts reading path (a load in progress is stopped first). False, with nothing started,
    // when the file cannot be opened or holds no WAV this program reads.
    bool Start(const QString& path, int64_t firstScreenBlocks, QString* why = nullptr);
    // Stops a load in progress and waits for its worker. Nothing more is emitted for it.
    void Cancel();
    bool Running() const { return mRunning; }

    // The file being read or last read.
    const WavFormat& Format() const { return mFormat; }
    int64_t BlockCount() const { return mBlocks; }

    // Batches the load under way has handed to the event loop so far, delivered or not.
    int BatchesPosted() const { return mPosted.load(); }

    // Bytes the worker reads at a time (tests make it small).
    static int64_t ChunkBytes;

Q_SIGNALS:
    // Peaks of blocks firstBlock .. firstBlock + peaks.size() / 2 - 1, two values a block.
    void PeaksReady(qint64 firstBlock, const std::vector<int16_t>& peaks);
    void Progress(qint64 bytesRead, qint64 dataSize);
    // Every block was read, or the file ended before its header said.
    void Finished();
    // The file could not be read any further.
    void Failed();

private:
    void Run(uint64_t generation, QString path, WavFormat format, int64_t blocks, int64_t firstScreen,
             std::shared_ptr<std::atomic<bool>> cancel);
    // Hands f to the window's thread, where it runs unless the load was stopped meanwhile.
    template <typename F>
    void Post(uint64_t generation, F&& f);

    WavFormat mFormat;
    int64_t mBlocks = 0;
    uint64_t mGeneration = 0; // touched on the window's thread only
    bool mRunning = false;
    std::thread mThread;
    std::shared_ptr<std::atomic<bool>> mCancel;
    std::atomic<int> mPosted{0};
};
