#include "child.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace {

constexpr char kRoleVariable[] = "SCRIVELLE_TEST_CHILD";

QMap<QString, ChildRole>& Roles() {
    static QMap<QString, ChildRole> roles;
    return roles;
}

} // namespace

bool RegisterChildRole(const char* name, ChildRole role) {
    Roles().insert(QString::fromLatin1(name), role);
    return true;
}

QString ChildRoleWanted() {
    return qEnvironmentVariable(kRoleVariable);
}

int RunChildRole(const QString& name, const QStringList& arguments) {
    const ChildRole role = Roles().value(name);
    return role ? role(arguments) : 127;
}

std::unique_ptr<QProcess> StartChild(const QString& role, const QStringList& arguments,
                                     const QProcessEnvironment& extra) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    env.insert(QString::fromLatin1(kRoleVariable), role);
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProgram(QCoreApplication::applicationFilePath());
    process->setArguments(arguments);
    process->start();
    return process;
}

bool WaitForEveryCopy(const QString& folder, const QString& name, int copies) {
    const QDir barrier(folder);
    QFile(barrier.filePath(name)).open(QIODevice::WriteOnly);
    // Polled with a generous limit: the other copies may start late on a busy machine.
    for (int waited = 0; barrier.entryList(QDir::Files).size() < copies; ++waited) {
        if (waited > 60000) return false;
        QThread::msleep(1);
    }
    return true;
}

QString MakeMediaWithFfmpeg(const QString& path, const QStringList& args) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        ADD_FAILURE() << "ffmpeg is missing (scripts/setup installs it)";
        return {};
    }
    QProcess proc;
    proc.start(ffmpeg, QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args + QStringList{path});
    if (!proc.waitForFinished(60000) || proc.exitCode() != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << proc.readAllStandardError().toStdString();
        return {};
    }
    return path;
}
