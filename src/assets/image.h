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

// Records and their blocks come from calloc and go back with free. The readers return null (after
// a message, except for a wrong IMAGE magic) and leave nothing open or allocated behind; a short
// file leaves the missing pixels or colours 0. The writers return 1, or 0 after a message; a file
// written over an existing one replaces it whole.
Image* new_image();
PaletteFile* new_palette_file();
Image* read_image(const char* path);
PaletteFile* read_pal(const char* path);
int write_image(const Image* image, const char* path);
int write_pal(const PaletteFile* palette_file, const char* path);
