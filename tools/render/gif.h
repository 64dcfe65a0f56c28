// An animated GIF of palette pictures, with the exact colours of each: the first picture's
// palette is the global colour table, and a picture whose palette differs from it carries its own
// (a local colour table). Each picture after the first is stored as the rectangle that changed;
// a picture the same as the one before lengthens that one's delay instead. Loops forever.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct GifWriter {
    FILE* file = nullptr;
    int width = 0, height = 0;
    uint8_t global[768];                 // the global colour table
    std::vector<uint32_t> canvas;        // 0xRRGGBB of each pixel as shown so far
    // The picture waiting for its delay to be known.
    bool pending = false;
    int left = 0, top = 0, w = 0, h = 0;
    std::vector<uint8_t> indices;        // the rectangle's indices
    bool local = false;
    uint8_t palette[768];
    int delay = 0;                       // hundredths of a second
    int pictures = 0;                    // pictures written
    bool failed = false;
};

// Opens path for a GIF of width x height pictures. False, with errno's reason, if it cannot.
bool gif_open(GifWriter& g, const std::string& path, int width, int height);
// Adds a picture of width x height indices with its palette (256 x red, green, blue, 8-bit),
// shown for delay hundredths of a second.
void gif_add(GifWriter& g, const uint8_t* indices, const uint8_t* palette, int delay);
// Writes the last picture and the trailer and closes the file. False, with errno's reason, if any
// of the file could not be written.
bool gif_close(GifWriter& g);
