// A worker steps off its creator's processor and keeps every processor it may use.
#include "base/threadplace.h"

#include <sched.h>

#include <thread>

#include <gtest/gtest.h>

TEST(ThreadPlace, AWorkerLeavesTheGivenProcessorAndMayUseAllAgain) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    EXPECT_EQ(UsableProcessors(), CPU_COUNT(&allowed));
    if (CPU_COUNT(&allowed) < 2) GTEST_SKIP() << "one processor only";
    const int creator = CurrentProcessor();
    ASSERT_GE(creator, 0);
    int before = -2, after = -2;
    cpu_set_t afterwards;
    CPU_ZERO(&afterwards);
    std::thread([&] {
        // Put where a new thread often starts: on its creator's processor.
        cpu_set_t only;
        CPU_ZERO(&only);
        CPU_SET(creator, &only);
        sched_setaffinity(0, sizeof only, &only);
        sched_setaffinity(0, sizeof allowed, &allowed);
        before = CurrentProcessor();
        LeaveProcessor(creator);
        after = CurrentProcessor();
        sched_getaffinity(0, sizeof afterwards, &afterwards);
    }).join();
    ASSERT_EQ(before, creator);
    EXPECT_NE(after, creator);
    EXPECT_TRUE(CPU_EQUAL(&afterwards, &allowed)) << CPU_COUNT(&afterwards) << " processors allowed afterwards";
    // Nothing to leave: nothing happens.
    std::thread([] { LeaveProcessor(-1); }).join();
}
