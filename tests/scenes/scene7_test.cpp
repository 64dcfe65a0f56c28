// Scene 7 on a headless stage with plain test pictures and no sphere: every presented frame is
// checked against the growing, blended copies it should hold. On the shared run of the show: the
// flash and 1444 frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "assets/catalogue.h"
#include "effects/filters.h"
#include "effects/smear.h"
#include "scenes/scenes.h"
#include "support/frames.h"
#include "support/show_run.h"
#include "support/stage.h"

namespace {

constexpr uint8_t BACKGROUND = 100;

uint8_t picture_value(int k) { return uint8_t(200 + 10 * k); }

// The background after the scene's smear, with the two copies of picture k at size s on it.
std::vector<uint8_t> expected_frame(const std::vector<uint8_t>& smeared, int k, int s) {
    std::vector<uint8_t> f = smeared;
    uint8_t v = picture_value(k);
    for (int y = 1; y <= s; y++) {
        for (int x = 1; x <= s; x++) f[y * 320 + x] = uint8_t(blend_pixel(v, f[y * 320 + x], s + 20));
        for (int x = 320 - s; x < 320; x++) f[y * 320 + x] = uint8_t(blend_pixel(v, f[y * 320 + x], s + 25));
    }
    return f;
}

using Scene7 = StageTest;

TEST_F(Scene7, GrowsSixPicturesAsTwoBlendedCopiesThenFadesOverSixtyNineFrames) {
    pal_cspal = stage_palette(252);
    img_csbd = stage_sprite(320, 240, BACKGROUND);
    for (int k = 0; k < CS_PICTURES; k++) img_cs[k] = stage_sprite(40, 30, picture_value(k));
    stage_empty_world(&world_scene7, &obj_sphere7);
    memset(frame_buf, BACKGROUND, FRAME_BYTES);  // the picture scene 6 would leave, here plain

    std::vector<Presented> frames;
    stage_record(&frames);
    scene7(frame_buf, aux_buf1, aux_buf2);

    ASSERT_EQ(frames.size(), 1u + 1444u) << "the flash frame and 1444 loop frames";
    ASSERT_TRUE(one_per_tick(frames));

    std::vector<uint8_t> smeared(FRAME_BYTES, BACKGROUND);
    radial_smear(fb(smeared), 319, 239, 4000, 180);

    // Picture 0 grows from 10 to 230, pictures 1 to 5 from 0 to 230; then no picture.
    int k = 0, s = 10, zoom_frames = 0;
    for (size_t n = 1; n < frames.size(); n++) {
        SCOPED_TRACE(::testing::Message() << "loop frame " << n << ", picture " << k << ", size " << s);
        if (k < CS_PICTURES) {
            zoom_frames++;
            ASSERT_EQ(frames[n].indices, expected_frame(smeared, k, s));
            if (++s > 230) {
                s = 0;
                k++;
            }
        } else {
            ASSERT_EQ(frames[n].indices, smeared);
        }
    }
    EXPECT_EQ(zoom_frames, 221 + 5 * 231);

    // At size 230 the right copy starts at column 90, over the left one.
    const std::vector<uint8_t>& at230 = frames[221].indices;
    int left_only = blend_pixel(picture_value(0), smeared[320 + 89], 250);
    EXPECT_EQ(at230[320 + 89], left_only);
    EXPECT_EQ(at230[320 + 90], blend_pixel(picture_value(0), blend_pixel(picture_value(0), smeared[320 + 90], 250), 255));
    // Size 0 (picture 1's first frame) draws nothing.
    EXPECT_EQ(frames[222].indices, smeared);

    // The flash shows the palette inverted; it then stays until the last picture is full size, in
    // loop frame 1376, from where steps of 5 take it to black (51 of the 69 steps).
    EXPECT_EQ(frames[0].dac[0], 63 ^ 63);
    for (size_t n = 1; n < frames.size(); n++) {
        int steps = n < 1376 ? 0 : int(n) - 1375;
        ASSERT_EQ(frames[n].dac[0], std::max(0, 252 - 5 * steps) >> 2) << "loop frame " << n;
    }
}

void verify_on_show(const ShowRecord& record) {
    long presented = 0;
    for (const TickRecord* t : record.scene_ticks(7)) presented += t->presented;
    EXPECT_EQ(presented, 1 + 1444);
}

int registered = register_show_check({"scene 7", nullptr, verify_on_show});

}  // namespace
