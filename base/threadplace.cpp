#include "base/threadplace.h"

#include <sched.h>

int CurrentProcessor() {
    return sched_getcpu();
}

void LeaveProcessor(int processor) {
    if (processor < 0 || processor >= CPU_SETSIZE) return;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    if (!CPU_ISSET(processor, &allowed) || CPU_COUNT(&allowed) < 2) return;
    cpu_set_t others = allowed;
    CPU_CLR(processor, &others);
    if (sched_setaffinity(0, sizeof others, &others) != 0) return;
    sched_setaffinity(0, sizeof allowed, &allowed);
}

int UsableProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 1;
    const int count = CPU_COUNT(&allowed);
    return count > 0 ? count : 1;
}
