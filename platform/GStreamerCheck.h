#pragma once
// Qt Multimedia's GStreamer backend builds its player from GStreamer elements and does not check
// that GStreamer could make them: on a machine without GStreamer's plugins (or with its plugin
// paths pointing at nothing) the first player crashes the whole program, unsaved captions and
// all. So GStreamer itself is asked, before any of Qt's media objects is made.
//
// GStreamer is loaded at run time (it comes with Qt's backend plugin): the program does not link
// it. Its set-up reads the plugin registry (milliseconds; about a second the first time on a
// machine) and allocates a great deal, so the start asks it in a small process of its own
// (scrivelle_gstprobe, beside the program) while the window is built.
#include <QString>

// Starts the start's question in its own process; later calls do nothing. Without the probe
// program, nothing is started and the answer is asked here when it is wanted.
void StartGStreamerCheck();

// The start's answer: whether GStreamer can make Qt's player (waits for the process
// StartGStreamerCheck began, or asks GStreamer here). False with the reason in *reason.
bool GStreamerCanPlayAtStart(QString* reason);

// Ends the start's question unanswered (its answer is not wanted: Qt plays without GStreamer).
void EndGStreamerCheck();

// Asks GStreamer in this process, once for the run (it is set up once per process); what the
// player is about to use. False with the reason, naming what is missing, in *reason.
bool GStreamerCanPlay(QString* reason);
