// PNG pictures of the screen, the one writer of the show and its tools: true colour, or palette
// indices with their 256 colours (exact, and a quarter of the size), each at its own size or
// scaled up by a whole number with every pixel a square of that many pixels across.
#pragma once

#include <cstdint>
#include <string>

// width x height x (red, green, blue) as a PNG scale times as wide and high. False, with errno's
// reason (EIO for a failure inside libpng), if the file cannot be written; nothing is left of it.
bool png_write_rgb(const std::string& path, const uint8_t* rgb, int width, int height, int scale = 1);
// width x height palette indices with their palette of 256 x (red, green, blue), 8-bit (see
// con_dac_palette for the DAC's), as an indexed PNG: it reads back to exactly those colours.
bool png_write_indexed(const std::string& path, const uint8_t* indices, const uint8_t* palette, int width,
                       int height, int scale = 1);
