// Emulated VGA in mode 6: four 64 KiB planes, the sequencer's Map Mask, the DAC, the display
// start, and the CRT that scans the visible page out through the DAC at every retrace tick.
#include <unistd.h>

#include <cstring>
#include <vector>

#include "console/internal.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

unsigned char* graph_mem = nullptr;

namespace con {

Vga vga;
bool retrace_pending = false;

namespace {

std::unique_ptr<Display> display;
std::function<void(const ScanFrame&)> frame_hook;
int64_t ticks_scanned = 0;
uint8_t discard_plane[VGA_PLANE_SIZE];  // the window when the Map Mask enables no plane

void select_planes(int mask) {
    vga.map_mask = mask & 0xF;
    // The show enables one plane at a time; with several, the window reaches the lowest.
    graph_mem = discard_plane;
    for (int p = 0; p < 4; p++) {
        if (vga.map_mask & (1 << p)) {
            graph_mem = vga.planes[p];
            break;
        }
    }
}

void scan_tick(int64_t tick) {
    static std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT), rgb(SCAN_WIDTH * SCAN_HEIGHT * 3);
    con_scan_out(indices.data(), rgb.data());
    if (display) display->show(rgb.data());
    if (frame_hook) frame_hook(ScanFrame{tick, indices.data(), vga.dac, rgb.data()});
}

}  // namespace

void crt_update() {
    if (retrace_pending) return;
    int64_t now = now_ticks();
    if (now <= ticks_scanned) return;
    note_song_position();
    if (vga.mode == G320x240x256 && (display || frame_hook)) {
        // The virtual clock hands every tick to the hook; a real display only wants the newest.
        int64_t first = (frame_hook && con_virtual_clock()) ? ticks_scanned + 1 : now;
        for (int64_t t = first; t <= now; t++) scan_tick(t);
    }
    ticks_scanned = now;
    if (display) display->poll();
}

void open_display() {
#ifdef __EMSCRIPTEN__
    display = open_browser_display();  // the page's canvas is the only display there
#else
    const std::string& v = settings.video;
    bool want_window = v == "window" || (v == "auto" && (getenv("DISPLAY") || getenv("WAYLAND_DISPLAY")));
    if (want_window) display = open_window_display(settings.scale);
    if (want_window && !display && v == "window")
        fprintf(stderr, "tenfold: cannot open a window, playing without a picture\n");
    // auto: the terminal where no window opens and standard output is one.
    if (!display && (v == "terminal" || (v == "auto" && isatty(STDOUT_FILENO)))) {
        display = open_terminal_display();
        if (!display && v == "terminal")
            fprintf(stderr, "tenfold: standard output is not a terminal, playing without a picture\n");
    }
#endif
}

void close_display() { display.reset(); }

}  // namespace con

using namespace con;

void con_set_frame_hook(std::function<void(const ScanFrame&)> hook) { frame_hook = std::move(hook); }

void con_scan_out(uint8_t* indices, uint8_t* rgb) {
    uint8_t lut[256][3];
    for (int e = 0; e < 256; e++)
        for (int c = 0; c < 3; c++) {
            uint8_t d = vga.dac[e * 3 + c];
            lut[e][c] = uint8_t(d << 2 | d >> 4);
        }
    int base = vga.display_start / 4;
    for (int k = 0; k < SCAN_WIDTH * SCAN_HEIGHT / 4; k++) {
        int at = (base + k) & (VGA_PLANE_SIZE - 1);
        for (int p = 0; p < 4; p++) {
            uint8_t v = vga.planes[p][at];
            indices[4 * k + p] = v;
            memcpy(rgb + 3 * (4 * k + p), lut[v], 3);
        }
    }
}

int vga_init() {
    con_check_quit();
    return 0;
}

int vga_setmode(int mode) {
    if (mode == G320x240x256) {
        memset(vga.planes, 0, sizeof vga.planes);
        memset(vga.dac, 0, sizeof vga.dac);
        vga.display_start = 0;
        vga.dac_index = vga.dac_step = 0;
        select_planes(0xF);
        vga.mode = mode;
        if (!display) open_display();
        ticks_scanned = now_ticks() - 1;  // the new mode shows at once
        crt_update();
    } else {
        vga.mode = TEXT;
        close_display();
        graph_mem = nullptr;
    }
    return 0;
}

int vga_getcurrentmode() { return vga.mode; }

void vga_setdisplaystart(int address) {
    vga.display_start = address & (4 * VGA_PLANE_SIZE - 1);
    retrace_pending = false;
    crt_update();
}

void vga_lockvc() {}
void vga_unlockvc() {}

int vga_getpalvec(int start, int num, int* pal) {
    if (start < 0 || num < 0 || start > 256) return 0;
    if (num > 256 - start) num = 256 - start;
    for (int j = 0; j < num * 3; j++) pal[j] = vga.dac[start * 3 + j];
    return num;
}

void port_out(int port, int value) {
    value &= 0xFF;
    switch (port) {
    case 0x3C4: vga.seq_index = value & 7; break;
    case 0x3C5:
        if (vga.seq_index == 2) select_planes(value);
        break;
    case 0x3C8:
        vga.dac_index = value;
        vga.dac_step = 0;
        break;
    case 0x3C9:
        vga.dac[vga.dac_index * 3 + vga.dac_step] = uint8_t(value & 63);
        if (++vga.dac_step == 3) {
            vga.dac_step = 0;
            vga.dac_index = (vga.dac_index + 1) & 0xFF;
        }
        break;
    default: break;
    }
}
