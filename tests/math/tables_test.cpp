#include <gtest/gtest.h>

#include <cmath>

#include "math/tables.h"

namespace {

TEST(WaveTables, EveryEntryIsTheNearestFloatTheWrapIsAJumpAndNegativesMirror) {
    ASSERT_EQ(precalc_tables(), 1);
    // k / 100.0L is within a long double rounding of 0.01 k; summing 0.01 in double is not
    // (entry 1567 of the sine came out one float too high).
    for (int k = 0; k < 3600; k++) {
        ASSERT_EQ(wave_cos(k), float(cosl(k / 100.0L))) << k;
        ASSERT_EQ(wave_sin(k), float(sinl(k / 100.0L))) << k;
    }
    EXPECT_FLOAT_EQ(wave_cos(3600), 1.0f);  // not cos(36)
    EXPECT_FLOAT_EQ(wave_sin(7201), wave_sin(1));
    EXPECT_NEAR(wave_sin(-157), 1.0f, 1e-5);  // sin(|k|), not -sin(|k|)
    EXPECT_FLOAT_EQ(wave_sin(-3601), wave_sin(1));
    EXPECT_FLOAT_EQ(wave_cos(-200), wave_cos(200));
    EXPECT_FLOAT_EQ(wave_cos(-2147483647 - 1), wave_cos(2147483648LL % 3600));  // no overflow at INT_MIN
}

}  // namespace
