// The start-up worker ends whenever it is told to, wherever it is, and reads the font list only
// once the font configuration is read, never while the reader is still at it.
#include "app/ui/startupwarmup.h"
#include "base/threadplace.h"

#include <sched.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// A configuration reader held until released, and what the worker told meanwhile.
struct HeldReader {
    std::mutex mutex;
    std::condition_variable changed;
    bool released = false, readerDone = false, fontListRead = false, listBeforeReader = false;

    std::function<void()> Reader() {
        return [this] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return released; });
            readerDone = true;
        };
    }
    std::function<void()> FontListReady() {
        return [this] {
            const std::lock_guard lock(mutex);
            listBeforeReader = listBeforeReader || !readerDone;
            fontListRead = true;
            changed.notify_all();
        };
    }
    void Release() {
        const std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    bool WaitForFontList() {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [this] { return fontListRead; });
    }
};

} // namespace

TEST(StartupWarmUp, EndsInEveryOrderOfItsSteps) {
    // Gone before the application was ready (it could not start), with the reader still busy.
    {
        HeldReader held;
        {
            StartupWarmUp warmUp(held.Reader(), held.FontListReady());
            held.Release();
        }
        EXPECT_TRUE(held.readerDone);
        EXPECT_FALSE(held.fontListRead);
    }
    // Ready, then gone without Finish().
    { StartupWarmUp warmUp([] {}); warmUp.AppReady(); }
    // Finished first: the font list is not read any more.
    {
        HeldReader held;
        {
            StartupWarmUp warmUp(held.Reader(), held.FontListReady());
            warmUp.Finish();
            warmUp.AppReady();
            held.Release();
        }
        EXPECT_TRUE(held.readerDone);
        EXPECT_FALSE(held.fontListRead);
    }
}

TEST(StartupWarmUp, TheFontListIsReadOnceTheConfigurationIs) {
    HeldReader held;
    {
        StartupWarmUp warmUp(held.Reader(), held.FontListReady());
        warmUp.AppReady();
        // However long the reader takes, the list waits for it.
        held.Release();
        EXPECT_TRUE(held.WaitForFontList());
        warmUp.Finish();
    }
    EXPECT_TRUE(held.readerDone);
    EXPECT_FALSE(held.listBeforeReader);
}

// The reader stays off the processor its creator (the main thread) was on, for its whole life.
TEST(StartupWarmUp, TheReaderKeepsOffTheMainThreadsProcessor) {
    if (UsableProcessors() < 2) GTEST_SKIP() << "one processor only";
    std::mutex mutex;
    cpu_set_t readers;
    CPU_ZERO(&readers);
    const int before = CurrentProcessor();
    int after = -1;
    {
        StartupWarmUp warmUp([&] {
            const std::lock_guard lock(mutex);
            sched_getaffinity(0, sizeof readers, &readers);
        });
        after = CurrentProcessor();
        warmUp.Finish();
    }
    if (before != after) GTEST_SKIP() << "this thread moved while the worker was made";
    const std::lock_guard lock(mutex);
    EXPECT_GT(CPU_COUNT(&readers), 0);
    EXPECT_FALSE(CPU_ISSET(before, &readers));
}
