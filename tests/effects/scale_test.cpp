#include <gtest/gtest.h>

#include <algorithm>

#include "effects/filters.h"
#include "effects/scale.h"
#include "support/frames.h"

namespace {

// The source columns (or rows) a scale of distinct values takes.
std::vector<int> taken(int from, int to, bool rows) {
    std::vector<uint8_t> src(static_cast<size_t>(from)), dst(static_cast<size_t>(to));
    for (int i = 0; i < from; i++) src[size_t(i)] = uint8_t(i);
    scale_image(rows ? 1 : from, rows ? from : 1, src.data(), rows ? 1 : to, rows ? to : 1, dst.data());
    return std::vector<int>(dst.begin(), dst.end());
}

TEST(ScaleImage, NearestNeighbourByTruncatedSteps) {
    for (bool rows : {false, true}) {
        EXPECT_EQ(taken(10, 3, rows), (std::vector<int>{0, 3, 6}));
        EXPECT_EQ(taken(3, 2, rows), (std::vector<int>{0, 1}));
        EXPECT_EQ(taken(3, 10, rows), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));
    }
    std::vector<uint8_t> square = {1, 2, 3, 4}, big(16);
    scale_image(2, 2, square.data(), 4, 4, big.data());
    EXPECT_EQ(big, (std::vector<uint8_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
}

TEST(ScaleImage, EmptyOrNegativeSizesWriteNothingAndTheLargestBlockFits) {
    auto pic = numbered_pixels(4, 4);
    std::vector<uint8_t> dst(64, 77);
    for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {-3, 4}, {4, -3}, {-8, -8}}) {
        scale_image(4, 4, pic.data(), w, h, dst.data());
        scale_image(w, h, pic.data(), 4, 4, dst.data());
    }
    EXPECT_EQ(dst, std::vector<uint8_t>(64, 77));
    auto big = numbered_pixels(160, 120);
    Frame work = make_frame();
    scale_image(160, 120, big.data(), 230, 230, work.data());
    EXPECT_EQ(work[230 * 230 - 1], big.back());
    EXPECT_EQ(work[230 * 230], 0);
}

TEST(BlendBlit, ClipsAtEveryEdge) {
    auto block = numbered_pixels(10, 10);
    // (x, y) and the visible screen columns and rows.
    const int cases[][6] = {{-2, 50, 0, 7, 50, 59}, {315, 50, 315, 319, 50, 59}, {40, 235, 40, 49, 235, 239},
                            {40, -3, 40, 49, 0, 6}, {-9, -9, 0, 0, 0, 0},        {320, 0, 1, 0, 1, 0},
                            {-10, 0, 1, 0, 1, 0},   {0, 240, 1, 0, 1, 0},        {2147483647, -2147483647 - 1, 1, 0, 1, 0}};
    for (const auto& c : cases) {
        Frame f = make_frame();
        blend_blit(block.data(), fb(f), 10, 10, c[0], c[1], 0);  // factor 0: the block, one step darker
        for (int p = 0; p < FRAME_BYTES; p++) {
            int sx = p % SCREEN_WIDTH, sy = p / SCREEN_WIDTH;
            bool inside = sx >= c[2] && sx <= c[3] && sy >= c[4] && sy <= c[5];
            ASSERT_EQ(f[size_t(p)], inside ? block[size_t((sy - c[1]) * 10 + sx - c[0])] - 1 : 0) << c[0] << "," << c[1];
        }
    }
    Frame f = make_frame();
    blend_blit(block.data(), fb(f), 0, 0, 320, 1, 25);  // the scene's size-0 frame
    EXPECT_EQ(f, make_frame());
}

