#include "effects/grid.h"

#include "console/vga.h"
#include "base/kernel.h"

namespace {

constexpr int DAC_WRITE_INDEX = 0x3C8, DAC_DATA = 0x3C9;

int32_t* colour_rows[3] = {grid_palette.red, grid_palette.green, grid_palette.blue};

PIXEL_KERNEL void narrow_map(const int32_t* map, uint8_t* rows) {
    for (int r = 0; r < GRID_MAP_ROWS; r++)
        for (int x = 0; x < GRID_MAP_COLS; x++) rows[r * SCREEN_WIDTH + x] = uint8_t(map[r * GRID_MAP_COLS + x]);
}

// Every entry is read before it is overwritten; the scratch holds the ones that wrap round.
void groups_down(int32_t* row) {
    int32_t scratch[GRID_SIDE];
    for (int k = 0; k < GRID_SIDE; k++) scratch[k] = row[k];
    for (int k = GRID_SIDE; k < GRID_CELLS; k++) row[k - GRID_SIDE] = row[k];
    for (int k = 0; k < GRID_SIDE; k++) row[GRID_CELLS - GRID_SIDE + k] = scratch[k];
}

void groups_up(int32_t* row) {
    int32_t scratch[GRID_SIDE];
    for (int k = 0; k < GRID_SIDE; k++) scratch[k] = row[GRID_CELLS - GRID_SIDE + k];
    for (int k = GRID_CELLS - GRID_SIDE - 1; k >= 0; k--) row[k + GRID_SIDE] = row[k];
    for (int k = 0; k < GRID_SIDE; k++) row[k] = scratch[k];
}

void cells_up(int32_t* group) {
    int32_t last = group[GRID_SIDE - 1];
    for (int e = GRID_SIDE - 1; e > 0; e--) group[e] = group[e - 1];
    group[0] = last;
}

void cells_down(int32_t* group) {
    int32_t first = group[0];
    for (int e = 0; e < GRID_SIDE - 1; e++) group[e] = group[e + 1];
    group[GRID_SIDE - 1] = first;
}

void roll_cells(void (*roll)(int32_t*)) {
    for (int g = 0; g < GRID_SIDE; g++)
        for (int32_t* row : colour_rows) roll(row + g * GRID_SIDE);
}

}  // namespace

void set_dac_color(int index, int r, int g, int b) {
    port_out(DAC_WRITE_INDEX, index & 0xFF);
    port_out(DAC_DATA, r & 0xFF);
    port_out(DAC_DATA, g & 0xFF);
    port_out(DAC_DATA, b & 0xFF);
}

void upload_grid_palette() {
    for (int k = 0; k < GRID_COLOURS; k++)
        set_dac_color(k + 1, grid_palette.red[k], grid_palette.green[k], grid_palette.blue[k]);
}

void draw_grid_picture(FrameBuffer* buf) {
    pixel_kernel<narrow_map>(grid_maps[0], buf->pixels + GRID_TOP_ROW * SCREEN_WIDTH);
    pixel_kernel<narrow_map>(grid_maps[1], buf->pixels + (GRID_TOP_ROW + GRID_MAP_ROWS) * SCREEN_WIDTH);
}

void put_grid_pixel(FrameBuffer* buf, int y, int colour, int x) {
    int64_t index = (int64_t(y) + GRID_TOP_ROW) * SCREEN_WIDTH + x;
    if (index >= 0 && index < FRAME_BYTES) buf->pixels[index] = uint8_t(colour);
}

void roll_palette_groups_down() {
    for (int32_t* row : colour_rows) groups_down(row);
}

void roll_palette_groups_up() {
    for (int32_t* row : colour_rows) groups_up(row);
}

void roll_palette_cells_up() { roll_cells(cells_up); }
void roll_palette_cells_down() { roll_cells(cells_down); }
