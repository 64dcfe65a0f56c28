#include <gtest/gtest.h>

#include <array>

#include "effects/blit.h"
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

}  // namespace
