#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace {

// Calls f(x, y, distance) for the pixels of a box around a shape.
template <class Dist>
void cover(Canvas& c, float x0, float y0, float x1, float y1, float half_width, float value, Dist dist) {
    int ax = std::max(0, int(std::floor(x0 - half_width - 1))), bx = std::min(c.w - 1, int(std::ceil(x1 + half_width + 1)));
    int ay = std::max(0, int(std::floor(y0 - half_width - 1))), by = std::min(c.h - 1, int(std::ceil(y1 + half_width + 1)));
    for (int y = ay; y <= by; y++)
        for (int x = ax; x <= bx; x++) {
            float d = dist(float(x) + 0.5f, float(y) + 0.5f);
            c.blend(x, y, value, clamp01(half_width - d + 0.5f));
        }
}

}  // namespace

void disc(Canvas& c, float cx, float cy, float r, float value) {
    cover(c, cx - r, cy - r, cx + r, cy + r, r, value, [&](float x, float y) { return std::hypot(x - cx, y - cy); });
}

void ring(Canvas& c, float cx, float cy, float r, float width, float value) {
    cover(c, cx - r, cy - r, cx + r, cy + r, width / 2, value,
          [&](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r); });
}

void segment(Canvas& c, float x0, float y0, float x1, float y1, float width, float value) {
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    cover(c, std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1), width / 2, value,
          [&](float x, float y) {
              float t = len2 > 0 ? clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0;
              return std::hypot(x - x0 - t * dx, y - y0 - t * dy);
          });
}

void glow(Canvas& c, float cx, float cy, float r, float strength) {
    int ax = std::max(0, int(cx - 3 * r)), bx = std::min(c.w - 1, int(cx + 3 * r));
    int ay = std::max(0, int(cy - 3 * r)), by = std::min(c.h - 1, int(cy + 3 * r));
    for (int y = ay; y <= by; y++)
        for (int x = ax; x <= bx; x++) {
            float d2 = (float(x) - cx) * (float(x) - cx) + (float(y) - cy) * (float(y) - cy);
            c.at(x, y) += strength * std::exp(-d2 / (r * r));
        }
}

void frame(Canvas& c, float value) {
    for (int x = 0; x < c.w; x++) c.at(x, 0) = c.at(x, c.h - 1) = value;
    for (int y = 0; y < c.h; y++) c.at(0, y) = c.at(c.w - 1, y) = value;
}
