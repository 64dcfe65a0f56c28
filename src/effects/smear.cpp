#include "effects/smear.h"

#include <algorithm>
#include <cstdint>

#include "effects/filters.h"
#include "base/kernel.h"

// The order of the blends fixes the result: upper rows from the centre row upward, then lower
// rows from the centre downward; in each row the left pass (from the centre leftward) before the
// right pass. Every row but the centre row samples only rows finished before it, and its sample
// columns depend on x alone, so it is done as one gather through a column map and one blend.

namespace {

using ColumnMap = uint16_t[SCREEN_WIDTH];

// in and out are one row of the frame for the in-place smear, and rows of two frames for the copy.
PIXEL_KERNEL void smear_row(const uint8_t* in, const uint8_t* sample_row, uint8_t* out, const ColumnMap map, uint16_t wa,
                            uint16_t wb) {
    uint8_t sample[SCREEN_WIDTH];
    for (int x = 0; x < SCREEN_WIDTH; x++) sample[x] = sample_row[map[x]];
    for (int x = 0; x < SCREEN_WIDTH; x++) out[x] = blend_bytes(in[x], sample[x], wa, wb);
}

// The centre row samples its own pixels: in place, those already blended in this pass included.
void smear_centre_row(const uint8_t* in, uint8_t* out, int cx, const ColumnMap map, int f) {
    for (int x = cx; x >= 0; x--) out[x] = uint8_t(blend_pixel(in[x], in[map[x]], f));
    for (int x = cx + 1; x < SCREEN_WIDTH; x++) out[x] = uint8_t(blend_pixel(in[x], in[map[x]], f));
}

// Both forms: src and dst are the same pixels for the in-place smear. Samples are read from src,
// which in place holds the rows already finished.
void smear(const uint8_t* src, uint8_t* dst, int cx, int cy, int step, int factor) {
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

    smear_centre_row(src + cy * SCREEN_WIDTH, dst + cy * SCREEN_WIDTH, cx, upper, f);
    for (int y = cy - 1, r = -step; y >= 0; y--, r -= step) {
        int sy = y - (r >> 16);
        pixel_kernel<smear_row>(src + y * SCREEN_WIDTH, src + sy * SCREEN_WIDTH, dst + y * SCREEN_WIDTH, upper, wa,
                                wb);
    }
    // Below the centre row the right pass starts at cx itself, so the centre column is blended a
    // second time, with the sample column cx - (step >> 16): in place, over its first blend; in
    // the copy, the same value again.
    for (int y = cy + 1, r = step; y < SCREEN_HEIGHT; y++, r += step) {
        const uint8_t* in = src + y * SCREEN_WIDTH;
        const uint8_t* sample_row = src + (y - 1 - (r >> 16)) * SCREEN_WIDTH;
        uint8_t* out = dst + y * SCREEN_WIDTH;
        pixel_kernel<smear_row>(in, sample_row, out, lower, wa, wb);
        out[cx] = uint8_t(blend_pixel(in[cx], sample_row[cx - (step >> 16)], f));
    }
}

}  // namespace

void radial_smear(FrameBuffer* buf, int cx, int cy, int step, int factor) {
    smear(buf->pixels, buf->pixels, cx, cy, step, factor);
}

void radial_smear_copy(const FrameBuffer* src, FrameBuffer* dst, int cx, int cy, int step, int factor) {
    smear(src->pixels, dst->pixels, cx, cy, step, factor);
}
