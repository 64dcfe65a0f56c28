#include "effects/scale.h"

#include <cstring>

#include "effects/blit.h"
#include "effects/filters.h"
#include "base/kernel.h"

namespace {

// Column j samples source column (j * xstep) >> 16, the accumulator's value at j.
PIXEL_KERNEL void sample_row(const uint8_t* src_row, int64_t xstep, int n, uint8_t* __restrict dst_row) {
    for (int j = 0; j < n; j++) dst_row[j] = src_row[(j * xstep) >> 16];
}

// The visible part of the block at (x, y): every source pixel s turns the pixel d under it into
// put(s, d).
template <typename Put>
void put_block(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y, Put put) {
    BlitClip c;
    if (!clip_blit(w, h, x, y, SCREEN_WIDTH, SCREEN_HEIGHT, &c)) return;
    const uint8_t* s = src + c.src;
    uint8_t* d = dst->pixels + c.dst;
    for (int r = 0; r < c.rows; r++, s += w, d += SCREEN_WIDTH)
        for (int k = 0; k < c.cols; k++) d[k] = put(s[k], d[k]);
}

int centred_x(int w) { return centred_start(SCREEN_WIDTH, w); }
int centred_y(int h) { return centred_start(SCREEN_HEIGHT, h); }

PIXEL_KERNEL void blend_rows(const uint8_t* __restrict s, int sw, uint8_t* __restrict d, int cols, int rows, uint16_t wa, uint16_t wb) {
    for (int r = 0; r < rows; r++, s += sw, d += SCREEN_WIDTH)
        for (int k = 0; k < cols; k++) d[k] = s[k] ? blend_bytes(s[k], d[k], wa, wb) : d[k];
}

}  // namespace

void scale_image(int src_w, int src_h, const uint8_t* src, int dst_w, int dst_h, uint8_t* dst) {
    if (src_w <= 0 || src_h <= 0 || dst_w <= 0 || dst_h <= 0) return;
    // 64-bit accumulators: the same values as 32-bit ones wherever those do not overflow.
    int64_t xstep = int64_t(src_w) * 65536 / dst_w;
    int64_t ystep = int64_t(src_h) * 65536 / dst_h;

    int64_t prev_sy = -1;
    uint8_t* row = dst;
    for (int64_t i = 0, ey = 0; i < dst_h; i++, ey += ystep, row += dst_w) {
        int64_t sy = ey >> 16;
        if (sy == prev_sy)
            memcpy(row, row - dst_w, size_t(dst_w));  // a repeated source row
        else
            pixel_kernel<sample_row>(src + sy * src_w, xstep, dst_w, row);
        prev_sy = sy;
    }
}

void blend_blit(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y, int factor) {
    BlitClip c;
    if (!clip_blit(w, h, x, y, SCREEN_WIDTH, SCREEN_HEIGHT, &c)) return;
    uint16_t wb = uint16_t(factor & 0xFF), wa = uint16_t(255 - wb);
    pixel_kernel<blend_rows>(src + c.src, w, dst->pixels + c.dst, c.cols, c.rows, wa, wb);
}

void copy_block(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y) {
    put_block(src, dst, w, h, x, y, [](uint8_t s, uint8_t) { return s; });
}

void copy_block_centred(const uint8_t* src, FrameBuffer* dst, int w, int h) {
    copy_block(src, dst, w, h, centred_x(w), centred_y(h));
}

void copy_block_transparent(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y) {
    put_block(src, dst, w, h, x, y, [](uint8_t s, uint8_t d) { return s ? s : d; });
}

void copy_block_transparent_centred(const uint8_t* src, FrameBuffer* dst, int w, int h) {
    copy_block_transparent(src, dst, w, h, centred_x(w), centred_y(h));
}

void add_block(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y) {
    put_block(src, dst, w, h, x, y, [](uint8_t s, uint8_t d) { return uint8_t(d + s); });
}

void add_block_centred(const uint8_t* src, FrameBuffer* dst, int w, int h) {
    add_block(src, dst, w, h, centred_x(w), centred_y(h));
}

// Adding a source pixel of 0 leaves the destination as it was, so skipping it changes nothing.
void add_block_transparent(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y) {
    add_block(src, dst, w, h, x, y);
}

void add_block_transparent_centred(const uint8_t* src, FrameBuffer* dst, int w, int h) {
    add_block_transparent(src, dst, w, h, centred_x(w), centred_y(h));
}
