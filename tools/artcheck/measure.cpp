#include "measure.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "video/framebuffer.h"

namespace {

constexpr int W = SCREEN_WIDTH, H = SCREEN_HEIGHT;

double linear(uint8_t c) {
    double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const uint8_t* rgb) {
    return 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
}

double median_luminance(const uint8_t* frame, const PixelSet& s) {
    std::vector<double> l;
    for (size_t p = 0; p < s.size(); p++)
        if (s[p]) l.push_back(luminance(frame + 3 * p));
    if (l.empty()) return 0;
    std::nth_element(l.begin(), l.begin() + long(l.size() / 2), l.end());
    return l[l.size() / 2];
}

double mean_hue(const uint8_t* frame, const PixelSet& s) {
    double sum[3] = {};
    for (size_t p = 0; p < s.size(); p++)
        if (s[p])
            for (int k = 0; k < 3; k++) sum[k] += frame[3 * p + size_t(k)];
    double r = sum[0], g = sum[1], b = sum[2], hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (hi == lo) return 0;
    double h = hi == r ? (g - b) / (hi - lo) : hi == g ? 2 + (b - r) / (hi - lo) : 4 + (r - g) / (hi - lo);
    return std::fmod(h * 60 + 360, 360);
}

uint32_t colour(const uint8_t* frame, size_t p) {
    return uint32_t(frame[3 * p]) << 16 | uint32_t(frame[3 * p + 1]) << 8 | frame[3 * p + 2];
}

}  // namespace

float brightness(const uint8_t* rgb) { return 0.299f * rgb[0] + 0.587f * rgb[1] + 0.114f * rgb[2]; }

PixelSet ring_around(const PixelSet& s, int radius) {
    PixelSet ring(s.size(), 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            if (!s[size_t(y * W + x)]) continue;
            for (int dy = -radius; dy <= radius; dy++)
                for (int dx = -radius; dx <= radius; dx++) {
                    int qx = x + dx, qy = y + dy;
                    if (dx * dx + dy * dy > radius * radius || qx < 0 || qy < 0 || qx >= W || qy >= H) continue;
                    if (!s[size_t(qy * W + qx)]) ring[size_t(qy * W + qx)] = 1;
                }
        }
    return ring;
}

double contrast_ratio(const uint8_t* frame, const PixelSet& a, const PixelSet& b) {
    double la = median_luminance(frame, a), lb = median_luminance(frame, b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double hue_difference(const uint8_t* frame, const PixelSet& a, const PixelSet& b) {
    double d = std::fabs(mean_hue(frame, a) - mean_hue(frame, b));
    return d > 180 ? 360 - d : d;
}

double shared_colours(const uint8_t* frame, const PixelSet& a, const PixelSet& b, double bulk) {
    std::unordered_map<uint32_t, int> around;
    int ring = 0;
    for (size_t p = 0; p < b.size(); p++)
        if (b[p]) around[colour(frame, p)]++, ring++;
    // The commonest colours of b, until they make up `bulk` of its pixels.
    std::vector<std::pair<int, uint32_t>> by_count;
    for (const auto& [c, n] : around) by_count.push_back({n, c});
    std::sort(by_count.begin(), by_count.end(), std::greater<>());
    std::unordered_set<uint32_t> used;
    int taken = 0;
    for (const auto& [n, c] : by_count) {
        if (taken >= bulk * ring) break;
        used.insert(c);
        taken += n;
    }
    int shared = 0, n = 0;
    for (size_t p = 0; p < a.size(); p++)
        if (a[p]) n++, shared += used.count(colour(frame, p)) > 0;
    return n ? double(shared) / n : 0;
}

int regions(const PixelSet& s, int least) {
    std::vector<uint8_t> seen(s.size(), 0);
    std::vector<int> stack;
    int n = 0;
    for (int start = 0; start < W * H; start++) {
        if (!s[size_t(start)] || seen[size_t(start)]) continue;
        int size = 0;
        seen[size_t(start)] = 1;
        stack.push_back(start);
        while (!stack.empty()) {
            int p = stack.back(), x = p % W, y = p / W;
            stack.pop_back();
            size++;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) {
                    int qx = x + dx, qy = y + dy, q = qy * W + qx;
                    if (qx < 0 || qy < 0 || qx >= W || qy >= H || !s[size_t(q)] || seen[size_t(q)]) continue;
                    seen[size_t(q)] = 1;
                    stack.push_back(q);
                }
        }
        n += size >= least;
    }
    return n;
}

int count(const PixelSet& s) { return int(std::count_if(s.begin(), s.end(), [](uint8_t v) { return v != 0; })); }
