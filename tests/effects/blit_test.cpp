#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "effects/blit.h"
#include "effects/grid.h"
#include "support/frames.h"

namespace {

// The frame must hold the w x h numbered block at (x0, y0), clipped, and 0 everywhere else.
void expect_block_at(const Frame& dst, const std::vector<uint8_t>& pixels, int w, int h, int x0, int y0) {
    for (int p = 0; p < FRAME_BYTES; p++) {
        int64_t sx = p % SCREEN_WIDTH - int64_t(x0), sy = p / SCREEN_WIDTH - int64_t(y0);
        uint8_t want = sx >= 0 && sx < w && sy >= 0 && sy < h ? pixels[size_t(sy * w + sx)] : 0;
        ASSERT_EQ(dst[size_t(p)], want) << "pixel " << p << " of a block at " << x0 << "," << y0;
    }
}

TEST(SpriteBlit, OpaqueAndKeyedClipAtAllFourEdges) {
    // Numbered pixels are never the key, so both blitters must draw the same visible part: at the
    // edges, with captions above the top edge (rows down to -19), and wholly off the frame.
    auto pixels = numbered_pixels(20, 20);
    Sprite s = sprite_of(pixels, 20, 20);
    for (auto [x, y] : {std::pair{310, 0}, {5, -19}, {1, -14}, {-1, 220}, {1, 240}, {-7, -5}, {300, 230}, {-19, 239},
                        {319, -19}, {0, 0}, {320, 0}, {-20, 0}, {0, 240}, {0, -20}, {-2147483647 - 1, 0},
                        {2147483647, 5}, {5, -2147483647 - 1}}) {
        Frame opaque = make_frame(), keyed = make_frame();
        draw_sprite(&s, opaque.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        draw_sprite_keyed(&s, keyed.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        expect_block_at(opaque, pixels, 20, 20, x, y);
        ASSERT_EQ(keyed, opaque) << x << "," << y;
    }
}

TEST(SpriteBlit, KeyPixelsLeaveTheDestinationAndCentringFloors) {
    std::vector<uint8_t> pixels = {0, 5, 0, 7, 0, 9};
    Sprite s = sprite_of(pixels, 3, 2);
    Frame f = make_frame(44);
    draw_sprite_keyed(&s, f.data(), 10, 10, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(std::vector<int>({at(f, 10, 10), at(f, 11, 10), at(f, 12, 10), at(f, 10, 11), at(f, 11, 11), at(f, 12, 11)}),
              std::vector<int>({44, 5, 44, 7, 44, 9}));

    for (auto [w, h, x, y] : {std::array{100, 50, 110, 95}, {321, 240, -1, 0}}) {  // x = -1: first column dropped
        auto block = numbered_pixels(w, h);
        Sprite c = sprite_of(block, w, h);
        Frame g = make_frame();
        draw_sprite_centered(&c, g.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
        expect_block_at(g, block, w, h, x, y);
    }
    Frame h = make_frame();
    draw_sprite_centered(nullptr, h.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
    draw_sprite_keyed(nullptr, h.data(), 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(h, make_frame());
}

TEST(SpriteBlit, CentredKeyedIsTheKeyedBlitAtTheCentredCorner) {
    // The centring floors (321 wide: x = -1), and the left and top edges clip as in draw_sprite.
    for (auto [w, h] : {std::pair{100, 50}, {3, 2}, {321, 241}, {320, 240}, {1, 1}, {700, 10}, {10, 900}}) {
        auto pixels = numbered_pixels(w, h);
        for (size_t i = 1; i < pixels.size(); i += 3) pixels[i] = 0;  // key pixels
        Sprite s = sprite_of(pixels, w, h);
        Frame centred = noise_frame(9), placed = centred;
        draw_sprite_centered_keyed(&s, centred.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
        draw_sprite_keyed(&s, placed.data(), (320 - w) >> 1, (240 - h) >> 1, SCREEN_WIDTH, SCREEN_HEIGHT);
        EXPECT_EQ(centred, placed) << w << "x" << h;
        EXPECT_NE(centred, noise_frame(9)) << w << "x" << h;
    }
    Frame f = noise_frame(9);
    draw_sprite_centered_keyed(nullptr, f.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(f, noise_frame(9));
}

// The indices at which after differs from before.
std::vector<int64_t> changed(const Frame& before, const Frame& after) {
    std::vector<int64_t> at;
    for (size_t p = 0; p < before.size(); p++)
        if (before[p] != after[p]) at.push_back(int64_t(p));
    return at;
}

TEST(SinglePixels, PutTakesColumnAndRowGetAndTheGridPointTakeTheFlatIndexWhereverItLiesInTheFrame) {
    const int big = 2147483647, small = -2147483647 - 1;
    // (x, y) on screen and the flat index y * 320 + x, -1 where it lies outside 0 .. 76799.
    // get_pixel reads there; put_grid_pixel, given y - 20, writes there; put_pixel writes only for
    // column and row each on the frame, leaving out column 0 and row 0.
    const struct {
        int x, y;
        int64_t index;
        bool put;
    } cases[] = {{1, 1, 321, true},          {319, 239, 76799, true},  {0, 5, 1600, false},
                 {5, 0, 5, false},           {0, 0, 0, false},         {320, 0, 320, false},
                 {320, 5, 1920, false},      {-1, 5, 1599, false},     {400, -1, 80, false},
                 {-320, 240, 76480, false},  {-1, 0, -1, false},       {320, 239, -1, false},
                 {0, 240, -1, false},        {5, -1, -1, false},       {big, 5, -1, false},
                 {small, 5, -1, false},      {5, big, -1, false},      {5, small + 20, -1, false},
                 {big, -6710886, 127, false}, {0, 13421773, -1, false}};  // 13421773 * 320 = 2^32 + 64
    Frame before = noise_frame(4);
    std::replace(before.begin(), before.end(), 0x34, 0x35);  // every write of 0x34 shows
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        std::vector<int64_t> one_pixel = c.index >= 0 ? std::vector<int64_t>{c.index} : std::vector<int64_t>{};
        EXPECT_EQ(get_pixel(fb(before), c.x, c.y), c.index >= 0 ? before[size_t(c.index)] : 0);
        Frame put = before, grid = before;
        put_pixel(fb(put), c.x, c.y, 0x1234);
        EXPECT_EQ(changed(before, put), c.put ? one_pixel : std::vector<int64_t>{});
        put_grid_pixel(fb(grid), c.y - 20, 0x1234, c.x);
        EXPECT_EQ(changed(before, grid), one_pixel);
        if (c.index >= 0) {
            EXPECT_EQ(grid[size_t(c.index)], 0x34);
        }
    }
}

}  // namespace
