#include "platform/ui/QtMediaPlayer.h"

#include "platform/ui/VideoView.h"

#include <QAudio>
#include <QAudioOutput>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QProxyStyle>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoSink>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {

int MapState(QMediaPlayer::PlaybackState state) {
    switch (state) {
    case QMediaPlayer::PlayingState:
        return kPlayStatePlaying;
    case QMediaPlayer::PausedState:
        return kPlayStatePaused;
    case QMediaPlayer::StoppedState:
        break;
    }
    return kPlayStateStopped;
}

} // namespace

namespace {

// A click on the seek bar's groove puts the handle where the click was (and the drag goes on
// from there), as media players do, rather than moving it one page towards the click.
class ClickToPointStyle final : public QProxyStyle {
public:
    explicit ClickToPointStyle(QObject* parent) { setParent(parent); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QtMediaPlayer::QtMediaPlayer(QWidget* parent) : IMediaPlayer(parent) {
    // Only the player's area is made here. Qt's player loads the media backend and opens the
    // sound output, which takes longer than showing the whole main window; it is made when
    // media is first opened (EnsurePlayer).
    BuildPanel(parent);
}

void QtMediaPlayer::EnsurePlayer() {
    if (player_) return;
    // The sink is made first so that it outlives the player that feeds it.
    sink_ = new QVideoSink(this);
    player_ = new QMediaPlayer(this);
    // With no sound device the output cannot open; the pipeline then runs on without sound,
    // so the picture and the position still move.
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    player_->setVideoSink(sink_);
    setVolume(volume_);

    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        if (view_) view_->SetFrame(frame);
    });
    connect(player_, &QMediaPlayer::playbackStateChanged, this, [this] { SyncState(); });
    connect(player_, &QMediaPlayer::positionChanged, this, [this](qint64 ms) { ShowPosition(ms); });
    connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 ms) { ShowDuration(ms); });
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error error, const QString& text) {
                qWarning().noquote() << "media player:" << url_ << text;
                if (error != QMediaPlayer::NoError) ReportError(text);
            });
    // Media that cannot be opened leaves Qt's player saying it plays; nothing plays, so stop.
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia) player_->stop();
        SyncState();
        if (status == QMediaPlayer::InvalidMedia) ReportError(player_->errorString());
    });
}

QtMediaPlayer::~QtMediaPlayer() {
    if (player_) {
        // Events must not reach a half-destroyed owner.
        disconnect(player_, nullptr, this, nullptr);
        player_->stop();
        player_->setVideoSink(nullptr);
        delete player_;
    }
    delete panel_.data();
}

