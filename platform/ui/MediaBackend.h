#pragma once
// What the media player asks of the decoding side. Qt Multimedia's player lives in a module of
// its own (platform/ui/mediabackend), loaded the first time media is opened: the program does not
// load Qt Multimedia, its sound server libraries and their codecs at start-up, before anything is
// played. Nothing here is a Qt Multimedia type, and the module uses nothing of the program but
// what this header defines inline.
#include <QImage>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>

class QObject;

class MediaBackend {
public:
    virtual ~MediaBackend() = default;

    // Told by the backend, always on the main thread.
    struct Callbacks {
        std::function<void()> stateChanged;               // playing, paused or stopped changed
        std::function<void(qint64)> positionChanged;      // milliseconds
        std::function<void(qint64)> durationChanged;      // milliseconds
        std::function<void(bool, const QString&)> errorOccurred; // a report; true: an error
        std::function<void(const QString&)> invalidMedia;        // the media cannot be opened
        // A new picture (size, and how to make its image when it is shown); an empty size
        // clears the picture.
        std::function<void(QSize, std::function<QImage()>)> frame;
    };

    virtual QUrl source() const = 0;
    virtual void setSource(const QUrl& url) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    // kPlayStateStopped, kPlayStatePaused or kPlayStatePlaying; stopped for media that cannot
    // be opened.
    virtual int playState() const = 0;
    virtual qint64 position() const = 0;
    virtual void setPosition(qint64 ms) = 0;
    virtual qint64 duration() const = 0;
    // 0..100 as the ear hears it.
    virtual void setVolume(int volume) = 0;
};

// The module's one entry point.
using CreateMediaBackendFn = MediaBackend* (*)(const MediaBackend::Callbacks& callbacks);
inline constexpr char kCreateMediaBackendSymbol[] = "scrivelle_create_media_backend";

// Loads the module (once) and makes a backend; null with the reason in *error when it cannot,
// among others when Qt Multimedia has no backend plugin to play with (MediaPluginUsable).
MediaBackend* LoadMediaBackend(const MediaBackend::Callbacks& callbacks, QString* error);

// Whether Qt Multimedia will find the backend plugin it is about to load: the one
// $QT_MEDIA_BACKEND names (exactly), else "gstreamer" or the first one installed, in Qt's plugin
// folders. The plugin is loaded to be sure. Qt ends the whole program ("QtMultimedia is not
// currently supported on this platform") when its first player finds none, so this is asked
// before any of Qt's media objects is made. For GStreamer's plugin, GStreamer itself must be able
// to make the player's elements (GStreamerCanPlay). False with the reason in *reason.
bool MediaPluginUsable(QString* reason);
