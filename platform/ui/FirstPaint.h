#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class QWidget;

// The first paint of a large window spends most of its time on the pages of the window's new
// buffer, each handed out by the kernel on first touch: a few microseconds each, two thousand of
// them for a maximised window. Called right after the window is shown, while the window manager
// and the display server are still placing it: the buffer is made at once, at the size the
// window will first paint at, and helper threads have its pages mapped before the paint comes.
// The helpers only map pages; they never read or write what is in them.
void HastenFirstPaint(QWidget* window);

struct PageRange {
    uintptr_t begin;
    uintptr_t end; // one past the last byte
};

// The pages the helpers take, one range per helper, for a buffer of bytes at begin: its whole
// pages, split evenly. Empty when there is nothing to take.
std::vector<PageRange> HelperPageRanges(uintptr_t begin, size_t bytes, int helpers, size_t pageSize);

// Has the kernel map the pages of [begin, end) (page aligned) for writing, without reading or
// writing what is in them; back to front, so that a helper and the painting thread meet rather
// than take turns. False when the kernel refused (one without the call): the rest is left.
bool MapPages(uintptr_t begin, uintptr_t end);
