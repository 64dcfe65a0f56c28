#include "art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets/image.h"

Ramp make_ramp(const std::vector<Stop>& stops) {
    Ramp ramp{};
    for (size_t s = 0; s + 1 < stops.size(); s++) {
        const Stop& p = stops[s];
        const Stop& q = stops[s + 1];
        for (int i = p.index; i <= q.index; i++) {
            float t = float(i - p.index) / float(q.index - p.index);
            ramp.rgb[i * 3 + 0] = uint8_t(std::lround(p.r + (q.r - p.r) * t));
            ramp.rgb[i * 3 + 1] = uint8_t(std::lround(p.g + (q.g - p.g) * t));
            ramp.rgb[i * 3 + 2] = uint8_t(std::lround(p.b + (q.b - p.b) * t));
        }
    }
    auto brightness = [&](int i) { return 0.299f * ramp.rgb[i * 3] + 0.587f * ramp.rgb[i * 3 + 1] + 0.114f * ramp.rgb[i * 3 + 2]; };
    // Rounding can dip the brightness by a fraction where one channel rises as another falls:
    // green, which weighs most, is raised by a step there.
    for (int i = 1; i < 256; i++)
        while (brightness(i) < brightness(i - 1) && ramp.rgb[i * 3 + 1] < 255) ramp.rgb[i * 3 + 1]++;
    for (int i = 0; i < 256; i++) ramp.lum[i] = brightness(i) / 255.0f;
    float top = ramp.lum[255] > 0 ? ramp.lum[255] : 1;
    for (float& l : ramp.lum) l /= top;
    return ramp;
}

Canvas::Canvas(int w_, int h_, float value, float alpha_)
    : w(w_), h(h_), v(size_t(w_) * size_t(h_), value), a(size_t(w_) * size_t(h_), alpha_) {}

void Canvas::blend(int x, int y, float value, float c) {
    if (x < 0 || y < 0 || x >= w || y >= h || c <= 0) return;
    c = std::min(c, 1.0f);
    float& p = at(x, y);
    p = p + (value - p) * c;
    float& q = alpha(x, y);
    q = q + (1 - q) * c;
}

Canvas shrink(const Canvas& c, int w, int h) {
    Canvas out(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int x0 = x * c.w / w, x1 = (x + 1) * c.w / w, y0 = y * c.h / h, y1 = (y + 1) * c.h / h;
            float v = 0, a = 0;
            for (int sy = y0; sy < y1; sy++)
                for (int sx = x0; sx < x1; sx++) v += c.v[size_t(sy) * size_t(c.w) + size_t(sx)], a += c.a[size_t(sy) * size_t(c.w) + size_t(sx)];
            float n = float((x1 - x0) * (y1 - y0));
            out.at(x, y) = v / n;
            out.alpha(x, y) = a / n;
        }
    return out;
}

std::vector<uint8_t> to_indices(const Canvas& c, const Ramp& ramp, bool keyed) {
    std::vector<uint8_t> px(c.v.size());
    for (size_t i = 0; i < px.size(); i++) {
        if (keyed && c.a[i] < 0.5f) {
            px[i] = 0;
            continue;
        }
        float target = clamp01(c.v[i]);
        const float* at = std::lower_bound(ramp.lum, ramp.lum + 256, target);
        int k = int(at - ramp.lum);
        if (k > 255) k = 255;
        if (k > 0 && target - ramp.lum[k - 1] < ramp.lum[k] - target) k--;
        if (keyed && k == 0) k = 1;
        px[i] = uint8_t(k);
    }
    return px;
}

float hash01(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFF) / float(0xFFFFFF);
}

float value_noise(float x, float y, int seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - float(ix), fy = y - float(iy);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    float c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fbm(float x, float y, int octaves, int seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; o++) {
        sum += amp * value_noise(x, y, seed + o * 101);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

namespace {

std::string pack_path(const std::string& dir, const char* name) { return dir + "/" + name; }

void check(int ok, const std::string& path) {
    if (ok) return;
    fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    exit(1);
}

}  // namespace

void save_indices(const std::string& dir, const char* name, int w, int h, const std::vector<uint8_t>& px) {
    std::vector<uint8_t> copy(px);
    Image image{uint16_t(w), uint16_t(h), copy.data()};
    std::string path = pack_path(dir, name);
    check(write_image(&image, path.c_str()), path);
}

void save_image(const std::string& dir, const char* name, const Canvas& c, const Ramp& ramp, bool keyed) {
    save_indices(dir, name, c.w, c.h, to_indices(c, ramp, keyed));
}

void save_palette(const std::string& dir, const char* name, const Ramp& ramp) {
    uint8_t rgb[768];
    std::copy(ramp.rgb, ramp.rgb + 768, rgb);
    PaletteFile file{0, 256, rgb};
    std::string path = pack_path(dir, name);
    check(write_pal(&file, path.c_str()), path);
}

void save_text(const std::string& dir, const char* name, const std::string& text) {
    std::string path = pack_path(dir, name);
    FILE* f = fopen(path.c_str(), "wb");
    check(f != nullptr, path);
    size_t n = fwrite(text.data(), 1, text.size(), f);
    check(fclose(f) == 0 && n == text.size(), path);
}
