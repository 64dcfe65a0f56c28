#include "effects/smear.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "effects/filters.h"
#include "base/kernel.h"

#ifdef KERNEL_FORMS
#include <immintrin.h>
#endif

// The order of the blends fixes the result: upper rows from the centre row upward, then lower
// rows from the centre downward; in each row the left pass (from the centre leftward) before the
// right pass. Every row but the centre row samples only rows finished before it, and its sample
// columns depend on x alone, so it is done as one gather through a column map and one blend.

namespace {

using ColumnMap = uint16_t[SCREEN_WIDTH];

// A column map never moves on by more than one column from one x to the next, so the 16 samples
// of a block of 16 columns lie within the 16 bytes from first[k] (kept inside the row), at the
// places pick[k]. The fast forms gather a block with one byte shuffle.
constexpr int BLOCK = 16, BLOCKS = SCREEN_WIDTH / BLOCK;
struct MapBlocks {
    uint16_t first[BLOCKS];
    alignas(32) uint8_t pick[BLOCKS][BLOCK];
};

void split_into_blocks(const ColumnMap map, MapBlocks* blocks) {
    for (int k = 0; k < BLOCKS; k++) {
        int first = std::min<int>(map[k * BLOCK], SCREEN_WIDTH - BLOCK);
        blocks->first[k] = uint16_t(first);
        for (int i = 0; i < BLOCK; i++) blocks->pick[k][i] = uint8_t(map[k * BLOCK + i] - first);
    }
}

struct Map {
    ColumnMap columns;
    MapBlocks blocks;
};

void gather_row(const uint8_t* row, const Map& map, uint8_t* sample) {
    for (int x = 0; x < SCREEN_WIDTH; x++) sample[x] = row[map.columns[x]];
}

#ifdef KERNEL_FORMS
AVX2_FORM void gather_row_shuffled(const uint8_t* row, const Map& map, uint8_t* sample) {
    const MapBlocks& b = map.blocks;
    for (int k = 0; k < BLOCKS; k += 2) {
        __m256i bytes = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(row + b.first[k + 1]),
                                            reinterpret_cast<const __m128i*>(row + b.first[k]));
        __m256i pick = _mm256_load_si256(reinterpret_cast<const __m256i*>(b.pick[k]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sample + k * BLOCK), _mm256_shuffle_epi8(bytes, pick));
    }
}
#endif

auto row_gatherer() {
#ifdef KERNEL_FORMS
    if (kernel_form != KernelForm::plain) return gather_row_shuffled;
#endif
    return gather_row;
}

// Two pixels at a time (see blend_byte_pairs); in and out may be the same row.
PIXEL_KERNEL void blend_row(const uint8_t* in, const uint8_t* sample, uint8_t* out, uint16_t wa, uint16_t wb) {
    for (int x = 0; x < SCREEN_WIDTH; x += 2) {
        uint16_t a, b;
        memcpy(&a, in + x, 2);
        memcpy(&b, sample + x, 2);
        uint16_t blended = blend_byte_pairs(a, b, wa, wb);
        memcpy(out + x, &blended, 2);
    }
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
    Map upper, lower;
    for (int x = cx, t = 0; x >= 0; x--, t -= step) upper.columns[x] = lower.columns[x] = uint16_t(x - (t >> 16));
    for (int x = cx + 1, u = step; x < SCREEN_WIDTH; x++, u += step) upper.columns[x] = uint16_t(x - (u >> 16));
    for (int x = cx + 1, u = 2 * step; x < SCREEN_WIDTH; x++, u += step) lower.columns[x] = uint16_t(x - (u >> 16));
    split_into_blocks(upper.columns, &upper.blocks);
    split_into_blocks(lower.columns, &lower.blocks);
    const auto gather = row_gatherer();
    uint8_t sample[SCREEN_WIDTH];

    smear_centre_row(src + cy * SCREEN_WIDTH, dst + cy * SCREEN_WIDTH, cx, upper.columns, f);
    for (int y = cy - 1, r = -step; y >= 0; y--, r -= step) {
        int sy = y - (r >> 16);
        gather(src + sy * SCREEN_WIDTH, upper, sample);
        pixel_kernel<blend_row>(src + y * SCREEN_WIDTH, sample, dst + y * SCREEN_WIDTH, wa, wb);
    }
    // Below the centre row the right pass starts at cx itself, so the centre column is blended a
    // second time, with the sample column cx - (step >> 16): in place, over its first blend; in
    // the copy, the same value again.
    for (int y = cy + 1, r = step; y < SCREEN_HEIGHT; y++, r += step) {
        const uint8_t* in = src + y * SCREEN_WIDTH;
        const uint8_t* sample_row = src + (y - 1 - (r >> 16)) * SCREEN_WIDTH;
        uint8_t* out = dst + y * SCREEN_WIDTH;
        gather(sample_row, lower, sample);
        pixel_kernel<blend_row>(in, sample, out, wa, wb);
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
