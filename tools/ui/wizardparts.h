#pragma once
// Pieces both video-tool wizards are made of: picture labels with the program's icons, link
// labels, the plain-text labels, the wizard's frame (title strip, pages, Back / Next / Cancel),
// the folder choice of the video tool and the output file page.
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;
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

// --- The frame ---

// Fills the title strip "picTop": the settings icon "imgDrag" beside the bold title "lblTop".
// The strip and the icon drag the window. Returns the title column, for a line under the title.
QVBoxLayout* BuildWizardTitle(QWidget* strip, QLabel** icon, QLabel** title);
// The stack "picStep" of count empty pages "picStep0"..., each also put into page[].
QStackedWidget* MakeWizardPages(QWidget* window, QWidget** page, int count);
// Back, Next (the default button) and Cancel: "cmdBack", "cmdNext", "cmdCancel".
void MakeWizardButtons(QWidget* window, QPushButton** back, QPushButton** next, QPushButton** cancel);
// The Next button's usual text ("Next >").
QString WizardNextText();
// Gives the three buttons their texts.
void SetWizardButtonTexts(QPushButton* back, QPushButton* next, QPushButton* cancel);
// Lays the window out: the strip edge to edge on top; below it, 12 pixels in, the side panel
// (when there is one) left of the pages, and the buttons at the bottom right.
void LayOutWizard(QWidget* window, QWidget* strip, QWidget* side, QWidget* pages, QPushButton* back,
                  QPushButton* next, QPushButton* cancel);

// --- The tool page ---

// The tool folder choice of both wizards: the folder browser with text 401; a chosen folder
// without the tool asks text 403 (Yes opens the tool's download page); with checkFilter, a folder
// without the subtitler filter asks text 402 (Yes opens the filter's page). The folder (ending in
// "/") when it was taken, and then stored as "VDPATH"; empty text otherwise.
QString BrowseToolFolder(QWidget* owner, bool checkFilter);
// The browse button of the tool page: a folder taken by BrowseToolFolder goes into folderBox and
// the tool's path in it into toolExe; otherwise both stay.
void BrowseToolInto(QWidget* owner, bool checkFilter, QLineEdit* folderBox, QString* toolExe);
// Whether the tool page may be left: a folder is chosen (else text 460) and the tool is there
// (else text 461). The message has been shown when not.
bool ToolPageDone(QWidget* owner, const QString& folder, const QString& toolExe);

// --- The output file page ---

// The save dialog of the output page (titled after saveButton, starting in the last folder with
// the box's name); the choice goes into box with the extension ext (".wav"). An existing file of
// that final name is asked about (text 414) before it is taken; No offers the dialog again. True
// when a file was chosen: replacing it has then been agreed to.
bool ChooseTargetFile(QWidget* owner, QPushButton* saveButton, QLineEdit* box, const QString& filter,
                      const QString& ext);
// Whether the output page may be left for target: every path fits a job script, the target is
// fit and none of the inputs, and (when confirm) an existing target may be replaced (text 414,
// No by default). The message has been shown when not.
bool TargetAccepted(QWidget* owner, const QString& target, const QStringList& inputs, bool confirm);
