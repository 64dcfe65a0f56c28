// Scene 3 on screen: how long it lasts, the rising title, and the sphere's first step.
#include <gtest/gtest.h>

#include "assets/catalogue.h"
#include "math/tables.h"
#include "support/sprite_search.h"
#include "support/show_run.h"

namespace {

constexpr int NONE = -1000;
constexpr int TITLE_COLUMN = 5, TITLE_Y_LO = 200, TITLE_Y_HI = 232;

struct Seen {
    SpriteCopy title;
    std::vector<int> title_row;  // per tick of scene 3
    std::vector<Vec3> sphere;    // position of the sphere, per tick
} seen;

void observe(const ShowTick& t) {
    if (t.scene != 3) return;
    if (seen.title_row.empty()) seen.title = copy_sprite(img_chaos);
    int x, y = NONE;
    if (!find_sprite(t.indices, seen.title, TITLE_COLUMN, TITLE_COLUMN, TITLE_Y_LO, TITLE_Y_HI, SpriteLook{true}, &x, &y))
        y = NONE;
    seen.title_row.push_back(y);
    seen.sphere.push_back(world_scene3.slots[obj_sphere3].position);
}

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(3);
    ASSERT_EQ(ticks.size(), seen.title_row.size());
    ASSERT_GT(ticks.size(), 2u);
    for (const TickRecord* t : ticks) ASSERT_TRUE(t->presented) << "every tick of scene 3 is a frame of its own";
    // Tick 0 is the flash; the scene's clock starts there. Frame i is shown at tick i and its
    // cues read the clock as it is then.
    auto elapsed = [&](size_t i) { return ticks[i]->time.tv_sec - ticks[0]->time.tv_sec; };

    EXPECT_GT(elapsed(ticks.size() - 1), 17) << "the last frame is the first past 17 whole seconds";
    EXPECT_LE(elapsed(ticks.size() - 2), 17);

    // The title rises a row per frame once more than 5 seconds have passed (drawn at 241 and 240
    // out of sight first) and stops at row 214.
    int counted = 0;
    for (size_t i = 1; i < ticks.size(); i++) {
        int row = 241 - counted < 214 ? 214 : 241 - counted;
        int expected = row >= TITLE_Y_LO && row <= TITLE_Y_HI ? row : NONE;
        EXPECT_EQ(seen.title_row[i], expected) << "frame " << i;
        if (elapsed(i) > 5) counted++;
    }
    EXPECT_EQ(seen.title_row.back(), 214);

    // The first frame moves the sphere by nothing: the spot's start is the set-up's.
    int x0 = int(140 * wave_cos(1) + 160), y0 = int(100 * wave_sin(1) + 100);
    EXPECT_EQ(seen.sphere[1].x, float(290 - x0));
    EXPECT_EQ(seen.sphere[1].y, float(150 - y0));
    EXPECT_EQ(seen.sphere[1].z, 0.0f);
    bool drifted = false;
    for (const Vec3& p : seen.sphere) drifted = drifted || p.x != seen.sphere[1].x || p.y != seen.sphere[1].y;
    EXPECT_TRUE(drifted) << "the sphere drifts with the spot";
}

int registered = register_show_check({"scene 3", observe, verify});

}  // namespace
