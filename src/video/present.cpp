#include "video/present.h"

#include <mikmod.h>

#include "console/vga.h"
#include "base/kernel.h"

int draw_page = second_page;

// Plane byte k takes buffer pixel 4k + P. (With the plane a constant, each vector of the plane is
// a few masks and packs of the buffer's vectors read from P on.)
template <int P>
PIXEL_KERNEL void copy_plane(const uint8_t* buf, uint8_t* __restrict dst) {
    for (int k = 0; k < FRAME_BYTES / 4; k++) dst[k] = buf[4 * k + P];
}

void present_buffer(const FrameBuffer* frame) {
    const uint8_t* buf = frame->pixels;
    vga_lockvc();
    port_out(0x3C4, 2);  // sequencer index: Map Mask
    const decltype(pixel_kernel<copy_plane<0>>) copy[4] = {pixel_kernel<copy_plane<0>>, pixel_kernel<copy_plane<1>>,
                                                           pixel_kernel<copy_plane<2>>, pixel_kernel<copy_plane<3>>};
    for (int p = 0; p < 4; p++) {
        port_out(0x3C5, 1 << p);
        copy[p](buf, graph_mem + draw_page / 4);
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
