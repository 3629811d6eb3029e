#include "child.h"

#include <QCoreApplication>
#include <QMap>

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
