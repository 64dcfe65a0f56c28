// Grid palette cycling: two fixed maps of DAC indices, each index a cell of a 15 x 15 colour
// tile, are drawn into the frame; rotating the tile's colours in the DAC moves the picture
// without writing a pixel.
#pragma once

#include <cstdint>

#include "video/framebuffer.h"

constexpr int GRID_SIDE = 15;                        // groups per tile, cells per group
constexpr int GRID_CELLS = GRID_SIDE * GRID_SIDE;    // 225
constexpr int GRID_COLOURS = GRID_CELLS + 1;         // DAC indices 1 .. 226; 226 stays black
constexpr int GRID_MAP_ROWS = 100, GRID_MAP_COLS = 319;
constexpr int GRID_MAP_ENTRIES = GRID_MAP_ROWS * GRID_MAP_COLS;
constexpr int GRID_TOP_ROW = 20;  // screen row of the upper map's first row

// Entry v (1 .. 225) names cell e = (v - 1) % 15 of group g = (v - 1) / 15. Map 0 covers screen
// rows 20 to 119, map 1 rows 120 to 219, columns 0 to 318; map 1's first row repeats map 0's
// last, so the two join without a seam. Computed at start-up, never changed afterwards.
extern int32_t grid_maps[2][GRID_MAP_ENTRIES];

// Colours of DAC indices 1 .. 226: entry 15 g + e is cell (g, e), entry 225 is black. Stored as
// written to the DAC, which keeps the low 6 bits of each component.
struct GridPalette {
    int32_t red[GRID_COLOURS];
    int32_t green[GRID_COLOURS];
    int32_t blue[GRID_COLOURS];
};
extern GridPalette grid_palette;  // the initial tile; the rolls change it in place
void reset_grid_palette();         // the initial tile again

// One DAC entry through the VGA ports: index to 0x3C8, then red, green, blue to 0x3C9 (low bytes).
void set_dac_color(int index, int r, int g, int b);
// set_dac_color(k + 1, ...) for entries k = 0 .. 225 of grid_palette, in increasing order.
void upload_grid_palette();
// Writes both maps into rows 20 to 219, columns 0 to 318 of buf, nothing else.
void draw_grid_picture(FrameBuffer* buf);
// Stores the low byte of colour at index (y + 20) * 320 + x: a point of the picture rows, a column
// past either edge reaching into the row beside. Nothing is written where the index lies outside
// the frame.
void put_grid_pixel(FrameBuffer* buf, int y, int colour, int x);

// Rotations of entries 0 .. 224 of all three colour rows; entry 225 never moves.
void roll_palette_groups_down();  // entry k takes entry (k + 15) mod 225
void roll_palette_groups_up();    // entry k takes entry (k - 15) mod 225
void roll_palette_cells_up();     // entry 15 g + e takes entry 15 g + (e + 14) mod 15
void roll_palette_cells_down();   // entry 15 g + e takes entry 15 g + (e + 1) mod 15
