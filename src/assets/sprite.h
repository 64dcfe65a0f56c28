// Sprites: pictures the blitters draw, index `key` (always 0) transparent for the keyed ones.
// Palettes are in video/palette.h; load_palette turns a PAL file into one.
#pragma once

#include <cstdint>

#include "assets/image.h"
#include "video/palette.h"

struct Sprite {
    uint8_t* pixels;  // width x height, row stride width
    int32_t width;
    int32_t height;
    uint8_t key;
};

Sprite* new_sprite();
Sprite* load_sprite(const char* path);
Palette* load_palette(const char* path);
void free_sprite(Sprite* sprite);
// The sprite shares the image's pixel block: free one owner only (free_sprite frees the block).
Sprite* sprite_from_image(Image* image);
Sprite* make_sprite(uint8_t* pixels, int32_t width, int32_t height, uint8_t key);
