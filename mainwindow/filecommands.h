#pragma once
// The pieces of the File menu that need no window: the dialog filters, the name a saved file
// gets, the captions made from clipboard text, and the media length asked of the player.
#include "document/captions.h"

#include <QString>

#include <cstdint>
#include <vector>

class IMediaPlayer;

// The most captions New from clipboard makes.
inline constexpr int kMaxClipboardCaptions = 32000;

// "All supported formats" followed by one entry per format of the catalogue (formats whose id
// ends in "_RSS" are left out), in the dialogs' "description|patterns|" form.
QString SubtitleOpenFilter();

// The video and audio filters of the Open commands; audioChoice 2 (player only) offers every
// audio type the player takes, the others PCM WAV only.
QString VideoOpenFilter();
QString AudioOpenFilter(int audioChoice);

// The Save as filter of format id: its name and extensions ("SubRip (srt)|*.srt").
QString SaveAsFilter(const QString& id);

// The path a Save as answer is written to: a name that already ends in one of the format's
// extensions (in any case) stays as it is; any other gets the format's first extension.
QString WithFormatExtension(const QString& path, const QString& id);

// The name Save as offers: the open subtitle's (or else the open video's) name with the
// format's first extension; empty when neither is open.
QString DefaultSaveName(const QString& subFile, const QString& videoFile, const QString& id);

// The captions New from clipboard makes of a text: one untimed caption per line that is not
// blank, trimmed, at most kMaxClipboardCaptions. Lines end at CR LF, LF or CR.
std::vector<tSubtitleLine> ClipboardCaptions(const QString& text);

// The number of the first caption that has no times, or 0 when every caption is timed.
int FirstUntimedCaption();

// How many start and end times of captions 1..count (those with a text, which a save writes) lie
// beyond the largest time a file holds, 99:59:59.999 (a time shift can take them there); a save
// writes them as that time.
int TimesBeyondLimit(int count);
// What a save says of those times: "N times lay beyond 99:59:59.999 and were written as
// 99:59:59.999."
QString TimesBeyondLimitText(int times);

// The media's length in whole seconds. When the player does not know it yet, the media plays
// until it does, while window events keep running; after at most timeoutMs it gives up (0).
// The player is left in the state and at the position it had.
int32_t GetMediaLength(IMediaPlayer& player, int timeoutMs = 10000);
// The same for the main window's player (0 when there is no main window).
int32_t GetMediaLength();
