// Figures of 320 x 240 frames of 8-bit (red, green, blue) pixels for the art check: brightness,
// contrast and hue of sets of pixels, the ring round a set, connected regions.
#pragma once

#include <cstdint>
#include <vector>

using PixelSet = std::vector<uint8_t>;  // 320 x 240, non-zero where a pixel is in the set

// L = 0.299 R + 0.587 G + 0.114 B, 0 to 255.
float brightness(const uint8_t* rgb);
// The pixels outside s within `radius` (Euclidean) of one inside it.
PixelSet ring_around(const PixelSet& s, int radius);
// (brighter + 0.05) / (darker + 0.05) of the median relative luminances of two sets.
double contrast_ratio(const uint8_t* frame, const PixelSet& a, const PixelSet& b);
// The difference in hue, 0 to 180 degrees, between the mean colours of two sets.
double hue_difference(const uint8_t* frame, const PixelSet& a, const PixelSet& b);
// The share of a's pixels in the colours that b uses: its commonest colours, taken until they make
// up `bulk` of b's pixels (so that a few pixels blurred between the two do not count).
double shared_colours(const uint8_t* frame, const PixelSet& a, const PixelSet& b, double bulk);
// The number of 8-connected regions of a set that have at least `least` pixels.
int regions(const PixelSet& s, int least);
int count(const PixelSet& s);
