#include "platform/memory.h"

#include <gtest/gtest.h>

TEST(Memory, memTotalIsReadInKibibytes) {
    EXPECT_EQ(platform::memTotalFromMeminfo("MemTotal:       98304 kB\nMemFree: 1 kB\n"),
              98304ULL * 1024);
    EXPECT_EQ(platform::memTotalFromMeminfo("MemFree: 1 kB\nMemTotal: 97280 kB"), 97280ULL * 1024);
}

TEST(Memory, missingOrMalformedMemTotalGivesZero) {
    EXPECT_EQ(platform::memTotalFromMeminfo(""), 0U);
    EXPECT_EQ(platform::memTotalFromMeminfo("MemTotal: lots kB\n"), 0U);
    EXPECT_EQ(platform::memTotalFromMeminfo("MemTotal: 99999999999999999999999 kB\n"), 0U);
}

TEST(Memory, thisMachineReportsItsMemory) {
    EXPECT_GT(platform::installedMemoryBytes(), 64ULL * 1024 * 1024);
}
