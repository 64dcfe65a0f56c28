// Pixel primitives: the darkening blend of two palette indices, the four-neighbour mean filter
// and the full-frame cross-fade built on the blend.
#pragma once

#include <cstdint>

#include "video/framebuffer.h"

// ((255 - f) * a >> 8) + (f * b >> 8) with f = factor & 0xFF, each term floored on its own,
// negative results raised to 0. The weights sum to 255/256, so the result is always a little
// darker than the weighted mean: blending a pixel with itself darkens it. a and b are palette
// indices (or small ints: the products must fit in 32 bits).
inline int blend_pixel(int a, int b, int factor) {
    int f = factor & 0xFF;
    int r = (((255 - f) * a) >> 8) + ((f * b) >> 8);
    return r < 0 ? 0 : r;
}

// blend_pixel of two bytes with the weights wa = 255 - f and wb = f: the same value (both terms
// are non-negative and their sum is at most 254), in a form that vectorises to byte lanes.
// (x * w) >> 8 is taken as the high half of x * (w << 8), one instruction per vector on x86.
inline uint8_t blend_bytes(uint8_t a, uint8_t b, uint16_t wa, uint16_t wb) {
    uint16_t high_a = uint16_t((uint32_t(a) * uint16_t(wa << 8)) >> 16);
    uint16_t high_b = uint16_t((uint32_t(b) * uint16_t(wb << 8)) >> 16);
    return uint8_t(high_a + high_b);
}

// dst[p] = (src[p - 1] + src[p + 1] + src[p - 320] + src[p + 320]) >> 2 for p = 2 .. count - 1,
// the buffer taken as one flat array (rows do not stop the filter); a neighbour outside the
// count bytes reads 0. dst[0] and dst[1] keep what they held. src and dst must be distinct.
void average4_filter(const FrameBuffer* src, FrameBuffer* dst, int count);

// dst[p] = blend_pixel(a[p], b[p], factor) for p = 0 .. count - 1; dst may be a or b.
void blend_frames(const FrameBuffer* a, const FrameBuffer* b, FrameBuffer* dst, int count, int factor);
