// Scene 2 on screen: the wait for its cue and the flash, the sliding and rising sprites, the fade
// and the end, all against the song position of the frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "assets/catalogue.h"
#include "support/sprite_search.h"
#include "support/show_run.h"
#include "video/framebuffer.h"

namespace {

constexpr int NONE = -1000;
constexpr int LIGHTS_ROW = 224, VLEMB_COLUMN = 176;
// Sprites are looked for where at least 8 of their columns or rows are on screen.
constexpr int LIGHTS_X_LO = 4, LIGHTS_X_HI = 312, VLEMB_Y_LO = 224, VLEMB_Y_HI = 232;

struct Tick {
    long position;
    bool inverted, normal, black;
    int lights_x = NONE, vlemb_y = NONE;
};

// A sprite counts as found where at least this many of its pixels differ from the background.
constexpr int MIN_PIXELS = 8;

struct Seen {
    std::array<uint8_t, 768> normal{};
    SpriteCopy lights, vlemb, background;
    bool animating = false;
    std::vector<Tick> ticks;
    bool next_scene_seen = false, next_scene_starts_black = false;
} seen;

bool same_dac(const uint8_t* a, const uint8_t* b) { return memcmp(a, b, 768) == 0; }

void look_for_sprites(const ShowTick& t, Tick* k) {
    static uint8_t objects[FRAME_BYTES];
    render_objects(&world_scene2, objects, 255);
    for (uint8_t& v : objects) v = v != 255;  // the objects cover the sprites
    // The title picture is the background when it fills the screen.
    bool full = seen.background.width == SCREEN_WIDTH && seen.background.height == SCREEN_HEIGHT;
    SpriteLook look{false, 0, 239, objects, full ? seen.background.pixels.data() : nullptr};
    int x, y;
    if (find_sprite(t.indices, seen.vlemb, VLEMB_COLUMN, VLEMB_COLUMN, VLEMB_Y_LO, VLEMB_Y_HI, look, &x, &y, MIN_PIXELS))
        k->vlemb_y = y;
    // The rising sprite is drawn over the sliding one: leave out where it is, or may be unseen.
    static uint8_t mask[FRAME_BYTES];
    memcpy(mask, objects, FRAME_BYTES);
    for (int r = k->vlemb_y == NONE ? VLEMB_Y_HI + 1 : k->vlemb_y; r < SCREEN_HEIGHT; r++)
        for (int c = VLEMB_COLUMN; c < VLEMB_COLUMN + seen.vlemb.width && c < SCREEN_WIDTH; c++)
            mask[r * SCREEN_WIDTH + c] = 1;
    look.mask = mask;
    if (find_sprite(t.indices, seen.lights, LIGHTS_X_LO, LIGHTS_X_HI, LIGHTS_ROW, LIGHTS_ROW, look, &x, &y, MIN_PIXELS))
        k->lights_x = x;
}

void observe(const ShowTick& t) {
    if (t.scene == 3 && !seen.next_scene_seen) {
        seen.next_scene_seen = true;  // scene 3 presents the main buffer as scene 2 left it
        seen.next_scene_starts_black = std::all_of(t.indices, t.indices + FRAME_BYTES, [](uint8_t v) { return v == 0; });
    }
    if (t.scene != 2) return;
    if (seen.ticks.empty()) {
        memcpy(seen.normal.data(), t.dac, 768);
        seen.lights = copy_sprite(img_lights);
        seen.vlemb = copy_sprite(img_vlemb);
        seen.background = copy_sprite(img_intro);
    }
    Tick k{t.position, true, same_dac(t.dac, seen.normal.data()), true};
    for (int j = 0; j < 768; j++) {
        k.inverted = k.inverted && t.dac[j] == 63 - seen.normal[j];
        k.black = k.black && t.dac[j] == 0;
    }
    if (seen.animating) look_for_sprites(t, &k);
    if (k.inverted) seen.animating = true;  // the frames after the flash are drawn by the loop
    seen.ticks.push_back(k);
}

int row_of(long position) { return int(position & 0xFFFF); }
int order_of(long position) { return int(position >> 16); }

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(2);
    const std::vector<Tick>& k = seen.ticks;
    ASSERT_EQ(ticks.size(), k.size());
    ASSERT_GT(k.size(), 3u);
    for (const TickRecord* t : ticks) ASSERT_TRUE(t->presented) << "every tick of scene 2 is a frame of its own";

