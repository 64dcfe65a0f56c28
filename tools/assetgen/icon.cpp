// The desktop's icon: scene 10's broad rings around a bright centre, in that scene's palette, on a
// round dark ground. Drawn once large and shrunk to each size of the hicolor icon theme (each
// divides the drawn size), written as DIR/NxN/apps/tenfold.png (RGBA). It is not part of data.dat.
#include <png.h>

#include <cstdio>
#include <filesystem>

#include "palettes.h"
#include "pictures.h"
#include "shapes.h"

namespace {

constexpr int SIZES[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int DRAWN = 768;

Canvas icon() {
    Canvas c(DRAWN, DRAWN, 0, 0);
    float m = DRAWN / 2.0f;  // the centre, and the unit of the sizes below
    disc(c, m, m, 0.99f * m, 0.1f);
    ring(c, m, m, 0.73f * m, 0.23f * m, 0.78f);
    ring(c, m, m, 0.41f * m, 0.17f * m, 0.9f);
    glow(c, m, m, 0.14f * m, 0.5f);
    disc(c, m, m, 0.13f * m, 1.0f);
    return c;
}

// Each pixel takes the colour of the ramp entry nearest its brightness (the canvas holds
// brightness times coverage, which is divided out again), with the coverage as its alpha.
std::vector<uint8_t> to_rgba(const Canvas& c, const Ramp& ramp) {
    Canvas straight = c;
    for (size_t i = 0; i < c.v.size(); i++) straight.v[i] = c.a[i] > 0 ? c.v[i] / c.a[i] : 0;
    std::vector<uint8_t> index = to_indices(straight, ramp, false);
    std::vector<uint8_t> rgba(index.size() * 4);
    for (size_t i = 0; i < index.size(); i++) {
        for (int k = 0; k < 3; k++) rgba[i * 4 + k] = ramp.rgb[index[i] * 3 + k];
        rgba[i * 4 + 3] = uint8_t(clamp01(c.a[i]) * 255 + 0.5f);
    }
    return rgba;
}

// The DRAWN x DRAWN picture shrunk to size x size, each pixel the mean of those it covers, the
// colours weighted by their alpha (colours are averaged, not brightness, which the ramp would turn
// into other hues).
std::vector<uint8_t> shrink_rgba(const std::vector<uint8_t>& rgba, int size) {
    int n = DRAWN / size;
    std::vector<uint8_t> out(size_t(size) * size_t(size) * 4);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            double sum[4] = {};
            for (int sy = y * n; sy < (y + 1) * n; sy++)
                for (int sx = x * n; sx < (x + 1) * n; sx++) {
                    const uint8_t* p = &rgba[(size_t(sy) * DRAWN + size_t(sx)) * 4];
                    for (int k = 0; k < 3; k++) sum[k] += p[k] * p[3];
                    sum[3] += p[3];
                }
            uint8_t* q = &out[(size_t(y) * size_t(size) + size_t(x)) * 4];
            for (int k = 0; k < 3; k++) q[k] = uint8_t(sum[3] > 0 ? sum[k] / sum[3] + 0.5 : 0);
            q[3] = uint8_t(sum[3] / (n * n) + 0.5);
        }
    return out;
}

bool write_png(const std::string& path, int size, const std::vector<uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

}  // namespace

int write_icons(const std::string& dir) {
    std::vector<uint8_t> drawn = to_rgba(icon(), ramp_wapal());
    for (int size : SIZES) {
        std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error || !write_png(folder + "/tenfold.png", size, shrink_rgba(drawn, size))) {
            fprintf(stderr, "assetgen: cannot write %s/tenfold.png\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}
