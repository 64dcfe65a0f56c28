#include "scenes/flash.h"

#include "video/palette.h"
#include "video/present.h"

static void invert_screen_palette() {
    Palette* p = palette_from_dac();
    if (!p) return;
    invert_palette(p);
    free_palette(p);
}

void flash_frame(const FrameBuffer* buf) {
    invert_screen_palette();
    show_frame(buf);
    invert_screen_palette();
}
