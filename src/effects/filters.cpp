#include "effects/filters.h"

#include <algorithm>

#include "base/kernel.h"

namespace {

int sample_or_zero(const uint8_t* src, int count, int i) { return i >= 0 && i < count ? src[i] : 0; }

void average4_checked(const uint8_t* src, uint8_t* dst, int count, int from, int to) {
    for (int p = from; p < to; p++)
        dst[p] = uint8_t((sample_or_zero(src, count, p - 1) + sample_or_zero(src, count, p + 1) +
                          sample_or_zero(src, count, p - SCREEN_WIDTH) +
                          sample_or_zero(src, count, p + SCREEN_WIDTH)) >> 2);
}

// (a + b + 1) >> 1 in 8 bits: one instruction per 16, 32 or 64 bytes on x86.
inline uint8_t mean_up(uint8_t a, uint8_t b) { return uint8_t((unsigned(a) + b + 1) >> 1); }

// (a + b + c + d) >> 2 without leaving 8 bits: halve each pair, floored (the rounded-up mean less
// the dropped bit), then halve the sum of the halves, adding 1 when both pairs dropped a bit.
PIXEL_KERNEL void average4_inner(const uint8_t* __restrict src, uint8_t* __restrict dst, int from, int to) {
    for (int p = from; p < to; p++) {
        uint8_t a = src[p - 1], b = src[p + 1], c = src[p - SCREEN_WIDTH], d = src[p + SCREEN_WIDTH];
        uint8_t odd_ab = (a ^ b) & 1, odd_cd = (c ^ d) & 1;
        uint8_t half_ab = uint8_t(mean_up(a, b) - odd_ab), half_cd = uint8_t(mean_up(c, d) - odd_cd);
        uint8_t round_down = (half_ab ^ half_cd) & 1 & ~(odd_ab & odd_cd);
        dst[p] = uint8_t(mean_up(half_ab, half_cd) - round_down);
    }
}

// Every value but 0 lowered by 1 (a saturating subtraction, one instruction per vector).
PIXEL_KERNEL void lower_nonzero(uint8_t* p, int n) {
    for (int i = 0; i < n; i++) p[i] = uint8_t(p[i] ? p[i] - 1 : 0);
}

}  // namespace

void average4_filter(const FrameBuffer* src_frame, FrameBuffer* dst_frame, int count) {
    const uint8_t* src = src_frame->pixels;
    uint8_t* dst = dst_frame->pixels;
    count = std::min(count, FRAME_BYTES);
    // The pixels whose four neighbours all lie inside the buffer go through the fast loop; the
    // first and last row (and whatever a short count leaves) read missing neighbours as 0.
    int lo = std::max(2, SCREEN_WIDTH);
    int hi = std::max(lo, count - SCREEN_WIDTH);
    average4_checked(src, dst, count, 2, std::min(lo, count));
    pixel_kernel<average4_inner>(src, dst, lo, hi);
    average4_checked(src, dst, count, hi, count);
}

static PIXEL_KERNEL void blend_run(const uint8_t* a, const uint8_t* b, uint8_t* dst, int count, uint16_t wa,
                                   uint16_t wb) {
    for (int p = 0; p < count; p++) dst[p] = blend_bytes(a[p], b[p], wa, wb);
}

void blend_frames(const FrameBuffer* a, const FrameBuffer* b, FrameBuffer* dst, int count, int factor) {
    uint16_t wb = uint16_t(factor & 0xFF);
    pixel_kernel<blend_run>(a->pixels, b->pixels, dst->pixels, std::min(count, FRAME_BYTES), uint16_t(255 - wb), wb);
}

void average4_decay_filter(const FrameBuffer* src, FrameBuffer* dst, int count) {
    average4_filter(src, dst, count);
    count = std::min(count, FRAME_BYTES);
    if (count > 2) pixel_kernel<lower_nonzero>(dst->pixels + 2, count - 2);
}

void neighbour_sum8_filter(const FrameBuffer* src, FrameBuffer* dst, int w, int h, int dx, int dy) {
    if (w <= 0 || h <= 0) return;
    int64_t n = std::min<int64_t>(int64_t(w) * h, FRAME_BYTES);
    int64_t row = int64_t(dy) * w;
    const int64_t offsets[8] = {-int64_t(dx), dx, -row, row, -row - dx, -row + dx, row - dx, row + dx};
    for (int64_t i = 0; i < n; i++) {
        uint8_t sum = 0;
        for (int64_t o : offsets)
            if (i + o >= 0 && i + o < n) sum = uint8_t(sum + src->pixels[i + o]);
        dst->pixels[i] = uint8_t(sum << 3);
    }
}

void copy_diagonal(const FrameBuffer* src, FrameBuffer* dst) {
    for (int k = 0; k < SCREEN_HEIGHT; k++) dst->pixels[(SCREEN_WIDTH + 1) * k] = src->pixels[(SCREEN_WIDTH + 1) * k + 1];
}
