#pragma once
// A media player for tests. It keeps the contract of IMediaPlayer, but time moves only when
// the test says so: Advance(ms) moves the position while playing. Every media loaded has the
// length SetMediaLength gives; its duration reads 0 until it has played for SetDurationDelay
// milliseconds (0: known as soon as it is loaded). Events are raised synchronously, inside
// the call that caused them. Every command is logged in `calls`, every seek in `seeks`.
#include "platform/IMediaPlayer.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class FakeMediaPlayer final : public IMediaPlayer {
    Q_OBJECT
public:
    explicit FakeMediaPlayer(QObject* parent = nullptr);
    ~FakeMediaPlayer() override;

    QString URL() const override { return url_; }
    void setURL(const QString& url) override;
    void close() override;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;

    int playState() const override { return state_; }
    void play() override;
    void pause() override;
    void stop() override;

    double currentPosition() const override { return positionMs_ / 1000.0; }
    void setCurrentPosition(double seconds) override;
    double duration() const override;

    int volume() const override { return volume_; }
    void setVolume(int volume) override;
    bool stretchToFit() const override { return stretch_; }
    void setStretchToFit(bool on) override;
    QString uiMode() const override { return uiMode_; }
    void setUiMode(const QString& mode) override;

    // A plain empty widget, made on first use.
    QWidget* Widget() override;

    // --- test controls ---
    // Length of every media loaded from now on, and of the one loaded now (default 60 s).
    void SetMediaLength(double seconds);
    // Play time after which the duration becomes known (default 0: at once).
    void SetDurationDelay(int ms);
    // Moves the clock. While playing the position moves with it; at the end of the media the
    // player stops there.
    void Advance(int ms);
    // The media loaded now turns out to be unplayable: the player stops and raises MediaError.
    void FailMedia(const QString& description = QStringLiteral("cannot play"));
    // The position in whole milliseconds.
    qint64 positionMs() const { return positionMs_; }

    // "URL <text>", "close", "play", "pause", "stop", "seek <seconds>", "volume <n>",
    // "stretchToFit <0|1>", "uiMode <text>", "enabled <0|1>".
    QStringList calls;
    struct Seek {
        double from;
        double to;
    };
    QList<Seek> seeks;

private:
    void SetState(int state);
    bool durationKnown() const;

    QString url_;
    int state_ = kPlayStateStopped;
    bool enabled_ = true;
    qint64 positionMs_ = 0;
    qint64 lengthMs_ = 60000;
    qint64 durationDelayMs_ = 0;
    qint64 playedMs_ = 0; // play time since the media was loaded
    bool atEnd_ = false;
    int volume_ = 50;
    bool stretch_ = false;
    QString uiMode_ = QStringLiteral("full");
    QPointer<QWidget> widget_;
};
