#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "console/console.h"
#include "effects/grid.h"
#include "support/frames.h"

namespace {

bool same(const GridPalette& a, const GridPalette& b) { return memcmp(&a, &b, sizeof a) == 0; }

// Every test starts from the initial tile and puts it back, as the rolls change it in place.
struct Grid : ::testing::Test {
    GridPalette initial = grid_palette;
    void TearDown() override { grid_palette = initial; }
};

TEST_F(Grid, InitialTileAsDrawn) {
    EXPECT_EQ(grid_palette.red[7], 0);    // A
    EXPECT_EQ(grid_palette.green[7], 85);
    EXPECT_EQ(grid_palette.red[0], 220);  // .
    EXPECT_EQ(grid_palette.green[4 * 15 + 12], 220);  // B
    EXPECT_EQ(grid_palette.red[5 * 15 + 6], 20);      // K
    EXPECT_EQ(grid_palette.green[5 * 15 + 6], 89);
    EXPECT_EQ(grid_palette.red[7 * 15 + 7], 9);       // H
    EXPECT_EQ(grid_palette.red[225], 0);
    EXPECT_EQ(grid_palette.green[225], 0);
    EXPECT_EQ(grid_palette.blue[225], 0);
}

TEST_F(Grid, RollsUndoEachOtherAndFifteenComeRound) {
    roll_palette_groups_down();
    roll_palette_groups_up();
    EXPECT_TRUE(same(grid_palette, initial));
    roll_palette_cells_up();
    roll_palette_cells_down();
    EXPECT_TRUE(same(grid_palette, initial));
    for (int i = 0; i < 15; i++) roll_palette_groups_down();
    EXPECT_TRUE(same(grid_palette, initial));
    for (int i = 0; i < 15; i++) roll_palette_cells_up();
    EXPECT_TRUE(same(grid_palette, initial));
    for (int i = 0; i < 14; i++) {
        roll_palette_groups_down();
        roll_palette_cells_up();
        EXPECT_FALSE(same(grid_palette, initial)) << i;
    }
}

TEST_F(Grid, OneRollMovesWholeGroupsOrOneCellPerGroup) {
    roll_palette_groups_down();
    for (int e = 0; e < 15; e++) {
        EXPECT_EQ(grid_palette.red[e], e == 7 ? 0 : 220) << e;  // the initial group 1
        EXPECT_EQ(grid_palette.red[210 + e], initial.red[e]);   // group 0 wrapped to the end
        EXPECT_EQ(grid_palette.green[210 + e], initial.green[e]);
    }
    grid_palette = initial;
    roll_palette_cells_up();
    for (int g = 0; g < 15; g++) {
        EXPECT_EQ(grid_palette.red[15 * g], initial.red[15 * g + 14]);
        EXPECT_EQ(grid_palette.blue[15 * g], initial.blue[15 * g + 14]);
        EXPECT_EQ(grid_palette.green[15 * g + 5], initial.green[15 * g + 4]);
    }
    // The scene's pair: cell (g, e) shows what cell (g + 1, e - 1) showed.
    grid_palette = initial;
    roll_palette_groups_down();
    roll_palette_cells_up();
    for (int g = 0; g < 15; g++)
        for (int e = 0; e < 15; e++)
            EXPECT_EQ(grid_palette.green[15 * g + e], initial.green[15 * ((g + 1) % 15) + (e + 14) % 15]);
    for (int i = 0; i < 20; i++) {
        roll_palette_groups_up();
        roll_palette_cells_down();
        EXPECT_EQ(grid_palette.red[225], 0);
    }
}

TEST(GridMaps, RangeEveryValueAndTheSeam) {
    for (int m = 0; m < 2; m++) {
        std::set<int> seen;
        for (int32_t v : grid_maps[m]) {
            ASSERT_GE(v, 1);
            ASSERT_LE(v, 225);
            seen.insert(v);
        }
        EXPECT_EQ(seen.size(), 225u) << "map " << m;
    }
    for (int x = 0; x < GRID_MAP_COLS; x++)
        EXPECT_EQ(grid_maps[1][x], grid_maps[0][99 * GRID_MAP_COLS + x]) << x;
}

TEST(GridMaps, NeighboursAreSmoothTileCoordinates) {
    auto close = [](int a, int b) {
        int d = ((a - b) % 15 + 15) % 15;
        return d <= 1 || d == 14;
    };
    auto smooth = [&](int32_t u, int32_t v) {
        return close((u - 1) / 15, (v - 1) / 15) && close((u - 1) % 15, (v - 1) % 15);
    };
    int pairs = 0, good = 0;
    for (int m = 0; m < 2; m++) {
        const int32_t* map = grid_maps[m];
        for (int r = 0; r < GRID_MAP_ROWS; r++) {
            for (int x = 0; x < GRID_MAP_COLS; x++) {
                int32_t v = map[r * GRID_MAP_COLS + x];
                if (x + 1 < GRID_MAP_COLS) pairs++, good += smooth(v, map[r * GRID_MAP_COLS + x + 1]);
                if (r + 1 < GRID_MAP_ROWS) pairs++, good += smooth(v, map[(r + 1) * GRID_MAP_COLS + x]);
            }
        }
    }
    EXPECT_GT(good, pairs * 95 / 100);
    // Along the upper map's top row the group falls by about one every two columns.
    int falls = 0;
    for (int x = 0; x + 1 < GRID_MAP_COLS; x++)
        falls += (grid_maps[0][x] - 1) / 15 != (grid_maps[0][x + 1] - 1) / 15;
    EXPECT_NEAR(falls, GRID_MAP_COLS / 2, GRID_MAP_COLS / 6);
}

TEST(GridPicture, WritesOnlyTheMapRows) {
    Frame f = make_frame(250);
    draw_grid_picture(f.data());
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            int want = 250;
            if (x < 319 && y >= 20 && y < 120) want = grid_maps[0][(y - 20) * 319 + x];
            if (x < 319 && y >= 120 && y < 220) want = grid_maps[1][(y - 120) * 319 + x];
            ASSERT_EQ(at(f, x, y), want) << x << "," << y;
        }
    }
    for (int x = 0; x < 319; x++) EXPECT_EQ(at(f, x, 119), at(f, x, 120));
}

TEST_F(Grid, DacWritesKeepTheLowSixBits) {
    int after[3 * 256];
    set_dac_color(5, 220, 85, 30);
    set_dac_color(256 + 6, 64 + 1, 2, 3);  // only the low byte of the index counts
    vga_getpalvec(0, 256, after);
    EXPECT_EQ(after[15], 28);
    EXPECT_EQ(after[16], 21);
    EXPECT_EQ(after[17], 30);
    EXPECT_EQ(after[18], 1);
    EXPECT_EQ(after[19], 2);

    set_dac_color(0, 11, 11, 11);
    set_dac_color(227, 12, 12, 12);
    roll_palette_groups_down();
    upload_grid_palette();
    vga_getpalvec(0, 256, after);
    EXPECT_EQ(after[0], 11);            // index 0 untouched
    EXPECT_EQ(after[3 * 227], 12);      // index 227 untouched
    for (int k = 0; k < 226; k++) {
        ASSERT_EQ(after[3 * (k + 1)], grid_palette.red[k] & 63) << k;
        ASSERT_EQ(after[3 * (k + 1) + 1], grid_palette.green[k] & 63) << k;
        ASSERT_EQ(after[3 * (k + 1) + 2], grid_palette.blue[k] & 63) << k;
    }
}

}  // namespace
