// Emulated VGA in mode 6: four 64 KiB planes, the sequencer's Map Mask, the DAC, the display
// start, and the CRT that scans the visible page out through the DAC at every retrace tick.
#include <unistd.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cstring>
#include <vector>

#include "console/internal.h"
#include "base/kernel.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

unsigned char* graph_mem = nullptr;

namespace con {

Vga vga;

namespace {

// Palette indices to red, green, blue bytes. Four pixels make 12 bytes, written as an 8-byte word
// (the first two pixels and the red and green of the third) and a 4-byte word (the third's blue
// and the fourth): each table holds every colour at its place in one of the words, so a group
// takes five loads, four ors and two stores.
void lookup_rgb24_plain(const uint8_t* indices, const uint32_t* colours, uint8_t* rgb, int n) {
    uint64_t first[256], second[256], third_low[256];
    uint32_t third_high[256], fourth[256];
    for (int e = 0; e < 256; e++) {
        uint32_t x = colours[e];
        uint64_t c = (x >> 16) | (x & 0xFF00) | (x & 0xFF) << 16;  // red, green, blue from the low byte
        first[e] = c;
        second[e] = c << 24;
        third_low[e] = c << 48;
        third_high[e] = uint32_t(c >> 16);
        fourth[e] = uint32_t(c << 8);
    }
    for (int group = 0; group < n / 4; group++, indices += 4, rgb += 12) {
        uint32_t four;
        memcpy(&four, indices, 4);
        uint32_t third = four >> 16 & 255;
        uint64_t low = first[four & 255] | second[four >> 8 & 255] | third_low[third];
        uint32_t high = third_high[third] | fourth[four >> 24];
        memcpy(rgb, &low, 8);
        memcpy(rgb + 8, &high, 4);
    }
    for (int k = 0; k < n % 4; k++) memcpy(rgb + 3 * k, &first[indices[k]], 3);
}

#ifdef KERNEL_FORMS
// Where the processor has AVX-512 byte permutes (VBMI, which the pixel kernels' AVX-512 form does
// not assume, and which no compiler uses for a table lookup by itself): 64 pixels at a time look
// up each component in a 256-byte table held in four registers, and the three components are
// interleaved into 192 bytes.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void lookup_rgb24_vbmi(const uint8_t* indices,
                                                                             const uint32_t* colours,
                                                                             uint8_t* rgb, int n) {
    alignas(64) uint8_t table[3][256];
    for (int e = 0; e < 256; e++)
        for (int c = 0; c < 3; c++) table[c][e] = uint8_t(colours[e] >> (16 - 8 * c));
    __m512i t[3][4];
    for (int c = 0; c < 3; c++)
        for (int q = 0; q < 4; q++) t[c][q] = _mm512_load_si512(table[c] + 64 * q);
    // Output byte 64j + m is component (64j + m) % 3 of pixel (64j + m) / 3: red and green come
    // from one two-register permute, blue is merged in under a mask.
    alignas(64) uint8_t red_green[3][64], blue[3][64];
    __mmask64 blue_lanes[3] = {0, 0, 0};
    for (int j = 0; j < 3; j++)
        for (int m = 0; m < 64; m++) {
            int o = 64 * j + m, pixel = o / 3, c = o % 3;
            red_green[j][m] = uint8_t(c == 1 ? 64 + pixel : pixel);
            blue[j][m] = uint8_t(pixel);
            if (c == 2) blue_lanes[j] |= __mmask64(1) << m;
        }
    __m512i rg_order[3], b_order[3];
    for (int j = 0; j < 3; j++) {
        rg_order[j] = _mm512_load_si512(red_green[j]);
        b_order[j] = _mm512_load_si512(blue[j]);
    }
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        __m512i ix = _mm512_loadu_si512(indices + i);
        __mmask64 high = _mm512_movepi8_mask(ix);  // index bit 7: the upper half of a table
        __m512i v[3];
        for (int c = 0; c < 3; c++)
            v[c] = _mm512_mask_blend_epi8(high, _mm512_permutex2var_epi8(t[c][0], ix, t[c][1]),
                                          _mm512_permutex2var_epi8(t[c][2], ix, t[c][3]));
        for (int j = 0; j < 3; j++) {
            __m512i out = _mm512_permutex2var_epi8(v[0], rg_order[j], v[1]);
            out = _mm512_mask_permutexvar_epi8(out, blue_lanes[j], b_order[j], v[2]);
            _mm512_storeu_si512(rgb + 3 * i + 64 * j, out);
        }
    }
    lookup_rgb24_plain(indices + i, colours, rgb + 3 * i, n - i);
}
#endif

}  // namespace

