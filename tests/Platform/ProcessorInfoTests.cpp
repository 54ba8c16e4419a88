#include "Platform/ProcessorInfo.h"

#include <gtest/gtest.h>

#include <sched.h>

namespace orlix {
namespace {

TEST(ProcessorInfoTests, CountsTheProcessorsThisThreadMayRunOn) {
    cpu_set_t original;
    ASSERT_EQ(::sched_getaffinity(0, sizeof original, &original), 0);
    EXPECT_EQ(ProcessorInfo::activeProcessorCount(), CPU_COUNT(&original));

    int first = 0;
    while (!CPU_ISSET(first, &original)) {
        ++first;
    }
    cpu_set_t single;
    CPU_ZERO(&single);
    CPU_SET(first, &single);
    ASSERT_EQ(::sched_setaffinity(0, sizeof single, &single), 0);
    EXPECT_EQ(ProcessorInfo::activeProcessorCount(), 1);
    ASSERT_EQ(::sched_setaffinity(0, sizeof original, &original), 0);
}

} // namespace
} // namespace orlix
