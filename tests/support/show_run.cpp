#include "support/show_run.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

#include "console/console.h"
#include "driver/demo.h"
#include "driver/music.h"
#include "video/present.h"

std::vector<const TickRecord*> ShowRecord::scene_ticks(int scene) const {
    std::vector<const TickRecord*> out;
    for (const TickRecord& t : ticks)
        if (t.scene == scene) out.push_back(&t);
    return out;
}

std::vector<ShowCheck>& registered_show_checks() {
    static std::vector<ShowCheck> checks;
    return checks;
}

int register_show_check(ShowCheck check) {
    registered_show_checks().push_back(std::move(check));
    return int(registered_show_checks().size());
}

uint64_t hash_bytes(const uint8_t* data, size_t size) {
    uint64_t h = 1469598103934665603ULL;  // FNV-1a
    for (size_t i = 0; i < size; i++) h = (h ^ data[i]) * 1099511628211ULL;
    return h;
}

bool run_show(ShowRecord* record) {
    std::string build = TENFOLD_BUILD_DIR;
    if (!std::filesystem::exists(build + "/data.dat")) return false;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd) || chdir(build.c_str()) != 0) return false;

    ConsoleSettings settings;
    settings.video = "none";
    settings.virtual_clock = true;
    console_start(settings);
    // Every presentation toggles draw_page right after its tick's scan-out, so a tick whose
    // successor sees another draw_page was a presentation.
    int seen_page = draw_page;
    con_set_frame_hook([&](const ScanFrame& f) {
        if (draw_page != seen_page && !record->ticks.empty()) record->ticks.back().presented = true;
        seen_page = draw_page;
        ShowTick t{f.tick, con_current_scene(), song_position(), {}, f.indices, f.dac};
        con_gettimeofday(&t.time);
        for (ShowCheck& c : registered_show_checks())
            if (c.observe) c.observe(t);
        record->ticks.push_back(TickRecord{t.tick, t.scene, t.position, t.time, false,
                                           hash_bytes(f.indices, SCAN_WIDTH * SCAN_HEIGHT), hash_bytes(f.dac, 768)});
    });
    record->status = demo_main();
    if (draw_page != seen_page && !record->ticks.empty()) record->ticks.back().presented = true;
    con_set_frame_hook(nullptr);
    return chdir(cwd) == 0;
}
