#include <gtest/gtest.h>

#include "effects/blit.h"
#include "support/frames.h"

namespace {

// Where each source pixel landed: (x, y) of the destination for every pixel value written.
void expect_block_at(Frame& dst, const std::vector<uint8_t>& pixels, int w, int h, int x0, int y0) {
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            int sx = x - x0, sy = y - y0;
            uint8_t want = sx >= 0 && sx < w && sy >= 0 && sy < h ? pixels[size_t(sy * w + sx)] : 0;
            ASSERT_EQ(at(dst, x, y), want) << x << "," << y;
        }
    }
}

TEST(DrawSprite, ClipsAtAllFourEdges) {
    auto pixels = numbered_pixels(30, 20);
    Sprite s = sprite_of(pixels, 30, 20);
    for (auto [x, y] : {std::pair{-7, -5}, {300, 230}, {-29, 239}, {319, -19}, {0, 0}, {290, 220}}) {
        Frame f = make_frame();
        draw_sprite(&s, f.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        expect_block_at(f, pixels, 30, 20, x, y);
    }
}

TEST(DrawSprite, BlockOffTheFrameWritesNothing) {
    auto pixels = numbered_pixels(30, 20);
    Sprite s = sprite_of(pixels, 30, 20);
    for (auto [x, y] : {std::pair{320, 0}, {-30, 0}, {0, 240}, {0, -20}, {-2147483647 - 1, 0}, {2147483647, 5}}) {
        Frame f = make_frame();
        draw_sprite(&s, f.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        draw_sprite_keyed(&s, f.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        EXPECT_EQ(f, make_frame()) << x << "," << y;
    }
}

TEST(DrawSpriteCentered, FlooringPlacement) {
    auto pixels = numbered_pixels(100, 50);
    Sprite s = sprite_of(pixels, 100, 50);
    Frame f = make_frame();
    draw_sprite_centered(&s, f.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
    expect_block_at(f, pixels, 100, 50, 110, 95);

    auto wide = numbered_pixels(321, 240);  // one column too many: x = -1, its first column dropped
    Sprite w = sprite_of(wide, 321, 240);
    Frame g = make_frame();
    draw_sprite_centered(&w, g.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
    expect_block_at(g, wide, 321, 240, -1, 0);
}

TEST(DrawSpriteKeyed, KeyPixelsLeaveTheDestination) {
    std::vector<uint8_t> pixels = {0, 5, 0, 7, 0, 9};
    Sprite s = sprite_of(pixels, 3, 2);
    Frame f = make_frame(44);
    draw_sprite_keyed(&s, f.data(), 10, 10, SCREEN_WIDTH, SCREEN_HEIGHT);
    EXPECT_EQ(at(f, 10, 10), 44);
    EXPECT_EQ(at(f, 11, 10), 5);
    EXPECT_EQ(at(f, 12, 10), 44);
    EXPECT_EQ(at(f, 10, 11), 7);
    EXPECT_EQ(at(f, 11, 11), 44);
    EXPECT_EQ(at(f, 12, 11), 9);
}

TEST(DrawSpriteKeyed, ClipsLikeTheOpaqueBlit) {
    // Numbered pixels are never 0, so keyed and opaque blits must agree wherever they land,
    // including the right edge at (310, 0), rows above the top edge down to -19 as the scenes'
    // captions pass them, and columns left of the left edge.
    auto pixels = numbered_pixels(20, 20);
    Sprite s = sprite_of(pixels, 20, 20);
    for (auto [x, y] : {std::pair{310, 0}, {5, -19}, {140, -1}, {-3, 4}, {-19, -19}, {300, 225}}) {
        Frame keyed = make_frame(), opaque = make_frame();
        draw_sprite_keyed(&s, keyed.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        draw_sprite(&s, opaque.data(), x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
        expect_block_at(keyed, pixels, 20, 20, x, y);
        EXPECT_EQ(keyed, opaque) << x << "," << y;
    }
}

}  // namespace
