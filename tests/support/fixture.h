#pragma once
// The base of every test that touches process-wide state: a fresh configuration and cache
// folder per test, every module's state reset, and the scripted message boxes, dialogs and
// shell in place.
#include "fakes.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}

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

// Lets events run until the condition holds or the time is up; false when it never held. The
// limit only ends a wait for something that is not coming: it is long enough for a machine whose
// processors are all busy with other work (a real media pipeline may then take many seconds).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 60000);

// The whole content of a file (empty when it cannot be read).
QByteArray ReadFileBytes(const QString& path);

// Points the program at the format definitions of the source tree.
void UseSourceFormatFiles();

// Where the source tree is (for data files the tests read).
QString SourceDir();
QString BinaryDir();
