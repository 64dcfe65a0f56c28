#include "effects/filters.h"

#include <algorithm>

#include "effects/kernel.h"

namespace {

int sample_or_zero(const FrameBuffer* src, int count, int i) { return i >= 0 && i < count ? src[i] : 0; }

void average4_checked(const FrameBuffer* src, FrameBuffer* dst, int count, int from, int to) {
    for (int p = from; p < to; p++)
        dst[p] = uint8_t((sample_or_zero(src, count, p - 1) + sample_or_zero(src, count, p + 1) +
                          sample_or_zero(src, count, p - SCREEN_WIDTH) +
                          sample_or_zero(src, count, p + SCREEN_WIDTH)) >> 2);
}

PIXEL_KERNEL void average4_inner(const FrameBuffer* __restrict src, FrameBuffer* __restrict dst, int from, int to) {
    for (int p = from; p < to; p++)
        dst[p] = uint8_t((uint16_t(src[p - 1] + src[p + 1]) + uint16_t(src[p - SCREEN_WIDTH] + src[p + SCREEN_WIDTH])) >> 2);
}

}  // namespace

void average4_filter(const FrameBuffer* src, FrameBuffer* dst, int count) {
    // The pixels whose four neighbours all lie inside the buffer go through the fast loop; the
    // first and last row (and whatever a short count leaves) read missing neighbours as 0.
    int lo = std::max(2, SCREEN_WIDTH);
    int hi = std::max(lo, count - SCREEN_WIDTH);
    average4_checked(src, dst, count, 2, std::min(lo, count));
    average4_inner(src, dst, lo, hi);
    average4_checked(src, dst, count, hi, count);
}

PIXEL_KERNEL void blend_frames(const FrameBuffer* a, const FrameBuffer* b, FrameBuffer* dst, int count, int factor) {
    uint16_t wb = uint16_t(factor & 0xFF), wa = uint16_t(255 - wb);
    for (int p = 0; p < count; p++) dst[p] = blend_bytes(a[p], b[p], wa, wb);
}
