// Sprite blitters: copy a Sprite into an 8-bit buffer of dw x dh pixels whose row stride is dw.
// All of them clip at the four edges; the keyed ones skip source pixels equal to the key.
// A null sprite (an asset that failed to load) draws nothing.
#pragma once

#include <cstdint>

#include "assets/sprite.h"

void draw_sprite(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh);
void draw_sprite_keyed(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh);
// Top-left corner at ((dw - w) >> 1, (dh - h) >> 1), flooring: one pixel too wide gives x = -1.
void draw_sprite_centered(const Sprite* sprite, uint8_t* dst, int dw, int dh);

// The visible part of a w x h block placed at (x, y) on a dw x dh destination.
struct BlitClip {
    int src;   // offset of the first visible source pixel
    int dst;   // offset of the destination pixel it lands on
    int cols;  // visible pixels per row
    int rows;  // visible rows
};

// Clips the block at the four edges; false when nothing of it is visible.
bool clip_blit(int w, int h, int x, int y, int dw, int dh, BlitClip* clip);
