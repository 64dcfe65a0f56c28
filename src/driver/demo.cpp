#include "driver/demo.h"

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/catalogue.h"
#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "driver/unpack.h"
#include "effects/grid.h"
#include "math/tables.h"
#include "music/music.h"
#include "scenes/scenes.h"
#include "video/framebuffer.h"
#include "video/palette.h"

const char banner[] =
    "\x1b[0m\x1b[2J\x1b(U\x1b[1;1H"
    " _             __       _     _\n"
    "| |_ ___ _ __ / _| ___ | | __| |\n"
    "| __/ _ \\ '_ \\| |_ / _ \\| |/ _` |\n"
    "| ||  __/ | | |  _| (_) | | (_| |\n"
    " \\__\\___|_| |_|_|  \\___/|_|\\__,_|\n"
    "\n";

namespace {

constexpr int OUTPUT_FAILED = 3;  // exit status of a run that could not write or remove its files

bool audio_started = false;

// Ends the run after start-up went wrong, before the graphics mode: nothing is left behind. If the
// user asked to quit meanwhile, it ends as a quit.
[[noreturn]] void fatal(const char* message) {
    console_check_quit();
    if (message) fprintf(stderr, "tenfold: %s\n", message);
    remove_data();
    exit(2);
}

// Shutdown, in the timeline's order; also the way out when the user ends the show early. Returns
// the exit status: status, but OUTPUT_FAILED for 1 if the run could not write its outputs or
// remove its unpacked copy (each failure reported already).
int stop_show(int status) {
    if (audio_started) audio_shutdown();
    audio_started = false;
    int removed = remove_data();
    vga_setmode(TEXT);
    fputs(banner, stdout);
    fflush(stdout);
    int written = console_close_outputs();
    if (!console_start_reached()) return 2;
    return status == 1 && !(removed && written) ? OUTPUT_FAILED : status;
}

void quit_show(int status) { exit(stop_show(status)); }

void ask_for_realtime() {
    sched_param param{};
    param.sched_priority = con_sched_get_priority_min(SCHED_RR);
    if (con_sched_setscheduler(getpid(), SCHED_RR, &param) != 0)
        fprintf(stderr, "d0h! no realtime scheduling available!#\n");
    errno = 0;
    con_nice(-20);
    if (errno != 0) fprintf(stderr, "d0h! couldnt renice to -20\n");
}

// Every file a scene relies on, before the graphics mode: the scenes use them without a test.
void check_assets() {
    char bad[4096];  // every file of the catalogue, with its reason
    int count = list_bad_assets(bad, sizeof bad);
    char why[256];
    if (!check_music(why, sizeof why)) {
        size_t used = strlen(bad);
        snprintf(bad + used, sizeof bad - used, "%s%s (%s)", count++ ? ", " : "", MUSIC_FILE, why);
    }
    if (count == 0) return;
    char message[4200];
    snprintf(message, sizeof message, "data.dat does not hold what the show needs: %s", bad);
    fatal(message);
}

// A jump back: the show from its beginning, every state it changes as it plays made new (the
// catalogue, the grid's colours, the buffers, the emulated VGA, the module), the clock at the
// show's start going unseen to the moment the jump asked for. The window and the sound device
// stay open. In the browser the page starts a new program for it instead: a long jump cannot
// cross the page's waits there.
jmp_buf start_again_point;

[[noreturn]] void start_again() { longjmp(start_again_point, 1); }

void make_state_new() {
    free_dac_copies();
    unload_data();
    load_catalogue();
    reset_grid_palette();
    clear_frame_buffers();
    console_restart();
    vga_setmode(G320x240x256);
    audio_start_again();
}

}  // namespace

void demo_init() {
    console_on_quit(quit_show);
#ifndef __EMSCRIPTEN__
    console_on_restart(start_again);
#endif
    fputs(banner, stdout);
    fflush(stdout);
    ask_for_realtime();
    if (!alloc_frame_buffers()) fatal("cannot allocate the frame buffers");
    printf("precalcing ...\n");
    fflush(stdout);
    if (!precalc_tables()) fatal("cannot allocate the wave tables");
    console_check_quit();
    if (!unpack_data()) fatal(nullptr);
    load_data();
    fflush(stdout);
    check_assets();
    console_check_quit();
    vga_init();
    vga_setmode(G320x240x256);
    audio_init();
    audio_started = true;
}

int demo_main() {
    typedef void (*Scene)(FrameBuffer*, FrameBuffer*, FrameBuffer*);
    const Scene timeline[] = {scene1, scene2, scene3, scene4, scene5, scene6, scene7, scene8, scene9, scene10};
    demo_init();
#ifndef __EMSCRIPTEN__
    if (setjmp(start_again_point)) make_state_new();
#endif
    for (int n = 1; n <= 10; n++) {
        if (n == 5) clear_frame_buffers();  // scenes 1 to 4 leave pictures behind; 5 and later start from black
        console_mark_scene(n);
        timeline[n - 1](frame_buf, aux_buf1, aux_buf2);
    }
    return stop_show(1);
}
