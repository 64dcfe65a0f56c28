#include "effects/smear.h"

#include <algorithm>
#include <cstdint>

#include "effects/filters.h"
#include "effects/kernel.h"

// The order of the blends fixes the result: upper rows from the centre row upward, then lower
// rows from the centre downward; in each row the left pass (from the centre leftward) before the
// right pass. Every row but the centre row samples only rows finished before it, and its sample
// columns depend on x alone, so it is done as one gather through a column map and one blend.

namespace {

using ColumnMap = uint16_t[SCREEN_WIDTH];

PIXEL_KERNEL void smear_row(uint8_t* row, const uint8_t* src_row, const ColumnMap map, uint16_t wa, uint16_t wb) {
    uint8_t sample[SCREEN_WIDTH];
    for (int x = 0; x < SCREEN_WIDTH; x++) sample[x] = src_row[map[x]];
    for (int x = 0; x < SCREEN_WIDTH; x++) row[x] = blend_bytes(row[x], sample[x], wa, wb);
}

// The centre row samples its own pixels, those already blended in this pass included.
void smear_centre_row(uint8_t* row, int cx, const ColumnMap map, int f) {
    for (int x = cx; x >= 0; x--) row[x] = uint8_t(blend_pixel(row[x], row[map[x]], f));
    for (int x = cx + 1; x < SCREEN_WIDTH; x++) row[x] = uint8_t(blend_pixel(row[x], row[map[x]], f));
}

}  // namespace

void radial_smear(FrameBuffer* frame, int cx, int cy, int step, int factor) {
    uint8_t* buf = frame->pixels;
    if (step < 0 || step >= 65536) return;
    cx = std::clamp(cx, 0, SCREEN_WIDTH - 1);
    cy = std::clamp(cy, 0, SCREEN_HEIGHT - 1);
    int f = factor & 0xFF;
    uint16_t wb = uint16_t(f), wa = uint16_t(255 - f);

    // Sample columns. Left of the centre (both parts): x - (t >> 16) with t = -(cx - x) * step.
    // Right of it: x - (u >> 16) with u = (x - cx) * step above and (x - cx + 1) * step below.
    ColumnMap upper, lower;
    for (int x = cx, t = 0; x >= 0; x--, t -= step) upper[x] = lower[x] = uint16_t(x - (t >> 16));
    for (int x = cx + 1, u = step; x < SCREEN_WIDTH; x++, u += step) upper[x] = uint16_t(x - (u >> 16));
    for (int x = cx + 1, u = 2 * step; x < SCREEN_WIDTH; x++, u += step) lower[x] = uint16_t(x - (u >> 16));

    smear_centre_row(buf + cy * SCREEN_WIDTH, cx, upper, f);
    for (int y = cy - 1, r = -step; y >= 0; y--, r -= step) {
        int sy = y - (r >> 16);
        smear_row(buf + y * SCREEN_WIDTH, buf + sy * SCREEN_WIDTH, upper, wa, wb);
    }
    // Below the centre row the right pass starts at cx itself, so the centre column is blended a
    // second time, with the sample column cx - (step >> 16).
    for (int y = cy + 1, r = step; y < SCREEN_HEIGHT; y++, r += step) {
        uint8_t* row = buf + y * SCREEN_WIDTH;
        const uint8_t* src_row = buf + (y - 1 - (r >> 16)) * SCREEN_WIDTH;
        smear_row(row, src_row, lower, wa, wb);
        row[cx] = uint8_t(blend_pixel(row[cx], src_row[cx - (step >> 16)], f));
    }
}
