// Planar page-flip presentation of a finished frame buffer.
#pragma once

#include "video/framebuffer.h"

constexpr int second_page = 76800;
extern int draw_page;  // pixel offset of the page the next presentation writes: 76800, 0, 76800, ...

// Writes buf into the hidden page plane by plane, waits for the retrace and shows that page.
void present_buffer(const FrameBuffer* buf);
// Lets the module player mix, then presents buf. Every frame of every scene ends with this.
void show_frame(const FrameBuffer* buf);
