#pragma once
#include <cstddef>

// A new thread gets a heap of its own that grows a page at a time, each step a call into the
// kernel that changes the process's memory map; every such step waits for, and stalls, the
// other threads' own (the main thread loading libraries and faulting pages in meanwhile). A
// worker that is about to allocate a lot takes a ThreadHeapRoom first: blocks taken at once
// grow its heap in large steps; given back, they are the room its allocations are taken from.
// The last block is kept while the room lives, so that the heap is not shrunk again. (Blocks
// stay below the size that is mapped on its own; untouched pages cost nothing.)
class ThreadHeapRoom {
public:
    explicit ThreadHeapRoom(size_t bytes);
    ~ThreadHeapRoom();
    ThreadHeapRoom(const ThreadHeapRoom&) = delete;
    ThreadHeapRoom& operator=(const ThreadHeapRoom&) = delete;

private:
    char* last_ = nullptr;
};
