#pragma once
// What is open besides the subtitle document (document/captions.h holds gSubFile and
// gModified): the side windows read and set these as well as the main window.
#include <QString>

#include <cstdint>

extern QString gVideoFile;   // path or address the player plays; "" when none
extern QString gWaveFile;    // the WAV shown in the audio bar; "" when none
extern uint8_t gAudioChoice; // where an audio file goes: 0 nowhere, 1 audio bar, 2 player, 3 both
extern bool gWasPlaying;     // the player was playing when a load paused it
extern bool gClosing;        // the main window is unloading
extern bool gStopWave;       // asks a WAV load in progress to stop
