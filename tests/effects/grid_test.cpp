#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "console/vga.h"
#include "effects/grid.h"
#include "support/frames.h"

namespace {

bool same(const GridPalette& a, const GridPalette& b) { return memcmp(&a, &b, sizeof a) == 0; }

// The rolls change the tile in place: every test starts from the initial one and puts it back.
struct Grid : ::testing::Test {
    GridPalette initial = grid_palette;
    void TearDown() override { grid_palette = initial; }
};

TEST_F(Grid, RollsUndoEachOtherAndFifteenComeRound) {
    roll_palette_groups_down();
    roll_palette_groups_up();
    roll_palette_cells_up();
    roll_palette_cells_down();
    EXPECT_TRUE(same(grid_palette, initial));
    for (int i = 1; i <= 15; i++) {
        roll_palette_groups_down();
        roll_palette_cells_up();
        EXPECT_EQ(same(grid_palette, initial), i == 15) << i;
    }
}

TEST_F(Grid, OneRollMovesWholeGroupsOrOneCellPerGroupAndEntry225StaysBlack) {
    roll_palette_groups_down();
    for (int e = 0; e < 15; e++) {
        EXPECT_EQ(grid_palette.red[e], e == 7 ? 0 : 220) << e;  // the initial group 1
        EXPECT_EQ(grid_palette.green[210 + e], initial.green[e]);
    }
    grid_palette = initial;
    roll_palette_cells_up();
    for (int g = 0; g < 15; g++) {
        EXPECT_EQ(grid_palette.blue[15 * g], initial.blue[15 * g + 14]);
        EXPECT_EQ(grid_palette.red[15 * g + 5], initial.red[15 * g + 4]);
    }
    // The scene's pair: cell (g, e) then shows what cell (g + 1, e - 1) showed.
    grid_palette = initial;
    roll_palette_groups_down();
    roll_palette_cells_up();
    for (int k = 0; k < 225; k++)
        EXPECT_EQ(grid_palette.red[k], initial.red[15 * ((k / 15 + 1) % 15) + (k % 15 + 14) % 15]) << k;
    EXPECT_EQ(initial.red[225] | initial.green[225] | initial.blue[225], 0);
    EXPECT_EQ(grid_palette.red[225] | grid_palette.green[225] | grid_palette.blue[225], 0);
}

TEST(GridMaps, EveryValueSmoothNeighboursNoSeamAndOnlyTheMapRowsDrawn) {
    auto close = [](int a, int b) { return (a - b + 15) % 15 <= 1 || (b - a + 15) % 15 <= 1; };
    auto smooth = [&](int u, int v) { return close((u - 1) / 15, (v - 1) / 15) && close((u - 1) % 15, (v - 1) % 15); };
    int pairs = 0, good = 0;
    for (const auto& map : grid_maps) {
        std::set<int> seen(std::begin(map), std::end(map));
        EXPECT_EQ(seen.size(), 225u);
        EXPECT_EQ(*seen.begin(), 1);
        for (int i = 0; i < GRID_MAP_ENTRIES; i++) {
            if (i % GRID_MAP_COLS + 1 < GRID_MAP_COLS) pairs++, good += smooth(map[i], map[i + 1]);
            if (i + GRID_MAP_COLS < GRID_MAP_ENTRIES) pairs++, good += smooth(map[i], map[i + GRID_MAP_COLS]);
        }
    }
    EXPECT_GT(good, pairs * 95 / 100);
    EXPECT_EQ(0, memcmp(grid_maps[1], grid_maps[0] + 99 * GRID_MAP_COLS, GRID_MAP_COLS * sizeof(int32_t)));

    Frame f = make_frame(250);
    draw_grid_picture(fb(f));
    for (int p = 0; p < FRAME_BYTES; p++) {
        int x = p % 320, y = p / 320, want = x == 319 || y < 20 || y >= 220 ? 250 : grid_maps[y / 120][(y - 20) % 100 * 319 + x];
        ASSERT_EQ(f[size_t(p)], want) << x << "," << y;
    }
}

TEST_F(Grid, DacTakesTheLowSixBitsOfEachComponentAndTheTileFillsEntries1To226) {
    int dac[3 * 256];
    set_dac_color(5, 220, 85, 30);
    set_dac_color(256 + 6, 64 + 1, 2, 3);  // only the low byte of the index counts
    set_dac_color(0, 11, 11, 11);
    set_dac_color(227, 12, 12, 12);
    vga_getpalvec(0, 256, dac);
    EXPECT_EQ(std::vector<int>(dac + 15, dac + 21), std::vector<int>({28, 21, 30, 1, 2, 3}));
    roll_palette_groups_down();
    upload_grid_palette();
    vga_getpalvec(0, 256, dac);
    EXPECT_EQ(dac[0], 11);
    EXPECT_EQ(dac[3 * 227], 12);
    for (int k = 0; k < 3 * 226; k++) {
        const int32_t* c = k % 3 == 0 ? grid_palette.red : k % 3 == 1 ? grid_palette.green : grid_palette.blue;
        ASSERT_EQ(dac[3 + k], c[k / 3] & 63) << k;
    }
}

}  // namespace
