#include "video/present.h"

#include <mikmod.h>

#include <cstring>

#include "console/console.h"

FrameBuffer* frame_buf = nullptr;
FrameBuffer* aux_buf1 = nullptr;
FrameBuffer* aux_buf2 = nullptr;

int draw_page = second_page;

void present_buffer(const FrameBuffer* frame) {
    const uint8_t* buf = frame->pixels;
    vga_lockvc();
    port_out(0x3C4, 2);  // sequencer index: Map Mask
    for (int p = 0; p < 4; p++) {
        port_out(0x3C5, 1 << p);
        uint8_t* dst = graph_mem + draw_page / 4;
        // Plane bytes k .. k+3 take every fourth buffer pixel; one 32-bit store each, from the end.
        for (int k = FRAME_BYTES / 4 - 4; k >= 0; k -= 4) {
            uint32_t v = uint32_t(buf[4 * k + p]) | uint32_t(buf[4 * k + 4 + p]) << 8 |
                         uint32_t(buf[4 * k + 8 + p]) << 16 | uint32_t(buf[4 * k + 12 + p]) << 24;
            memcpy(dst + k, &v, 4);
        }
    }
    vga_waitretrace();
    vga_setdisplaystart(draw_page);
    draw_page = draw_page ? 0 : second_page;
    vga_unlockvc();
}

void show_frame(const FrameBuffer* buf) {
    MikMod_Update();
    present_buffer(buf);
}
