#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "console/hooks.h"

namespace {

// One row of the picture's indices looked up and each pixel repeated TIMES (a constant, so the
// compiler writes the copies out rather than calling memset for each pixel).
template <int TIMES>
void widen_by(const uint8_t* indices, const uint8_t* table, uint8_t* out) {
    for (int x = 0; x < SCAN_WIDTH; x++) {
        uint8_t v = table[indices[x]];
        for (int k = 0; k < TIMES; k++) out[x * TIMES + k] = v;
    }
}

void widen(const uint8_t* indices, const uint8_t* table, int times, uint8_t* out) {
    switch (times) {
        case 1: return widen_by<1>(indices, table, out);
        case 2: return widen_by<2>(indices, table, out);
        case 3: return widen_by<3>(indices, table, out);
        case 4: return widen_by<4>(indices, table, out);
        case 5: return widen_by<5>(indices, table, out);
        case 6: return widen_by<6>(indices, table, out);
        case 7: return widen_by<7>(indices, table, out);
        case 8: return widen_by<8>(indices, table, out);
        default: return widen_by<MAX_SCALE>(indices, table, out);
    }
}

// Fills rows [y0, y1) of a plane `width` wide with v.
void fill_rows(uint8_t* plane, int width, int y0, int y1, uint8_t v) {
    if (y1 > y0) memset(plane + size_t(y0) * width, v, size_t(y1 - y0) * width);
}

// Black around the picture in one plane: picture at (x, y), w x h, in a plane of width x height.
void frame_plane(uint8_t* plane, int width, int height, int x, int y, int w, int h, uint8_t v) {
    fill_rows(plane, width, 0, y, v);
    fill_rows(plane, width, y + h, height, v);
    for (int r = y; r < y + h; r++) {
        memset(plane + size_t(r) * width, v, size_t(x));
        memset(plane + size_t(r) * width + x + w, v, size_t(width - x - w));
    }
}

}  // namespace

Layout scaled_layout(int scale) {
    Layout l;
    l.scale = scale;
    l.width = SCAN_WIDTH * scale;
    l.height = SCAN_HEIGHT * scale;
    return l;
}

Layout framed_layout(int lines) {
    Layout l;
    l.height = lines;
    l.width = lines * 16 / 9;
    int scale = std::min(l.width / SCAN_WIDTH, l.height / SCAN_HEIGHT) & ~1;
    if (scale < 2 || l.width % 2 || l.height % 2) return Layout{};
    l.scale = scale;
    l.x = (l.width - SCAN_WIDTH * scale) / 2 & ~1;
    l.y = (l.height - SCAN_HEIGHT * scale) / 2 & ~1;
    return l;
}

void yuv_palette(const uint8_t* palette, YuvPalette* out) {
    constexpr double KR = 0.2126, KB = 0.0722, KG = 1 - KR - KB;
    auto clamp8 = [](double v, int lo, int hi) { return uint8_t(std::clamp(int(std::floor(v + 0.5)), lo, hi)); };
    for (int i = 0; i < 256; i++) {
        double r = palette[3 * i] / 255.0, g = palette[3 * i + 1] / 255.0, b = palette[3 * i + 2] / 255.0;
        double y = KR * r + KG * g + KB * b;
        out->y[i] = clamp8(16 + 219 * y, 16, 235);
        out->cb[i] = clamp8(128 + 224 * (b - y) / (2 * (1 - KB)), 16, 240);
        out->cr[i] = clamp8(128 + 224 * (r - y) / (2 * (1 - KR)), 16, 240);
    }
}

size_t yuv420_size(const Layout& l) { return size_t(l.width) * l.height * 3 / 2; }
size_t rgb_size(const Layout& l) { return size_t(l.width) * l.height * 3; }

void draw_yuv420(const uint8_t* indices, const YuvPalette& p, const Layout& l, uint8_t* out, bool border) {
    const int s = l.scale, pw = SCAN_WIDTH * s, ph = SCAN_HEIGHT * s;
    const int cw = l.width / 2, ch = l.height / 2;
    uint8_t* luma = out;
    uint8_t* cb = out + size_t(l.width) * l.height;
    uint8_t* cr = cb + size_t(cw) * ch;
    if (border) {
        frame_plane(luma, l.width, l.height, l.x, l.y, pw, ph, 16);
        frame_plane(cb, cw, ch, l.x / 2, l.y / 2, pw / 2, ph / 2, 128);
        frame_plane(cr, cw, ch, l.x / 2, l.y / 2, pw / 2, ph / 2, 128);
    }
    for (int y = 0; y < SCAN_HEIGHT; y++) {
        uint8_t* first = luma + size_t(l.y + y * s) * l.width + l.x;
        widen(indices + y * SCAN_WIDTH, p.y, s, first);
        for (int k = 1; k < s; k++) memcpy(first + size_t(k) * l.width, first, size_t(pw));
    }
    if (s % 2 == 0) {  // every chroma sample within one pixel
        const int half = s / 2;
        for (int y = 0; y < SCAN_HEIGHT; y++) {
            for (auto [plane, table] : {std::pair{cb, p.cb}, std::pair{cr, p.cr}}) {
                uint8_t* first = plane + size_t(l.y / 2 + y * half) * cw + l.x / 2;
                widen(indices + y * SCAN_WIDTH, table, half, first);
                for (int k = 1; k < half; k++) memcpy(first + size_t(k) * cw, first, size_t(pw / 2));
            }
        }
        return;
    }
    // Odd scales: the mean of the four pixels' Cb and Cr each sample covers.
    static std::vector<int> column;  // the picture column of each frame column in the picture
    column.resize(size_t(pw));
    for (int x = 0; x < pw; x++) column[size_t(x)] = x / s;
    for (int cy = 0; cy < ph / 2; cy++) {
        const uint8_t* row0 = indices + (2 * cy / s) * SCAN_WIDTH;
        const uint8_t* row1 = indices + ((2 * cy + 1) / s) * SCAN_WIDTH;
        for (auto [plane, table] : {std::pair{cb, p.cb}, std::pair{cr, p.cr}}) {
            uint8_t* o = plane + size_t(l.y / 2 + cy) * cw + l.x / 2;
            for (int cx = 0; cx < pw / 2; cx++) {
                int a = column[size_t(2 * cx)], b = column[size_t(2 * cx + 1)];
                o[cx] = uint8_t((table[row0[a]] + table[row0[b]] + table[row1[a]] + table[row1[b]] + 2) / 4);
            }
        }
    }
}

void draw_rgb(const uint8_t* indices, const uint8_t* palette, const Layout& l, uint8_t* out) {
    const int s = l.scale, pw = SCAN_WIDTH * s;
    memset(out, 0, rgb_size(l));
    for (int y = 0; y < SCAN_HEIGHT; y++) {
        uint8_t* first = out + (size_t(l.y + y * s) * l.width + l.x) * 3;
        uint8_t* o = first;
        for (int x = 0; x < SCAN_WIDTH; x++) {
            const uint8_t* c = palette + 3 * indices[y * SCAN_WIDTH + x];
            for (int k = 0; k < s; k++, o += 3) o[0] = c[0], o[1] = c[1], o[2] = c[2];
        }
        for (int k = 1; k < s; k++) memcpy(first + size_t(k) * l.width * 3, first, size_t(pw) * 3);
    }
}
