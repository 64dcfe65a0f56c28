// State shared by the console layer's own files; only they and the console's own tests include this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/hooks.h"
#include "console/moment.h"
#include "console/pacing.h"
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
    virtual void show_indexed(const uint8_t* indices, const uint32_t* colours, int64_t tick);
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
int64_t show_ns();                      // the clock's time since console_start, pauses left out
void hold_while_paused();
// The display's refreshes (the real clock's ticks follow them where they run at a multiple of
// 60 Hz, console/pacing.h), reported from the display's own thread; times on the monotonic clock.
void note_refresh(int64_t msc, int64_t ns);
void note_refresh_lost(int64_t ns);
int64_t refresh_target_for(int64_t tick);  // the refresh a tick's picture goes on, -1 if none
int refreshes_per_tick();                  // 0 while the ticks keep the timer
double refresh_hz();                       // 0 with no refreshes reported
// What the viewer saw at the display's refreshes, for the run statistics.
void report_pacing(const PacingCount& p, double hz, int per_tick);
void advance_virtual(int64_t samples);  // moves the virtual clock forward to this sample
int64_t virtual_samples();
double cpu_seconds();

// CRT: scans out every tick the clock has passed, holding the tick of a pending retrace for the
// display start that follows it.
void crt_update();
bool crt_scanning();  // inside crt_update, as a frame hook that calls the console is
void hold_retrace(int64_t tick);
// Palette indices through colours (0xRRGGBB) to red, green, blue bytes, in the form the pixel
// kernels run (base/kernel.h); every form gives the same bytes.
void lookup_rgb24(const uint8_t* indices, const uint32_t* colours, uint8_t* rgb, int n);
// Puts what was written through a several-plane write window into the enabled planes.
void sync_write_window();
// The display's input and window events, as at every tick.
void poll_display();
// The picture the display was given last (false if there is no display), and one shown at once
// in its place until the CRT's next picture.
bool last_picture(uint8_t* indices, uint32_t* colours);
void show_picture_now(const uint8_t* indices, const uint32_t* colours);
// Opens the display if the graphics mode is set and it waited for a seek.
void open_display_now();
void open_display();
void close_display();

// Seeking a moment (console/seek.cpp). The clock goes over to the virtual one and back; the
// player's driver follows.
void clock_go_virtual();
void clock_go_real();
void clock_restart();  // the virtual clock at the show's start, for a start at a moment or again
int64_t monotonic_ns();
bool seeking();
bool seek_display_waits();
// Of the ticks first ... last the CRT has not scanned yet: the first to be shown (last + 1 for
// none while a seek has not come to its moment).
int64_t seek_first_shown(int64_t first, int64_t last);
// At every console call: a seek that came to its moment ends, its progress shows, a jump the
// user asked for begins.
void seek_check();
void seek_start_of_run();
// The first tick scanned out in a scene (0: the show's start), -1 while it has not started.
int64_t scene_start_tick(int scene);
void audio_follow_seek();
void audio_hear_from(int64_t sample);
void audio_mix_from_now();  // the virtual clock went back: our mixer goes on from its time now
void audio_seek_done();
void restart_scene_marks();

// Screenshots (F12 in the window, s in the terminal; console/screenshot.cpp): asked for from any
// thread, taken at the next console call. The folder the show was started in.
void request_screenshot();
void take_screenshot_if_asked();
const std::string& start_folder();

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
