// Screenshots while watching (F12 in the window, s in the terminal): the picture on screen as a
// 320 x 240 PNG with its palette, exact, and one four times as large, named by the scene and the
// show's time and written to the folder the show was started in.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "console/internal.h"
#include "console/png.h"

namespace con {

namespace {

constexpr int LARGE = 4;

std::atomic<bool> wanted{false};

bool write_both(const std::string& small, const std::string& large, const uint8_t* indices, const uint8_t* palette) {
    const std::string* failed = nullptr;
    if (!png_write_indexed(small, indices, palette, SCAN_WIDTH, SCAN_HEIGHT)) failed = &small;
    else if (!png_write_indexed(large, indices, palette, SCAN_WIDTH, SCAN_HEIGHT, LARGE)) failed = &large;
    if (failed) report_output_failure(*failed, errno);
    return !failed;
}

}  // namespace

void request_screenshot() { wanted = true; }

void take_screenshot_if_asked() {
    if (!wanted.exchange(false)) return;
    std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT);
    uint32_t colours[256];
    if (!last_picture(indices.data(), colours)) return;
    uint8_t palette[768];
    for (int e = 0; e < 256; e++)
        for (int c = 0; c < 3; c++) palette[3 * e + c] = uint8_t(colours[e] >> (16 - 8 * c));
    char name[64];
    snprintf(name, sizeof name, "tenfold-scene%d-%06.2fs", con_current_scene(), con_seconds());
    std::string base = start_folder() + "/" + name;
    if (write_both(base + ".png", base + "-4x.png", indices.data(), palette))
        fprintf(stderr, "tenfold: screenshot %s.png and %s-4x.png\n", base.c_str(), base.c_str());
}

}  // namespace con
