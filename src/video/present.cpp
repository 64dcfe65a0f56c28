#include "video/present.h"

#include <mikmod.h>

#include <cstring>

#include "console/vga.h"
#include "base/kernel.h"

FrameBuffer* frame_buf = nullptr;
FrameBuffer* aux_buf1 = nullptr;
FrameBuffer* aux_buf2 = nullptr;

int draw_page = second_page;

// Plane byte k takes buffer pixel 4k + p: the byte of each 32-bit group that belongs to plane p.
static PIXEL_KERNEL void copy_plane(const uint8_t* buf, int p, uint8_t* dst) {
    for (int k = 0; k < FRAME_BYTES / 4; k++) {
        uint32_t group;
        memcpy(&group, buf + 4 * k, 4);
        dst[k] = uint8_t(group >> (8 * p));
    }
}

void present_buffer(const FrameBuffer* frame) {
    const uint8_t* buf = frame->pixels;
    vga_lockvc();
    port_out(0x3C4, 2);  // sequencer index: Map Mask
    for (int p = 0; p < 4; p++) {
        port_out(0x3C5, 1 << p);
        pixel_kernel<copy_plane>(buf, p, graph_mem + draw_page / 4);
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
