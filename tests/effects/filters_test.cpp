#include <gtest/gtest.h>

#include <algorithm>

#include "effects/filters.h"
#include "support/frames.h"

namespace {

TEST(BlendPixel, DarkerThanTheWeightedMeanWithTheLowByteOfTheFactorAndAClampAtZero) {
    const int cases[][4] = {{100, 200, 128, 149}, {0, 200, 180, 140}, {200, 0, 180, 58},   {255, 255, 0, 254},
                            {255, 255, 180, 253}, {0, 77, 0, 0},      {100, 200, 384, 149}, {-300, 0, 0, 0},
                            {-1, 0, 0, 0}};
    for (auto [a, b, f, want] : cases) EXPECT_EQ(blend_pixel(a, b, f), want) << a << " " << b << " " << f;
    EXPECT_EQ(blend_pixel(100, 200, -128), blend_pixel(100, 200, 128));
    for (int v = 1; v <= 255; v++) {
        EXPECT_EQ(blend_pixel(v, 99, 0), v - 1) << v;
        EXPECT_EQ(blend_pixel(99, v, 255), v - 1) << v;
    }
}

TEST(BlendPixel, TheFastFormsGiveTheSameForEveryByte) {
    for (int f = 0; f < 256; f++)
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                if (blend_bytes(uint8_t(a), uint8_t(b), uint16_t(255 - f), uint16_t(f)) != blend_pixel(a, b, f))
                    FAIL() << a << " " << b << " " << f;
    Frame a = noise_frame(1), b = noise_frame(2), dst = make_frame();
    blend_frames(fb(a), fb(b), fb(dst), FRAME_BYTES, 300);
    for (int p = 0; p < FRAME_BYTES; p++) ASSERT_EQ(dst[p], blend_pixel(a[p], b[p], 44)) << p;
}

TEST(Average4Filter, FlooredMeanOfTheFourNeighboursAcrossRowEnds) {
    Frame src = make_frame(), dst = make_frame(), want = make_frame();
    at(src, 100, 100) = 255;
    at(src, 319, 50) = 200;  // its right neighbour is the first pixel of row 51
    average4_filter(fb(src), fb(dst), FRAME_BYTES);
    at(want, 99, 100) = at(want, 101, 100) = at(want, 100, 99) = at(want, 100, 101) = 63;
    at(want, 318, 50) = at(want, 0, 51) = at(want, 319, 49) = at(want, 319, 51) = 50;
    EXPECT_EQ(dst, want);

    src = noise_frame(21);
    for (int p = 0; p < 4000; p++) src[size_t(p)] = uint8_t(p % 2 ? 255 : p % 7);  // extremes and odd sums
    average4_filter(fb(src), fb(dst), FRAME_BYTES);
    for (int p = 320; p < FRAME_BYTES - 320; p++)
        ASSERT_EQ(dst[p], (src[p - 1] + src[p + 1] + src[p - 320] + src[p + 320]) / 4) << p;
}

TEST(Average4Filter, MissingNeighboursReadZeroAndTheFirstTwoBytesAreKept) {
    // Buffers of exactly count bytes (one for a count of 0): nothing outside them may be read.
    for (int count : {FRAME_BYTES, 0, 1, 2, 3, 500, 700}) {
        size_t bytes = size_t(std::max(count, 1));
        std::vector<uint8_t> src(bytes, 200), dst(bytes, 9);
        average4_filter(fb(src), fb(dst), count);
        for (int p = 0; p < int(bytes); p++) {
            int present = (p + 1 < count) + (p >= 320) + (p + 320 < count) + 1;
            ASSERT_EQ(dst[size_t(p)], p < 2 ? 9 : present * 200 / 4) << count << " " << p;
        }
    }
}

}  // namespace
