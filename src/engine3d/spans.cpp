// The span steps of the triangle fillers: one row each.
#include <cstring>
#include <utility>

#include "engine3d/fillers.h"
#include "video/framebuffer.h"

namespace {

// Spans are mostly a few pixels long (half of those the show draws are 1 to 3): stores of 1, 4
// or 8 bytes that may overlap, with no loop below 17 pixels, where memset would spend more on
// choosing its method than on the stores.
void fill_span(uint8_t* p, uint8_t colour, int n) {
    uint64_t eight = colour * 0x0101010101010101u;
    if (n <= 3) {
        if (n > 0) p[0] = p[n / 2] = p[n - 1] = colour;
    } else if (n <= 7) {
        memcpy(p, &eight, 4);
        memcpy(p + n - 4, &eight, 4);
    } else if (n <= 16) {
        memcpy(p, &eight, 8);
        memcpy(p + n - 8, &eight, 8);
    } else {
        for (int i = 0; i < n - 8; i += 8) memcpy(p + i, &eight, 8);
        memcpy(p + n - 8, &eight, 8);
    }
}

}  // namespace

void draw_flat_span(FrameBuffer* target, int xa, int xb, int y, uint8_t colour) {
    if (xa == xb) return;
    int left = xa < xb ? xa : xb;
    int right = xa < xb ? xb : xa;
    if (left > SCREEN_WIDTH || right < 0) return;
    if (right > SCREEN_WIDTH) right = SCREEN_WIDTH;
    if (left < 0) left = 0;
    fill_span(target->pixels + y * SCREEN_WIDTH + left, colour, right - left);
}

// The picture steps use the unclipped width; a clipped start skips its share of the steps.
// Rows wrap at 256; columns are not masked.
void draw_mapped_span(FrameBuffer* target, int xa, int xb, int y, int32_t ua, int32_t ub, int32_t va,
                      int32_t vb, const uint8_t* picture) {
    if (xa == xb) return;
    if (xb < xa) {
        std::swap(xa, xb);
        std::swap(ua, ub);
        std::swap(va, vb);
    }
    if (xa > 512 || xb < 0) return;
    int32_t du = (ub - ua) / (xb - xa);
    int32_t dv = (vb - va) / (xb - xa);
    if (xb > SCREEN_WIDTH) xb = SCREEN_WIDTH;
    if (xa < 0) {
        ua += -xa * du;
        va += -xa * dv;
        xa = 0;
    }
    uint8_t* row = target->pixels + y * SCREEN_WIDTH;
    for (int x = xa; x < xb; x++) {
        row[x] = picture[(ua >> 16) + 256 * ((va >> 16) & 255)];
        ua += du;
        va += dv;
    }
}
