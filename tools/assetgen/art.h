// Drawing in brightness: pictures are painted as values 0 (black) to 1 (the ramp's brightest) with
// a coverage (alpha) channel, then turned into the indices of a scene's ramp palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A scene palette: 256 colours ordered by brightness, index 0 black.
struct Ramp {
    uint8_t rgb[768];
    float lum[256];  // brightness of each entry, 0 to 1
};

struct Stop {
    int index;
    uint8_t r, g, b;
};

// Interpolates the colours between stops (the first at index 0, the last at 255).
Ramp make_ramp(const std::vector<Stop>& stops);

struct Canvas {
    int w = 0, h = 0;
    std::vector<float> v;  // brightness
    std::vector<float> a;  // coverage: 1 opaque, 0 transparent

    Canvas(int w, int h, float value = 0, float alpha = 1);
    float& at(int x, int y) { return v[size_t(y) * size_t(w) + size_t(x)]; }
    float& alpha(int x, int y) { return a[size_t(y) * size_t(w) + size_t(x)]; }
    // Lays value over the pixel with coverage c (0 to 1).
    void blend(int x, int y, float value, float c);
};

// The picture shrunk to w x h, each pixel the mean of the pixels it covers (w, h at most c's).
Canvas shrink(const Canvas& c, int w, int h);

// Pixel indices: the ramp entry nearest in brightness. Keyed pictures map what is less than half
// covered to 0 (transparent) and everything else to 1 or more.
std::vector<uint8_t> to_indices(const Canvas& c, const Ramp& ramp, bool keyed);

// Deterministic noise in 0 to 1: lattice value noise and a sum of octaves of it.
float hash01(int x, int y, int seed);
float value_noise(float x, float y, int seed);
float fbm(float x, float y, int octaves, int seed);

float clamp01(float v);
float smoothstep(float e0, float e1, float x);

// Files of the pack; each replaces a file of its name that was there.
void save_image(const std::string& dir, const char* name, const Canvas& c, const Ramp& ramp, bool keyed);
void save_indices(const std::string& dir, const char* name, int w, int h, const std::vector<uint8_t>& px);
void save_palette(const std::string& dir, const char* name, const Ramp& ramp);
void save_text(const std::string& dir, const char* name, const std::string& text);
