// Test main: a QApplication on the offscreen platform, so windows can be driven headless.
#include "child.h"
#include "platform/ui/DesktopServices.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Started by a test to play a part of its own: the environment is the test's.
    if (const QString role = ChildRoleWanted(); !role.isEmpty()) {
        QApplication app(argc, argv);
        InstallDesktopServices();
        return RunChildRole(role, QApplication::arguments().mid(1));
    }
    // Keep tests from reading the developer's own settings before a fixture moves them.
    qputenv("XDG_CONFIG_HOME", "/nonexistent-scrivelle-config");
    qputenv("XDG_CACHE_HOME", "/nonexistent-scrivelle-cache");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallDesktopServices();
    return RUN_ALL_TESTS();
}
