// Scene 9 on a headless stage with plain thumbnails and no logo: where the thumbnails settle, the
// Lissajous path of the smear centre once they have, and the end.
#include <gtest/gtest.h>

#include "assets/catalogue.h"
#include "effects/blit.h"
#include "effects/smear.h"
#include "math/tables.h"
#include "scenes/scenes.h"
#include "support/frames.h"
#include "support/stage.h"

namespace {

constexpr int THUMB_W = 20, THUMB_H = 24;

uint8_t thumb_value(int j) { return uint8_t(10 + j); }
int place_x(int j) { return j < 8 ? 150 : 232; }
int place_y(int j) { return 5 + 30 * (j % 8); }

bool thumbnail_at(const std::vector<uint8_t>& px, int j, int x, int y) {
    for (int r = 0; r < THUMB_H; r++)
        for (int c = 0; c < THUMB_W; c++)
            if (px[(y + r) * 320 + x + c] != thumb_value(j)) return false;
    return true;
}

using Scene9 = StageTest;

TEST_F(Scene9, ThumbnailsSettleAfter392FramesThenTheSmearFollowsTheLissajousPath) {
    pal_wapal = stage_palette(252);
    img_wbd = stage_sprite(320, 240, 0);
    for (int p = 0; p < FRAME_BYTES; p++) img_wbd->pixels[p] = uint8_t(p % 320 / 2 + p / 320 / 3 + 40);
    for (int j = 0; j < GALLERY_PICTURES; j++) img_gallery[j] = stage_sprite(THUMB_W, THUMB_H, thumb_value(j));
    stage_empty_world(&world_scene9, &obj_vl);

    std::vector<Presented> frames;
    stage_record(&frames);
    scene9(frame_buf, aux_buf1, aux_buf2);
    ASSERT_GT(frames.size(), 27u * 60u);
    ASSERT_TRUE(one_per_tick(frames));

    // Pictures 0 to 7 fly 45 frames each, 8 to 15 four frames each.
    EXPECT_TRUE(thumbnail_at(frames[1].indices, 0, 240, 5));
    EXPECT_TRUE(thumbnail_at(frames[44].indices, 0, 154, 5));
    EXPECT_FALSE(thumbnail_at(frames[44].indices, 0, 150, 5));
    // In the frame of its arrival a picture is drawn in flight and at its place.
    EXPECT_TRUE(thumbnail_at(frames[45].indices, 0, 152, 5));
    EXPECT_TRUE(thumbnail_at(frames[45].indices, 0, 150, 5));
    EXPECT_TRUE(thumbnail_at(frames[361].indices, 8, 240, 5)) << "picture 8 starts at the top again";
    EXPECT_TRUE(thumbnail_at(frames[364].indices, 8, 232, 5));
    EXPECT_TRUE(thumbnail_at(frames[391].indices, 15, 236, 215)) << "the last picture is still in flight";
    EXPECT_FALSE(thumbnail_at(frames[391].indices, 15, 232, 215));
    for (int j = 0; j < GALLERY_PICTURES; j++)
        EXPECT_TRUE(thumbnail_at(frames[392].indices, j, place_x(j), place_y(j))) << "picture " << j;

    // From then on each frame is the background smeared from the next point of the path, with
    // all sixteen in their places and none in flight.
    float x_phase = 1.0f, y_phase = 1.0f;
    for (size_t n = 393; n < frames.size(); n++) {
        int cx = int(140 * wave_cos(int(x_phase)) + 160);
        int cy = int(100 * wave_sin(int(y_phase)) + 100);
        x_phase += 1.8;
        y_phase += 0.4;
        std::vector<uint8_t> expected(img_wbd->pixels, img_wbd->pixels + FRAME_BYTES);
        SCOPED_TRACE(::testing::Message() << "loop frame " << n << ", centre " << cx << "," << cy);
        radial_smear(fb(expected), cx, cy, 40000, 205);
        for (int j = 0; j < GALLERY_PICTURES; j++)
            draw_sprite_keyed(img_gallery[j], expected.data(), place_x(j), place_y(j), 320, 240);
        ASSERT_EQ(frames[n].indices, expected);
    }

    // The scene reads its start after the flash frame, and ends once more than 27 whole seconds
    // have passed at a frame.
    time_t start = stage_tick_time(frames[0].tick).tv_sec;
    EXPECT_GT(stage_tick_time(frames.back().tick).tv_sec - start, 27);
    EXPECT_LE(stage_tick_time(frames[frames.size() - 2].tick).tv_sec - start, 27);
    for (int c = 0; c < 768; c++) ASSERT_EQ(frames.back().dac[c], 0) << "faded to black by steps of 4";
}

}  // namespace
