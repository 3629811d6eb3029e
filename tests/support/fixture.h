#pragma once
// The base of every test that touches process-wide state: a fresh configuration and cache
// folder per test, every module's state reset, and the scripted message boxes, dialogs and
// shell in place.
#include "fakes.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ScrivelleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside this test's own temporary folder.
    QString TempPath(const QString& name) const;
    // Writes bytes to a file in the temporary folder and returns its path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const;

    QTemporaryDir tmp;
    ScriptedMsgBox msgbox;
    FakeDialogs dialogs;
    FakeShell shell;
};

// Where the source tree is (for data files the tests read).
QString SourceDir();
QString BinaryDir();
