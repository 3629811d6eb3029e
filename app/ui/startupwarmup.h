#pragma once
#include <QFont>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Work that would otherwise lie on the way to the first paint, done on a worker while the main
// thread connects to the display and builds the windows. Everything it fills is a shared,
// thread-safe cache: the font configuration first (it needs no application object; read on a
// thread that yields to all others), then, once the application exists, the font list and the
// window font with its bold face (their fall-back families are shared by all threads), then
// the image format plugins, then the fonts the main window hands over with WarmUpFont() until
// Finish(). On a busy machine the yielding reader may not run at all before the window is up:
// nothing waits for it, the worker reads the configuration itself once the application exists.
//
// Made before the application object; AppReady() once it exists. Destroyed without it (the
// application could not start), the worker ends once the configuration's reader has.
class StartupWarmUp {
public:
    // For tests: readConfiguration stands in for the low-priority reading of the font
    // configuration, fontsReady is told on the worker once the window font is loaded.
    explicit StartupWarmUp(std::function<void()> readConfiguration = {},
                           std::function<void()> fontsReady = {});
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    // The application object exists: the worker may go on.
    void AppReady();
    // Nothing more is wanted of the worker: it ends after what it is doing.
    void Finish();

private:
    void Run(int creator);
    // Waits until ready() holds (true) or the worker is not wanted any more (false).
    template <class Ready>
    bool WaitFor(Ready ready);

    std::mutex mutex_;
    std::condition_variable wake_;
    bool appReady_ = false;
    bool finished_ = false;
    std::vector<QFont> fonts_;
    std::function<void()> readConfiguration_;
    std::function<void()> fontsReady_;
    std::thread thread_; // last: it starts once the members it uses exist
};
