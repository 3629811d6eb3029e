#include "FakeMediaPlayer.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

FakeMediaPlayer::FakeMediaPlayer(QObject* parent) : IMediaPlayer(parent) {}

FakeMediaPlayer::~FakeMediaPlayer() {
    delete widget_.data();
}

void FakeMediaPlayer::setURL(const QString& url) {
    calls << QStringLiteral("URL ") + url;
    if (url.isEmpty()) {
        url_.clear();
        positionMs_ = 0;
        playedMs_ = 0;
        atEnd_ = false;
        SetState(kPlayStateStopped);
        return;
    }
    // A fresh load: through stopped when something was playing, then playing from 0.
    if (!url_.isEmpty()) SetState(kPlayStateStopped);
    url_ = url;
    positionMs_ = 0;
    playedMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStatePlaying);
}

void FakeMediaPlayer::close() {
    calls << QStringLiteral("close");
    url_.clear();
    positionMs_ = 0;
    playedMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStateStopped);
}

void FakeMediaPlayer::setEnabled(bool on) {
    calls << QStringLiteral("enabled %1").arg(on ? 1 : 0);
    enabled_ = on;
}

void FakeMediaPlayer::play() {
    calls << QStringLiteral("play");
    if (url_.isEmpty()) return;
    if (atEnd_) positionMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStatePlaying);
}

void FakeMediaPlayer::pause() {
    calls << QStringLiteral("pause");
    if (url_.isEmpty()) return;
    if (atEnd_) positionMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStatePaused);
}

void FakeMediaPlayer::stop() {
    calls << QStringLiteral("stop");
    if (url_.isEmpty()) return;
    positionMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStateStopped);
}

void FakeMediaPlayer::setCurrentPosition(double seconds) {
    calls << QStringLiteral("seek %1").arg(seconds);
    if (url_.isEmpty() || std::isnan(seconds)) return;
    const double old = currentPosition();
    seconds = std::clamp(seconds, 0.0, 1e9);
    qint64 ms = std::llround(seconds * 1000.0);
    if (durationKnown()) ms = std::min(ms, lengthMs_);
    positionMs_ = ms;
    atEnd_ = false;
    seeks.append({old, currentPosition()});
    Q_EMIT PositionChange(old, currentPosition());
}

double FakeMediaPlayer::duration() const {
    return durationKnown() ? lengthMs_ / 1000.0 : 0.0;
}

void FakeMediaPlayer::setVolume(int volume) {
    calls << QStringLiteral("volume %1").arg(volume);
    volume_ = ClampVolume(volume);
}

void FakeMediaPlayer::setStretchToFit(bool on) {
    calls << QStringLiteral("stretchToFit %1").arg(on ? 1 : 0);
    stretch_ = on;
}

void FakeMediaPlayer::setUiMode(const QString& mode) {
    calls << QStringLiteral("uiMode ") + mode;
    const QString m = NormalizedUiMode(mode);
    if (!m.isEmpty()) uiMode_ = m;
}

QWidget* FakeMediaPlayer::Widget() {
    if (!widget_) widget_ = new QWidget;
    return widget_;
}

void FakeMediaPlayer::SetMediaLength(double seconds) {
    lengthMs_ = std::max<qint64>(1, std::llround(std::clamp(seconds, 0.0, 1e9) * 1000.0));
    positionMs_ = std::min(positionMs_, lengthMs_);
}

void FakeMediaPlayer::SetDurationDelay(int ms) {
    durationDelayMs_ = std::max(ms, 0);
}

void FakeMediaPlayer::Advance(int ms) {
    if (ms <= 0 || url_.isEmpty() || state_ != kPlayStatePlaying) return;
    playedMs_ += ms;
    positionMs_ += ms;
    if (positionMs_ >= lengthMs_) {
        positionMs_ = lengthMs_;
        atEnd_ = true;
        SetState(kPlayStateStopped);
    }
}

void FakeMediaPlayer::FailMedia(const QString& description) {
    if (url_.isEmpty()) return;
    positionMs_ = 0;
    playedMs_ = 0;
    atEnd_ = false;
    SetState(kPlayStateStopped);
    Q_EMIT MediaError(description);
}

void FakeMediaPlayer::SetState(int state) {
    if (state == state_) return;
    state_ = state;
    Q_EMIT PlayStateChange(state);
}

bool FakeMediaPlayer::durationKnown() const {
    return !url_.isEmpty() && playedMs_ >= durationDelayMs_;
}
