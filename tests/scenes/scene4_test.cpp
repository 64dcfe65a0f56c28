// Scene 4 on screen: when the statue's rocking reverses, and the paths of the two captions.
#include <gtest/gtest.h>

#include <array>

#include "assets/catalogue.h"
#include "support/sprite_search.h"
#include "support/show_run.h"

namespace {

constexpr int NONE = -1000;

struct Tick {
    std::array<float, 9> orientation;
    int slide_x = NONE;  // first caption on row 199
    int fall_y = NONE;   // first caption at column 3, below row 199
    int rise_y = NONE;   // second caption at column 3
};

struct Seen {
    SpriteCopy first, second;
    std::vector<Tick> ticks;
} seen;

void observe(const ShowTick& t) {
    if (t.scene != 4) return;
    if (seen.ticks.empty()) {
        seen.first = copy_sprite(img_oibg);
        seen.second = copy_sprite(img_hth);
    }
    Tick k;
    std::copy(world_scene4.slots[obj_osiris].orientation.m, world_scene4.slots[obj_osiris].orientation.m + 9,
              k.orientation.begin());
    SpriteLook look;
    int x, y;
    // Where at least 8 columns or rows of a caption are on screen.
    if (find_sprite(t.indices, seen.first, 8 - seen.first.width, 3, 199, 199, look, &x, &y)) k.slide_x = x;
    if (find_sprite(t.indices, seen.first, 3, 3, 200, 232, look, &x, &y)) k.fall_y = y;
    if (find_sprite(t.indices, seen.second, 3, 3, 150, 232, look, &x, &y)) k.rise_y = y;
    seen.ticks.push_back(k);
}

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(4);
    const std::vector<Tick>& k = seen.ticks;
    ASSERT_EQ(ticks.size(), k.size());
    ASSERT_GT(k.size(), 3u);
    for (const TickRecord* t : ticks) ASSERT_TRUE(t->presented) << "every tick of scene 4 is a frame of its own";
    // Tick 0 is the flash and the scene's clock starts there; frame i (shown at tick i) reads the
    // clock before anything moves the clock again after tick i - 1.
    auto elapsed = [&](size_t i) { return ticks[i - 1]->time.tv_sec - ticks[0]->time.tv_sec; };

    // The turn of frame i, from the orientations shown at ticks i - 1 and i: its direction is the
    // sign of the turn about y. A reversal read in frame i turns frame i + 1 the other way.
    auto direction = [&](size_t i) {
        float r[9];
        rotation_between(k[i - 1].orientation.data(), k[i].orientation.data(), r);
        return r[2] > 0 ? 1 : -1;  // r[2] = sin(0.01 * direction)
    };
    long threshold = 1;
    int reversals = 0;
    for (size_t i = 2; i + 1 < k.size(); i++) {
        bool reversed = direction(i + 1) != direction(i);
        bool due = elapsed(i) > threshold;
        EXPECT_EQ(reversed, due) << "frame " << i << ", " << elapsed(i) << " s, next reversal after " << threshold;
        if (due) {
            threshold += 3;
            reversals++;
        }
    }
    EXPECT_GE(reversals, 6) << "the rocking reverses every three seconds";

    // The first caption slides right along row 199 to column 3 ...
    int last_x = NONE;
    size_t slide_end = 0;
    for (size_t i = 1; i < k.size(); i++) {
        if (k[i].slide_x == NONE) continue;
        if (last_x != NONE) {
            EXPECT_GE(k[i].slide_x - last_x, k[i].slide_x == 3 ? 0 : 1) << "frame " << i;
            EXPECT_LE(k[i].slide_x - last_x, elapsed(i) > 12 ? 2 : 1) << "frame " << i;
        }
        last_x = k[i].slide_x;
        slide_end = i;
    }
    EXPECT_EQ(last_x, 3);
    // ... then falls one row per frame from 199 through 240, and is never drawn again.
    size_t fall = slide_end + 1;
    ASSERT_LT(fall + 41, k.size());
    EXPECT_GT(elapsed(slide_end), 12);
    for (int row = 200; row <= 232; row++) EXPECT_EQ(k[fall + row - 200].fall_y, row) << "frame " << fall + row - 200;
    for (size_t i = 1; i < k.size(); i++) {
        if (i < slide_end || i > fall + 32) {
            EXPECT_EQ(k[i].fall_y, NONE) << "frame " << i;
        }
    }

    // The second caption rises a row per frame after 15 seconds and stops at row 159.
    size_t rise = 1;
    while (rise < k.size() && k[rise].rise_y == NONE) rise++;
    ASSERT_LT(rise, k.size()) << "the second caption is never seen";
    EXPECT_EQ(k[rise].rise_y, 232);
    EXPECT_GT(elapsed(rise), 15);
    for (size_t i = rise; i < k.size(); i++) {
        int row = 232 - int(i - rise);
        EXPECT_EQ(k[i].rise_y, row < 159 ? 159 : row) << "frame " << i;
    }
}

int registered = register_show_check({"scene 4", observe, verify});

}  // namespace
