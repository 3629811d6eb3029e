#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Work that would otherwise lie on the way to the first paint, done on a worker while the main
// thread connects to the display and builds the windows. Everything it fills is shared by all
// threads: the font configuration first (it needs no application object), then, once the
// application exists, the list of installed fonts, then the image format plugins.
//
// It warms nothing that belongs to one thread: Qt keeps the fonts it has loaded and their glyphs
// per thread, so the main thread loads its own, and a worker loading fonts would only hold the
// font database's lock while the main thread waits for it.
//
// Made before the application object; AppReady() once it exists. Destroyed without it (the
// application could not start), the worker ends once the configuration's reader has.
class StartupWarmUp {
public:
    // For tests: readConfiguration stands in for the reading of the font configuration,
    // fontListReady is told on the worker once the list of installed fonts is read.
    explicit StartupWarmUp(std::function<void()> readConfiguration = {},
                           std::function<void()> fontListReady = {});
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    // The application object exists: the worker may go on.
    void AppReady();
    // Nothing more is wanted of the worker: it ends after what it is doing.
    void Finish();

private:
    void Run(int creator);
    // Waits until the application is ready (true) or the worker is not wanted any more (false).
    bool WaitForApp();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool appReady_ = false;
    bool finished_ = false;
    std::function<void()> readConfiguration_;
    std::function<void()> fontListReady_;
    std::thread thread_; // last: it starts once the members it uses exist
};
