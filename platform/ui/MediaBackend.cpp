#include "platform/ui/MediaBackend.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace {

constexpr char kModuleName[] = "libscrivelle_media.so";

// Beside the executable first (where the program is installed); a build's own programs (tests,
// benchmarks) live in other folders of the build and find it where the build put it.
QStringList ModuleCandidates() {
    QStringList paths;
    if (QCoreApplication::instance())
        paths << QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kModuleName);
#ifdef SCRIVELLE_MEDIA_MODULE
    paths << QStringLiteral(SCRIVELLE_MEDIA_MODULE);
#endif
    return paths;
}

CreateMediaBackendFn ResolveModule(QString* error) {
    static CreateMediaBackendFn create = nullptr;
    if (create) return create;
    QString reasons;
    for (const QString& path : ModuleCandidates()) {
        if (!QFileInfo::exists(path)) continue;
        // Never unloaded: backends made from it may live until the program ends.
        QLibrary library(path);
        if (library.load()) {
            create = reinterpret_cast<CreateMediaBackendFn>(library.resolve(kCreateMediaBackendSymbol));
            if (create) return create;
        }
        reasons += library.errorString() + QLatin1Char('\n');
    }
    if (error) {
        *error = QStringLiteral("The media player module (%1) could not be loaded.").arg(QLatin1String(kModuleName));
        if (!reasons.isEmpty()) *error += QLatin1Char('\n') + reasons.trimmed();
    }
    return nullptr;
}

} // namespace

MediaBackend* LoadMediaBackend(const MediaBackend::Callbacks& callbacks, QString* error) {
    const CreateMediaBackendFn create = ResolveModule(error);
    return create ? create(callbacks) : nullptr;
}
