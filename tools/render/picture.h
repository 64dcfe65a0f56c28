// The picture of a tick as the encoder takes it: the 320 x 240 palette indices scaled up by a
// whole number, nearest neighbour, and placed in the output frame (centred on black in a 16:9
// frame for --frame), as planar 4:2:0 BT.709 limited-range Y'CbCr for the video encoder or as
// 8-bit RGB for lossless outputs.
#pragma once

#include <cstddef>
#include <cstdint>

struct Layout {
    int width = 0, height = 0;  // the output frame
    int scale = 1;              // each picture pixel a scale x scale square
    int x = 0, y = 0;           // the picture's top left in the frame, both even
};

constexpr int MAX_SCALE = 9;

// The picture at scale in a frame of its own size.
Layout scaled_layout(int scale);
// The largest even scale at which the picture fits a 16:9 frame `lines` high (1080, 1440,
// 2160), centred; a frame of zero width if it does not fit at scale 2.
Layout framed_layout(int lines);

// Each palette colour (256 x red, green, blue, 8-bit) as limited-range BT.709 Y'CbCr.
struct YuvPalette {
    uint8_t y[256], cb[256], cr[256];
};
void yuv_palette(const uint8_t* palette, YuvPalette* out);

size_t yuv420_size(const Layout& l);
size_t rgb_size(const Layout& l);
// The frame in planar 4:2:0: the Y' plane, then Cb and Cr at half the width and height. At even
// scales each 2 x 2 block lies in one picture pixel and takes its colour exactly; at odd ones a
// block across pixels takes the mean of their Cb and Cr. The border is black (16, 128, 128);
// it is written only where `border` is set, so a frame buffer can keep it from the first frame.
void draw_yuv420(const uint8_t* indices, const YuvPalette& p, const Layout& l, uint8_t* out, bool border);
// The frame as 8-bit red, green, blue; black around the picture.
void draw_rgb(const uint8_t* indices, const uint8_t* palette, const Layout& l, uint8_t* out);
