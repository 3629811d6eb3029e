#include "app/ui/programmain.h"

#include "app/ui/frmStart.h"
#include "base/appinfo.h"
#include "base/threadheap.h"
#include "base/ui/formhelpers.h"
#include "base/ui/windowplacement.h"
#include "platform/ui/DesktopServices.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/IconThemeWarmUp.h"
#include "platform/ui/QtMsgBox.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QImageReader>
#include <QPointer>

#include <fontconfig/fontconfig.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Work that would otherwise lie on the way to the first paint, done on a worker while this
// thread connects to the display and builds the windows. Everything it fills is a shared,
// thread-safe cache: the font configuration first (it needs no application object), then,
// once the application exists, the font list and the window font with its bold face (their
// fall-back families are shared by all threads), then the image format plugins.
class WarmUp {
public:
    WarmUp()
        : thread_([this] {
              // Room first: growing this thread's heap page by page would stall the main
              // thread, which is loading the display's libraries meanwhile.
              const ThreadHeapRoom room(size_t(8) << 20);
              FcInit();
              std::unique_lock lock(mutex_);
              appReady_.wait(lock, [this] { return appState_ != 0; });
              if (appState_ < 0) return;
              lock.unlock();
              // The fonts first: the main window's grid measures its font within milliseconds.
              QFontDatabase::families();
              QFont font = QGuiApplication::font();
              QFontMetrics(font).height();
              font.setBold(true);
              QFontMetrics(font).height();
              QImageReader::supportedImageFormats();
          }) {}
    ~WarmUp() {
        Release(-1);
        thread_.join();
    }
    // The application object exists: the worker may go on.
    void AppReady() { Release(1); }

private:
    void Release(int state) {
        {
            const std::lock_guard lock(mutex_);
            if (appState_ == 0) appState_ = state;
        }
        appReady_.notify_one();
    }
    std::mutex mutex_;
    std::condition_variable appReady_;
    int appState_ = 0;   // 1 when the application exists, -1 when the worker is not wanted
    std::thread thread_; // last: it starts once the members it uses exist
};

// The icon theme, read on a worker of its own while the main window is built: its index files
// take milliseconds to parse. Qt's icon loader is not thread-safe: the main thread sets it up
// first and then leaves the theme alone until WaitForIconTheme() has joined the worker.
class IconThemeReader {
public:
    IconThemeReader() {
        QIcon::themeName(); // the loader's set-up, here on the main thread
        thread_ = std::thread([] {
            // What the player's buttons look up first.
            for (const char* name : {"media-playback-start", "media-playback-pause", "media-playback-stop"})
                QIcon::fromTheme(QLatin1String(name));
        });
        SetIconThemeWait([this] { Join(); });
    }
    ~IconThemeReader() {
        SetIconThemeWait(nullptr);
        Join();
    }

private:
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    std::thread thread_;
};

} // namespace

int RunProgram(int& argc, char** argv, const std::function<void(QApplication&)>& onStart) {
    WarmUp warmUp;
    QApplication app(argc, argv);
    warmUp.AppReady();
    if (onStart) onStart(app);
    QApplication::setApplicationName(kAppKey);
    QApplication::setOrganizationName(kMakerName);
    QApplication::setApplicationVersion(AppVersionText());
    QApplication::setWindowIcon(AppIcon(0));
    IconThemeReader iconTheme;

    InstallQtMsgBox();
    InstallDesktopServices();
    InstallFramelessPlacementFix(app);
    QtDialogs dialogs;
    SetDialogs(&dialogs);

    // The start window runs the start-up and either opens the main window or stays as the
    // warning page; it deletes itself once it is done.
    QPointer<frmStart> start = new frmStart;
    start->Form_Load();
    // The window is up (its player joined the theme's worker when it showed its buttons); from
    // here on anything may use the theme.
    WaitForIconTheme();
    if (start && start->programEnded()) return start->exitCode();
    return app.exec();
}
