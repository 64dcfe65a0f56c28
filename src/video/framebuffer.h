// Frame buffers: 320 x 240 palette indices, row-major, 320 bytes per row.
#pragma once

#include <cstdint>

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;

struct FrameBuffer {
    uint8_t pixels[SCREEN_WIDTH * SCREEN_HEIGHT];  // pixel (x, y) at y * 320 + x
};

constexpr int FRAME_BYTES = sizeof(FrameBuffer);  // 76800

// The three work buffers of the run, allocated at start-up and kept to the end. frame_buf is the
// main buffer and always the 3D render target.
extern FrameBuffer* frame_buf;
extern FrameBuffer* aux_buf1;
extern FrameBuffer* aux_buf2;

// Allocates the three zero-filled; 1, or 0 with none of them allocated.
int alloc_frame_buffers();
// Fills all three with 0.
void clear_frame_buffers();
// Frees the three and sets them to null.
void free_frame_buffers();
