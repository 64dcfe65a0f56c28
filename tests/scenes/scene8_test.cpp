// Scene 8 on a headless stage with plain test pictures and no torus: the cross-fade, the two
// captions and the fade, checked frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "assets/catalogue.h"
#include "effects/filters.h"
#include "scenes/scenes.h"
#include "support/frames.h"
#include "support/stage.h"

namespace {

constexpr uint8_t BACKGROUND = 200;
constexpr uint8_t CAPTION = 255;  // blend_pixel never gives 255, so these pixels are the captions

struct Rect {
    int top, bottom, left, right;  // rows top..bottom, columns left..right, inclusive
};

// The caption pixels of a frame inside the rows lo..hi: one rectangle, or none (top = -1).
Rect caption_in(const std::vector<uint8_t>& px, int lo, int hi) {
    Rect r{-1, -1, 320, -1};
    for (int y = lo; y <= hi; y++)
        for (int x = 0; x < 320; x++)
            if (px[y * 320 + x] == CAPTION) {
                if (r.top < 0) r.top = y;
                r.bottom = y;
                r.left = std::min(r.left, x);
                r.right = std::max(r.right, x);
            }
    return r;
}

using Scene8 = StageTest;

TEST_F(Scene8, CrossFadesWithATurningFactorSlidesTheCaptionsInAndFadesFor121Frames) {
    pal_golden = stage_palette(252);
    img_gbd = stage_sprite(320, 240, BACKGROUND);
    img_natural = stage_sprite(300, 16, CAPTION);
    img_snatural = stage_sprite(200, 20, CAPTION);
    stage_empty_world(&world_scene8, &obj_toorus);

    std::vector<Presented> frames;
    stage_record(&frames);
    scene8(frame_buf, aux_buf1, aux_buf2);
    ASSERT_GT(frames.size(), 17u * 60u);
    ASSERT_TRUE(one_per_tick(frames));

    // The scene reads its start right after the flash frame, and its clock in frame n while the
    // frame n - 1 is on screen.
    time_t start = stage_tick_time(frames[0].tick).tv_sec;
    auto elapsed = [&](size_t n) { return stage_tick_time(frames[n - 1].tick).tv_sec - start; };

    std::vector<uint8_t> background(FRAME_BYTES, BACKGROUND), filtered(FRAME_BYTES, 0), expected(FRAME_BYTES);
    int factor = 0, step = 1, top_factor = 0;
    size_t bottom_from = 0, top_from = 0, fade_frames = 0;
    for (size_t n = 1; n < frames.size(); n++) {
        SCOPED_TRACE(::testing::Message() << "loop frame " << n << ", factor " << factor);
        const std::vector<uint8_t>& px = frames[n].indices;
        average4_filter(fb(frames[n - 1].indices), fb(filtered), FRAME_BYTES);
        for (int p = 0; p < FRAME_BYTES; p++) expected[p] = uint8_t(blend_pixel(filtered[p], background[p], factor));
        for (int p = 0; p < FRAME_BYTES; p++)
            if (px[p] != CAPTION) {
                ASSERT_EQ(px[p], expected[p]) << "pixel " << p;
            }
        top_factor = std::max(top_factor, factor);
        factor += step;
        if (factor == 254) step = -1;
        if (factor == 0) step = 1;

        Rect bottom = caption_in(px, 120, 239), top = caption_in(px, 0, 119);
        if (elapsed(n) > 8 && !bottom_from) bottom_from = n;
        if (elapsed(n) > 12 && !top_from) top_from = n;
        if (elapsed(n) > 16) fade_frames++;
        if (!bottom_from || n == bottom_from) {
            ASSERT_EQ(bottom.top, -1) << "first drawn at row 240, below the screen";
        } else {
            int row = std::max(224, 240 - int(n - bottom_from));
            ASSERT_EQ(bottom.top, row);
            ASSERT_EQ(bottom.bottom, 239);
            ASSERT_EQ(bottom.left, 1);
            ASSERT_EQ(bottom.right, 300);
        }
        if (!top_from) {
            ASSERT_EQ(top.top, -1);
        } else {
            int row = std::min(1, -19 + int(n - top_from));
            ASSERT_EQ(top.top, std::max(0, row)) << "rows above the screen are not drawn";
            ASSERT_EQ(top.bottom, row + 19);
            ASSERT_EQ(top.left, 46);
            ASSERT_EQ(top.right, 245);
        }
    }
    EXPECT_EQ(top_factor, 254) << "the factor turns at 254 and never reaches 255";
    EXPECT_EQ(fade_frames, 121u) << "the scene ends with the 121st frame after 16 seconds";
    for (int c = 0; c < 768; c++) ASSERT_EQ(frames.back().dac[c], (252 - 121 * 2) >> 2);
    for (int c = 0; c < 768; c++) ASSERT_EQ(frames[frames.size() - 122].dac[c], 63) << "not faded before";
}

}  // namespace
