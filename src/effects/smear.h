// Radial smear: pulls every pixel of a frame toward a pixel between it and a centre, in place,
// from the centre outward, so bright shapes leave fading streaks pointing away from the centre.
#pragma once

#include "video/framebuffer.h"

// step is the 16.16 fraction of the way to the centre where the sample lies (0 .. 65535);
// factor & 0xFF is the sample's weight in blend_pixel. A centre outside the frame is moved to
// the nearest pixel of the frame; a step outside 0 .. 65535 leaves the frame unchanged (either
// would put samples outside the buffer).
void radial_smear(FrameBuffer* buf, int cx, int cy, int step, int factor);
// The same samples and blends, read from src and written to dst, so nothing accumulates: every
// pixel of dst is written, src is not changed (unless it is dst: then this is radial_smear). A
// step outside 0 .. 65535 writes nothing.
void radial_smear_copy(const FrameBuffer* src, FrameBuffer* dst, int cx, int cy, int step, int factor);
