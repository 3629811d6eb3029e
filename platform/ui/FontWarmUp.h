#pragma once
// The first use of a font on a thread finds its fall-back families, which for a family that is
// not installed means sorting every installed font: a millisecond or more. What is found is
// shared by all threads, so at start-up a worker measures the fonts the main window is about to
// use while the window is built. Without a worker (tests, tools) WarmUpFont does nothing.
#include <functional>

class QFont;

// warm: hands a font to the worker and returns at once; null when there is no worker. Set and
// used on the main thread only.
void SetFontWarmUp(std::function<void(const QFont&)> warm);
void WarmUpFont(const QFont& font);
