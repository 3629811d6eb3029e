#pragma once
// Pieces both video-tool wizards are made of: picture labels with the program's icons, link
// labels, the plain-text labels, and the folder choice of the video tool.
#include <QString>

class QLabel;
class QWidget;

// A label showing icon number index at size x size pixels.
QLabel* MakeIconLabel(QWidget* parent, const char* name, int index, int size);
// Draws icon number index into an existing label (replacing what it showed).
void SetIconLabel(QLabel* label, int index, int size);
// A label that shows text as plain text, word-wrapped.
QLabel* MakeTextLabel(QWidget* parent, const char* name);
// A label drawn as a link (underlined, hand cursor).
QLabel* MakeLinkLabel(QWidget* parent, const char* name);

// The stored "LastFolder", or the program folder.
QString WizardStartFolder();

// The tool folder choice of both wizards: the folder browser with text 401; a chosen folder
// without the tool asks text 403 (Yes opens the tool's download page); with checkFilter, a folder
// without the subtitler filter asks text 402 (Yes opens the filter's page). The folder (ending in
// "/") when it was taken, and then stored as "VDPATH"; empty text otherwise.
QString BrowseToolFolder(QWidget* owner, bool checkFilter);
