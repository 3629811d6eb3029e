#include "app/ui/startupwarmup.h"

#include "base/threadheap.h"
#include "base/threadplace.h"
#include "platform/ui/FontWarmUp.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>

#include <fontconfig/fontconfig.h>
#include <sys/resource.h>
#include <unistd.h>

StartupWarmUp::StartupWarmUp() : thread_(&StartupWarmUp::Run, this, CurrentProcessor()) {
    SetFontWarmUp([this](const QFont& font) {
        {
            const std::lock_guard lock(mutex_);
            fonts_.push_back(font);
        }
        wake_.notify_one();
    });
}

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
    SetFontWarmUp(nullptr);
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    wake_.notify_one();
}

template <class Ready>
bool StartupWarmUp::WaitFor(Ready ready) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return finished_ || ready(); });
    return !finished_;
}

void StartupWarmUp::Run(int creator) {
    LeaveProcessor(creator);
    // The font configuration is read while the main thread connects to the display, a dialogue
    // of many short waits for the display server. A busy thread that shares a processor with
    // either of them lengthens each wait (the woken one runs only when the busy one's turn is
    // over), so the reader yields to every other thread. It runs on a thread of its own that
    // ends with it, as an unprivileged thread may lower its priority but not raise it again.
    // Should it not get to run at all, the main thread's first font reads the configuration.
    std::thread configReader([] {
        setpriority(PRIO_PROCESS, gettid(), 19);
        // Room first: growing this thread's heap page by page would stall the main thread,
        // which is loading the display's libraries meanwhile.
        const ThreadHeapRoom room(size_t(8) << 20);
        FcInit();
    });
    const ThreadHeapRoom room(size_t(4) << 20);
    const bool appReady = WaitFor([this] { return appReady_; });
    configReader.join();
    if (!appReady) return;
    // The fonts first: the main window's grid measures its font within milliseconds.
    QFontDatabase::families();
    QFont font = QGuiApplication::font();
    QFontMetrics(font).height();
    font.setBold(true);
    QFontMetrics(font).height();
    QImageReader::supportedImageFormats();
    while (WaitFor([this] { return !fonts_.empty(); })) {
        std::vector<QFont> fonts;
        {
            const std::lock_guard lock(mutex_);
            fonts.swap(fonts_);
        }
        for (const QFont& f : fonts)
            QFontMetrics(f).height();
    }
}
