#include "app/appinfo.h"
#include "app/ui/formhelpers.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMsgBox.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppKey);
    QApplication::setOrganizationName(kMakerName);
    QApplication::setApplicationVersion(AppVersionText());
    QApplication::setWindowIcon(AppIcon(0));

    InstallQtMsgBox();
    QtDialogs dialogs;
    SetDialogs(&dialogs);

    frmMain w;
    w.show();
    return app.exec();
}
