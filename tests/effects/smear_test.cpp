#include <gtest/gtest.h>

#include <algorithm>

#include "effects/filters.h"
#include "effects/smear.h"
#include "support/frames.h"

namespace {

// The smear as its defining loops read: one pixel at a time, accumulators and all, reading in
// and writing out (in place when they are the same frame).
void smear_one_by_one(Frame& in, Frame& out, int cx, int cy, int step, int factor) {
    auto blend = [&](int x, int y, int sx, int sy) { at(out, x, y) = uint8_t(blend_pixel(at(in, x, y), at(in, sx, sy), factor)); };
    for (int y = cy, r = 0; y >= 0; y--, r -= step) {
        int sy = y - (r >> 16);
        for (int x = cx, t = 0; x >= 0; x--, t -= step) blend(x, y, x - (t >> 16), sy);
        for (int x = cx + 1, u = step; x <= 319; x++, u += step) blend(x, y, x - (u >> 16), sy);
    }
    for (int y = cy + 1, r = step; y <= 239; y++, r += step) {
        int sy = y - 1 - (r >> 16);
        for (int x = cx, t = 0; x >= 0; x--, t -= step) blend(x, y, x - (t >> 16), sy);
        for (int x = cx, u = step; x <= 319; x++, u += step) blend(x, y, x - (u >> 16), sy);
    }
}

TEST(RadialSmear, AllWhiteFrameFromTheCorner) {
    Frame f = make_frame(255);
    radial_smear(fb(f), 319, 239, 4000, 180);
    EXPECT_EQ(*std::min_element(f.begin(), f.end()), 249);
    EXPECT_EQ(*std::max_element(f.begin(), f.end()), 253);
    EXPECT_EQ(at(f, 319, 239), 253);
    EXPECT_EQ(at(f, 0, 0), 249);
}

TEST(RadialSmear, SinglePixelLeavesAStreakAwayFromTheCentre) {
    Frame f = make_frame();
    at(f, 100, 100) = 200;
    radial_smear(fb(f), 160, 120, 4000, 180);
    EXPECT_EQ(at(f, 100, 100), 58);
    EXPECT_EQ(at(f, 96, 98), 40);
    EXPECT_EQ(at(f, 91, 96), 28);
    EXPECT_EQ(at(f, 86, 94), 19);
    EXPECT_EQ(at(f, 49, 78), 1);
    EXPECT_EQ(at(f, 49, 79), 1);
    int lit = 0;
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            if (!at(f, x, y)) continue;
            lit++;
            EXPECT_TRUE(x <= 100 && y <= 100) << x << "," << y;
        }
    }
    EXPECT_EQ(lit, 14);
    Frame black = make_frame();
    radial_smear(fb(black), 160, 120, 4000, 180);
    EXPECT_EQ(black, make_frame());
}

TEST(RadialSmear, RowAtATimeFormsMatchThePixelOrderInPlaceAndCopying) {
    // Centres and steps of every scene, the frame's corners and edges, step 0 and the largest.
    const int calls[][4] = {{160, 195, 4500, 200}, {140, 180, 3500, 150}, {319, 239, 4000, 180},
                            {20, 0, 4500, 215},    {300, 200, 4500, 215}, {240, 5, 40000, 205},
                            {150, 215, 40000, 205}, {0, 0, 4000, 180},    {0, 239, 65535, 1},
                            {319, 0, 0, 128},      {77, 238, 0, 255},     {318, 1, 30000, 0}};
    for (const auto& c : calls) {
        const Frame src = noise_frame(uint32_t(c[0] * 1000 + c[1]));
        Frame fast = src, slow = src;
        radial_smear(fb(fast), c[0], c[1], c[2], c[3]);
        smear_one_by_one(slow, slow, c[0], c[1], c[2], c[3] & 0xFF);
        ASSERT_EQ(fast, slow) << c[0] << "," << c[1] << " step " << c[2];

        // The copy reads src only: the same samples, nothing carried from one blend to the next.
        Frame in = src, copied = make_frame(7), want = make_frame(7);
        radial_smear_copy(fb(in), fb(copied), c[0], c[1], c[2], c[3]);
        smear_one_by_one(in, want, c[0], c[1], c[2], c[3] & 0xFF);
        ASSERT_EQ(in, src);
        ASSERT_EQ(copied, want) << c[0] << "," << c[1] << " step " << c[2];
        Frame same = src;
        radial_smear_copy(fb(same), fb(same), c[0], c[1], c[2], c[3]);
        ASSERT_EQ(same, fast) << "a copy onto itself is the in-place smear";
    }
}

TEST(RadialSmear, CentresOutsideTheFrameAreClampedAndBadStepsRefused) {
    Frame src = noise_frame(7);
    Frame clamped = src, inside = src;
    radial_smear(fb(clamped), -50, 400, 4000, 180);
    radial_smear(fb(inside), 0, 239, 4000, 180);
    EXPECT_EQ(clamped, inside);
    clamped = src, inside = src;
    radial_smear(fb(clamped), 2147483647, -2147483647 - 1, 40000, 205);
    radial_smear(fb(inside), 319, 0, 40000, 205);
    EXPECT_EQ(clamped, inside);
    for (int step : {65536, 1 << 30, -1, -4000}) {
        Frame f = src, dst = make_frame(5);
        radial_smear(fb(f), 160, 120, step, 180);
        EXPECT_EQ(f, src) << step;
        radial_smear_copy(fb(f), fb(dst), 160, 120, step, 180);
        EXPECT_EQ(dst, make_frame(5)) << step;
    }
}

}  // namespace
