#pragma once
// Qt Multimedia's GStreamer backend builds its player from GStreamer elements and does not check
// that GStreamer could make them: on a machine without GStreamer's plugins (or with its plugin
// paths pointing at nothing) the first player crashes the whole program, unsaved captions and
// all. So GStreamer itself is asked, before any of Qt's media objects is made.
//
// GStreamer is loaded at run time (it comes with Qt's backend plugin), and only for this: the
// program does not link it. Its set-up reads the plugin registry, which takes milliseconds (and
// about a second the first time on a machine); the start asks on a thread of its own.
#include <QString>
#include <QStringList>

// The elements Qt's GStreamer player is made of, the playing bin first.
const QStringList& GStreamerPlayerElements();

// Starts asking GStreamer on a thread of its own; later calls do nothing.
void StartGStreamerCheck();

// Whether GStreamer can make every element of GStreamerPlayerElements(): waits for the check
// StartGStreamerCheck began, or asks here. The answer is kept for the run (GStreamer is set up
// once per process). False with the reason, naming what is missing, in *reason.
bool GStreamerCanPlay(QString* reason);
