// The console layer: the VGA hardware, the console graphics library, the clock and the sound
// device as the show sees them. Everything the show does with the platform goes through here.
//
// Settings (read from the environment by console_start, documented in the README):
//   TENFOLD_VIDEO=auto|window|terminal|none   TENFOLD_CLOCK=real|virtual
//   TENFOLD_AUDIO_OUT=FILE.wav  TENFOLD_SCALE=N  TENFOLD_STATS=FILE
#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// ---- start, quit ------------------------------------------------------------------------------

struct ConsoleSettings {
    std::string video = "auto";  // auto, window, terminal, none
    bool virtual_clock = false;
    std::string audio_out;       // virtual clock: WAV file of the mixed music
    int scale = 0;               // window: integer scale, 0 = largest that fits
    std::string stats;           // run statistics JSON, written at exit
};

ConsoleSettings console_settings_from_env();
// Starts the clock, traps SIGINT, SIGTERM and SIGHUP and the crash signals, ignores SIGPIPE (a
// reader that goes away shows as a failed write), and arranges for the outputs and the display to
// be closed at exit. Call once, first thing in the process.
void console_start(const ConsoleSettings& settings);
void console_start();  // with console_settings_from_env()

// The function that ends the show when the user asks for it (Ctrl-C, SIGTERM, SIGHUP, a closed
// window, Esc). It is called at the next console call, never from a signal handler; it must not
// return.
void con_on_quit(void (*handler)(int status));
// A function with only async-signal-safe calls, run when a signal ends the process at once: a
// crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT) or a second Ctrl-C, SIGTERM or SIGHUP.
// The terminal is put back first; then the process ends as the signal would.
void con_on_fatal_signal(void (*cleanup)());
// Finishes what the console writes: the WAV file of the virtual clock and the run statistics.
// Returns 0 if any of it could not be written (already reported on standard error with the file
// and the reason), else 1. Also done at exit; safe to call more than once.
int con_close_outputs();
// Ends the run through the quit handler if the user asked to; every console call does this.
void con_check_quit();
// True once the user has asked to end the run.
bool con_quit_requested();

// ---- emulated VGA -----------------------------------------------------------------------------

constexpr int TEXT = 0;
constexpr int G320x240x256 = 6;
constexpr int VGA_PLANE_SIZE = 65536;

// Video window: the plane that the Map Mask selects.
extern unsigned char* graph_mem;

int vga_init();
int vga_setmode(int mode);
int vga_getcurrentmode();
void vga_setdisplaystart(int address);  // in pixels (4 per plane byte)
void vga_waitretrace();
void vga_lockvc();
void vga_unlockvc();
int vga_getpalvec(int start, int num, int* pal);  // 6-bit red, green, blue per entry
void port_out(int port, int value);

// ---- clock ------------------------------------------------------------------------------------

int con_gettimeofday(struct timeval* tv);
void con_usleep(unsigned microseconds);
bool con_virtual_clock();
double con_seconds();  // clock seconds since console_start

// sched_setscheduler and nice; under the virtual clock they do nothing and succeed (errno is
// left as it was).
struct sched_param;
int con_sched_setscheduler(pid_t pid, int policy, const struct sched_param* param);
int con_nice(int increment);

// ---- audio: our drivers for the module player --------------------------------------------------

// Registers the console's own sound drivers ahead of the library's. Under the virtual clock ours
// is the only one that answers autodetection; under the real clock ours never does.
void con_audio_register();
// MikMod_Init(""): the library looks for a sound device. The sound library's own error lines
// (ALSA's) are kept off standard error meanwhile, and a runtime folder that the sound server's
// client library made for this look in the temporary folder and left empty is removed again.
int con_audio_init();
// Initialises the player with our silent driver, which mixes in software at real-time pace: where
// no sound device works, so the song (and every cue read from it) keeps its timing; and to load a
// module once before any device is opened. Returns MikMod_Init's result.
int con_audio_fallback();
// True if the library's driver makes no sound and does not keep time (its no-sound driver or a
// file writer that autodetection picked).
bool con_audio_driver_is_mute();

// ---- files ------------------------------------------------------------------------------------

// Writes all n bytes to fd: again after an interrupted call, and on a descriptor that does not
// block, again once it takes more. Returns 1, or 0 on an error. Safe in a signal handler.
int write_all(int fd, const void* buf, size_t n);

// ---- run statistics -----------------------------------------------------------------------------

// The timeline marks where each scene starts; the marks split the statistics.
void console_mark_scene(int scene);

// ---- for tools and tests ----------------------------------------------------------------------

constexpr int SCAN_WIDTH = 320;
constexpr int SCAN_HEIGHT = 240;

struct ScanFrame {
    int64_t tick;                 // 60 Hz retrace tick, from 0 at console_start
    const uint8_t* indices;       // 320 x 240 palette indices of the visible page
    const uint8_t* dac;           // 256 x (red, green, blue), 6-bit
    const uint8_t* rgb;           // 320 x 240 x (red, green, blue), 8-bit
};

// Called with every retrace tick's scan-out while graphics mode is set (under the virtual clock:
// every tick, none skipped).
void con_set_frame_hook(std::function<void(const ScanFrame&)> hook);
// Receives every block of mixed samples (16-bit stereo, 44100 Hz) under the virtual clock.
void con_set_audio_hook(std::function<void(const int16_t* samples, size_t frames)> hook);
// Scan-out of the visible page through the DAC, as the CRT shows it now.
void con_scan_out(uint8_t* indices, uint8_t* rgb);
// The scene the timeline marked last (console_mark_scene), 0 before the first mark.
int con_current_scene();
// Asks for the end of the run, as Ctrl-C does: the quit handler runs at the next console call.
void con_request_quit(int status);
