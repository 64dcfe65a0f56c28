#include "storyboard.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "console/png.h"

namespace {

constexpr int GAP = 4;
constexpr int LABEL_HEIGHT = 11;
constexpr int GLYPH_ADVANCE = 6;

// Rows of 5 pixels, the highest bit leftmost.
struct Glyph {
    char c;
    uint8_t rows[7];
};
constexpr Glyph FONT[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}}, {'c', {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}}, {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}}, {'s', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
    {'t', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}},
};

const Glyph* glyph(char c) {
    for (const Glyph& g : FONT)
        if (g.c == c) return &g;
    return nullptr;  // a space, or a character the labels never use
}

}  // namespace

void draw_label(uint8_t* rgb, int width, int height, int x, int y, const std::string& text, uint32_t colour) {
    for (char c : text) {
        if (const Glyph* g = glyph(c)) {
            for (int r = 0; r < 7; r++) {
                for (int b = 0; b < 5; b++) {
                    int px = x + b, py = y + r;
                    if (!(g->rows[r] >> (4 - b) & 1) || px < 0 || py < 0 || px >= width || py >= height) continue;
                    uint8_t* p = rgb + (size_t(py) * width + px) * 3;
                    p[0] = uint8_t(colour >> 16);
                    p[1] = uint8_t(colour >> 8);
                    p[2] = uint8_t(colour);
                }
            }
        }
        x += GLYPH_ADVANCE;
    }
}

void storyboard_add(Storyboard& s, const uint8_t* rgb, const std::string& label) {
    Thumbnail t;
    t.label = label;
    t.rgb.resize(size_t(THUMB_WIDTH) * THUMB_HEIGHT * 3);
    for (int y = 0; y < THUMB_HEIGHT; y++) {
        for (int x = 0; x < THUMB_WIDTH; x++) {
            const uint8_t* a = rgb + (size_t(2 * y) * 2 * THUMB_WIDTH + 2 * x) * 3;
            const uint8_t* b = a + size_t(2 * THUMB_WIDTH) * 3;
            for (int c = 0; c < 3; c++)
                t.rgb[(size_t(y) * THUMB_WIDTH + x) * 3 + c] = uint8_t((a[c] + a[3 + c] + b[c] + b[3 + c] + 2) / 4);
        }
    }
    s.thumbs.push_back(std::move(t));
}

std::vector<uint8_t> storyboard_compose(const Storyboard& s, int* width, int* height) {
    int n = int(s.thumbs.size());
    int cols = n < s.columns ? (n > 0 ? n : 1) : s.columns;
    int rows = (n + cols - 1) / cols;
    int cell_w = THUMB_WIDTH + GAP, cell_h = THUMB_HEIGHT + LABEL_HEIGHT + GAP;
    *width = GAP + cols * cell_w;
    *height = GAP + (rows > 0 ? rows : 1) * cell_h;
    std::vector<uint8_t> out(size_t(*width) * *height * 3, 0x20);  // dark grey around the pictures
    for (int i = 0; i < n; i++) {
        int x0 = GAP + i % cols * cell_w, y0 = GAP + i / cols * cell_h;
        for (int y = 0; y < THUMB_HEIGHT; y++)
            std::copy_n(&s.thumbs[size_t(i)].rgb[size_t(y) * THUMB_WIDTH * 3], THUMB_WIDTH * 3,
                        &out[(size_t(y0 + y) * *width + x0) * 3]);
        draw_label(out.data(), *width, *height, x0 + 1, y0 + THUMB_HEIGHT + 2, s.thumbs[size_t(i)].label, 0xE0E0E0);
    }
    return out;
}

bool storyboard_write_png(const Storyboard& s, const std::string& path) {
    int width, height;
    std::vector<uint8_t> rgb = storyboard_compose(s, &width, &height);
    return png_write_rgb(path, rgb.data(), width, height);
}
