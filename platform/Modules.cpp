#include "platform/Modules.h"

#include "base/processstate.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QStringList>

namespace {

QHash<QString, QFunctionPointer>& Resolved() {
    static QHash<QString, QFunctionPointer> entries; // by file name and symbol
    return entries;
}

QHash<QString, QString>& PathsForTests() {
    static QHash<QString, QString> paths;
    return paths;
}

void ResetModulePaths() {
    PathsForTests().clear();
}
SCRIVELLE_REGISTER_RESET(ResetModulePaths);

QStringList Candidates(const ModuleInfo& module) {
    const QString name = QLatin1String(module.fileName);
    if (PathsForTests().contains(name)) return {PathsForTests().value(name)};
    QStringList paths;
    if (QCoreApplication::instance())
        paths << QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    if (module.builtPath) paths << QString::fromUtf8(module.builtPath);
    return paths;
}

} // namespace

QFunctionPointer ResolveModuleEntry(const ModuleInfo& module, QString* error) {
    const QString name = QLatin1String(module.fileName);
    const bool redirected = PathsForTests().contains(name);
    const QString key = name + QLatin1Char(' ') + QLatin1String(module.symbol);
    if (!redirected) {
        if (const QFunctionPointer entry = Resolved().value(key)) return entry;
    }
    QString reasons;
    for (const QString& path : Candidates(module)) {
        if (!QFileInfo::exists(path)) continue;
        // Never unloaded: objects made by the module may live until the program ends.
        QLibrary library(path);
        if (library.load()) {
            if (const QFunctionPointer entry = library.resolve(module.symbol)) {
                if (!redirected) Resolved().insert(key, entry);
                return entry;
            }
        }
        reasons += library.errorString() + QLatin1Char('\n');
    }
    if (error) {
        *error = QStringLiteral("%1 (%2) could not be loaded.").arg(QLatin1String(module.what), name);
        if (!reasons.isEmpty()) *error += QLatin1Char('\n') + reasons.trimmed();
    }
    return nullptr;
}

void SetModulePathForTests(const QString& fileName, const QString& path) {
    if (path.isEmpty())
        PathsForTests().remove(fileName);
    else
        PathsForTests().insert(fileName, path);
}
