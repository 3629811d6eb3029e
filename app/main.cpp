#include "app/ui/frmStart.h"
#include "base/appinfo.h"
#include "base/ui/formhelpers.h"
#include "base/ui/windowplacement.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMsgBox.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppKey);
    QApplication::setOrganizationName(kMakerName);
    QApplication::setApplicationVersion(AppVersionText());
    QApplication::setWindowIcon(AppIcon(0));

    InstallQtMsgBox();
    InstallFramelessPlacementFix(app);
    QtDialogs dialogs;
    SetDialogs(&dialogs);

    // The start window runs the start-up and either opens the main window or stays as the
    // warning page; it deletes itself once it is done.
    QPointer<frmStart> start = new frmStart;
    start->Form_Load();
    if (start && start->programEnded()) return start->exitCode();
    return app.exec();
}
