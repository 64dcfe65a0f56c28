// The storyboard: small pictures of the show at regular times (every 5 seconds of the recording),
// each labelled with its scene and show time, in rows on one PNG; a page to see the whole show
// or clip at a glance.
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

struct Storyboard {
    int columns = 6;
    std::vector<Thumbnail> thumbs;
};

constexpr int STORYBOARD_EVERY_SECONDS = 5;

// Adds a frame of 320 x 240 x (red, green, blue), halved.
void storyboard_add(Storyboard& s, const uint8_t* rgb, const std::string& label);
// The whole storyboard as 8-bit red, green, blue rows; its size goes to width and height.
std::vector<uint8_t> storyboard_compose(const Storyboard& s, int* width, int* height);
// Writes the storyboard as a PNG file; false (with errno's reason) if it cannot.
bool storyboard_write_png(const Storyboard& s, const std::string& path);
// Draws text in the storyboard's label font (5 x 7 pixels, 6 across) into an RGB picture.
void draw_label(uint8_t* rgb, int width, int height, int x, int y, const std::string& text, uint32_t colour);
