// Frames and sprites for the effect tests. Frames are heap blocks of exactly 76800 bytes, so
// AddressSanitizer reports any access past either end.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/sprite.h"
#include "video/framebuffer.h"

using Frame = std::vector<uint8_t>;

// The FrameBuffer whose bytes the vector holds (the operations take that type).
inline FrameBuffer* fb(std::vector<uint8_t>& bytes) { return reinterpret_cast<FrameBuffer*>(bytes.data()); }
inline const FrameBuffer* fb(const std::vector<uint8_t>& bytes) { return reinterpret_cast<const FrameBuffer*>(bytes.data()); }

inline Frame make_frame(uint8_t fill = 0) { return Frame(FRAME_BYTES, fill); }
inline uint8_t& at(Frame& f, int x, int y) { return f[size_t(y * SCREEN_WIDTH + x)]; }
// A sprite whose pixels live in the given vector (which must outlive it).
inline Sprite sprite_of(std::vector<uint8_t>& pixels, int w, int h) { return Sprite{pixels.data(), w, h, 0}; }

// Pixel values 1 .. 251 that tell source positions apart: value (x + 7 y) % 251 + 1.
inline std::vector<uint8_t> numbered_pixels(int w, int h) {
    std::vector<uint8_t> p(size_t(w) * size_t(h));
    for (size_t i = 0; i < p.size(); i++) p[i] = uint8_t((i % w + 7 * (i / w)) % 251 + 1);
    return p;
}

// Deterministic noise.
inline Frame noise_frame(uint32_t seed) {
    Frame f(FRAME_BYTES);
    for (uint8_t& v : f) v = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
    return f;
}
