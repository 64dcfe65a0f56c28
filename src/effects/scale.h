// Nearest-neighbour scaling of a packed block of pixels, and the block blits that put such a
// block onto a frame: blended, copied or added.
#pragma once

#include <cstdint>

#include "video/framebuffer.h"

// Resizes the packed src_w x src_h block src into the packed dst_w x dst_h block dst (dst_w
// bytes per row), sampling each destination pixel's top-left corner with 16.16 steps
// (src_w * 65536) / dst_w and (src_h * 65536) / dst_h, truncated. Does nothing unless all four
// sizes are positive.
void scale_image(int src_w, int src_h, const uint8_t* src, int dst_w, int dst_h, uint8_t* dst);

// Puts the packed w x h block src onto the frame dst with its top-left pixel at (x, y), clipped
// at the four edges: a source pixel s other than 0 turns the pixel d under it into
// blend_pixel(s, d, factor); source pixels of 0 are transparent.
void blend_blit(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y, int factor);

// The rest of the family: the packed w x h block src at (x, y), or centred at
// ((320 - w) >> 1, (240 - h) >> 1), clipped like blend_blit. Each source pixel s turns the pixel
// d under it into s (copy) or (d + s) mod 256 (add); the transparent members leave d where s is 0.
void copy_block(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y);
void copy_block_centred(const uint8_t* src, FrameBuffer* dst, int w, int h);
void copy_block_transparent(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y);
void copy_block_transparent_centred(const uint8_t* src, FrameBuffer* dst, int w, int h);
void add_block(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y);
void add_block_centred(const uint8_t* src, FrameBuffer* dst, int w, int h);
void add_block_transparent(const uint8_t* src, FrameBuffer* dst, int w, int h, int x, int y);
void add_block_transparent_centred(const uint8_t* src, FrameBuffer* dst, int w, int h);
