#include "app/ui/startupwarmup.h"

#include "base/threadheap.h"
#include "base/threadplace.h"

#include <QFontDatabase>
#include <QImageReader>

#include <fontconfig/fontconfig.h>
#include <sys/resource.h>
#include <unistd.h>

StartupWarmUp::StartupWarmUp(std::function<void()> readConfiguration, std::function<void()> fontListReady)
    : readConfiguration_(readConfiguration ? std::move(readConfiguration) : [] { FcInit(); }),
      fontListReady_(std::move(fontListReady)), thread_(&StartupWarmUp::Run, this, CurrentProcessor()) {}

StartupWarmUp::~StartupWarmUp() {
    Finish();
    thread_.join();
}

void StartupWarmUp::AppReady() {
    {
        const std::lock_guard lock(mutex_);
        appReady_ = true;
    }
    wake_.notify_one();
}

void StartupWarmUp::Finish() {
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    wake_.notify_one();
}

bool StartupWarmUp::WaitForApp() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return finished_ || appReady_; });
    return !finished_;
}

void StartupWarmUp::Run(int creator) {
    LeaveProcessor(creator);
    // The font configuration is read while the main thread connects to the display, a dialogue
    // of many short waits for the display server. The reader stays off the main thread's
    // processor for its whole life: sharing it, the main thread would wait for the reader's
    // turn to end after each of those waits. It runs at the usual priority elsewhere: one that
    // yields to every other thread gets no processor at all while other programs keep the
    // machine busy, and the configuration would then be read on the way to the first window.
    // With a single processor there is nowhere else to go, and it yields instead.
    std::thread configReader([this, creator] {
        if (!AvoidProcessor(creator)) setpriority(PRIO_PROCESS, gettid(), 19);
        // Room first: growing this thread's heap page by page would stall the main thread,
        // which is loading the display's libraries meanwhile.
        const ThreadHeapRoom room(size_t(8) << 20);
        readConfiguration_();
    });
    const ThreadHeapRoom room(size_t(4) << 20);
    const bool appReady = WaitForApp();
    // The font list reads the configuration while holding the font database's lock, which the
    // main thread needs for its first text: it is read once the reader is through. Reading it
    // here as well would only do the same work twice on a busy machine.
    configReader.join();
    if (!appReady) return;
    QFontDatabase::families();
    if (fontListReady_) fontListReady_();
    {
        const std::lock_guard lock(mutex_);
        if (finished_) return;
    }
    QImageReader::supportedImageFormats();
}
