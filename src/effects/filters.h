// Pixel primitives: the darkening blend of two palette indices, the neighbour filters over a
// frame taken as one flat array, and the full-frame cross-fade built on the blend.
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

// blend_bytes of the two bytes of a 16-bit word each (the low bytes together, the high bytes
// together): each product is taken in 16 bits, the high byte's already in place, and neither sum
// (at most 254) carries out of its byte. Vectorised, it needs no widening to 16-bit lanes.
inline uint16_t blend_byte_pairs(uint16_t a, uint16_t b, uint16_t wa, uint16_t wb) {
    uint32_t wa8 = uint16_t(wa << 8), wb8 = uint16_t(wb << 8);
    uint32_t low = ((a & 0xFFu) * wa8 >> 16) + ((b & 0xFFu) * wb8 >> 16);
    uint32_t high = (((a & 0xFF00u) * wa8 >> 16) & 0xFF00u) + (((b & 0xFF00u) * wb8 >> 16) & 0xFF00u);
    return uint16_t(low | high);
}

// dst[p] = (src[p - 1] + src[p + 1] + src[p - 320] + src[p + 320]) >> 2 for p = 2 .. count - 1,
// the buffer taken as one flat array (rows do not stop the filter); a neighbour outside the
// count bytes reads 0. dst[0] and dst[1] keep what they held. src and dst must be distinct. A
// count beyond the frame covers the frame.
void average4_filter(const FrameBuffer* src, FrameBuffer* dst, int count);
// The same with every mean but 0 lowered by 1, so that bright areas fade as they spread.
void average4_decay_filter(const FrameBuffer* src, FrameBuffer* dst, int count);
// For every index i of one flat run of w * h pixels (w per row): the 8-bit sum of the eight
// samples at i - dx, i + dx, i - dy * w, i + dy * w and i +- dy * w +- dx, times 8, kept to 8
// bits. A sample outside the run reads 0; a run longer than the frame is cut to it, and nothing is
// written unless w and h are positive. src and dst must be distinct.
void neighbour_sum8_filter(const FrameBuffer* src, FrameBuffer* dst, int w, int h, int dx, int dy);
// dst[321 k] = src[321 k + 1] for k = 0 .. 239: the main diagonal, each pixel from its right.
void copy_diagonal(const FrameBuffer* src, FrameBuffer* dst);

// dst[p] = blend_pixel(a[p], b[p], factor) for p = 0 .. count - 1 (at most the frame); dst may
// be a or b.
void blend_frames(const FrameBuffer* a, const FrameBuffer* b, FrameBuffer* dst, int count, int factor);
