// Sprite blitters: copy a Sprite into an 8-bit buffer of dw x dh pixels whose row stride is dw.
// All of them clip at the four edges; the keyed ones skip source pixels equal to the key.
// A null sprite (an asset that failed to load) draws nothing. Single pixels of a frame.
#pragma once

#include <cstdint>

#include "assets/sprite.h"
#include "video/framebuffer.h"

void draw_sprite(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh);
void draw_sprite_keyed(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh);
// Top-left corner at ((dw - w) >> 1, (dh - h) >> 1), flooring: one pixel too wide gives x = -1.
void draw_sprite_centered(const Sprite* sprite, uint8_t* dst, int dw, int dh);
void draw_sprite_centered_keyed(const Sprite* sprite, uint8_t* dst, int dw, int dh);

// Stores the low byte of colour at (x, y) only for 1 <= x <= 319 and 1 <= y <= 239: column 0
// and row 0 are refused as well as positions off the frame.
void put_pixel(FrameBuffer* buf, int x, int y, int colour);
// The pixel at index y * 320 + x: a column past either edge reaches into the row beside. 0 where
// the index lies outside the frame.
int get_pixel(const FrameBuffer* buf, int x, int y);

// Where a block of inner pixels starts when centred in outer: (outer - inner) >> 1, flooring.
int centred_start(int outer, int inner);

// The visible part of a w x h block placed at (x, y) on a dw x dh destination.
struct BlitClip {
    int src;   // offset of the first visible source pixel
    int dst;   // offset of the destination pixel it lands on
    int cols;  // visible pixels per row
    int rows;  // visible rows
};

// Clips the block at the four edges; false when nothing of it is visible.
bool clip_blit(int w, int h, int x, int y, int dw, int dh, BlitClip* clip);