// The VBMI form where the kernels run their AVX-512 form and the processor has VBMI too.
void lookup_rgb24(const uint8_t* indices, const uint32_t* colours, uint8_t* rgb, int n) {
#ifdef KERNEL_FORMS
    static const bool vbmi = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    if (kernel_form == KernelForm::avx512 && vbmi) return lookup_rgb24_vbmi(indices, colours, rgb, n);
#endif
    lookup_rgb24_plain(indices, colours, rgb, n);
}

void Display::show_indexed(const uint8_t* indices, const uint32_t* colours, int64_t) {
    static std::vector<uint8_t> rgb(SCAN_WIDTH * SCAN_HEIGHT * 3);
    lookup_rgb24(indices, colours, rgb.data(), SCAN_WIDTH * SCAN_HEIGHT);
    show(rgb.data());
}

namespace {

bool retrace_pending = false;
bool scanning = false;  // in crt_update's scan-out
std::unique_ptr<Display> display;
std::function<void(const ScanFrame&)> frame_hook;
int64_t ticks_scanned = 0;
int64_t retrace_tick = 0;  // the tick a pending retrace holds for the display start that follows
uint8_t discard_plane[VGA_PLANE_SIZE];  // the window when the Map Mask enables no plane

// With several planes enabled, graph_mem is a write window that starts as a copy of the lowest
// enabled plane; at the next console call (a port write, the CRT's next look, a scan-out) every
// byte that differs from that copy goes to every enabled plane. Limits of a plain pointer: a
// write of the value the lowest plane already holds at that byte is not seen, so it does not
// reach the other planes; reads see the lowest plane (as if Read Map Select chose it) plus the
// window's own writes; and the planes change at that next call, not at the store.
uint8_t write_window[VGA_PLANE_SIZE];
uint8_t window_base[VGA_PLANE_SIZE];  // what the window held when it was last synchronised
bool window_open = false;

void select_planes(int mask) {
    sync_write_window();
    vga.map_mask = mask & 0xF;
    int enabled = __builtin_popcount(unsigned(vga.map_mask));
    window_open = enabled > 1;
    if (enabled == 0) {
        graph_mem = discard_plane;
    } else if (enabled == 1) {
        graph_mem = vga.planes[__builtin_ctz(unsigned(vga.map_mask))];
    } else {
        memcpy(write_window, vga.planes[__builtin_ctz(unsigned(vga.map_mask))], VGA_PLANE_SIZE);
        memcpy(window_base, write_window, VGA_PLANE_SIZE);
        graph_mem = write_window;
    }
}

// The visible page as linear palette indices: pixel 4k + p is byte display start / 4 + k of
// plane p, wrapping at the end of the planes.
PIXEL_KERNEL void interleave_planes(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3,
                                    uint8_t* out, int n) {
    for (int k = 0; k < n; k++) {
        uint32_t v = uint32_t(p0[k]) | uint32_t(p1[k]) << 8 | uint32_t(p2[k]) << 16 | uint32_t(p3[k]) << 24;
        memcpy(out + 4 * k, &v, 4);
    }
}

void scan_indices(uint8_t* indices) {
    constexpr int PAGE = SCAN_WIDTH * SCAN_HEIGHT / 4;
    int base = vga.display_start / 4;
    int first = VGA_PLANE_SIZE - base < PAGE ? VGA_PLANE_SIZE - base : PAGE;
    const auto interleave = pixel_kernel<interleave_planes>;
    interleave(vga.planes[0] + base, vga.planes[1] + base, vga.planes[2] + base, vga.planes[3] + base, indices, first);
    interleave(vga.planes[0], vga.planes[1], vga.planes[2], vga.planes[3], indices + 4 * first, PAGE - first);
}

// The DAC's 6-bit entries as 8-bit 0xRRGGBB.
void dac_colours(uint32_t* colours) {
    for (int e = 0; e < 256; e++) {
        uint32_t c = 0;
        for (int k = 0; k < 3; k++) c = c << 8 | con_dac_8bit(vga.dac[e * 3 + k]);
        colours[e] = c;
    }
}

struct Scan {
    std::vector<uint8_t> indices = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);
    std::vector<uint8_t> rgb = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT * 3);
    uint32_t colours[256];
    std::vector<uint8_t> shown = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);  // last picture on the display
    uint8_t shown_dac[768];
    bool show_again = true;  // the display has no picture, or asked for it again
};
Scan scan;

// True if the visible page or the DAC differ from what the display shows.
bool picture_changed() {
    if (!scan.show_again && scan.shown == scan.indices && memcmp(scan.shown_dac, vga.dac, 768) == 0) return false;
    scan.shown = scan.indices;
    memcpy(scan.shown_dac, vga.dac, 768);
    scan.show_again = false;
    return true;
}

