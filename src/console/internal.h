// State shared by the console layer's own files; only they and the console's own tests include this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/hooks.h"
#include "console/run.h"
#include "console/sound.h"
#include "console/system.h"
#include "console/vga.h"

namespace con {

// A place the scanned-out frames go to.
// The CRT hands a display a picture only when it differs from the last one it handed it.
struct Display {
    virtual ~Display() = default;
    // A new picture: 320 x 240 palette indices and the DAC's 256 colours as 0xRRGGBB, 8-bit. By
    // default it goes to show() as 320 x 240 x (red, green, blue).
    virtual void show_indexed(const uint8_t* indices, const uint32_t* colours);
    virtual void show(const uint8_t*) {}
    // Input and window events; true if the display needs the picture again (resized, exposed).
    virtual bool poll() = 0;
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

// CRT: scans out every tick the clock has passed, holding the tick of a pending retrace for the
// display start that follows it.
void crt_update();
void hold_retrace(int64_t tick);
// Palette indices through colours (0xRRGGBB) to red, green, blue bytes, in the form the pixel
// kernels run (base/kernel.h); every form gives the same bytes.
void lookup_rgb24(const uint8_t* indices, const uint32_t* colours, uint8_t* rgb, int n);
// Puts what was written through a several-plane write window into the enabled planes.
void sync_write_window();
void open_display();
void close_display();

// Quit requests from the display (closed window, Esc).
void request_quit(int status);
// Puts the process's terminal back if the terminal display has it; async-signal-safe.
void restore_terminal_now();
// An output could not be written: says which and why (an errno value) on standard error, and the
// run's outputs count as failed (console_close_outputs).
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