    // The wait: the title picture unchanged until the first frame at or after order 2 row 4,
    // then one frame in inverted colours, then the animation.
    size_t flash = 0;
    while (flash < k.size() && !k[flash].inverted) flash++;
    ASSERT_LT(flash, k.size()) << "no frame in inverted colours";
    ASSERT_GT(flash, 0u);
    for (size_t i = flash + 1; i < k.size(); i++) EXPECT_FALSE(k[i].inverted) << "a second inverted frame at " << i;
    EXPECT_GE(k[flash - 1].position, 0x20004);
    for (size_t i = 0; i + 1 < flash; i++) EXPECT_LT(k[i].position, 0x20004) << "still waiting at frame " << i;
    for (size_t i = 0; i <= flash; i++) EXPECT_EQ(ticks[i]->indices_hash, ticks[0]->indices_hash) << "frame " << i;
    ASSERT_LT(flash + 1, k.size());
    EXPECT_NE(ticks[flash + 1]->indices_hash, ticks[0]->indices_hash) << "the objects appear after the flash";
    EXPECT_TRUE(k[flash + 1].normal);

    // The sliding sprite: drawn after a frame is shown, so seen from the frame after the first
    // one at or after order 3 row 5, at column 319 and one column further left each frame, to 5;
    // in the frame that would show it at 4 it is drawn at 5 and then at 4, and stays there.
    size_t slide = flash + 1;
    while (slide < k.size() && k[slide].position < 0x30005) slide++;
    ASSERT_LT(slide + 316, k.size()) << "the slide ends within the scene";
    // Where they are looked for and can be told from the background.
    bool full = seen.background.width == SCREEN_WIDTH && seen.background.height == SCREEN_HEIGHT;
    auto in_view = [&](const SpriteCopy& s, int x, int y, int lo, int hi, int at) {
        bool apart = !full || pixels_apart(s, x, y, seen.background.pixels.data()) >= MIN_PIXELS;
        return at >= lo && at <= hi && apart ? at : NONE;
    };
    for (size_t i = flash + 1; i < k.size(); i++) {
        int expected = i <= slide ? NONE : i - slide <= 314 ? 320 - int(i - slide) : 4;
        if (expected != NONE) expected = in_view(seen.lights, expected, LIGHTS_ROW, LIGHTS_X_LO, LIGHTS_X_HI, expected);
        EXPECT_EQ(k[i].lights_x, expected) << "frame " << i;
    }

    // The rising sprite: only after the slide has ended, drawn in the frame after one shown in
    // order 4 or later at a row above 5; from row 240 (out of sight) one row up per such frame
    // to 224, and not at all after a frame at rows 0 to 5.
    int risen = 0;
    bool rose = false;
    for (size_t i = slide + 314; i + 1 < k.size(); i++) {
        bool rises = order_of(k[i].position) > 3 && row_of(k[i].position) > 5;
        int expected = NONE;
        if (rises) {
            risen++;
            expected = risen >= 16 ? 224 : risen >= 2 ? 241 - risen : NONE;
        }
        rose = rose || expected != NONE;
        if (expected != NONE) expected = in_view(seen.vlemb, VLEMB_COLUMN, expected, VLEMB_Y_LO, VLEMB_Y_HI, expected);
        EXPECT_EQ(k[i + 1].vlemb_y, expected) << "frame " << i + 1;
    }
    EXPECT_TRUE(rose) << "the song reaches order 4 within the scene";
    for (size_t i = flash + 1; i < slide + 315 && i < k.size(); i++) EXPECT_EQ(k[i].vlemb_y, NONE) << "frame " << i;

    // The fade: the colours stay until a frame in order 4 past row 41, and are black at the end.
    for (size_t i = flash + 1; i < k.size(); i++) {
        if (order_of(k[i - 1].position) > 3 && row_of(k[i - 1].position) > 41) break;
        EXPECT_TRUE(k[i].normal) << "frame " << i;
    }
    EXPECT_TRUE(k.back().black);

    // The end: the frame at or after order 5 row 2 is the last.
    EXPECT_GE(k.back().position, 0x50002);
    EXPECT_LT(k[k.size() - 2].position, 0x50002);
    EXPECT_TRUE(seen.next_scene_seen);
    EXPECT_TRUE(seen.next_scene_starts_black) << "the main buffer is cleared at the end";
}

int registered = register_show_check({"scene 2", observe, verify});

}  // namespace
