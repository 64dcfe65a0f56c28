// The run's lifecycle, for the driver and the tools that play the show: settings, start, the
// user's requests to quit, the outputs, the scene marks.
//
// Settings (read from the environment by console_settings_from_env, documented in the README):
//   TENFOLD_VIDEO=auto|window|terminal|none   TENFOLD_CLOCK=real|virtual
//   TENFOLD_AUDIO_OUT=FILE.wav  TENFOLD_SCALE=N  TENFOLD_STATS=FILE  TENFOLD_VSYNC=on|off
//   TENFOLD_START=MOMENT (SCENE:SECONDS or SECONDS)
#pragma once

#include <string>

struct ConsoleSettings {
    std::string video = "auto";  // auto, window, terminal, none
    bool virtual_clock = false;
    std::string audio_out;       // virtual clock: WAV file of the mixed music
    int scale = 0;               // window: integer scale, 0 = largest that fits
    bool vsync = true;           // window: pictures on the display's refreshes, which pace the ticks
    std::string start;           // a moment to start at, reached unseen and unheard in virtual time
    std::string stats;           // run statistics JSON, written at exit
};

ConsoleSettings console_settings_from_env();
// Starts the clock (going unseen to the start moment, if any: a moment that is no moment is named
// on standard error and the process ends with status 2), traps SIGINT, SIGTERM and SIGHUP (each unless ignored from the start) and the
// crash signals, ignores SIGPIPE (a reader that goes away shows as a failed write), and arranges
// for the outputs and the display to be closed at exit. Call once, first thing in the process. A
// video setting that is not one of the four is named on standard error and taken as auto.
void console_start(const ConsoleSettings& settings);
void console_start();  // with console_settings_from_env()

// The function that ends the show when the user asks for it (Ctrl-C, SIGTERM, SIGHUP, a closed
// window, Esc). It is called at the next console call, never from a signal handler; it must not
// return.
void console_on_quit(void (*handler)(int status));
// A function with only async-signal-safe calls, run when a signal ends the process at once: a
// crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT) or a second Ctrl-C, SIGTERM or SIGHUP.
// The terminal is put back first; then the process ends as the signal would.
void console_on_fatal_signal(void (*cleanup)());
// Finishes what the console writes: the WAV file of the virtual clock and the run statistics.
// Returns 0 if any of it could not be written (already reported on standard error with the file
// and the reason), else 1. Also done at exit; safe to call more than once.
int console_close_outputs();
// Ends the run through the quit handler if the user asked to; every console call does this.
void console_check_quit();
// True once the user has asked to end the run.
bool console_quit_requested();

// The timeline marks where each scene starts; the marks split the statistics.
void console_mark_scene(int scene);

// False, with a message on standard error, if the run ended before the moment it was to start
// at: the show had nothing to show.
bool console_start_reached();
// Reads a start moment: false, with a message, if it is no moment.
bool console_set_start(const std::string& moment);
// The function that starts the show again from its beginning for a jump back (keys 1 ... 0 and
// the left arrow): it must make the show's state new, not return, and call console_restart
// before the graphics mode is set again. Without one, jumps back are not taken.
void console_on_restart(void (*handler)());
// The clock at the show's start again, going unseen to the moment the jump asked for.
void console_restart();