void scan_tick(int64_t tick) {
    scan_indices(scan.indices.data());
    dac_colours(scan.colours);
    if (display && picture_changed()) display->show_indexed(scan.indices.data(), scan.colours, tick);
    if (frame_hook) {
        lookup_rgb24(scan.indices.data(), scan.colours, scan.rgb.data(), SCAN_WIDTH * SCAN_HEIGHT);
        frame_hook(ScanFrame{tick, scan.indices.data(), vga.dac, scan.rgb.data()});
    }
}

}  // namespace

void sync_write_window() {
    if (!window_open) return;
    constexpr int BLOCK = 64;
    for (int at = 0; at < VGA_PLANE_SIZE; at += BLOCK) {
        if (memcmp(write_window + at, window_base + at, BLOCK) == 0) continue;
        for (int k = at; k < at + BLOCK; k++) {
            if (write_window[k] == window_base[k]) continue;
            for (int p = 0; p < 4; p++)
                if (vga.map_mask & (1 << p)) vga.planes[p][k] = write_window[k];
            window_base[k] = write_window[k];
        }
    }
}

// The CRT scans the visible page at every tick the clock has passed. A retrace the show waited
// for holds its tick for the display start that follows; once the clock has gone past that tick
// without one, the old page goes on showing, as on a CRT.
void crt_update() {
    sync_write_window();
    int64_t now = now_ticks();
    int64_t last = now;
    if (retrace_pending) {
        if (now > retrace_tick)
            retrace_pending = false;
        else
            last = retrace_tick - 1;
    }
    if (last <= ticks_scanned) return;
    note_song_position();
    int64_t shown = seek_first_shown(ticks_scanned + 1, last);
    if (vga.mode == G320x240x256 && (display || frame_hook) && shown <= last) {
        // The virtual clock hands every tick to the hook; a real display only wants the newest.
        int64_t first = (frame_hook && con_virtual_clock()) ? shown : last;
        scanning = true;
        for (int64_t t = first; t <= last; t++) scan_tick(t);
        scanning = false;
    }
    ticks_scanned = last;
    poll_display();
}

void poll_display() {
    if (display && display->poll()) scan.show_again = true;
}

bool last_picture(uint8_t* indices, uint32_t* colours) {
    if (!display) return false;
    if (indices) memcpy(indices, scan.shown.data(), scan.shown.size());
    if (colours) {
        for (int e = 0; e < 256; e++) {
            const uint8_t* d = scan.shown_dac + 3 * e;
            colours[e] = uint32_t(d[0] << 2 | d[0] >> 4) << 16 | uint32_t(d[1] << 2 | d[1] >> 4) << 8 | (d[2] << 2 | d[2] >> 4);
        }
    }
    return true;
}

void show_picture_now(const uint8_t* indices, const uint32_t* colours) {
    if (!display) return;
    display->show_indexed(indices, colours, -1);
    scan.show_again = true;
}

void open_display_now() {
    if (display || vga.mode != G320x240x256) return;
    open_display();
    scan.show_again = true;
}

bool crt_scanning() { return scanning; }

void hold_retrace(int64_t tick) {
    retrace_pending = true;
    retrace_tick = tick;
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
    sync_write_window();
    uint32_t colours[256];
    dac_colours(colours);
    scan_indices(indices);
    lookup_rgb24(indices, colours, rgb, SCAN_WIDTH * SCAN_HEIGHT);
}

const uint8_t* con_plane(int plane) {
    sync_write_window();
    return vga.planes[plane & 3];
}

int con_display_start() { return vga.display_start; }

uint64_t con_hash_bytes(const uint8_t* data, size_t size) {
    uint64_t h = 1469598103934665603ULL;
    for (size_t i = 0; i < size; i++) h = (h ^ data[i]) * 1099511628211ULL;
    return h;
}

int vga_init() {
    console_check_quit();
    return 0;
}

int vga_setmode(int mode) {
    sync_write_window();
    if (mode == G320x240x256) {
        memset(vga.planes, 0, sizeof vga.planes);
        memset(vga.dac, 0, sizeof vga.dac);
        vga.display_start = 0;
        vga.dac_index = vga.dac_step = 0;
        select_planes(0xF);
        vga.mode = mode;
        if (!display && !seek_display_waits()) open_display();
        scan.show_again = true;
        retrace_pending = false;
        ticks_scanned = now_ticks() - 1;  // the new mode shows at once
        crt_update();
    } else {
        vga.mode = TEXT;
        close_display();
        window_open = false;
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
    sync_write_window();
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
