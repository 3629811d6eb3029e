// A worker steps off its creator's processor and keeps every processor it may use.
#include "base/threadplace.h"

#include <sched.h>

#include <thread>
#include <utility>

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

TEST(ThreadPlace, AThreadAvoidsTheGivenProcessorForGood) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    int first = -1;
    for (int c = 0; c < CPU_SETSIZE && first < 0; ++c)
        if (CPU_ISSET(c, &allowed)) first = c;
    ASSERT_GE(first, 0);
    struct Outcome {
        bool avoided = false;
        cpu_set_t set{};
    };
    const auto avoid = [](int processor, cpu_set_t start) {
        Outcome o;
        std::thread([&] {
            sched_setaffinity(0, sizeof start, &start);
            o.avoided = AvoidProcessor(processor);
            CPU_ZERO(&o.set);
            sched_getaffinity(0, sizeof o.set, &o.set);
        }).join();
        return o;
    };
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    // Nowhere else to go, or nothing to avoid: it may use what it could before.
    for (const auto& [processor, start] : {std::pair{first, one}, std::pair{-1, allowed}}) {
        const Outcome o = avoid(processor, start);
        EXPECT_FALSE(o.avoided) << processor;
        EXPECT_TRUE(CPU_EQUAL(&o.set, &start)) << processor;
    }
    if (CPU_COUNT(&allowed) < 2) GTEST_SKIP() << "one processor only";
    const Outcome o = avoid(first, allowed);
    EXPECT_TRUE(o.avoided);
    cpu_set_t expected = allowed;
    CPU_CLR(first, &expected);
    EXPECT_TRUE(CPU_EQUAL(&o.set, &expected));
}
