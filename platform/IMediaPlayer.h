#pragma once
// The media player the main window embeds: what it plays, its play state, the position and the
// few display settings the window hands it. The program talks only to this interface;
// QtMediaPlayer (platform/ui) plays through Qt Multimedia, FakeMediaPlayer (tests) runs on a
// clock the test advances.
//
// The contract both keep:
// - setURL with a path or address loads it and starts playing at once (state 3, position 0).
//   Setting the same address again starts it over. An empty address unloads, as close does.
// - close unloads the media: state 1 (stopped), position 0, duration 0, URL "".
// - play needs loaded media; it starts from the current position. pause (with media, from
//   playing or stopped) gives state 2. After the media played to its end, play and pause
//   start again from the beginning. stop gives state 1 and moves the position to 0.
// - currentPosition is in seconds and is read live, to the millisecond. Writing it seeks
//   (never below 0, never past a known duration; ignored without media) and leaves the play
//   state as it was.
// - duration is in seconds and reads 0 until the media's length is known, which can be some
//   time after playing started.
// - At the end of the media the player stops by itself (state 1); the position stays at the end.
// - volume is 0..100 (values outside are clamped); uiMode is "full", "mini" or "none"
//   (compared without case; any other value is ignored); stretchToFit scales the picture up
//   to fill the player's area, keeping its proportions. enabled governs only the user's own
//   use of the player's controls; the program's calls work either way.
//
// Events are Qt signals, raised synchronously from inside the call that caused them:
// - PlayStateChange(newState) after every change of playState (never twice for one state);
// - PositionChange(oldPosition, newPosition) after every write of currentPosition, and only
//   then: the position moving while playing raises nothing (read currentPosition instead).
// - MediaError(description) once for media set by setURL that cannot be played (the player is
//   then stopped). It can come some time after setURL returned: the media is opened meanwhile.
#include <QObject>
#include <QString>

class QWidget;

// playState values.
enum MediaPlayState : int {
    kPlayStateStopped = 1,
    kPlayStatePaused = 2,
    kPlayStatePlaying = 3,
};

class IMediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~IMediaPlayer() override = default;

    virtual QString URL() const = 0;
    virtual void setURL(const QString& url) = 0;
    virtual void close() = 0;

    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;

    virtual int playState() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;

    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // The position as "mm:ss" ("hh:mm:ss" from one hour on), whole seconds cut off.
    QString currentPositionString() const;
    virtual double duration() const = 0;

    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;
    virtual bool stretchToFit() const = 0;
    virtual void setStretchToFit(bool on) = 0;
    virtual QString uiMode() const = 0;
    virtual void setUiMode(const QString& mode) = 0;

    // The player's area on screen: the picture and the controls uiMode asks for. The window
    // that shows the player places this widget (reparenting it is allowed); the player
    // deletes it with itself unless its new parent went first.
    virtual QWidget* Widget() = 0;
    // The part of Widget() that shows the picture (all of it unless the player says otherwise).
    // What lies over the picture, such as the preview caption, is put in this widget.
    virtual QWidget* PictureWidget() { return Widget(); }

Q_SIGNALS:
    void PlayStateChange(int newState);
    void PositionChange(double oldPosition, double newPosition);
    void MediaError(const QString& description);
};

// Helpers both players share.
QString MediaPositionString(double seconds);
// The accepted uiMode in lower case, or an empty text for a value the player does not know.
QString NormalizedUiMode(const QString& mode);
int ClampVolume(int volume);
