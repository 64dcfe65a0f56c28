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
            for (int b = 0; b < 256; b++) {
                if (blend_bytes(uint8_t(a), uint8_t(b), uint16_t(255 - f), uint16_t(f)) != blend_pixel(a, b, f))
                    FAIL() << a << " " << b << " " << f;
                // Both bytes of a pair at once: a with b in the low bytes, b with a in the high ones.
                if (blend_byte_pairs(uint16_t(a | b << 8), uint16_t(b | a << 8), uint16_t(255 - f), uint16_t(f)) !=
                    (blend_pixel(a, b, f) | blend_pixel(b, a, f) << 8))
                    FAIL() << "pair " << a << " " << b << " " << f;
            }
    Frame a = noise_frame(1), b = noise_frame(2), dst = make_frame();
    blend_frames(fb(a), fb(b), fb(dst), FRAME_BYTES + 1000, 300);  // no further than the frame
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

TEST(Average4DecayFilter, ThePlainMeanLoweredByOneButZeroOverTheFrameAtMost) {
    Frame src = noise_frame(31);
    for (int p = 1000; p < 9000; p++) src[size_t(p)] = uint8_t(p % 5 == 0 ? 3 : 0);  // means of 0 and 1
    for (int count : {FRAME_BYTES, 700, 2, FRAME_BYTES + 5000}) {
        Frame plain = make_frame(9), decayed = make_frame(9);
        average4_filter(fb(src), fb(plain), count);
        average4_decay_filter(fb(src), fb(decayed), count);
        for (int p = 0; p < FRAME_BYTES; p++)
            ASSERT_EQ(decayed[size_t(p)], p < 2 || p >= count ? 9 : std::max(plain[size_t(p)] - 1, 0)) << count << " " << p;
    }
    for (auto [v, want] : {std::pair{1, 0}, {200, 199}}) {
        Frame uniform = make_frame(uint8_t(v)), dst = make_frame();
        average4_decay_filter(fb(uniform), fb(dst), FRAME_BYTES);
        EXPECT_EQ(at(dst, 160, 120), want);
    }
}

TEST(NeighbourSum8Filter, ALonePixelGivesItsEightSamplesEightTimesItsValueAlongTheFlatRun) {
    struct Case {
        int w, h, dx, dy, at, value;
        std::vector<int> lit;  // where dst gets (8 * value) & 0xFF; the rest of the run gets 0
    };
    const int p = 100 * 320 + 100, q = 50 * 320 + 319;
    const Case cases[] = {
        {320, 240, 1, 1, p, 5, {p - 321, p - 320, p - 319, p - 1, p + 1, p + 319, p + 320, p + 321}},
        {320, 240, 1, 1, q, 5, {q - 321, q - 320, q - 319, q - 1, q + 1, q + 319, q + 320, q + 321}},  // row ends
        {320, 240, 3, 2, p, 33, {p - 643, p - 640, p - 637, p - 3, p + 3, p + 637, p + 640, p + 643}},  // 264 wraps to 8
        {320, 240, 1, 1, 0, 7, {1, 319, 320, 321}},  // the first pixel: 319 takes it as its upper right
        {10, 5, 1, 1, 45, 2, {34, 35, 36, 44, 46}},                   // a run of 50: 54 .. 56 lie outside it
        {320, 240, 0, 0, p, 3, {p}},                                  // all eight samples are the pixel itself
        {0, 240, 1, 1, p, 5, {}}, {320, -1, 1, 1, p, 5, {}},         // nothing written
        {320, 100000, 1, 1, FRAME_BYTES - 1, 1,  // cut to the frame
         {FRAME_BYTES - 322, FRAME_BYTES - 321, FRAME_BYTES - 320, FRAME_BYTES - 2}},
        {100000, 100000, 1, 1, FRAME_BYTES - 1, 1, {FRAME_BYTES - 2}},  // rows of 100000: only i - 1 in the run
    };
    for (const Case& c : cases) {
        Frame src = make_frame(), dst = make_frame(77);
        src[size_t(c.at)] = uint8_t(c.value);
        neighbour_sum8_filter(fb(src), fb(dst), c.w, c.h, c.dx, c.dy);
        int64_t run = c.w > 0 && c.h > 0 ? std::min<int64_t>(int64_t(c.w) * c.h, FRAME_BYTES) : 0;
        Frame want = dst;
        for (int64_t i = 0; i < FRAME_BYTES; i++) want[size_t(i)] = i < run ? 0 : 77;
        int lit_value = c.dx == 0 && c.dy == 0 ? 8 * 8 * c.value : 8 * c.value;
        for (int i : c.lit) want[size_t(i)] = uint8_t(lit_value);
        EXPECT_EQ(dst, want) << c.w << "x" << c.h << " " << c.dx << "," << c.dy << " at " << c.at;
    }
    Frame src = make_frame(), dst = make_frame();
    at(src, 99, 100) = 200, at(src, 101, 100) = 100;  // sums wrap in 8 bits before the shift: 300 -> 44
    neighbour_sum8_filter(fb(src), fb(dst), 320, 240, 1, 1);
    EXPECT_EQ(at(dst, 100, 100), uint8_t(44 << 3));
}

TEST(CopyDiagonal, EachPixelOfTheDiagonalTakesTheOneToItsRight) {
    Frame src = noise_frame(41), dst = make_frame(3), want = make_frame(3);
    for (int k = 0; k < 240; k++) at(want, k, k) = at(src, k + 1, k);
    copy_diagonal(fb(src), fb(dst));
    EXPECT_EQ(dst, want);
}

}  // namespace
