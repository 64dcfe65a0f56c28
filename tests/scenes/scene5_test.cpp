// Scene 5 on screen: the star's spin against the music's rows, the captions and the rows they
// clear, and the star's pixels in the water.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "assets/catalogue.h"
#include "effects/water.h"
#include "music/music.h"
#include "support/sprite_search.h"
#include "support/show_run.h"
#include "video/framebuffer.h"

namespace {

struct Tick {
    std::array<float, 9> orientation;
    int row;
    long elapsed;
    bool row0_clear, row239_clear;
    bool bottom_shown_at[17];  // bottom caption at rows 224 + k, k = 0 .. 16
    bool top_shown_at[20];     // top caption at rows -19 + k, k = 0 .. 19
};

struct Seen {
    SpriteCopy bottom, top;
    std::vector<Tick> ticks;
    int frames = 0;
    long star_pixels = 0, star_pixels_wrong = 0, work_left = 0;
} seen;

bool row_clear(const uint8_t* frame, int row) {
    return std::all_of(frame + row * SCREEN_WIDTH, frame + (row + 1) * SCREEN_WIDTH, [](uint8_t v) { return v == 0; });
}

// The star of this frame drawn again apart: each of its pixels must be in the picture and hold
// the water at 170, in the band between the captions.
void check_star(const ShowTick& t) {
    static uint8_t star[FRAME_BYTES];
    render_objects(&world_scene5, star, 0);
    const int32_t* heights = water_heights[seen.frames & 1];  // the page made newest in this frame
    for (int p = seen.top.height * SCREEN_WIDTH; p < 224 * SCREEN_WIDTH; p++) {
        if (!star[p]) continue;
        seen.star_pixels++;
        if (heights[p] != 170 || t.indices[p] != star[p]) seen.star_pixels_wrong++;
    }
    for (int p = 0; p < FRAME_BYTES; p++) seen.work_left += frame_buf->pixels[p] != 0;
}

void observe(const ShowTick& t) {
    if (t.scene != 5) return;
    if (seen.ticks.empty()) {
        seen.bottom = copy_sprite(img_lose);
        seen.top = copy_sprite(img_sense);
    }
    seen.frames++;
    Tick k;
    const float* m = world_scene5.slots[obj_star].orientation.m;
    std::copy(m, m + 9, k.orientation.begin());
    k.row = int(t.position & 0xFFFF);
    k.elapsed = wait_now.tv_sec - wait_start.tv_sec;
    k.row0_clear = row_clear(t.indices, 0);
    k.row239_clear = row_clear(t.indices, 239);
    SpriteLook inside{true, 1, 238};  // the water never draws the top and bottom rows
    for (int j = 0; j <= 16; j++) k.bottom_shown_at[j] = sprite_shown(t.indices, seen.bottom, 1, 224 + j, inside, 0);
    for (int j = 0; j <= 19; j++) k.top_shown_at[j] = sprite_shown(t.indices, seen.top, 140, j - 19, inside, 0);
    check_star(t);
    seen.ticks.push_back(k);
}

float spin_sign(const float* from, const float* to) {
    float r[9];
    rotation_between(from, to, r);
    return r[2] > 0 ? 1.0f : -1.0f;  // r[2] = sin(spin)
}

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(5);
    const std::vector<Tick>& k = seen.ticks;
    ASSERT_EQ(ticks.size(), k.size());
    ASSERT_GT(k.size(), 2u);
    for (const TickRecord* t : ticks) ASSERT_TRUE(t->presented) << "every tick of scene 5 is a frame of its own";

    // The spin: +0.05 at first; after each frame, -0.05 on the first list of rows, +0.05 on the
    // second, unchanged on any other row. The star is loaded unturned.
    const std::array<float, 9> unturned = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float spin = 1;
    bool flipped_down = false, kept = false;
    for (size_t i = 0; i < k.size(); i++) {
        float shown = spin_sign(i ? k[i - 1].orientation.data() : unturned.data(), k[i].orientation.data());
        EXPECT_EQ(shown, spin) << "frame " << i << " after row " << (i ? k[i - 1].row : -1);
        switch (k[i].row) {
        case 0: case 10: case 16: case 26: case 32: case 42: case 48: case 58: spin = -1; flipped_down = true; break;
        case 6: case 14: case 24: case 30: case 38: case 46: case 56: case 62: spin = 1; break;
        default: kept = kept || spin < 0;
        }
    }
    EXPECT_TRUE(flipped_down);
    EXPECT_TRUE(kept) << "a backward spin is kept over rows outside the lists";

    // The captions: the bottom one from row 240 up to 224 after 8 seconds, clearing row 239
    // while it moves; the top one from row -19 down to 0 after 12, clearing row 0 while it moves.
    int bottom_frames = 0, top_frames = 0;
    for (size_t i = 0; i < k.size(); i++) {
        if (k[i].elapsed > 8) {
            int row = 240 - bottom_frames++;
            if (row < 224) row = 224;
            EXPECT_TRUE(row > 224 ? k[i].row239_clear : true) << "frame " << i;
            EXPECT_TRUE(k[i].bottom_shown_at[row - 224]) << "frame " << i << ", row " << row;
        }
        if (k[i].elapsed > 12) {
            int row = -19 + top_frames++;
            if (row > 0) row = 0;
            EXPECT_TRUE(row < 0 ? k[i].row0_clear : true) << "frame " << i;
            EXPECT_TRUE(k[i].top_shown_at[row + 19]) << "frame " << i << ", row " << row;
        }
    }
    EXPECT_GT(bottom_frames, 16);
    EXPECT_GT(top_frames, 19);

    // The star keeps its colours in the picture, holds the water at 170, and its work buffer is
    // left blank.
    EXPECT_GT(seen.star_pixels, 0);
    EXPECT_EQ(seen.star_pixels_wrong, 0) << "of " << seen.star_pixels;
    EXPECT_EQ(seen.work_left, 0);
}

int registered = register_show_check({"scene 5", observe, verify});

}  // namespace
