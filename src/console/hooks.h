// What tools and tests see of the console beyond the show's own calls: every tick's scan-out and
// every block of mixed samples under the virtual clock, the clock itself, and quit requests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "console/sound.h"

constexpr int SCAN_WIDTH = 320;
constexpr int SCAN_HEIGHT = 240;

// A DAC component (6 bits) as the CRT shows it (8 bits).
constexpr uint8_t con_dac_8bit(uint8_t v) { return uint8_t(v << 2 | v >> 4); }
// The DAC's 256 entries (red, green, blue, 6-bit) as the 8-bit palette the CRT shows.
inline void con_dac_palette(const uint8_t* dac, uint8_t* palette) {
    for (int i = 0; i < 768; i++) palette[i] = con_dac_8bit(dac[i]);
}

struct ScanFrame {
    int64_t tick;                 // 60 Hz retrace tick, from 0 at console_start
    const uint8_t* indices;       // 320 x 240 palette indices of the visible page
    const uint8_t* dac;           // 256 x (red, green, blue), 6-bit
    const uint8_t* rgb;           // 320 x 240 x (red, green, blue), 8-bit
};

// Called with every retrace tick's scan-out while graphics mode is set (under the virtual clock:
// every tick, none skipped).
void con_set_frame_hook(std::function<void(const ScanFrame&)> hook);
// Receives every block of mixed samples (the format of console/sound.h) under the virtual clock.
void con_set_audio_hook(std::function<void(const int16_t* samples, size_t frames)> hook);
// Scan-out of the visible page through the DAC, as the CRT shows it now.
void con_scan_out(uint8_t* indices, uint8_t* rgb);
// One of the four planes of the emulated VGA as it holds them now, and the display start.
const uint8_t* con_plane(int plane);
int con_display_start();
// The scene the timeline marked last (console_mark_scene), 0 before the first mark.
int con_current_scene();
// Asks for the end of the run, as Ctrl-C does: the quit handler runs at the next console call.
void con_request_quit(int status);
// Pauses or resumes the run, as Space does: under the real clock the next console call waits,
// the clock standing still, until it is called again (or the user quits). Any thread may call it.
void con_toggle_pause();
// Asks for a jump, as the keys do: to the start of scene (1 ... 10), or seconds on or back (scene 0).
void con_request_jump(int scene, int seconds);
bool con_virtual_clock();
double con_seconds();  // clock seconds since console_start

// The hash that names a frame (64-bit FNV-1a), the same in the tests and in the browser's report.
uint64_t con_hash_bytes(const uint8_t* data, size_t size);
