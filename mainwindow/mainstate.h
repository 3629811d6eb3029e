#pragma once
// The window-frame figures the main window's layout works with, and what it makes of the
// command line. What it has open (video, audio) is in document/mediastate.h.
#include "document/mediastate.h"

#include <QString>

#include <cstdint>

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
