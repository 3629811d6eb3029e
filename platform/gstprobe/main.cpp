// The start's question to GStreamer, in a process of its own: prints "1" when GStreamer can make
// Qt's player, else "0" and the reason on the next line.
#include "platform/gstprobe/GStreamerProbe.h"

#include <cstdio>

int main() {
    const tGStreamerAnswer answer = ProbeGStreamer();
    std::printf("%d\n%s\n", answer.usable ? 1 : 0, answer.reason.c_str());
    return 0;
}
