#include "showplay.h"

#include "console/run.h"

#include <unistd.h>

#include <cstdio>
#include <map>

#include "driver/demo.h"

int play_show(const TickFunction& tick) {
    ConsoleSettings settings;
    settings.video = "none";
    settings.virtual_clock = true;
    console_start(settings);
    std::map<int, int64_t> first_tick;
    con_set_frame_hook([&](const ScanFrame& f) {
        int scene = con_current_scene();
        int64_t first = first_tick.emplace(scene, f.tick).first->second;
        tick(f, scene, double(f.tick - first) / 60);
    });
    // The show's banners and messages would mix with the tool's own output.
    fflush(stdout);
    int out = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    int status = demo_main();
    fflush(stdout);
    dup2(out, STDOUT_FILENO);
    close(out);
    con_set_frame_hook(nullptr);
    return status;
}

