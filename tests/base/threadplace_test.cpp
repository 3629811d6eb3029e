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
    int left = -2, after = -2;
    cpu_set_t afterwards;
    CPU_ZERO(&afterwards);
    const int creator = CurrentProcessor();
    ASSERT_GE(creator, 0);
    std::thread([&] {
        LeaveProcessor(creator);
        left = CurrentProcessor();
        sched_getaffinity(0, sizeof afterwards, &afterwards);
        after = CPU_COUNT(&afterwards);
    }).join();
    EXPECT_NE(left, creator);
    EXPECT_TRUE(CPU_EQUAL(&afterwards, &allowed)) << after << " processors allowed afterwards";
    // Nothing to leave: nothing happens.
    std::thread([] { LeaveProcessor(-1); }).join();
}
