// tenfold-frames OUT_DIR MOMENT...
//
// Plays the show once under the virtual clock with no display and writes the picture on screen
// (the console layer's scan-out through the DAC) at each MOMENT as a 320 x 240 PNG in OUT_DIR.
// A MOMENT is SCENE:SECONDS, seconds after the start of that scene (3:5.5), or SECONDS of show
// time (12). Needs data.dat where it is started, as the show does. Exit status 0 when every
// moment was written, 1 when some moment never came, 2 on bad arguments.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"
#include "driver/demo.h"

namespace {

struct Moment {
    int scene;       // 0: show time
    double seconds;
    std::string file;
    bool written = false;
};

bool parse_moment(const std::string& text, const std::string& dir, Moment* m) {
    size_t colon = text.find(':');
    char* end = nullptr;
    m->scene = 0;
    if (colon != std::string::npos) {
        m->scene = int(strtol(text.c_str(), &end, 10));
        if (end != text.c_str() + colon || m->scene < 1) return false;
    }
    const char* s = text.c_str() + (colon == std::string::npos ? 0 : colon + 1);
    m->seconds = strtod(s, &end);
    if (end == s || *end || !(m->seconds >= 0)) return false;
    char name[64];
    if (m->scene) snprintf(name, sizeof name, "scene%d-%06.2fs.png", m->scene, m->seconds);
    else snprintf(name, sizeof name, "show-%07.2fs.png", m->seconds);
    m->file = dir + "/" + name;
    return true;
}

bool write_png(const std::string& path, const uint8_t* rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = SCAN_WIDTH;
    image.height = SCAN_HEIGHT;
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb, 0, nullptr)) return true;
    fprintf(stderr, "tenfold-frames: cannot write %s: %s\n", path.c_str(), image.message);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: tenfold-frames OUT_DIR MOMENT...   (MOMENT: SCENE:SECONDS or SECONDS)\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    std::string dir = std::filesystem::absolute(argv[1]).string();  // the show changes directory
    std::vector<Moment> moments;
    for (int i = 2; i < argc; i++) {
        Moment m;
        if (!parse_moment(argv[i], dir, &m)) {
            fprintf(stderr, "tenfold-frames: %s is not SCENE:SECONDS or SECONDS\n", argv[i]);
            return 2;
        }
        moments.push_back(m);
    }

    ConsoleSettings settings;
    settings.video = "none";
    settings.virtual_clock = true;
    console_start(settings);
    std::map<int, int64_t> scene_start;  // first tick of each scene
    con_set_frame_hook([&](const ScanFrame& f) {
        int scene = con_current_scene();
        scene_start.emplace(scene, f.tick);
        for (Moment& m : moments) {
            if (m.written) continue;
            auto start = scene_start.find(m.scene);
            if (m.scene && start == scene_start.end()) continue;
            int64_t base = m.scene ? start->second : 0;
            if (f.tick < base + std::llround(m.seconds * 60)) continue;
            m.written = write_png(m.file, f.rgb);
            if (m.written) fprintf(stderr, "%s\n", m.file.c_str());
        }
    });
    demo_main();
    con_set_frame_hook(nullptr);
    int status = 0;
    for (const Moment& m : moments) {
        if (m.written) continue;
        fprintf(stderr, "tenfold-frames: %s was not written: the moment never came\n", m.file.c_str());
        status = 1;
    }
    return status;
}
