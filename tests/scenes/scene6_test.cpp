// Scene 6 on a headless stage: frame count, the picture layout, and the state of the colour tile
// that it leaves behind; and the same on the shared run of the show.
#include <gtest/gtest.h>

#include <cstring>

#include "assets/catalogue.h"
#include "console/vga.h"
#include "effects/grid.h"
#include "scenes/scenes.h"
#include "support/show_run.h"
#include "support/stage.h"

namespace {

const GridPalette initial_tile = grid_palette;  // the program's initialised data

// The tile is process-wide and never reset: a test that runs the scene puts it back afterwards.
struct RestoreTile {
    ~RestoreTile() { grid_palette = initial_tile; }
};

void roll_forward() {
    roll_palette_groups_down();
    roll_palette_cells_up();
}

bool dac_shows_tile(const uint8_t* dac) {
    for (int k = 0; k < GRID_COLOURS; k++) {
        const uint8_t* c = &dac[3 * (k + 1)];
        if (c[0] != (grid_palette.red[k] & 63) || c[1] != (grid_palette.green[k] & 63) ||
            c[2] != (grid_palette.blue[k] & 63))
            return false;
    }
    return true;
}

using Scene6 = StageTest;

TEST_F(Scene6, RunsFourHundredFiftyOneLoopFramesAndLeavesTheTileOneStepBack) {
    RestoreTile restore;
    img_worms = stage_sprite(321, 20, 240);
    for (int r = 0; r < 20; r++) img_worms->pixels[r * 321] = 7;  // the column that falls off the left
    const GridPalette initial = initial_tile;
    std::vector<Presented> frames;
    stage_record(&frames);
    scene6(frame_buf, aux_buf1, aux_buf2);

    ASSERT_EQ(frames.size(), 452u) << "one frame in set-up and 451 in the loop";
    ASSERT_TRUE(one_per_tick(frames));
    int dac_now[768];
    vga_getpalvec(0, 256, dac_now);
    uint8_t dac_after[768];
    for (int c = 0; c < 768; c++) dac_after[c] = uint8_t(dac_now[c]);

    // 450 forward steps and one inverse step: one more forward step makes 450, a whole number of
    // 15-step cycles, which restores the initial tile.
    const GridPalette left = grid_palette;
    EXPECT_NE(memcmp(&left, &initial, sizeof left), 0);
    roll_forward();
    EXPECT_EQ(memcmp(&grid_palette, &initial, sizeof initial), 0);
    grid_palette = left;
    EXPECT_TRUE(dac_shows_tile(dac_after)) << "the DAC gets the tile the scene leaves";

    // A frame's step changes the tile before the frame is presented, and the DAC receives it
    // right after: loop frame i is shown with the colours of i - 1 steps.
    grid_palette = initial;
    EXPECT_TRUE(dac_shows_tile(frames[0].dac.data()));
    for (size_t i = 1; i < frames.size(); i++) {
        ASSERT_TRUE(dac_shows_tile(frames[i].dac.data())) << "loop frame " << i;
        roll_forward();
    }
    grid_palette = left;

    for (size_t i = 0; i < frames.size(); i++) {
        const uint8_t* px = frames[i].indices.data();
        SCOPED_TRACE(i);
        for (int y = 0; y < 20; y++)
            for (int x = 0; x < 320; x++) ASSERT_EQ(px[y * 320 + x], 0) << "rows above the pictures stay blank";
        for (int y = 20; y < 220; y++) {
            ASSERT_GE(px[y * 320], 1);
            ASSERT_LE(px[y * 320 + 318], 225);
            ASSERT_EQ(px[y * 320 + 319], 0) << "column 319 is not part of the pictures";
        }
        uint8_t strip = i == 0 ? 0 : 240;  // the strip comes with the first loop frame
        for (int y = 220; y < 240; y++)
            for (int x = 0; x < 320; x++) ASSERT_EQ(px[y * 320 + x], strip) << x << "," << y;
    }
    EXPECT_EQ(memcmp(frames[1].indices.data(), frames.back().indices.data(), FRAME_BYTES), 0)
        << "only the colours move";
}

// On the show: 452 frames, and the tile one step back from where 450 steps would have left it.
void verify_on_show(const ShowRecord& record) {
    long presented = 0;
    for (const TickRecord* t : record.scene_ticks(6)) presented += t->presented;
    EXPECT_EQ(presented, 452);
    const GridPalette left = grid_palette;
    roll_forward();
    EXPECT_EQ(memcmp(&grid_palette, &initial_tile, sizeof initial_tile), 0);
    grid_palette = left;
}

int registered = register_show_check({"scene 6", nullptr, verify_on_show});

}  // namespace
