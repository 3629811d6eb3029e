#pragma once
#include <functional>

class QApplication;

// Everything main() does: the application object, the program's names and icon, the message
// box and dialog seams, the start window and the event loop. Returns the exit code.
// onStart, when given, sees the application object before anything else runs (the start-up
// benchmark watches for the first window through it).
int RunProgram(int& argc, char** argv, const std::function<void(QApplication&)>& onStart = {});
