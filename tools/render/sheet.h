// The contact sheet: small pictures of the show at regular times, each labelled with its scene
// and time, in rows on one PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int THUMB_WIDTH = 160;
constexpr int THUMB_HEIGHT = 120;

struct Thumbnail {
    std::vector<uint8_t> rgb;  // THUMB_WIDTH x THUMB_HEIGHT x 3
    std::string label;
};

struct Sheet {
    int columns = 6;
    std::vector<Thumbnail> thumbs;
};

// Adds a frame of 320 x 240 x (red, green, blue), halved.
void sheet_add(Sheet& s, const uint8_t* rgb, const std::string& label);
// The whole sheet as 8-bit red, green, blue rows; its size goes to width and height.
std::vector<uint8_t> sheet_compose(const Sheet& s, int* width, int* height);
// Writes the sheet as a PNG file; false (with errno's reason) if it cannot.
bool sheet_write_png(const Sheet& s, const std::string& path);
// Draws text in the sheet's label font (5 x 7 pixels, 6 across) into an RGB picture.
void draw_label(uint8_t* rgb, int width, int height, int x, int y, const std::string& text, uint32_t colour);
