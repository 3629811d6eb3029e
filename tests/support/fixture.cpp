#include "fixture.h"

#include "base/clock.h"
#include "base/paths.h"
#include "base/processstate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

void ScrivelleTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    QDir(tmp.path()).mkpath(QStringLiteral("config"));
    QDir(tmp.path()).mkpath(QStringLiteral("cache"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp.path() + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.path() + QStringLiteral("/cache")));
    processstate::ResetAll();
}

void ScrivelleTest::TearDown() {
    processstate::ResetAll();
    // A fake clock a test left behind would stop every later wait.
    SetClock({});
}

QString ScrivelleTest::TempPath(const QString& name) const {
    return tmp.path() + QLatin1Char('/') + name;
}

QString ScrivelleTest::WriteFile(const QString& name, const QByteArray& bytes) const {
    const QString path = TempPath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(bytes);
    return path;
}

QString SourceDir() {
    return QStringLiteral(SCRIVELLE_SOURCE_DIR);
}
QString BinaryDir() {
    return QStringLiteral(SCRIVELLE_BINARY_DIR);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void UseSourceFormatFiles() {
    gFormatFile = SourceDir() + QStringLiteral("/formats/data/formats.ini");
    gFormatDatFile = SourceDir() + QStringLiteral("/formats/data/formats.dat");
}
