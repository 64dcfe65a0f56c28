// The data of the grid effect: the initial colour tile and the two index maps.
#include <cstdint>

#include "effects/grid.h"

namespace {

// ---- the tile: one letter per cell, row = group, column = cell within the group --------------

constexpr const char* TILE[GRID_SIDE] = {
    ".......A.......", ".......A.......", ".......A.......", ".......A.......",
    ".......A....BBB", "......KAK...B.B", "DDEEEEAFAEEEEDE", "GGAAAAFHFAAAAGA",
    "DDEDDDIFIDDDDDE", "..B...DAD.....B", "..B....A......B", "BBB....A......B",
    ".......A.......", ".......A.......", ".......A.......",
};

struct TileColour {
    char letter;
    int32_t red, green, blue;
};

constexpr TileColour TILE_COLOURS[] = {
    {'.', 220, 220, 220}, {'A', 0, 85, 30},  {'B', 0, 220, 220}, {'K', 20, 89, 30}, {'D', 220, 89, 30},
    {'E', 0, 89, 30},     {'F', 3, 85, 30},  {'G', 220, 85, 30}, {'H', 9, 85, 30},  {'I', 20, 85, 30},
};

constexpr GridPalette initial_grid_palette() {
    GridPalette p{};  // entry 225 stays (0, 0, 0)
    for (int k = 0; k < GRID_CELLS; k++) {
        for (const TileColour& c : TILE_COLOURS) {
            if (c.letter != TILE[k / GRID_SIDE][k % GRID_SIDE]) continue;
            p.red[k] = c.red;
            p.green[k] = c.green;
            p.blue[k] = c.blue;
        }
    }
    return p;
}

// ---- the maps: a smooth field of tile coordinates over screen rows 20 to 218 ----------------
//
// Field row z (0 .. 198) feeds row z of map 0 and row z - 99 of map 1, so map 1's first row is
// map 0's last. Both coordinates are 16.16 fixed point: the group falls by about one every two
// columns and the cell rises slowly down and across, each bent by a slow wave. Every partial
// derivative stays below one cell per pixel, so neighbouring entries differ by at most one step
// in each coordinate. Integer arithmetic only: the maps are the same on every machine.

constexpr int64_t ONE = 65536;

// A sine-like wave of period 1024 in phase units, from -ONE to ONE: parabolic arcs t (512 - t).
constexpr int64_t wave(int64_t phase) {
    int64_t p = phase & 1023, t = p & 511;
    int64_t arc = t * (512 - t);  // 0 .. 65536
    return p < 512 ? arc : -arc;
}

constexpr int wrap(int64_t coordinate) {
    int64_t n = coordinate >> 16;  // floor
    return int(((n % GRID_SIDE) + GRID_SIDE) % GRID_SIDE);
}

int32_t field_entry(int64_t x, int64_t z) {
    int64_t group = 11 * ONE + ONE / 2 - x * ONE / 2 + 4 * wave(6 * x + 9 * z);
    int64_t cell = 10 * ONE + ONE / 2 + x * ONE / 16 + z * ONE / 6 + 5 * wave(3 * x - 7 * z + 300);
    return 1 + GRID_SIDE * wrap(group) + wrap(cell);
}

bool fill_grid_maps() {
    for (int m = 0; m < 2; m++)
        for (int r = 0; r < GRID_MAP_ROWS; r++)
            for (int x = 0; x < GRID_MAP_COLS; x++)
                grid_maps[m][r * GRID_MAP_COLS + x] = field_entry(x, m * (GRID_MAP_ROWS - 1) + r);
    return true;
}

}  // namespace

GridPalette grid_palette = initial_grid_palette();

void reset_grid_palette() { grid_palette = initial_grid_palette(); }
int32_t grid_maps[2][GRID_MAP_ENTRIES];

// Filled during start-up, before main runs; nothing in the maps depends on another global.
static const bool grid_maps_ready = fill_grid_maps();
