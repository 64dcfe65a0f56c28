#include <gtest/gtest.h>

#include <cmath>

#include "driver/tables.h"

namespace {

struct TablesTest : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_EQ(precalc_tables(), 1); }
};

TEST_F(TablesTest, ValuesAtKnownAngles) {
    EXPECT_FLOAT_EQ(wave_cos(0), 1.0f);
    EXPECT_FLOAT_EQ(wave_sin(0), 0.0f);
    EXPECT_NEAR(wave_sin(157), 1.0f, 1e-5);
    EXPECT_NEAR(wave_cos(314), -1.0f, 1e-5);
    for (int k : {1, 100, 1234, 3599}) {
        EXPECT_FLOAT_EQ(wave_cos(k), float(cos(0.01 * k))) << k;
        EXPECT_FLOAT_EQ(wave_sin(k), float(sin(0.01 * k))) << k;
    }
}

TEST_F(TablesTest, WrapIsAJumpNotAContinuation) {
    EXPECT_FLOAT_EQ(wave_cos(3600), 1.0f);
    EXPECT_NEAR(wave_cos(3599), -0.137f, 1e-3);
    EXPECT_NEAR(wave_sin(3599), -0.991f, 1e-3);
    EXPECT_FLOAT_EQ(wave_sin(7201), wave_sin(1));
}

TEST_F(TablesTest, NegativeArgumentsMirrorInsteadOfNegating) {
    EXPECT_NEAR(wave_sin(-157), 1.0f, 1e-5);
    EXPECT_FLOAT_EQ(wave_sin(-3601), wave_sin(1));
    EXPECT_FLOAT_EQ(wave_sin(-3601), wave_sin(3601));
    EXPECT_FLOAT_EQ(wave_cos(-200), wave_cos(200));
    EXPECT_FLOAT_EQ(wave_cos(-2147483647 - 1), wave_cos(2147483648LL % 3600));  // no overflow at INT_MIN
}

}  // namespace
