// State shared by the console layer's own files; nothing outside src/console includes this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/console.h"

namespace con {

constexpr int MIX_RATE = 44100;
constexpr int TICK_RATE = 60;
constexpr int64_t SAMPLES_PER_TICK = MIX_RATE / TICK_RATE;  // 735

// A place the scanned-out frames go to.
struct Display {
    virtual ~Display() = default;
    virtual void show(const uint8_t* rgb) = 0;  // 320 x 240 x 3
    virtual void poll() = 0;                    // input and window events
};
std::unique_ptr<Display> open_window_display(int scale);
// The terminal display on standard output; null if standard output is not a terminal.
std::unique_ptr<Display> open_terminal_display();
// The same drawing into any file at a fixed size in cells, leaving the process's terminal alone.
std::unique_ptr<Display> open_terminal_display(int fd, int columns, int rows);

struct Vga {
    uint8_t planes[4][VGA_PLANE_SIZE];
    uint8_t dac[768];   // 6-bit red, green, blue
    int seq_index = 0;
    int map_mask = 0xF;
    int dac_index = 0;
    int dac_step = 0;
    int display_start = 0;
    int mode = TEXT;
};
extern Vga vga;
extern ConsoleSettings settings;

// Clock.
int64_t now_ticks();                    // retrace ticks since console_start
void advance_virtual(int64_t samples);  // moves the virtual clock forward to this sample
int64_t virtual_samples();
double cpu_seconds();

// CRT: scans out every tick the clock has passed, unless a retrace is pending.
void crt_update();
extern bool retrace_pending;
void open_display();
void close_display();

// Quit requests from the display (closed window, Esc).
void request_quit(int status);
// Puts the process's terminal back if the terminal display has it; async-signal-safe.
void restore_terminal_now();
// An output could not be written: says which and why (an errno value) on standard error, and the
// run's outputs count as failed (con_close_outputs).
void report_output_failure(const std::string& path, int error);

// Statistics.
void count_presentation(int64_t missed);
void note_song_position();
void write_stats();

// True while the library runs our driver's update: it holds its lock then, so no Player_* call.
extern bool in_driver_update;

// Audio hook of the virtual mixer.
extern std::function<void(const int16_t*, size_t)> audio_hook;
void close_audio_output();

}  // namespace con
