#pragma once
#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QPainter;
class QPushButton;
class QWidget;

// Starts moving a window without a title bar as if its title bar were dragged (from a
// mouse-press handler of the picture that stands in for the title). The window manager moves
// it where it offers that; elsewhere the window follows the mouse until the button comes up.
void DragForm(QWidget* window);
// Makes handle (a title picture or title label) move its window with DragForm when the left
// button is pressed on it; the press goes no further.
void MakeDragHandle(QWidget* handle);

// Closes and deletes a window only when it is one of the live top-level windows; a null
// pointer, or a window already unloaded, is left alone (a second call does nothing).
void UnloadForm(QWidget* window);

// The program's own icons, drawn once: 0 the application, 1 settings, 2 information,
// 3 warning, 4 video, 5 audio. Other indexes give the application icon.
QIcon AppIcon(int index);

// Draws icon number index at x, y in the given size (pixels).
void DrawAppIcon(QPainter& painter, int index, int x, int y, int width, int height);

// Icon number index drawn size x size pixels with margin pixels of clear room on every side
// (the pixmap is size + 2 * margin square): the title pictures of the borderless windows.
QPixmap AppIconPixmap(int index, int size, int margin = 0);

// A label named name that shows its text as plain text (text from files stays text).
QLabel* MakePlainLabel(QWidget* parent, const char* name);
// Gives a label the look of a link: underlined, with the pointing hand over it.
void ShowAsLink(QLabel* label);
// A button named name that leaves Enter to the window's default button when it has the focus.
QPushButton* MakeNamedButton(QWidget* parent, const char* name);

// A menu or button text without its "..." ("Save as..." -> "Save as"), for window titles.
QString WithoutEllipsis(QString text);
