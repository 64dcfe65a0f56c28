#include "effects/water.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "driver/tables.h"
#include "effects/kernel.h"

int32_t water_heights[2][FRAME_BYTES];

namespace {

uint8_t background_with_bands[3 * FRAME_BYTES];

constexpr int W = SCREEN_WIDTH;
constexpr int FIRST_ROW = 1, LAST_ROW = SCREEN_HEIGHT - 2;  // the interior rows
constexpr int FIRST_COL = 1, INTERIOR_COLS = SCREEN_WIDTH - 2;

int clamp_shift(int shift) { return std::clamp(shift, 0, 31); }

PIXEL_KERNEL void step_row(int32_t* __restrict d, const int32_t* __restrict s, int n, int shift) {
    for (int i = 0; i < n; i++) {
        int32_t sum = s[i - W - 1] + s[i - W] + s[i - W + 1] + s[i - 1] + s[i + 1] + s[i + W - 1] + s[i + W] + s[i + W + 1];
        int32_t v = (sum >> 2) - d[i];
        d[i] = v - (v >> shift);
    }
}

}  // namespace

uint8_t* const water_background = background_with_bands + FRAME_BYTES;

void water_add_drop(int cx, int cy, int radius, int amplitude, int page) {
    if (radius <= 0) return;
    int32_t* h = water_heights[page & 1];
    int64_t r = radius;
    float scale = float((1024.0 / radius) * (1024.0 / radius));
    int64_t xs = cx - r <= 0 ? 1 - int64_t(cx) : -r;
    int64_t xe = cx + r > W - 1 ? W - 1 - int64_t(cx) : r;
    int64_t ys = cy - r <= 0 ? 1 - int64_t(cy) : -r;
    int64_t ye = cy + r > SCREEN_HEIGHT - 1 ? SCREEN_HEIGHT - 1 - int64_t(cy) : r;
    for (int64_t y = ys; y < ye; y++) {
        for (int64_t x = xs; x < xe; x++) {
            int64_t d2 = x * x + y * y;
            if (d2 >= r * r) continue;
            int n = int(std::sqrt(double(scale) * double(d2)));
            double w = (double(wave_sin(n)) + 65535.0) * amplitude;
            h[(cy + y) * W + cx + x] += int32_t(std::clamp(w, double(INT_MIN), double(INT_MAX))) >> 19;
        }
    }
}

void water_step(int page, int damping_shift) {
    int32_t* d = water_heights[page & 1];
    const int32_t* s = water_heights[(page & 1) ^ 1];
    int shift = clamp_shift(damping_shift);
    for (int y = FIRST_ROW; y <= LAST_ROW; y++) {
        int p = y * W + FIRST_COL;
        step_row(d + p, s + p, INTERIOR_COLS, shift);
    }
}

void water_render(int page, int shade_shift, FrameBuffer* dst) {
    const int32_t* h = water_heights[page & 1];
    const uint8_t* b = water_background;
    int shift = clamp_shift(shade_shift);
    for (int y = FIRST_ROW; y <= LAST_ROW; y++) {
        for (int p = y * W + FIRST_COL, end = p + INTERIOR_COLS; p < end; p++) {
            int64_t dx = int64_t(h[p]) - h[p + 1];
            int64_t dy = int64_t(h[p]) - h[p + W];
            int64_t q = p + (dy >> 3) * W + (dx >> 3);
            int64_t k = (q >= 0 && q < FRAME_BYTES ? b[q] : 0) - (dx >> shift);
            dst[p] = uint8_t(std::clamp<int64_t>(k, 0, 255));
        }
    }
}
