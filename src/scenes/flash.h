// The one-frame colour flash that several scenes open with.
#pragma once

#include "video/framebuffer.h"

// Inverts the colours on screen, presents buf, and restores the colours: buf is seen for one
// frame in inverted colours.
void flash_frame(const FrameBuffer* buf);
