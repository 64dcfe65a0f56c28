// IMAGE and PAL files: "IMAGE", width, height (16-bit LE), pixels; "PAL", first, count (16-bit LE),
// count x (red, green, blue) in 8 bits.
#pragma once

#include <cstdint>

struct Image {
    uint16_t width;
    uint16_t height;
    uint8_t* pixels;  // width x height, owned until a Sprite takes it over
};

struct PaletteFile {
    uint8_t first;
    uint16_t count;
    uint8_t* rgb;  // count x 3, owned until a Palette takes it over
};

Image* new_image();
PaletteFile* new_palette_file();
Image* read_image(const char* path);
PaletteFile* read_pal(const char* path);
int write_image(const Image* image, const char* path);
int write_pal(const PaletteFile* palette_file, const char* path);
