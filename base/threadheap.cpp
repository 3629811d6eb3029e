#include "base/threadheap.h"

#include <cstdlib>
#include <vector>

ThreadHeapRoom::ThreadHeapRoom(size_t bytes) {
    constexpr size_t kBlock = 120 << 10;
    std::vector<char*> blocks;
    blocks.reserve(bytes / kBlock + 1);
    for (size_t got = 0; got < bytes; got += kBlock) {
        char* block = static_cast<char*>(std::malloc(kBlock));
        if (!block) break;
        // Written to, so that the compiler keeps the block.
        *static_cast<volatile char*>(block) = 0;
        blocks.push_back(block);
    }
    if (blocks.empty()) return;
    last_ = blocks.back();
    blocks.pop_back();
    for (char* block : blocks)
        std::free(block);
}

ThreadHeapRoom::~ThreadHeapRoom() {
    std::free(last_);
}
