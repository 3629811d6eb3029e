#pragma once
// What the main window has open besides the subtitle document (document/captions.h holds
// gSubFile and gModified), and the window-frame figures its layout works with.
#include <QString>

#include <cstdint>

extern QString gVideoFile;   // path or address the player plays; "" when none
extern QString gWaveFile;    // the WAV shown in the audio bar; "" when none
extern uint8_t gAudioChoice; // where an audio file goes: 0 nowhere, 1 audio bar, 2 player, 3 both
extern bool gWasPlaying;     // the player was playing when a load paused it
extern bool gClosing;        // the main window is unloading
extern bool gStopWave;       // asks a WAV load in progress to stop

// Window-frame figures in twips (computed when the main window loads and activates).
extern int16_t gNcHeight;     // frame + caption + menu bar height
extern int16_t gVScrollWidth; // width of a vertical scroll bar
extern int16_t gNcWidth;      // frame width
extern int16_t gFrameHeight;  // frame height

// The kinds of file the command line can name.
enum class CommandFileKind { Subtitle, Video, Audio };
// The kind follows the file name's last suffix, in any case: "my.videos/a.avi" is a video.
CommandFileKind CommandLineFileKind(const QString& path);

// The folder part of a path, through its last "/" ("" when it has none): what "LastFolder"
// remembers.
QString FolderOfPath(const QString& path);

// True for text that names an address rather than a file ("http://...", "mms://...").
bool IsMediaAddress(const QString& text);
