#include "platform/ui/MediaBackend.h"

#include "platform/GStreamerCheck.h"
#include "platform/Modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace {

constexpr ModuleInfo kMediaModule{"libscrivelle_media.so",
#ifdef SCRIVELLE_MEDIA_MODULE
                                  SCRIVELLE_MEDIA_MODULE,
#else
                                  nullptr,
#endif
                                  kCreateMediaBackendSymbol, "The media player module"};

// What Qt Multimedia's plugin loader asks of a backend plugin.
constexpr char kMediaPluginIid[] = "org.qt-project.Qt.QPlatformMediaPlugin";
constexpr char kMediaPluginClass[] = "QPlatformMediaPlugin";

struct MediaPlugin {
    QString file;
    QStringList keys;
};

// The backend plugins in Qt's plugin folders, in the order Qt's loader finds them.
QList<MediaPlugin> InstalledMediaPlugins() {
    QList<MediaPlugin> plugins;
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir dir(folder + QStringLiteral("/multimedia"));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            const QString file = dir.absoluteFilePath(name);
            if (!QLibrary::isLibrary(file)) continue;
            const QJsonObject meta = QPluginLoader(file).metaData();
            if (meta.value(QStringLiteral("IID")).toString() != QLatin1String(kMediaPluginIid)) continue;
            MediaPlugin plugin{file, {}};
            const QJsonArray keys =
                meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
            for (const QJsonValue& key : keys)
                plugin.keys << key.toString();
            plugins << plugin;
        }
    }
    return plugins;
}

} // namespace

bool MediaPluginUsable(QString* reason) {
    // Once one loaded, Qt keeps it for the whole run.
    static bool usable = false;
    if (usable) return true;
    const QList<MediaPlugin> plugins = InstalledMediaPlugins();
    // As Qt chooses: the name as given (no case folded, no blank trimmed), else gstreamer when
    // it is there, else the first one found.
    QString wanted = QString::fromLocal8Bit(qgetenv("QT_MEDIA_BACKEND"));
    if (wanted.isEmpty()) {
        for (const MediaPlugin& p : plugins)
            if (p.keys.contains(QStringLiteral("gstreamer"))) wanted = QStringLiteral("gstreamer");
        if (wanted.isEmpty() && !plugins.isEmpty() && !plugins.first().keys.isEmpty())
            wanted = plugins.first().keys.first();
    }
    for (const MediaPlugin& p : plugins) {
        if (!p.keys.contains(wanted)) continue;
        // Qt's GStreamer player does not survive a GStreamer that cannot make its elements.
        if (wanted == QLatin1String("gstreamer") && !GStreamerCanPlay(reason)) return false;
        QPluginLoader loader(p.file);
        QObject* instance = loader.instance();
        if (instance && instance->inherits(kMediaPluginClass)) {
            usable = true;
            return true;
        }
        if (reason)
            *reason =
                QStringLiteral("The media backend %1 cannot be loaded: %2").arg(p.file, loader.errorString());
        return false;
    }
    if (reason) {
        *reason = wanted.isEmpty()
                      ? QStringLiteral("No media backend is installed (Qt Multimedia's plugins in %1).")
                            .arg(QCoreApplication::libraryPaths().join(QStringLiteral(", ")))
                      : QStringLiteral("The media backend \"%1\" is not installed.").arg(wanted);
    }
    return false;
}

MediaBackend* LoadMediaBackend(const MediaBackend::Callbacks& callbacks, QString* error) {
    if (!MediaPluginUsable(error)) return nullptr;
    const auto create = reinterpret_cast<CreateMediaBackendFn>(ResolveModuleEntry(kMediaModule, error));
    return create ? create(callbacks) : nullptr;
}
