#include <gtest/gtest.h>

#include <cmath>

#include "driver/tables.h"

namespace {

TEST(WaveTables, KnownAnglesWrapAsAJumpAndNegativesMirror) {
    ASSERT_EQ(precalc_tables(), 1);
    for (int k : {0, 1, 100, 157, 314, 1234, 3599}) {
        EXPECT_FLOAT_EQ(wave_cos(k), float(cos(0.01 * k))) << k;
        EXPECT_FLOAT_EQ(wave_sin(k), float(sin(0.01 * k))) << k;
    }
    EXPECT_FLOAT_EQ(wave_cos(3600), 1.0f);  // not cos(36)
    EXPECT_FLOAT_EQ(wave_sin(7201), wave_sin(1));
    EXPECT_NEAR(wave_sin(-157), 1.0f, 1e-5);  // sin(|k|), not -sin(|k|)
    EXPECT_FLOAT_EQ(wave_sin(-3601), wave_sin(1));
    EXPECT_FLOAT_EQ(wave_cos(-200), wave_cos(200));
    EXPECT_FLOAT_EQ(wave_cos(-2147483647 - 1), wave_cos(2147483648LL % 3600));  // no overflow at INT_MIN
}

}  // namespace
