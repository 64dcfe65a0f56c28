#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/trig.h"

namespace {

// Error of got against the 64-bit-mantissa reference, in units of the last place of a double.
double ulps(double got, long double want) {
    double w = double(want);
    double ulp = std::nextafter(std::fabs(w), INFINITY) - std::fabs(w);
    if (w == 0) ulp = std::nextafter(0.0, 1.0);
    return double(std::fabs((long double)got - want) / ulp);
}

// Every range the show uses and far beyond, including the arguments closest to multiples of π/2
// that a double can hold, where the reduction cancels the most bits.
TEST(Trig, WithinHalfAnUlpAndATinyBitEverywhere) {
    struct Range {
        const char* name;
        double low, high;
    };
    const Range ranges[] = {{"tiny", 1e-10, 1e-6},      {"quarter turn", 0.0, 0.7853981633974483},
                            {"wave tables", 0.0, 36.0}, {"moderate", 36.0, 1e5},
                            {"medium edge", 1.6e6, 1.7e6}, {"large", 1e7, 1e15},
                            {"huge", 1e15, 1e300}};
    std::mt19937_64 rng(17);
    for (const Range& r : ranges) {
        double worst = 0;
        for (int i = 0; i < 20000; i++) {
            double u = std::uniform_real_distribution<double>(0, 1)(rng);
            double x = r.low > 0 && r.high / r.low > 1e6 ? r.low * std::pow(r.high / r.low, u) : r.low + (r.high - r.low) * u;
            if (i % 2) x = -x;
            worst = std::max({worst, ulps(trig_sin(x), sinl((long double)x)), ulps(trig_cos(x), cosl((long double)x))});
        }
        EXPECT_LT(worst, 0.501) << r.name;
    }
    const double hard[] = {1.5707963267948966, 3.141592653589793, 6.283185307179586, 0x1.921fb54442d18p+5,
                           6381956970095103.0 * 0x1p797,  // the double closest to a multiple of π/2
                           1e22, 5.319372648326541e255, 1.5 * 0x1p1023, 1647099.0, 1647100.5};
    for (double x : hard) {
        EXPECT_LT(ulps(trig_sin(x), sinl((long double)x)), 0.501) << x;
        EXPECT_LT(ulps(trig_cos(x), cosl((long double)x)), 0.501) << x;
    }
}

TEST(Trig, ExactValuesAndSpecials) {
    EXPECT_EQ(trig_sin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(trig_sin(-0.0)));
    EXPECT_EQ(trig_cos(0.0), 1.0);
    EXPECT_EQ(trig_cos(-0.0), 1.0);
    EXPECT_EQ(trig_sin(1e-300), 1e-300);
    for (double x : {INFINITY, -INFINITY, NAN}) {
        EXPECT_TRUE(std::isnan(trig_sin(x))) << x;
        EXPECT_TRUE(std::isnan(trig_cos(x))) << x;
    }
    // Odd and even in every quadrant, bit for bit.
    for (double x : {0.5, 2.0, 4.0, 5.5, 100.25, 3e6, 1e200}) {
        EXPECT_EQ(trig_sin(-x), -trig_sin(x)) << x;
        EXPECT_EQ(trig_cos(-x), trig_cos(x)) << x;
    }
}

}  // namespace
