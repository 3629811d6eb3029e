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

StartupWarmUp::StartupWarmUp(std::function<void()> readConfiguration, std::function<void()> fontsReady)
    : readConfiguration_(readConfiguration ? std::move(readConfiguration) : [] { FcInit(); }),
      fontsReady_(std::move(fontsReady)), thread_(&StartupWarmUp::Run, this, CurrentProcessor()) {
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
    // Should it not get to run at all, the configuration is read below, once the application
    // exists, or by the main thread's first font, whichever comes first.
    std::thread configReader([this] {
        setpriority(PRIO_PROCESS, gettid(), 19);
        // Room first: growing this thread's heap page by page would stall the main thread,
        // which is loading the display's libraries meanwhile.
        const ThreadHeapRoom room(size_t(8) << 20);
        readConfiguration_();
    });
    const ThreadHeapRoom room(size_t(4) << 20);
    // Joined last: on a busy machine a thread that yields to all others may not get to run for
    // the whole start-up, and nothing here waits for it.
    const struct Joined {
        std::thread& t;
        ~Joined() { t.join(); }
    } joined{configReader};
    if (!WaitFor([this] { return appReady_; })) return;
    // Read here, outside the font database's lock, unless the reader is through: the fonts below
    // would otherwise read it while holding that lock, which the main thread needs for its first
    // text. (Should both read it at once, the first to finish is kept.)
    FcInit();
    // The fonts first: the main window's grid measures its font within milliseconds.
    QFontDatabase::families();
    QFont font = QGuiApplication::font();
    QFontMetrics(font).height();
    font.setBold(true);
    QFontMetrics(font).height();
    if (fontsReady_) fontsReady_();
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
