#include "platform/ui/QtMediaPlayer.h"

#include "base/filenames.h"
#include "platform/ui/IconThemeWarmUp.h"
#include "platform/ui/VideoView.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtDebug>

#include <algorithm>
#include <cmath>

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

bool QtMediaPlayer::EnsurePlayer() {
    if (backend_) return true;
    MediaBackend::Callbacks callbacks;
    callbacks.frame = [this](QSize size, std::function<QImage()> makeImage) {
        if (view_) view_->SetPicture(size, std::move(makeImage));
    };
    callbacks.stateChanged = [this] { SyncState(); };
    callbacks.positionChanged = [this](qint64 ms) { ShowPosition(ms); };
    callbacks.durationChanged = [this](qint64 ms) { ShowDuration(ms); };
    callbacks.errorOccurred = [this](bool isError, const QString& text) {
        qWarning().noquote() << "media player:" << url_ << text;
        if (isError) ReportError(text);
    };
    callbacks.invalidMedia = [this](const QString& text) { ReportError(text); };
    QString error;
    backend_.reset(LoadMediaBackend(callbacks, &error));
    if (!backend_) {
        backendError_ = error;
        return false;
    }
    setVolume(volume_);
    return true;
}

QtMediaPlayer::~QtMediaPlayer() {
    // Gone first: its reports must not reach a half-destroyed owner.
    backend_.reset();
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
    return FileNameUrl(QFileInfo(text).absoluteFilePath());
}

void QtMediaPlayer::setURL(const QString& url) {
    if (url.isEmpty()) {
        close();
        return;
    }
    QUrl source = SourceUrl(url);
    if (!EnsurePlayer()) {
        // Told like any media that cannot be played; the player stays empty.
        close();
        url_ = url;
        ReportError(backendError_);
        url_.clear();
        return;
    }
    // Qt's player turns a file address back into a name as UTF-8: a name whose bytes are not
    // is handed over as this process's own link to the file, kept while the media is open.
    std::unique_ptr<FileNameAlias> alias;
    if (source.isLocalFile()) {
        const QString name = FileNameFromUrl(source);
        if (!QtNamesFile(name)) {
            alias = std::make_unique<FileNameAlias>(name);
            source = QUrl::fromLocalFile(alias->path());
        }
    }
    // The same address again starts over from a fresh load (the file may have changed).
    if (backend_->source() == source) backend_->setSource(QUrl());
    if (view_) view_->Clear();
    url_ = url;
    errorReported_ = false;
    backend_->setSource(source);
    alias_ = std::move(alias);
    backend_->play();
    SyncState();
}

void QtMediaPlayer::close() {
    url_.clear();
    errorReported_ = false;
    if (backend_) {
        backend_->stop();
        backend_->setSource(QUrl());
    }
    alias_.reset();
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
    backend_->play();
    SyncState();
}

void QtMediaPlayer::pause() {
    if (url_.isEmpty()) return;
    backend_->pause();
    SyncState();
}

void QtMediaPlayer::stop() {
    if (url_.isEmpty()) return;
    backend_->stop();
    // Qt leaves a player that stopped at the end of the media where it is.
    if (backend_->position() != 0) backend_->setPosition(0);
    ShowPosition(0);
    SyncState();
}

double QtMediaPlayer::currentPosition() const {
    if (url_.isEmpty()) return 0;
    // Asks the pipeline: live to the millisecond, unlike positionChanged (a few times a second).
    return double(backend_->position()) / 1000.0;
}

void QtMediaPlayer::setCurrentPosition(double seconds) {
    if (url_.isEmpty() || std::isnan(seconds)) return;
    const double old = currentPosition();
    // Clamped before the conversion, so that no value can overflow it.
    seconds = std::clamp(seconds, 0.0, 1e9);
    qint64 ms = std::llround(seconds * 1000.0);
    const qint64 length = backend_->duration();
    if (length > 0) ms = std::min(ms, length);
    backend_->setPosition(ms);
    ShowPosition(ms);
    SyncState();
    Q_EMIT PositionChange(old, double(ms) / 1000.0);
}

double QtMediaPlayer::duration() const {
    if (url_.isEmpty()) return 0;
    return double(std::max<qint64>(backend_->duration(), 0)) / 1000.0;
}

void QtMediaPlayer::setVolume(int volume) {
    volume_ = ClampVolume(volume);
    if (backend_) backend_->setVolume(volume_);
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
    const int now = backend_ ? backend_->playState() : kPlayStateStopped;
    if (playButton_ && iconsShown_) SetPlayIcon(now);
    if (now == state_) return;
    state_ = now;
    Q_EMIT PlayStateChange(now);
}

void QtMediaPlayer::SetPlayIcon(int state) {
    playButton_->setIcon(playButton_->style()->standardIcon(
        state == kPlayStatePlaying ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
}

bool QtMediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == playButton_ && event->type() == QEvent::Show && !iconsShown_) ShowIcons();
    return IMediaPlayer::eventFilter(watched, event);
}

void QtMediaPlayer::ShowIcons() {
    iconsShown_ = true;
    playButton_->removeEventFilter(this);
    WaitForIconTheme();
    stopButton_->setIcon(stopButton_->style()->standardIcon(QStyle::SP_MediaStop));
    SetPlayIcon(state_);
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
    // Shown or hidden before it has its layout: shown later (ApplyUiMode), it would lay its
    // controls out at once, only to do it again when the window shows.
    bar_->setVisible(uiMode_ != QLatin1String("none"));
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    // The buttons never take the keyboard focus: the window's timing keys must keep working.
    // Their icons come from the icon theme when the buttons are first shown (ShowIcons): the
    // theme is read meanwhile at start-up. Their size does not depend on them.
    auto makeButton = [this] {
        auto* b = new QToolButton(bar_);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    playButton_ = makeButton();
    stopButton_ = makeButton();
    playButton_->installEventFilter(this);
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
                        MediaPositionString(std::max<qint64>(backend_ ? backend_->duration() : 0, 0) / 1000.0));
}

void QtMediaPlayer::ShowDuration(qint64 ms) {
    if (!seekBar_) return;
    updatingBars_ = true;
    seekBar_->setRange(0, int(std::clamp<qint64>(ms, 0, INT32_MAX)));
    updatingBars_ = false;
    ShowPosition(backend_ ? backend_->position() : 0);
}
