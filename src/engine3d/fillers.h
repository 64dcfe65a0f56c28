// Scan-line triangle fillers into the frame buffer they are given, in 16.16 fixed point.
//
// The triangle fillers skip rows outside 0..239; the span steps draw into row y, which their
// caller keeps within 0..239. Spans are clipped to columns 0..319. Callers keep coordinates
// within ±16383 pixels (so 16.16 edge steps cannot overflow) and picture u within 0..255.
#pragma once

#include <cstdint>

#include "video/framebuffer.h"

struct ScreenPoint {
    int32_t x, y;   // screen pixel
    int32_t z;      // camera-space depth
    int32_t u, v;   // picture coordinates (mapped faces)
    int32_t shade;  // palette index (flat faces; the first corner's counts)
};

// One colour, the low byte of p0.shade.
void fill_triangle_flat(FrameBuffer* target, const ScreenPoint* p0, const ScreenPoint* p1,
                        const ScreenPoint* p2);
// Pixels of a 256 x 256 picture, coordinates interpolated linearly on the screen.
void fill_triangle_mapped(FrameBuffer* target, const ScreenPoint* p0, const ScreenPoint* p1,
                          const ScreenPoint* p2, const uint8_t* picture);
// Row y from min(xa, xb) up to, not including, max(xa, xb).
void draw_flat_span(FrameBuffer* target, int xa, int xb, int y, uint8_t colour);
// Row y from xa to xb with picture coordinates ua..ub, va..vb (16.16) stepped across it.
void draw_mapped_span(FrameBuffer* target, int xa, int xb, int y, int32_t ua, int32_t ub, int32_t va,
                      int32_t vb, const uint8_t* picture);
