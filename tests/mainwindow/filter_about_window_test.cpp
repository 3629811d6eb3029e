#include "mainwindow_fixture.h"
#include "platform/RegistryAccess.h"
#include "platform/SubtitleFilter.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

namespace {

class FilterWindowTest : public MainWindowFixture {};

TEST_F(FilterWindowTest, LoadSwitchesTheFilterAndCloseAllPutsItBack) {
    ASSERT_TRUE(gReg.WriteDWORD(kFilterKeyPrimary, QStringLiteral("LoadLevel"), 0));
    gVSFilterMode = 0;
    Make();
    EXPECT_EQ(gReg.ReadDWORD(kFilterKeyPrimary, QStringLiteral("LoadLevel"), -1), 2);
    w->CloseAll();
    EXPECT_EQ(gReg.ReadDWORD(kFilterKeyPrimary, QStringLiteral("LoadLevel"), -1), 0);
    // A new video after the close does not switch it again; the exit writes nothing new.
    w->Form_Unload();
    EXPECT_EQ(gReg.ReadDWORD(kFilterKeyPrimary, QStringLiteral("LoadLevel"), -1), 0);
}

TEST_F(FilterWindowTest, HelpAboutOpensTheAboutBox) {
    Make();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("frmAbout") && top->isVisible()) {
                seen = true;
                top->close();
            }
        }
    });
    w->mnuAbout->trigger();
    EXPECT_TRUE(seen);
}

} // namespace
