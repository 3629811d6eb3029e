#include "mainwindow/frmMain.h"

#include "app/appinfo.h"
#include "app/ui/formhelpers.h"

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(AppTitle());
    setWindowIcon(AppIcon(0));
    resize(900, 640);
}
