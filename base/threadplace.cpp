#include "base/threadplace.h"

#include <sched.h>

int CurrentProcessor() {
    return sched_getcpu();
}

namespace {

// Allows the calling thread every processor it may use but the given one; allowed receives what
// it could use before. False when that leaves nothing or the system refused.
bool AllowAllBut(int processor, cpu_set_t& allowed) {
    if (processor < 0 || processor >= CPU_SETSIZE) return false;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
    if (!CPU_ISSET(processor, &allowed) || CPU_COUNT(&allowed) < 2) return false;
    cpu_set_t others = allowed;
    CPU_CLR(processor, &others);
    return sched_setaffinity(0, sizeof others, &others) == 0;
}

} // namespace

void LeaveProcessor(int processor) {
    cpu_set_t allowed;
    if (AllowAllBut(processor, allowed)) sched_setaffinity(0, sizeof allowed, &allowed);
}

bool AvoidProcessor(int processor) {
    cpu_set_t allowed;
    return AllowAllBut(processor, allowed);
}

int UsableProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 1;
    const int count = CPU_COUNT(&allowed);
    return count > 0 ? count : 1;
}
