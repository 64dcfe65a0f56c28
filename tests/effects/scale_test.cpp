#include <gtest/gtest.h>

#include "effects/filters.h"
#include "effects/scale.h"
#include "support/frames.h"

namespace {

// The source columns a one-row scale takes, read back from distinct pixel values.
std::vector<int> columns_taken(int src_w, int dst_w) {
    std::vector<uint8_t> src(static_cast<size_t>(src_w)), dst(static_cast<size_t>(dst_w));
    for (int i = 0; i < src_w; i++) src[size_t(i)] = uint8_t(i);
    scale_image(src_w, 1, src.data(), dst_w, 1, dst.data());
    return std::vector<int>(dst.begin(), dst.end());
}

TEST(ScaleImage, NearestNeighbourByTruncatedSteps) {
    EXPECT_EQ(columns_taken(10, 3), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(columns_taken(3, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(columns_taken(3, 10), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));

    std::vector<uint8_t> square = {1, 2, 3, 4}, big(16);
    scale_image(2, 2, square.data(), 4, 4, big.data());
    EXPECT_EQ(big, (std::vector<uint8_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

    auto pic = numbered_pixels(37, 23);
    std::vector<uint8_t> same(pic.size());
    scale_image(37, 23, pic.data(), 37, 23, same.data());
    EXPECT_EQ(same, pic);
}

TEST(ScaleImage, RowsRepeatWhenEnlargingAndAreSkippedWhenShrinking) {
    auto pic = numbered_pixels(7, 3);  // row r starts with value 7 r + 1
    std::vector<uint8_t> tall(7 * 10), flat(7 * 2);
    scale_image(7, 3, pic.data(), 7, 10, tall.data());
    std::vector<int> rows;
    for (int i = 0; i < 10; i++) rows.push_back((tall[size_t(i * 7)] - 1) / 7);
    EXPECT_EQ(rows, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));
    scale_image(7, 3, pic.data(), 7, 2, flat.data());
    EXPECT_EQ(flat[7], pic[7]);  // rows 0 and 1
}

TEST(ScaleImage, EmptyOrNegativeSizesWriteNothing) {
    auto pic = numbered_pixels(4, 4);
    std::vector<uint8_t> dst(64, 77);
    for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {-3, 4}, {4, -3}, {-8, -8}}) {
        scale_image(4, 4, pic.data(), w, h, dst.data());
        scale_image(w, h, pic.data(), 4, 4, dst.data());
    }
    EXPECT_EQ(dst, std::vector<uint8_t>(64, 77));
}

TEST(ScaleImage, LargestBlockFitsTheWorkBuffer) {
    auto pic = numbered_pixels(160, 120);
    Frame work = make_frame();
    scale_image(160, 120, pic.data(), 230, 230, work.data());
    EXPECT_EQ(work[230 * 230 - 1], pic[size_t(119 * 160 + 159)]);
    EXPECT_EQ(work[230 * 230], 0);
}

TEST(BlendBlit, ClipsAtEveryEdge) {
    auto block = numbered_pixels(10, 10);
    auto check = [&](int x, int y, int first_col, int last_col, int first_row, int last_row) {
        Frame f = make_frame();
        blend_blit(block.data(), f.data(), 10, 10, x, y, 0);  // factor 0: the block, one step darker
        for (int sy = 0; sy < SCREEN_HEIGHT; sy++) {
            for (int sx = 0; sx < SCREEN_WIDTH; sx++) {
                bool inside = sx >= first_col && sx <= last_col && sy >= first_row && sy <= last_row;
                int want = inside ? block[size_t((sy - y) * 10 + sx - x)] - 1 : 0;
                ASSERT_EQ(at(f, sx, sy), want) << x << "," << y << " at " << sx << "," << sy;
            }
        }
    };
    check(-2, 50, 0, 7, 50, 59);     // source columns 2 .. 9
    check(315, 50, 315, 319, 50, 59);  // source columns 0 .. 4
    check(40, 235, 40, 49, 235, 239);
    check(40, -3, 40, 49, 0, 6);
    check(-9, -9, 0, 0, 0, 0);
    for (auto [x, y] : {std::pair{320, 0}, {-10, 0}, {0, 240}, {0, -10}, {2147483647, 0}, {0, -2147483647 - 1}}) {
        Frame f = make_frame();
        blend_blit(block.data(), f.data(), 10, 10, x, y, 0);
        EXPECT_EQ(f, make_frame()) << x << "," << y;
    }
}

TEST(BlendBlit, ZeroIsTransparentAndTheFactorWeighsTheBackground) {
    std::vector<uint8_t> block = {200, 0, 200, 100};
    Frame f = make_frame();
    at(f, 6, 5) = 90;
    at(f, 6, 6) = 90;
    blend_blit(block.data(), f.data(), 2, 2, 5, 5, 30);
    EXPECT_EQ(at(f, 5, 5), 175);
    EXPECT_EQ(at(f, 6, 5), 90);
    EXPECT_EQ(at(f, 5, 6), 175);
    EXPECT_EQ(at(f, 6, 6), blend_pixel(100, 90, 30));
}

TEST(BlendBlit, SceneSizedCopiesOverlapCorrectly) {
    Frame bg = noise_frame(3), work = make_frame();
    auto pic = numbered_pixels(230, 230);
    std::copy(pic.begin(), pic.end(), work.begin());
    Frame f = bg;
    blend_blit(work.data(), f.data(), 230, 230, 1, 1, 250);
    blend_blit(work.data(), f.data(), 230, 230, 90, 1, 255);
    for (int y : {0, 1, 120, 230, 231}) {
        for (int x : {0, 1, 89, 90, 230, 231, 319}) {
            int want = at(bg, x, y);
            if (y >= 1 && y <= 230 && x >= 1 && x <= 230) want = blend_pixel(pic[size_t((y - 1) * 230 + x - 1)], want, 250);
            if (y >= 1 && y <= 230 && x >= 90) want = blend_pixel(pic[size_t((y - 1) * 230 + x - 90)], want, 255);
            EXPECT_EQ(at(f, x, y), want) << x << "," << y;
        }
    }
}

}  // namespace
