// The pictures tenfold-render hands the encoder: sizes and places of the scales and 16:9 frames,
// BT.709 limited-range colours, and 4:2:0 blocks that keep each pixel's colour at even scales.
#include <gtest/gtest.h>

#include <vector>

#include "console/hooks.h"
#include "picture.h"

namespace {

TEST(Picture, FramesTakeTheLargestEvenScaleThatFitsCentredOnEvenPlaces) {
    const struct {
        int lines, width, scale, x, y;
    } cases[] = {{1080, 1920, 4, 320, 60}, {1440, 2560, 6, 320, 0}, {2160, 3840, 8, 640, 120}};
    for (const auto& c : cases) {
        Layout l = framed_layout(c.lines);
        EXPECT_EQ(l.width, c.width);
        EXPECT_EQ(l.height, c.lines);
        EXPECT_EQ(l.scale, c.scale) << c.lines;
        EXPECT_EQ(l.x, c.x) << c.lines;
        EXPECT_EQ(l.y, c.y) << c.lines;
    }
    EXPECT_EQ(framed_layout(300).width, 0) << "too small for scale 2";
    Layout s = scaled_layout(3);
    EXPECT_EQ(s.width, 960);
    EXPECT_EQ(s.height, 720);
    EXPECT_EQ(s.x, 0);
}

TEST(Picture, PaletteColoursBecomeLimitedRangeBt709) {
    uint8_t palette[768] = {};
    const uint8_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}};
    for (int i = 0; i < 6; i++)
        for (int c = 0; c < 3; c++) palette[i * 3 + c] = colours[i][c];
    YuvPalette p;
    yuv_palette(palette, &p);
    const int want[][3] = {{16, 128, 128}, {235, 128, 128}, {63, 102, 240}, {173, 42, 26}, {32, 240, 118}, {126, 128, 128}};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(p.y[i], want[i][0]) << i;
        EXPECT_EQ(p.cb[i], want[i][1]) << i;
        EXPECT_EQ(p.cr[i], want[i][2]) << i;
    }
}

TEST(Picture, EvenScalesGiveEachChromaSampleOnePixelsColourOddOnesTheMean) {
    std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT), palette(768);
    for (size_t i = 0; i < indices.size(); i++) indices[i] = uint8_t(i % 320 + i / 320 * 3);
    for (int i = 0; i < 768; i++) palette[size_t(i)] = uint8_t(i * 91 % 256);
    YuvPalette p;
    yuv_palette(palette.data(), &p);
    for (Layout l : {framed_layout(1080), scaled_layout(2), scaled_layout(3)}) {
        std::vector<uint8_t> out(yuv420_size(l), 0xAA);
        draw_yuv420(indices.data(), p, l, out.data(), true);
        const uint8_t* cb = out.data() + size_t(l.width) * l.height;
        const uint8_t* cr = cb + size_t(l.width / 2) * (l.height / 2);
        int wrong = 0;
        for (int y = 0; y < l.height; y++) {
            for (int x = 0; x < l.width; x++) {
                int px = x - l.x, py = y - l.y;
                bool inside = px >= 0 && py >= 0 && px < SCAN_WIDTH * l.scale && py < SCAN_HEIGHT * l.scale;
                int index = inside ? indices[size_t(py / l.scale) * SCAN_WIDTH + px / l.scale] : -1;
                wrong += out[size_t(y) * l.width + x] != (inside ? p.y[index] : 16);
                if (x % 2 || y % 2) continue;
                size_t c = size_t(y / 2) * (l.width / 2) + x / 2;
                int want_cb = 128, want_cr = 128;
                if (inside && l.scale % 2 == 0) want_cb = p.cb[index], want_cr = p.cr[index];
                if (inside && l.scale % 2) {  // the mean of the four pixels of the block
                    int sb = 0, sr = 0;
                    for (int k = 0; k < 4; k++) {
                        int i = indices[size_t((py + k / 2) / l.scale) * SCAN_WIDTH + (px + k % 2) / l.scale];
                        sb += p.cb[i], sr += p.cr[i];
                    }
                    want_cb = (sb + 2) / 4, want_cr = (sr + 2) / 4;
                }
                wrong += cb[c] != want_cb || cr[c] != want_cr;
            }
        }
        EXPECT_EQ(wrong, 0) << l.width << " x " << l.height;
    }
}

TEST(Picture, RgbFramesAreThePaletteColoursScaledOnBlack) {
    std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT, 1), palette(768, 0);
    palette[3] = 10, palette[4] = 20, palette[5] = 30;
    indices[0] = 0;
    Layout l = framed_layout(1080);
    std::vector<uint8_t> out(rgb_size(l), 0xAA);
    draw_rgb(indices.data(), palette.data(), l, out.data());
    auto at = [&](int x, int y) { return std::vector<int>(&out[(size_t(y) * l.width + x) * 3], &out[(size_t(y) * l.width + x) * 3 + 3]); };
    EXPECT_EQ(at(0, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(at(l.x + 3, l.y + 3), (std::vector<int>{0, 0, 0})) << "pixel 0 is black";
    EXPECT_EQ(at(l.x + 4, l.y), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(at(l.x + 1279, l.y + 959), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(at(l.x + 1280, l.y + 959), (std::vector<int>{0, 0, 0}));
}

}  // namespace
