#include <gtest/gtest.h>

#include "effects/filters.h"
#include "support/frames.h"

namespace {

TEST(BlendPixel, DarkerThanTheWeightedMean) {
    EXPECT_EQ(blend_pixel(100, 200, 128), 149);
    EXPECT_EQ(blend_pixel(0, 200, 180), 140);
    EXPECT_EQ(blend_pixel(200, 0, 180), 58);
    EXPECT_EQ(blend_pixel(255, 255, 0), 254);
    EXPECT_EQ(blend_pixel(255, 255, 128), 253);
    EXPECT_EQ(blend_pixel(255, 255, 180), 253);
    EXPECT_EQ(blend_pixel(0, 77, 0), 0);
    for (int v = 1; v <= 255; v++) {
        EXPECT_EQ(blend_pixel(v, 99, 0), v - 1) << v;
        EXPECT_EQ(blend_pixel(99, v, 255), v - 1) << v;
    }
}

TEST(BlendPixel, OnlyTheLowByteOfTheFactorCountsAndNegativeSumsClampToZero) {
    EXPECT_EQ(blend_pixel(100, 200, 384), 149);
    EXPECT_EQ(blend_pixel(100, 200, -128), blend_pixel(100, 200, 128));
    EXPECT_EQ(blend_pixel(-300, 0, 0), 0);
    EXPECT_EQ(blend_pixel(-1, 0, 0), 0);
}

TEST(BlendBytes, SameAsBlendPixelForEveryByte) {
    for (int f = 0; f < 256; f++) {
        uint16_t wa = uint16_t(255 - f), wb = uint16_t(f);
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                if (blend_bytes(uint8_t(a), uint8_t(b), wa, wb) != blend_pixel(a, b, f))
                    FAIL() << a << " " << b << " " << f;
    }
}

TEST(BlendFrames, BlendsEveryPixelAlsoInPlace) {
    Frame a = noise_frame(1), b = noise_frame(2), dst = make_frame();
    blend_frames(a.data(), b.data(), dst.data(), FRAME_BYTES, 300);
    for (int p = 0; p < FRAME_BYTES; p++) ASSERT_EQ(dst[p], blend_pixel(a[p], b[p], 44)) << p;
    Frame expected = dst;
    blend_frames(a.data(), b.data(), a.data(), FRAME_BYTES, 44);
    EXPECT_EQ(a, expected);
}

TEST(Average4Filter, MeanOfTheFourNeighboursWithoutThePixelItself) {
    Frame src = make_frame(), dst = make_frame();
    at(src, 100, 100) = 255;
    average4_filter(src.data(), dst.data(), FRAME_BYTES);
    EXPECT_EQ(at(dst, 99, 100), 63);
    EXPECT_EQ(at(dst, 101, 100), 63);
    EXPECT_EQ(at(dst, 100, 99), 63);
    EXPECT_EQ(at(dst, 100, 101), 63);
    EXPECT_EQ(at(dst, 100, 100), 0);
    int lit = 0;
    for (uint8_t v : dst) lit += v != 0;
    EXPECT_EQ(lit, 4);
}

TEST(Average4Filter, FlooredMeanOfEveryMixOfValues) {
    Frame src = noise_frame(21), dst = make_frame();
    for (int p = 0; p < 4000; p++) src[size_t(p)] = uint8_t(p % 2 ? 255 : p % 7);  // extremes and odd sums
    average4_filter(src.data(), dst.data(), FRAME_BYTES);
    for (int p = 320; p < FRAME_BYTES - 320; p++)
        ASSERT_EQ(dst[p], (src[p - 1] + src[p + 1] + src[p - 320] + src[p + 320]) / 4) << p;
}

TEST(Average4Filter, RowsDoNotStopIt) {
    Frame src = make_frame(), dst = make_frame();
    at(src, 319, 50) = 200;  // right neighbour of the last pixel of row 50 is the first of row 51
    average4_filter(src.data(), dst.data(), FRAME_BYTES);
    EXPECT_EQ(at(dst, 0, 51), 50);
    EXPECT_EQ(at(dst, 318, 50), 50);
}

TEST(Average4Filter, MissingNeighboursReadZeroAndTheFirstTwoBytesAreKept) {
    Frame src = make_frame(200), dst = make_frame(9);
    average4_filter(src.data(), dst.data(), FRAME_BYTES);
    EXPECT_EQ(dst[0], 9);
    EXPECT_EQ(dst[1], 9);
    EXPECT_EQ(dst[2], 150);                         // no upper neighbour
    EXPECT_EQ(at(dst, 160, 120), 200);              // interior
    EXPECT_EQ(at(dst, 5, 239), 150);                // no lower neighbour
    EXPECT_EQ(dst[FRAME_BYTES - 1], 100);           // neither lower nor right
    EXPECT_EQ(src, make_frame(200));
}

TEST(Average4Filter, ShortCountStaysInsideBuffersOfThatSize) {
    for (int count : {0, 1, 2, 3, 500, 700}) {
        std::vector<uint8_t> src(size_t(count), 100), dst(size_t(count), 1);
        average4_filter(src.data(), dst.data(), count);
        for (int p = 2; p < count; p++) {
            int n = (p + 1 < count) + (p >= 320) + (p + 320 < count) + 1;
            ASSERT_EQ(dst[size_t(p)], n * 100 / 4) << count << " " << p;
        }
    }
}

}  // namespace