TEST(BlendBlit, ZeroIsTransparentAndTheFactorWeighsTheBackgroundOfOverlappingCopies) {
    std::vector<uint8_t> block = {200, 0, 200, 100};
    Frame f = make_frame();
    at(f, 6, 5) = at(f, 6, 6) = 90;
    blend_blit(block.data(), fb(f), 2, 2, 5, 5, 30);
    EXPECT_EQ(std::vector<int>({at(f, 5, 5), at(f, 6, 5), at(f, 5, 6), at(f, 6, 6)}),
              std::vector<int>({175, 90, 175, blend_pixel(100, 90, 30)}));

    Frame bg = noise_frame(3);
    f = bg;
    auto pic = numbered_pixels(230, 230);
    blend_blit(pic.data(), fb(f), 230, 230, 1, 1, 250);
    blend_blit(pic.data(), fb(f), 230, 230, 90, 1, 255);
    for (int y : {0, 1, 120, 230, 231})
        for (int x : {0, 1, 89, 90, 230, 231, 319}) {
            int want = at(bg, x, y);
            if (y >= 1 && y <= 230 && x >= 1 && x <= 230) want = blend_pixel(pic[size_t((y - 1) * 230 + x - 1)], want, 250);
            if (y >= 1 && y <= 230 && x >= 90) want = blend_pixel(pic[size_t((y - 1) * 230 + x - 90)], want, 255);
            EXPECT_EQ(at(f, x, y), want) << x << "," << y;
        }
}

using BlockOp = void (*)(const uint8_t*, FrameBuffer*, int, int, int, int);
using CentredBlockOp = void (*)(const uint8_t*, FrameBuffer*, int, int);

struct BlockMember {
    const char* name;
    BlockOp at;
    CentredBlockOp centred;
    int (*put)(int s, int d);  // what a source pixel s makes of the pixel d under it
};

const BlockMember block_family[] = {
    {"copy", copy_block, copy_block_centred, [](int s, int) { return s; }},
    {"copy transparent", copy_block_transparent, copy_block_transparent_centred, [](int s, int d) { return s ? s : d; }},
    {"add", add_block, add_block_centred, [](int s, int d) { return (d + s) % 256; }},
    {"add transparent", add_block_transparent, add_block_transparent_centred, [](int s, int d) { return s ? (d + s) % 256 : d; }},
};

// The frame bg with the w x h block put at (x, y) by put, pixel by pixel: what lies off the frame is dropped.
Frame put_by_hand(Frame bg, const std::vector<uint8_t>& block, int w, int h, int64_t x, int64_t y, int (*put)(int, int)) {
    for (int64_t sy = 0; sy < h; sy++)
        for (int64_t sx = 0; sx < w; sx++)
            if (x + sx >= 0 && x + sx < 320 && y + sy >= 0 && y + sy < 240) {
                uint8_t& d = bg[size_t((y + sy) * 320 + x + sx)];
                d = uint8_t(put(block[size_t(sy * w + sx)], d));
            }
    return bg;
}

TEST(BlockBlits, EveryMemberCombinesAsItsRuleSaysClipsLikeBlendBlitAndCentresFlooring) {
    const Frame bg = noise_frame(8);
    for (const BlockMember& m : block_family) {
        auto block = numbered_pixels(10, 10);
        for (size_t i = 0; i < block.size(); i += 4) block[i] = 0;  // transparent pixels
        // The clipping cases of blend_blit, a block wholly inside, and the extremes of int.
        for (auto [x, y] : {std::pair{-2, 50}, {315, 50}, {40, 235}, {40, -3}, {-9, -9}, {320, 0}, {-10, 0}, {0, 240},
                            {100, 100}, {2147483647, -2147483647 - 1}, {-2147483647 - 1, 5}}) {
            Frame f = bg;
            m.at(block.data(), fb(f), 10, 10, x, y);
            ASSERT_EQ(f, put_by_hand(bg, block, 10, 10, x, y, m.put)) << m.name << " at " << x << "," << y;
        }
        // Centred at ((320 - w) >> 1, (240 - h) >> 1): one too wide or high starts at -1.
        for (auto [w, h] : {std::pair{10, 10}, {321, 241}, {1, 1}, {640, 3}, {3, 480}, {0, 10}, {10, -4}}) {
            auto big = numbered_pixels(std::max(w, 0), std::max(h, 0));
            Frame f = bg;
            m.centred(big.data(), fb(f), w, h);
            ASSERT_EQ(f, put_by_hand(bg, big, w, h, (320 - w) >> 1, (240 - h) >> 1, m.put)) << m.name << " " << w << "x" << h;
        }
    }
    Frame f = make_frame(100);
    std::vector<uint8_t> one = {200};
    add_block(one.data(), fb(f), 1, 1, 0, 0);
    EXPECT_EQ(at(f, 0, 0), 44) << "adding wraps round";
}

}  // namespace
