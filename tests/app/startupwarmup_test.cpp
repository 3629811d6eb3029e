// The start-up worker ends whenever it is told to, wherever it is, takes the fonts handed to it
// only while it runs, and never waits for the configuration reader that yields to all others.
#include "app/ui/startupwarmup.h"
#include "platform/ui/FontWarmUp.h"

#include <QFont>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

TEST(StartupWarmUp, EndsInEveryOrderOfItsSteps) {
    const QFont font(QStringLiteral("A family that is not installed"), 13);
    // Gone before the application was ready (it could not start).
    { StartupWarmUp warmUp; }
    // Fonts handed over before and after it is ready, then gone without Finish().
    {
        StartupWarmUp warmUp;
        WarmUpFont(font);
        warmUp.AppReady();
        WarmUpFont(font);
    }
    // Finished first; fonts handed over afterwards go nowhere.
    {
        StartupWarmUp warmUp;
        warmUp.AppReady();
        warmUp.Finish();
        WarmUpFont(font);
    }
    // Without a worker, handing over a font does nothing.
    WarmUpFont(font);
    SUCCEED();
}

// The reader that yields to all others may get no processor for the whole start-up on a busy
// machine: the fonts are warmed all the same, and the worker still ends once it does.
TEST(StartupWarmUp, TheFontsDoNotWaitForTheConfigurationReader) {
    std::mutex mutex;
    std::condition_variable changed;
    bool readerReleased = false, fontsReady = false, readerDone = false;
    {
        StartupWarmUp warmUp(
            [&] {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return readerReleased; });
                readerDone = true;
            },
            [&] {
                const std::lock_guard lock(mutex);
                fontsReady = true;
                changed.notify_all();
            });
        warmUp.AppReady();
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return fontsReady; }));
            EXPECT_FALSE(readerDone);
            readerReleased = true;
            changed.notify_all();
        }
        warmUp.Finish();
    }
    EXPECT_TRUE(readerDone);
}
