// The whole show, run once under the virtual clock with no display, with every retrace tick's
// scan-out handed to the checks registered for it.
//
// gtest_discover_tests runs every test in a process of its own, so the scene checks do not each
// get a run: each registers a ShowCheck at static initialisation (register_show_check), and one
// test (tests/scenes/show_run_test.cpp) plays the show once and checks every check's verify.
//
// The show runs as the program does, in a child process started in a directory of its own (with
// data.dat and a data/ of the caller's) and with a TMPDIR of its own. The checks observe and verify
// in the child; their failures are handed back to the test, together with what the program did as
// a whole.
#pragma once

#include <sys/time.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One retrace tick as the checks see it while the show runs; the show's state (worlds, buffers,
// water, palettes) may be read at this moment.
struct ShowTick {
    int64_t tick;            // 60 Hz, from the console's start
    int scene;               // the scene the timeline marked last, 0 before the first
    long position;           // song position as of the last update, -1 without a module
    timeval time;            // the clock
    const uint8_t* indices;  // 320 x 240 palette indices of the visible page
    const uint8_t* dac;      // 256 x (red, green, blue), 6-bit
};

// What is kept of every tick.
struct TickRecord {
    int64_t tick;
    int scene;
    long position;
    timeval time;
    bool presented;  // a presentation put this page up at this tick (not a page held from before)
    uint64_t indices_hash, dac_hash;
};

struct ShowRecord {
    int status = -1;  // what demo_main returned
    std::vector<TickRecord> ticks;
    // The records of one scene's ticks, in order.
    std::vector<const TickRecord*> scene_ticks(int scene) const;
};

struct ShowCheck {
    std::string name;
    std::function<void(const ShowTick&)> observe;     // every tick, during the run
    std::function<void(const ShowRecord&)> verify;    // after the run, with gtest assertions
};

// For a namespace-scope initialiser: static int registered = register_show_check({...});
int register_show_check(ShowCheck check);
std::vector<ShowCheck>& registered_show_checks();

struct CheckFailure {
    std::string file;
    int line;
    std::string message;
};

// The show as a program, seen after its process ended.
struct ShowProcess {
    int exit_status = -1;  // -1 if it did not exit normally
    int term_signal = 0;
    std::string out, err;  // what it printed
    std::string stats;     // its run statistics (TENFOLD_STATS)
    int mode_after = -1;   // the video mode when the timeline had returned
    std::string audio;     // the WAV file of ShowOptions::audio_out
    bool unpacked_left = true;         // anything left in its TMPDIR
    bool callers_data_intact = false;  // the data/ of the directory it started in
    std::vector<TickRecord> ticks;
    std::vector<CheckFailure> failures;  // what the registered checks reported
};

// How a run other than the whole show's one for the checks goes: the checks do not watch it.
struct ShowOptions {
    bool real_clock = false;
    std::string start;        // TENFOLD_START
    std::string audio_out;    // TENFOLD_AUDIO_OUT, relative to where the show starts
    int ticks = -1;           // the run ends (status 1) once this many ticks were recorded
    std::function<void(const ShowTick&)> each_tick;  // in the run, at every tick recorded; it may
                                                     // end the run with con_request_quit(1)
};

// Plays the show in data.dat of the build directory: false if there is none (nothing to play).
// With options, a run of its own; the checks watch only the run without.
bool run_show(ShowProcess* process, const ShowOptions* options = nullptr);

