// Settings > Format settings: the header settings of the formats whose header the program builds.
#include "formats/ui/frmFormat.h"
#include "mainwindow/frmMain.h"

void frmMain::mnuFormatSettings_Click() {
    ShowFormatSettings(this);
}
