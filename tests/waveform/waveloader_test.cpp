// Reading peaks on the worker: batches in order, the first screenful early, stopping.
#include "support/fixture.h"
#include "waveform/wav_builder.h"
#include "waveform/waveloader.h"
#include "waveform/wavepeaks.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace wavtest;

namespace {

class WaveLoaderTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        oldChunk = WaveLoader::ChunkBytes;
    }
    void TearDown() override {
        WaveLoader::ChunkBytes = oldChunk;
        ScrivelleTest::TearDown();
    }
    // A ramp of seconds of 8 kHz stereo; sample i of the right channel is i % 30000.
    QString RampFile(const QString& name, int seconds) {
        std::vector<int16_t> s(size_t(8000 * seconds * 2));
        for (size_t i = 0; i < s.size() / 2; ++i)
            s[2 * i + 1] = int16_t(i % 30000);
        Fmt f;
        f.rate = 8000;
        return WriteFile(name, Wav(f, Samples16(s)));
    }

    struct Seen {
        std::vector<int16_t> peaks;
        std::vector<qint64> firsts;
        std::vector<size_t> sizes;
        bool finished = false, failed = false;
    };
    void Watch(WaveLoader& loader, Seen& seen) {
        QObject::connect(&loader, &WaveLoader::PeaksReady, [&seen](qint64 first, const std::vector<int16_t>& p) {
            seen.firsts.push_back(first);
            seen.sizes.push_back(p.size());
            EXPECT_EQ(size_t(2 * first), seen.peaks.size()); // in order, no gap
            seen.peaks.insert(seen.peaks.end(), p.begin(), p.end());
        });
        QObject::connect(&loader, &WaveLoader::Finished, [&seen] { seen.finished = true; });
        QObject::connect(&loader, &WaveLoader::Failed, [&seen] { seen.failed = true; });
    }
    int64_t oldChunk = 0;
};

TEST_F(WaveLoaderTest, PeaksArriveInOrderWithTheFirstScreenFirst) {
    WaveLoader::ChunkBytes = 4096;
    const QString path = RampFile("ramp.wav", 6);
    WaveLoader loader;
    Seen seen;
    Watch(loader, seen);
    ASSERT_TRUE(loader.Start(path, 150));
    EXPECT_TRUE(loader.Running());
    EXPECT_EQ(loader.BlockCount(), 600);
    ASSERT_TRUE(WaitFor([&] { return seen.finished; }));
    EXPECT_FALSE(loader.Running());
    ASSERT_EQ(seen.peaks.size(), 1200u);
    // The first batch is sent once the first screenful is read, not when the file is.
    ASSERT_FALSE(seen.sizes.empty());
    EXPECT_EQ(seen.firsts[0], 0);
    EXPECT_GE(seen.sizes[0], 300u);
    EXPECT_LT(seen.sizes[0], 1200u);
    // Block k holds frames 80k .. 80k + 79 of the ramp.
    for (int k : {0, 1, 374, 599}) {
        const int64_t last = (80 * k + 79) % 30000, first = (80 * k) % 30000;
        EXPECT_EQ(seen.peaks[size_t(2 * k)], last < first ? 29999 : last) << k;
        EXPECT_EQ(seen.peaks[size_t(2 * k + 1)], 0) << k;
    }
}

TEST_F(WaveLoaderTest, StoppingDropsEverythingStillOnItsWay) {
    WaveLoader::ChunkBytes = 512;
    const QString path = RampFile("long.wav", 60);
    WaveLoader loader;
    Seen seen;
    Watch(loader, seen);
    ASSERT_TRUE(loader.Start(path, 10));
    // The worker has posted batches that the event loop has not delivered yet (no event runs
    // here): after the stop none of them arrives.
    const QDeadlineTimer limit(60000);
    while (loader.BatchesPosted() < 2 && !limit.hasExpired())
        QThread::yieldCurrentThread();
    ASSERT_GE(loader.BatchesPosted(), 2);
    loader.Cancel();
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.peaks.empty());
    EXPECT_FALSE(seen.finished);
    EXPECT_FALSE(loader.Running());

    // A new load after a stop reads the whole file; one started over a running one replaces it.
    WaveLoader::ChunkBytes = 1 << 16;
    Seen again;
    WaveLoader second;
    Watch(second, again);
    ASSERT_TRUE(second.Start(path, 10));
    ASSERT_TRUE(second.Start(RampFile("short.wav", 1), 10));
    ASSERT_TRUE(WaitFor([&] { return again.finished; }));
    EXPECT_EQ(again.peaks.size(), 200u);
}

TEST_F(WaveLoaderTest, RefusedFilesStartNothing) {
    WaveLoader loader;
    QString why;
    EXPECT_FALSE(loader.Start(TempPath("missing.wav"), 10, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(loader.Start(WriteFile("text.wav", "RIFF....WAVEjunk"), 10));
    EXPECT_FALSE(loader.Running());
}

} // namespace
