#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "console/console.h"
#include "console/internal.h"
#include "support/headless.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

struct PresentTest : ::testing::Test {
    void SetUp() override {
        start_headless_console();
        vga_setmode(G320x240x256);
        draw_page = second_page;
    }
    void TearDown() override { vga_setmode(TEXT); }
};

TEST_F(PresentTest, PixelsGoToPlaneXMod4AndPagesAlternate) {
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t((i % SCREEN_WIDTH) % 4);
    std::vector<uint8_t> before(buf);

    present_buffer(buf.data());
    EXPECT_EQ(con::vga.display_start, 76800);
    EXPECT_EQ(draw_page, 0);
    for (int p = 0; p < 4; p++) {
        for (int k = 0; k < 19200; k++) ASSERT_EQ(con::vga.planes[p][k], 0) << "page 0 untouched, plane " << p;
        for (int k = 19200; k < 38400; k++) ASSERT_EQ(con::vga.planes[p][k], p) << "plane " << p << " byte " << k;
    }

    present_buffer(buf.data());
    EXPECT_EQ(con::vga.display_start, 0);
    EXPECT_EQ(draw_page, second_page);
    for (int p = 0; p < 4; p++)
        for (int k = 0; k < 19200; k++) ASSERT_EQ(con::vga.planes[p][k], p);
    EXPECT_EQ(buf, before) << "presentation only reads the buffer";
}

TEST_F(PresentTest, ScanOutReproducesTheBufferThroughTheDac) {
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t(i * 7 + i / 320);
    Palette* pal = new_palette();
    pal->rgb = static_cast<uint8_t*>(calloc(768, 1));
    pal->count = 256;
    for (int j = 0; j < 768; j++) pal->rgb[j] = uint8_t(j * 5);
    set_palette(pal);

    for (int round = 0; round < 2; round++) {  // both pages
        present_buffer(buf.data());
        std::vector<uint8_t> idx(FRAME_BYTES), rgb(FRAME_BYTES * 3);
        con_scan_out(idx.data(), rgb.data());
        ASSERT_EQ(idx, buf);
        for (int i = 0; i < FRAME_BYTES; i += 97) {
            for (int c = 0; c < 3; c++) {
                int six = pal->rgb[buf[i] * 3 + c] >> 2;
                ASSERT_EQ(rgb[i * 3 + c], (six << 2) | (six >> 4));
            }
        }
    }
    free_palette(pal);
}

TEST_F(PresentTest, EveryPresentationWaitsForItsOwnTick) {
    std::vector<int64_t> ticks;
    std::vector<uint8_t> first_pixel;
    con_set_frame_hook([&](const ScanFrame& f) {
        ticks.push_back(f.tick);
        first_pixel.push_back(f.indices[0]);
    });
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int n = 1; n <= 5; n++) {
        buf[0] = uint8_t(n);
        present_buffer(buf.data());
    }
    con_set_frame_hook(nullptr);
    ASSERT_GE(ticks.size(), 5u);
    // Consecutive ticks, none skipped, and each shows the frame presented at it.
    for (size_t i = 1; i < ticks.size(); i++) EXPECT_EQ(ticks[i], ticks[i - 1] + 1);
    std::vector<uint8_t> last5(first_pixel.end() - 5, first_pixel.end());
    EXPECT_EQ(last5, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
}

}  // namespace
