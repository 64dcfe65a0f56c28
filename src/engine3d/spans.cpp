// The span steps of the triangle fillers: one row each.
#include <cstring>
#include <utility>

#include "engine3d/fillers.h"
#include "video/framebuffer.h"

void draw_flat_span(FrameBuffer* target, int xa, int xb, int y, uint8_t colour) {
    if (xa == xb) return;
    int left = xa < xb ? xa : xb;
    int right = xa < xb ? xb : xa;
    if (left > SCREEN_WIDTH || right < 0) return;
    if (right > SCREEN_WIDTH) right = SCREEN_WIDTH;
    if (left < 0) left = 0;
    memset(target->pixels + y * SCREEN_WIDTH + left, colour, size_t(right - left));
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
