#include "platform/GStreamerCheck.h"

#include <future>
#include <mutex>
#include <system_error>

#include <dlfcn.h>

namespace {

struct tAnswer {
    bool usable = false;
    QString reason;
};

// GLib's error record, as GStreamer's set-up fills it.
struct tGError {
    quint32 domain;
    int code;
    char* message;
};

using GstInitCheck = int (*)(int* argc, char*** argv, tGError** error);
using GstFactoryFind = void* (*)(const char* name);
using GstObjectUnref = void (*)(void* object);
using GErrorFree = void (*)(tGError* error);

tAnswer AskGStreamer() {
    // Kept loaded for the run: GStreamer, once set up, stays set up, and Qt's backend uses it.
    void* lib = dlopen("libgstreamer-1.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return {false, QStringLiteral("GStreamer cannot be loaded: %1").arg(QString::fromLocal8Bit(dlerror()))};
    const auto init = reinterpret_cast<GstInitCheck>(dlsym(lib, "gst_init_check"));
    const auto find = reinterpret_cast<GstFactoryFind>(dlsym(lib, "gst_element_factory_find"));
    const auto unref = reinterpret_cast<GstObjectUnref>(dlsym(lib, "gst_object_unref"));
    const auto freeError = reinterpret_cast<GErrorFree>(dlsym(lib, "g_error_free"));
    if (!init || !find || !unref) return {false, QStringLiteral("GStreamer cannot be loaded: it lacks its set-up.")};
    tGError* error = nullptr;
    if (!init(nullptr, nullptr, &error)) {
        QString why = error && error->message ? QString::fromUtf8(error->message) : QString();
        if (error && freeError) freeError(error);
        return {false, QStringLiteral("GStreamer cannot be set up: %1").arg(why)};
    }
    QStringList missing;
    for (const QString& name : GStreamerPlayerElements()) {
        void* factory = find(name.toLatin1().constData());
        if (factory)
            unref(factory);
        else
            missing << name;
    }
    if (missing.isEmpty()) return {true, QString()};
    return {false, QStringLiteral("GStreamer lacks the plugins that provide: %1").arg(missing.join(QStringLiteral(", ")))};
}

std::mutex gMutex;
std::shared_future<tAnswer> gCheck;

std::shared_future<tAnswer> Check(bool async) {
    const std::lock_guard<std::mutex> lock(gMutex);
    if (!gCheck.valid()) gCheck = std::async(async ? std::launch::async : std::launch::deferred, AskGStreamer).share();
    return gCheck;
}

} // namespace

const QStringList& GStreamerPlayerElements() {
    // The playing bin, the decoder of a source, the stream choosers and the video and sound
    // branches with their converters and sinks.
    static const QStringList kElements = {
        QStringLiteral("playbin"),       QStringLiteral("uridecodebin"),  QStringLiteral("input-selector"),
        QStringLiteral("queue"),         QStringLiteral("identity"),      QStringLiteral("capsfilter"),
        QStringLiteral("fakesink"),      QStringLiteral("appsink"),       QStringLiteral("videoconvert"),
        QStringLiteral("videoscale"),    QStringLiteral("audioconvert"),  QStringLiteral("audioresample"),
        QStringLiteral("volume"),        QStringLiteral("autoaudiosink"),
    };
    return kElements;
}

void StartGStreamerCheck() {
    try {
        Check(true);
    } catch (const std::system_error&) {
        // No thread to be had: the check runs when it is first needed.
    }
}

bool GStreamerCanPlay(QString* reason) {
    const tAnswer& answer = Check(false).get();
    if (!answer.usable && reason) *reason = answer.reason;
    return answer.usable;
}