QUrl QtMediaPlayer::SourceUrl(const QString& text) {
    // An address names its scheme before "://" ("http://", "rtsp://", "file:///"); a colon
    // elsewhere is part of a file name.
    const int sep = text.indexOf(QLatin1String("://"));
    if (sep > 1 && !text.left(sep).contains(QLatin1Char('/'))) {
        const QUrl url(text);
        if (url.isValid()) return url;
    }
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

void QtMediaPlayer::setURL(const QString& url) {
    if (url.isEmpty()) {
        close();
        return;
    }
    const QUrl source = SourceUrl(url);
    EnsurePlayer();
    // The same address again starts over from a fresh load (the file may have changed).
    if (player_->source() == source) player_->setSource(QUrl());
    if (view_) view_->Clear();
    url_ = url;
    errorReported_ = false;
    player_->setSource(source);
    player_->play();
    SyncState();
}

void QtMediaPlayer::close() {
    url_.clear();
    errorReported_ = false;
    if (player_) {
        player_->stop();
        player_->setSource(QUrl());
    }
    if (view_) view_->Clear();
    ShowDuration(0);
    ShowPosition(0);
    SyncState();
}

void QtMediaPlayer::ReportError(const QString& description) {
    // Once per media, whichever of Qt's reports comes first; nothing for media closed meanwhile.
    if (url_.isEmpty() || errorReported_) return;
    errorReported_ = true;
    Q_EMIT MediaError(description);
}

void QtMediaPlayer::setEnabled(bool on) {
    enabled_ = on;
    if (bar_) bar_->setEnabled(on);
}

void QtMediaPlayer::play() {
    if (url_.isEmpty()) return;
    player_->play();
    SyncState();
}

void QtMediaPlayer::pause() {
    if (url_.isEmpty()) return;
    player_->pause();
    SyncState();
}

void QtMediaPlayer::stop() {
    if (url_.isEmpty()) return;
    player_->stop();
    // Qt leaves a player that stopped at the end of the media where it is.
    if (player_->position() != 0) player_->setPosition(0);
    ShowPosition(0);
    SyncState();
}

double QtMediaPlayer::currentPosition() const {
    if (url_.isEmpty()) return 0;
    // Asks the pipeline: live to the millisecond, unlike positionChanged (a few times a second).
    return double(player_->position()) / 1000.0;
}

void QtMediaPlayer::setCurrentPosition(double seconds) {
    if (url_.isEmpty() || std::isnan(seconds)) return;
    const double old = currentPosition();
    // Clamped before the conversion, so that no value can overflow it.
    seconds = std::clamp(seconds, 0.0, 1e9);
    qint64 ms = std::llround(seconds * 1000.0);
    const qint64 length = player_->duration();
    if (length > 0) ms = std::min(ms, length);
    player_->setPosition(ms);
    ShowPosition(ms);
    SyncState();
    Q_EMIT PositionChange(old, double(ms) / 1000.0);
}

double QtMediaPlayer::duration() const {
    if (url_.isEmpty()) return 0;
    return double(std::max<qint64>(player_->duration(), 0)) / 1000.0;
}

void QtMediaPlayer::setVolume(int volume) {
    volume_ = ClampVolume(volume);
    // The 0..100 scale is what the ear hears; the output wants a linear factor.
    if (audio_) {
        audio_->setVolume(float(QAudio::convertVolume(volume_ / 100.0, QAudio::LogarithmicVolumeScale,
                                                      QAudio::LinearVolumeScale)));
    }
    if (volumeBar_ && volumeBar_->value() != volume_) {
        updatingBars_ = true;
        volumeBar_->setValue(volume_);
        updatingBars_ = false;
    }
}

void QtMediaPlayer::setStretchToFit(bool on) {
    stretch_ = on;
    if (view_) view_->setStretchToFit(on);
}

void QtMediaPlayer::setUiMode(const QString& mode) {
    const QString m = NormalizedUiMode(mode);
    if (m.isEmpty()) return;
    uiMode_ = m;
    ApplyUiMode();
}

void QtMediaPlayer::SyncState() {
    const int now = !player_ || player_->mediaStatus() == QMediaPlayer::InvalidMedia
                        ? kPlayStateStopped
                        : MapState(player_->playbackState());
    if (playButton_) {
        playButton_->setIcon(playButton_->style()->standardIcon(
            now == kPlayStatePlaying ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    }
    if (now == state_) return;
    state_ = now;
    Q_EMIT PlayStateChange(now);
}

QWidget* QtMediaPlayer::PictureWidget() {
    return view_;
}

void QtMediaPlayer::BuildPanel(QWidget* parent) {
    panel_ = new QWidget(parent);
    panel_->setObjectName(QStringLiteral("mediaPlayer"));
    auto* column = new QVBoxLayout(panel_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    view_ = new VideoView(panel_);
    view_->setStretchToFit(stretch_);
    column->addWidget(view_, 1);

    bar_ = new QWidget(panel_);
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    // The buttons never take the keyboard focus: the window's timing keys must keep working.
    auto makeButton = [this](QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(bar_);
        b->setIcon(b->style()->standardIcon(icon));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    playButton_ = makeButton(QStyle::SP_MediaPlay);
    stopButton_ = makeButton(QStyle::SP_MediaStop);
    seekBar_ = new QSlider(Qt::Horizontal, bar_);
    seekBar_->setFocusPolicy(Qt::NoFocus);
    seekBar_->setRange(0, 0);
    seekBar_->setSingleStep(1000);
    seekBar_->setPageStep(5000);
    seekBar_->setStyle(new ClickToPointStyle(seekBar_));
    timeLabel_ = new QLabel(bar_);
    timeLabel_->setTextFormat(Qt::PlainText);
    volumeBar_ = new QSlider(Qt::Horizontal, bar_);
    volumeBar_->setFocusPolicy(Qt::NoFocus);
    volumeBar_->setRange(0, 100);
    volumeBar_->setValue(volume_);
    volumeBar_->setMaximumWidth(80);
    row->addWidget(playButton_);
    row->addWidget(stopButton_);
    row->addWidget(seekBar_, 1);
    row->addWidget(timeLabel_);
    row->addStretch(0);
    row->addWidget(volumeBar_);
    column->addWidget(bar_);

    connect(playButton_, &QToolButton::clicked, this, [this] {
        if (state_ == kPlayStatePlaying) {
            pause();
        } else {
            play();
        }
    });
    connect(stopButton_, &QToolButton::clicked, this, [this] { stop(); });
    // A drag seeks once, when the handle is let go; a click on the groove seeks at once.
    connect(seekBar_, &QSlider::sliderReleased, this,
            [this] { setCurrentPosition(seekBar_->value() / 1000.0); });
    connect(seekBar_, &QSlider::valueChanged, this, [this](int ms) {
        if (!updatingBars_ && !seekBar_->isSliderDown()) setCurrentPosition(ms / 1000.0);
    });
    connect(volumeBar_, &QSlider::valueChanged, this, [this](int v) {
        if (!updatingBars_) setVolume(v);
    });
    ShowPosition(0);
    ApplyUiMode();
}

void QtMediaPlayer::ApplyUiMode() {
    if (!bar_) return;
    const bool full = uiMode_ == QLatin1String("full");
    seekBar_->setVisible(full);
    timeLabel_->setVisible(full);
    bar_->setVisible(uiMode_ != QLatin1String("none"));
}

void QtMediaPlayer::ShowPosition(qint64 ms) {
    if (!seekBar_) return;
    if (!seekBar_->isSliderDown()) {
        updatingBars_ = true;
        seekBar_->setValue(int(std::clamp<qint64>(ms, 0, seekBar_->maximum())));
        updatingBars_ = false;
    }
    timeLabel_->setText(MediaPositionString(ms / 1000.0) + QStringLiteral(" / ") +
                        MediaPositionString(std::max<qint64>(player_ ? player_->duration() : 0, 0) / 1000.0));
}

void QtMediaPlayer::ShowDuration(qint64 ms) {
    if (!seekBar_) return;
    updatingBars_ = true;
    seekBar_->setRange(0, int(std::clamp<qint64>(ms, 0, INT32_MAX)));
    updatingBars_ = false;
    ShowPosition(player_ ? player_->position() : 0);
}
