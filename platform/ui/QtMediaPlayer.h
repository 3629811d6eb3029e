#pragma once
// The media player over Qt Multimedia: QMediaPlayer decodes, QAudioOutput plays the sound (when
// there is no sound device the picture and the clock still run), the frames go through a
// QVideoSink to our own VideoView. Qt's side lives in a module loaded when media is first opened
// (MediaBackend). The player's area is the view with a control bar under it;
// uiMode chooses the bar: "full" play/pause, stop, seek bar, time and volume; "mini" the
// buttons and volume; "none" no bar.
#include "platform/IMediaPlayer.h"
#include "platform/ui/MediaBackend.h"

#include <QPointer>
#include <QUrl>

#include <memory>

class FileNameAlias;
class QLabel;
class QSlider;
class QToolButton;
class VideoView;

class QtMediaPlayer final : public IMediaPlayer {
    Q_OBJECT
public:
    // The player's area is created as a child of parent (may be null).
    explicit QtMediaPlayer(QWidget* parent = nullptr);
    ~QtMediaPlayer() override;

    QString URL() const override { return url_; }
    void setURL(const QString& url) override;
    void close() override;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;

    int playState() const override { return state_; }
    void play() override;
    void pause() override;
    void stop() override;

    double currentPosition() const override;
    void setCurrentPosition(double seconds) override;
    double duration() const override;

    int volume() const override { return volume_; }
    void setVolume(int volume) override;
    bool stretchToFit() const override { return stretch_; }
    void setStretchToFit(bool on) override;
    QString uiMode() const override { return uiMode_; }
    void setUiMode(const QString& mode) override;

    QWidget* Widget() override { return panel_; }
    QWidget* PictureWidget() override;
    // The picture inside the player's area.
    VideoView* view() const { return view_; }

    // A path or an address as the player opens it: text that starts with a scheme and "://"
    // ("http://...", "file:///...") is an address, anything else a local path.
    static QUrl SourceUrl(const QString& text);

private:
    // Loads the backend once; false (and backendError_ says why) when it cannot be loaded.
    bool EnsurePlayer();
    void SyncState();
    void SetPlayIcon(int state);
    // The buttons' icons, once, when they are first shown.
    void ShowIcons();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void BuildPanel(QWidget* parent);
    void ApplyUiMode();
    void ShowPosition(qint64 ms);
    void ShowDuration(qint64 ms);
    void ReportError(const QString& description);

    std::unique_ptr<MediaBackend> backend_;
    QString backendError_;

    QPointer<QWidget> panel_;
    QPointer<VideoView> view_;
    QPointer<QWidget> bar_;
    QToolButton* playButton_ = nullptr;
    QToolButton* stopButton_ = nullptr;
    QSlider* seekBar_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QSlider* volumeBar_ = nullptr;
    bool updatingBars_ = false;
    bool iconsShown_ = false;

    QString url_;
    std::unique_ptr<FileNameAlias> alias_; // how the player reaches a name Qt cannot give
    bool errorReported_ = false; // MediaError was raised for the media at url_
    int state_ = kPlayStateStopped;
    bool enabled_ = true;
    int volume_ = 50;
    bool stretch_ = false;
    QString uiMode_ = QStringLiteral("full");
};
