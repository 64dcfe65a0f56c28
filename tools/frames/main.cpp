// tenfold-frames OUT_DIR MOMENT...
//
// Plays the show under the virtual clock with no display and writes the picture on screen (the
// console layer's scan-out through the DAC) at each MOMENT as a 320 x 240 PNG in OUT_DIR, and
// lists them with the tick each shows. A MOMENT is SCENE:SECONDS, seconds after the start of that
// scene (3:5.5), or SECONDS of show time (12) (console/moment.h). The run ends once the last
// moment has come. Needs data.dat where it is started, as the show does. Exit status 0 when every
// moment was written, 1 when a file could not be written, 2 on bad arguments or a moment past the
// end of the show; on 1 and 2 no picture is left.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "console/hooks.h"
#include "console/moment.h"
#include "console/png.h"
#include "console/run.h"
#include "driver/demo.h"

namespace {

struct Shot {
    Moment moment;
    std::string file;
    int64_t tick = -1;  // the tick it shows, once taken
    std::vector<uint8_t> rgb;
};

std::vector<Shot> shots;
SceneStarts starts;
bool ended_early = false;  // every moment taken, and the show asked to end
int early_status = 0;

std::string file_name(const Moment& m) {
    char name[64];
    if (m.scene) snprintf(name, sizeof name, "scene%d-%06.2fs.png", m.scene, m.seconds);
    else snprintf(name, sizeof name, "show-%07.2fs.png", m.seconds);
    return name;
}

// Writes every shot; on a failure removes those written and returns 1.
int write_shots(const std::string& dir) {
    std::error_code ec;
    bool made = !std::filesystem::exists(dir, ec);
    std::filesystem::create_directories(dir, ec);
    for (size_t i = 0; i < shots.size(); i++) {
        if (png_write_rgb(shots[i].file, shots[i].rgb.data(), SCAN_WIDTH, SCAN_HEIGHT)) continue;
        fprintf(stderr, "tenfold-frames: cannot write %s: %s\n", shots[i].file.c_str(), strerror(errno));
        for (size_t k = 0; k < i; k++) unlink(shots[k].file.c_str());
        if (made) std::filesystem::remove(dir, ec);
        return 1;
    }
    for (const Shot& s : shots)
        fprintf(stderr, "%s: tick %lld, %s of show\n", s.file.c_str(), (long long)s.tick,
                ticks_as_time(s.tick).c_str());
    return 0;
}

// The show ends through its own way out (the unpacked data removed, text mode, its outputs
// closed); this runs after that, last, and gives the process the tool's status.
void end_with_tool_status() {
    if (!ended_early) return;
    fflush(nullptr);
    _exit(early_status);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: tenfold-frames OUT_DIR MOMENT...   (MOMENT: SCENE:SECONDS or SECONDS)\n");
        return 2;
    }
    std::string dir = std::filesystem::absolute(argv[1]).string();  // the show changes directory
    for (int i = 2; i < argc; i++) {
        Shot s;
        std::string why;
        if (!parse_moment(argv[i], &s.moment, &why)) {
            fprintf(stderr, "tenfold-frames: %s: %s\n", argv[i], why.c_str());
            return 2;
        }
        s.file = dir + "/" + file_name(s.moment);
        shots.push_back(std::move(s));
    }

    atexit(end_with_tool_status);
    ConsoleSettings settings;
    settings.video = "none";
    settings.virtual_clock = true;
    console_start(settings);
    int64_t last_tick = -1;
    con_set_frame_hook([&](const ScanFrame& f) {
        last_tick = f.tick;
        note_scene(starts, con_current_scene(), f.tick);
        size_t taken = 0;
        for (Shot& s : shots) {
            int64_t at = moment_tick(s.moment, starts);
            if (s.tick < 0 && at >= 0 && f.tick >= at) {
                s.tick = f.tick;
                s.rgb.assign(f.rgb, f.rgb + size_t(SCAN_WIDTH) * SCAN_HEIGHT * 3);
            }
            taken += s.tick >= 0;
        }
        if (taken < shots.size() || ended_early) return;
        ended_early = true;
        early_status = write_shots(dir);
        con_request_quit(1);  // the show ends at its next console call
    });
    demo_main();
    con_set_frame_hook(nullptr);
    for (const Shot& s : shots) {
        if (s.tick >= 0) continue;
        fprintf(stderr, "tenfold-frames: %s never came: the show ended at %s (tick %lld); nothing written\n",
                s.moment.text.c_str(), ticks_as_time(last_tick + 1).c_str(), (long long)last_tick + 1);
        return 2;
    }
    return 0;
}
