#include "showplay.h"

#include <png.h>
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

bool write_png(const std::string& path, int width, int height, const uint8_t* rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb, 0, nullptr)) return true;
    fprintf(stderr, "cannot write %s: %s\n", path.c_str(), image.message);
    return false;
}
