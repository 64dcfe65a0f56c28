// tenfold-testcard: colour bars, a grey ramp and a moving colour band at 60 frames per second on
// whatever display the console layer picks (settings as for the show: TENFOLD_VIDEO, ...).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/run.h"
#include "console/vga.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

constexpr int BARS = 8;        // entries 0-7: white, yellow, cyan, green, magenta, red, blue, black
constexpr int RAMP = 16;       // entries 16-79: 64 greys
constexpr int BAND = 128;      // entries 128-255: a colour wheel

Palette* card_palette() {
    static const uint8_t bars[BARS][3] = {{252, 252, 252}, {252, 252, 0}, {0, 252, 252}, {0, 252, 0},
                                          {252, 0, 252},   {252, 0, 0},   {0, 0, 252},   {0, 0, 0}};
    Palette* p = new_palette();
    p->rgb = static_cast<uint8_t*>(calloc(768, 1));
    p->count = 256;
    memcpy(p->rgb, bars, sizeof bars);
    for (int i = 0; i < 64; i++) memset(p->rgb + 3 * (RAMP + i), i * 4, 3);
    for (int i = 0; i < 128; i++) {  // red, green, blue rising and falling a third apart
        for (int c = 0; c < 3; c++) {
            int phase = (i + c * 43) % 128;
            p->rgb[3 * (BAND + i) + c] = uint8_t((phase < 64 ? phase : 127 - phase) * 4);
        }
    }
    return p;
}

void draw_card(FrameBuffer* buf, int frame) {
    for (int y = 0; y < SCREEN_HEIGHT; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            uint8_t v;
            if (y < 160) v = uint8_t(x * BARS / SCREEN_WIDTH);
            else if (y < 200) v = uint8_t(RAMP + x * 64 / SCREEN_WIDTH);
            else v = uint8_t(BAND + (x + frame * 2) % 128);
            buf->pixels[y * SCREEN_WIDTH + x] = v;
        }
    }
}

void leave(int status) {
    vga_setmode(TEXT);
    printf("tenfold-testcard: stopped\n");
    exit(status);
}

}  // namespace

int main() {
    console_start();
    console_on_quit(leave);
    vga_init();
    vga_setmode(G320x240x256);
    static Palette* palette = card_palette();  // kept for the whole run
    set_palette(palette);
    static FrameBuffer buf;
    for (int frame = 0;; frame++) {
        draw_card(&buf, frame);
        present_buffer(&buf);
    }
}
