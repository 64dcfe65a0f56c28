#include "effects/blit.h"

#include <cstring>

#include "base/kernel.h"

bool clip_blit(int w, int h, int x, int y, int dw, int dh, BlitClip* clip) {
    // 64-bit so that positions and sizes anywhere in the int range clip without overflow.
    int64_t cols = w, rows = h, src = 0, x0 = x, y0 = y;
    if (x0 < 0) {
        cols += x0;
        src = -x0;
        x0 = 0;
    }
    if (y0 < 0) {
        rows += y0;
        src += -y0 * int64_t(w);
        y0 = 0;
    }
    if (x0 + cols > dw) cols = dw - x0;
    if (y0 + rows > dh) rows = dh - y0;
    if (cols <= 0 || rows <= 0) return false;
    clip->src = int(src);
    clip->dst = int(y0 * dw + x0);
    clip->cols = int(cols);
    clip->rows = int(rows);
    return true;
}

void draw_sprite(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh) {
    BlitClip c;
    if (!sprite || !clip_blit(sprite->width, sprite->height, x, y, dw, dh, &c)) return;
    const uint8_t* s = sprite->pixels + c.src;
    uint8_t* d = dst + c.dst;
    for (int r = 0; r < c.rows; r++, s += sprite->width, d += dw) memcpy(d, s, size_t(c.cols));
}

static PIXEL_KERNEL void copy_keyed_rows(const uint8_t* __restrict s, int sw, uint8_t* __restrict d, int dw, int cols,
                                         int rows, uint8_t key) {
    for (int r = 0; r < rows; r++, s += sw, d += dw)
        for (int k = 0; k < cols; k++) d[k] = s[k] != key ? s[k] : d[k];
}

void draw_sprite_keyed(const Sprite* sprite, uint8_t* dst, int x, int y, int dw, int dh) {
    BlitClip c;
    if (!sprite || !clip_blit(sprite->width, sprite->height, x, y, dw, dh, &c)) return;
    pixel_kernel<copy_keyed_rows>(sprite->pixels + c.src, sprite->width, dst + c.dst, dw, c.cols, c.rows, sprite->key);
}

int centred_start(int outer, int inner) { return int((int64_t(outer) - inner) >> 1); }

void draw_sprite_centered(const Sprite* sprite, uint8_t* dst, int dw, int dh) {
    if (!sprite) return;
    draw_sprite(sprite, dst, centred_start(dw, sprite->width), centred_start(dh, sprite->height), dw, dh);
}

void draw_sprite_centered_keyed(const Sprite* sprite, uint8_t* dst, int dw, int dh) {
    if (!sprite) return;
    draw_sprite_keyed(sprite, dst, centred_start(dw, sprite->width), centred_start(dh, sprite->height), dw, dh);
}

void put_pixel(FrameBuffer* buf, int x, int y, int colour) {
    if (x >= 1 && x < SCREEN_WIDTH && y >= 1 && y < SCREEN_HEIGHT) buf->pixels[y * SCREEN_WIDTH + x] = uint8_t(colour);
}

int get_pixel(const FrameBuffer* buf, int x, int y) {
    int64_t index = int64_t(y) * SCREEN_WIDTH + x;
    return index >= 0 && index < FRAME_BYTES ? buf->pixels[index] : 0;
}
