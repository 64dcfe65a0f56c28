// Water ripples: two pages of heights laid out like a frame, a wave step between them, drops
// pressed into them, and the picture under the water drawn bent and shaded by the slopes.
// Only the interior (rows 1 to 238, columns 1 to 318) moves; the outer ring of a page keeps what
// was put there and acts as a fixed boundary.
#pragma once

#include <cstdint>

#include "video/framebuffer.h"

// Height pages 0 and 1, index y * 320 + x, zero at start; scenes clear and stamp them directly.
extern int32_t water_heights[2][FRAME_BYTES];
// The picture under the water. It lies between two guard bands of FRAME_BYTES bytes each, so
// water_background - FRAME_BYTES up to water_background + 2 * FRAME_BYTES - 1 may be written;
// water_render never reads the bands: every sample outside the picture reads 0.
extern uint8_t* const water_background;

// Adds a disc of radius pixels round (cx, cy) to the page: (sin(n) + 65535) * amplitude >> 19
// per point, n growing with the distance to 1024 at the rim. Clipped to the interior.
void water_add_drop(int cx, int cy, int radius, int amplitude, int page);
// Page page becomes the next state: from the eight neighbours of each point in the other page,
// minus its own state two frames ago, damped by one part in 2^damping_shift.
void water_step(int page, int damping_shift);
// Writes the interior of dst: water_background sampled one pixel off per 8 units of slope to
// the right and lower neighbours, lightened by the slope to the right >> shade_shift, clamped to
// 0 .. 255.
void water_render(int page, int shade_shift, FrameBuffer* dst);
// Softens page page: each interior height becomes the mean of itself and of its eight
// neighbours' mean in the other page, (((sum of the eight) >> 3) + own) >> 1.
void water_smooth(int page);
