#include "support/sprite_search.h"

#include <cstring>

#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "video/framebuffer.h"

SpriteCopy copy_sprite(const Sprite* sprite) {
    SpriteCopy c;
    if (!sprite) return c;
    c.width = sprite->width;
    c.height = sprite->height;
    c.pixels.assign(sprite->pixels, sprite->pixels + size_t(c.width) * c.height);
    return c;
}

bool sprite_shown(const uint8_t* frame, const SpriteCopy& s, int x, int y, const SpriteLook& look,
                  int min_pixels) {
    int compared = 0;
    for (int r = 0; r < s.height; r++) {
        int fy = y + r;
        if (fy < look.row_lo || fy > look.row_hi || fy < 0 || fy >= SCREEN_HEIGHT) continue;
        for (int k = 0; k < s.width; k++) {
            int fx = x + k;
            if (fx < 0 || fx >= SCREEN_WIDTH) continue;
            uint8_t v = s.pixels[size_t(r) * s.width + k];
            int at = fy * SCREEN_WIDTH + fx;
            if ((look.keyed && v == 0) || (look.mask && look.mask[at])) continue;
            if (look.background && look.background[at] == v) continue;
            if (frame[at] != v) return false;
            compared++;
        }
    }
    return compared >= min_pixels;
}

int pixels_apart(const SpriteCopy& s, int x, int y, const uint8_t* background) {
    int n = 0;
    for (int r = 0; r < s.height; r++)
        for (int k = 0; k < s.width; k++) {
            int fx = x + k, fy = y + r;
            if (fx < 0 || fx >= SCREEN_WIDTH || fy < 0 || fy >= SCREEN_HEIGHT) continue;
            n += background[fy * SCREEN_WIDTH + fx] != s.pixels[size_t(r) * s.width + k];
        }
    return n;
}

bool find_sprite(const uint8_t* frame, const SpriteCopy& s, int x_lo, int x_hi, int y_lo, int y_hi,
                 const SpriteLook& look, int* x, int* y, int min_pixels) {
    for (int cy = y_lo; cy <= y_hi; cy++)
        for (int cx = x_lo; cx <= x_hi; cx++)
            if (sprite_shown(frame, s, cx, cy, look, min_pixels)) {
                *x = cx;
                *y = cy;
                return true;
            }
    return false;
}

void render_objects(World* world, uint8_t* out, uint8_t background) {
    memset(out, background, FRAME_BYTES);
    Camera window;  // the renderer takes only the screen window from the camera
    camera_init(&window, 400, 160, 120, 1, 1, 0, SCREEN_WIDTH, 0, SCREEN_HEIGHT);
    FrameBuffer* target = frame_buf;
    frame_buf = reinterpret_cast<FrameBuffer*>(out);
    world_render(world, &window);
    frame_buf = target;
}

void rotation_between(const float* from, const float* to, float* r) {
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            float sum = 0;
            for (int k = 0; k < 3; k++) sum += from[3 * k + i] * to[3 * k + j];
            r[3 * i + j] = sum;
        }
}
