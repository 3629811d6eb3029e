// Qt Multimedia's player behind MediaBackend, built as a module of its own and loaded when media
// is first opened: QMediaPlayer decodes, QAudioOutput plays the sound (when there is no sound
// device the picture and the clock still run), the frames go through a QVideoSink.
#include "platform/IMediaPlayer.h"
#include "platform/ui/MediaBackend.h"

#include <QAudio>
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

class QtMediaBackend final : public MediaBackend {
public:
    explicit QtMediaBackend(const Callbacks& callbacks) : callbacks_(callbacks) {
        // The sink is made first so that it outlives the player that feeds it.
        sink_ = new QVideoSink(&owner_);
        player_ = new QMediaPlayer(&owner_);
        // With no sound device the output cannot open; the pipeline then runs on without
        // sound, so the picture and the position still move.
        audio_ = new QAudioOutput(&owner_);
        player_->setAudioOutput(audio_);
        player_->setVideoSink(sink_);

        QObject::connect(sink_, &QVideoSink::videoFrameChanged, &owner_, [this](const QVideoFrame& frame) {
            if (!callbacks_.frame) return;
            if (!frame.isValid()) {
                callbacks_.frame(QSize(), {});
                return;
            }
            // Converted only when shown: a hidden view costs nothing per frame.
            callbacks_.frame(frame.size(), [frame] { return frame.toImage(); });
        });
        QObject::connect(player_, &QMediaPlayer::playbackStateChanged, &owner_, [this] { Tell(callbacks_.stateChanged); });
        QObject::connect(player_, &QMediaPlayer::positionChanged, &owner_, [this](qint64 ms) {
            if (callbacks_.positionChanged) callbacks_.positionChanged(ms);
        });
        QObject::connect(player_, &QMediaPlayer::durationChanged, &owner_, [this](qint64 ms) {
            if (callbacks_.durationChanged) callbacks_.durationChanged(ms);
        });
        QObject::connect(player_, &QMediaPlayer::errorOccurred, &owner_,
                         [this](QMediaPlayer::Error error, const QString& text) {
                             if (callbacks_.errorOccurred) callbacks_.errorOccurred(error != QMediaPlayer::NoError, text);
                         });
        // Media that cannot be opened leaves Qt's player saying it plays; nothing plays, so stop.
        QObject::connect(player_, &QMediaPlayer::mediaStatusChanged, &owner_, [this](QMediaPlayer::MediaStatus status) {
            if (status == QMediaPlayer::InvalidMedia) player_->stop();
            Tell(callbacks_.stateChanged);
            if (status == QMediaPlayer::InvalidMedia && callbacks_.invalidMedia)
                callbacks_.invalidMedia(player_->errorString());
        });
    }

    ~QtMediaBackend() override {
        // Events must not reach a half-destroyed owner.
        QObject::disconnect(player_, nullptr, &owner_, nullptr);
        QObject::disconnect(sink_, nullptr, &owner_, nullptr);
        player_->stop();
        player_->setVideoSink(nullptr);
        delete player_;
    }

    QUrl source() const override { return player_->source(); }
    void setSource(const QUrl& url) override { player_->setSource(url); }
    void play() override { player_->play(); }
    void pause() override { player_->pause(); }
    void stop() override { player_->stop(); }
    int playState() const override {
        if (player_->mediaStatus() == QMediaPlayer::InvalidMedia) return kPlayStateStopped;
        switch (player_->playbackState()) {
        case QMediaPlayer::PlayingState:
            return kPlayStatePlaying;
        case QMediaPlayer::PausedState:
            return kPlayStatePaused;
        case QMediaPlayer::StoppedState:
            break;
        }
        return kPlayStateStopped;
    }
    qint64 position() const override { return player_->position(); }
    void setPosition(qint64 ms) override { player_->setPosition(ms); }
    qint64 duration() const override { return player_->duration(); }
    void setVolume(int volume) override {
        // The 0..100 scale is what the ear hears; the output wants a linear factor.
        audio_->setVolume(float(
            QAudio::convertVolume(volume / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale)));
    }

private:
    static void Tell(const std::function<void()>& f) {
        if (f) f();
    }

    Callbacks callbacks_;
    QObject owner_; // parent of Qt's objects, receiver of their signals
    QVideoSink* sink_ = nullptr;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT MediaBackend* scrivelle_create_media_backend(const MediaBackend::Callbacks& callbacks) {
    return new QtMediaBackend(callbacks);
}
