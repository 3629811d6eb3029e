#pragma once
#include <QIcon>

class QPainter;
class QWidget;

// Starts moving a window without a title bar as if its title bar were dragged (from a
// mouse-press handler of the picture that stands in for the title). The window manager moves
// it where it offers that; elsewhere the window follows the mouse until the button comes up.
void DragForm(QWidget* window);

// Closes and deletes a window only when it is one of the live top-level windows; a null
// pointer, or a window already unloaded, is left alone (a second call does nothing).
void UnloadForm(QWidget* window);

// The program's own icons, drawn once: 0 the application, 1 settings, 2 information,
// 3 warning, 4 video, 5 audio. Other indexes give the application icon.
QIcon AppIcon(int index);

// Draws icon number index at x, y in the given size (pixels).
void DrawAppIcon(QPainter& painter, int index, int x, int y, int width, int height);
