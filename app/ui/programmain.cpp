#include "app/ui/programmain.h"

#include "app/ui/frmStart.h"
#include "app/ui/startupwarmup.h"
#include "base/appinfo.h"
#include "base/filenames.h"
#include "base/threadplace.h"
#include "base/ui/formhelpers.h"
#include "base/ui/windowplacement.h"
#include "platform/GStreamerCheck.h"
#include "platform/ui/DesktopServices.h"
#include "platform/ui/IconThemeWarmUp.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMsgBox.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>

#include <thread>

namespace {

// The icon theme, read on a worker of its own while the main window is built: its index files
// take milliseconds to parse. Qt's icon loader is not thread-safe: the main thread sets it up
// first and then leaves the theme alone until WaitForIconTheme() has joined the worker.
class IconThemeReader {
public:
    IconThemeReader() {
        QIcon::themeName(); // the loader's set-up, here on the main thread
        thread_ = std::thread([creator = CurrentProcessor()] {
            LeaveProcessor(creator);
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
    StartupWarmUp warmUp;
    QApplication app(argc, argv);
    // Qt's arguments lose the bytes of a name that are not UTF-8; what it leaves of argv are
    // ours, as given.
    SetProgramArguments(argc, argv);
    warmUp.AppReady();
    // The start asks GStreamer whether it can play, in a process of its own, while the main
    // window is made.
    StartGStreamerCheck();
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
    warmUp.Finish();
    if (start && start->programEnded()) return start->exitCode();
    return app.exec();
}
