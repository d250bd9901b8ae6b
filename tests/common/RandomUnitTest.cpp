#include "common/RandomUnit.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

// The Windows runtime's rand after srand(1); the Linux build must draw the
// same, so that the same seed spawns the same sprites on both.
TEST(RandomUnit, MatchesTheWindowsRuntimeSequence)
{
    platformSeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) {
        EXPECT_EQ(platformRandom(), value);
    }
}

TEST(RandomUnit, StaysBelowOneAtTheLargestDraw)
{
    const double largest = 32767.0 * static_cast<double>(kRandomScale);
    EXPECT_LT(largest, 1.0);
    EXPECT_EQ(static_cast<int>(largest * 42), 41);
    EXPECT_EQ(static_cast<float>(32767) * kRandomScale, 1.0f) << "single precision would round up";
}

TEST(RandomUnit, ScalesRandByTheSingleConstant)
{
    platformSeedRandom(7);
    const int first = platformRandom();
    platformSeedRandom(7);
    EXPECT_DOUBLE_EQ(randomUnit(), first * static_cast<double>(kRandomScale));
    for (int i = 0; i < 10000; ++i) {
        const double u = randomUnit();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
}
