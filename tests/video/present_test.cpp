#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "console/hooks.h"
#include "console/vga.h"
#include "support/frames.h"
#include "support/headless.h"
#include "video/palette.h"
#include "video/present.h"
#include "support/palettes.h"

namespace {

struct PresentTest : ::testing::Test {
    std::vector<uint8_t> buf = std::vector<uint8_t>(FRAME_BYTES);
    void SetUp() override {
        start_headless_console();
        vga_setmode(G320x240x256);
        draw_page = second_page;
    }
    void TearDown() override { vga_setmode(TEXT); }
};

TEST_F(PresentTest, PixelsGoToPlaneXMod4AndPagesAlternate) {
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t(i % 4);
    present_buffer(fb(buf));
    EXPECT_EQ(con_display_start(), 76800);
    EXPECT_EQ(draw_page, 0);
    for (int p = 0; p < 4; p++)
        for (int k = 0; k < 38400; k++) ASSERT_EQ(con_plane(p)[k], k < 19200 ? 0 : p) << "plane " << p << " byte " << k;
    present_buffer(fb(buf));
    EXPECT_EQ(con_display_start(), 0);
    EXPECT_EQ(draw_page, second_page);
    for (int p = 0; p < 4; p++)
        for (int k = 0; k < 19200; k++) ASSERT_EQ(con_plane(p)[k], p);
    for (int i = 0; i < FRAME_BYTES; i++) ASSERT_EQ(buf[i], i % 4) << "presentation only reads the buffer";
}

TEST_F(PresentTest, ScanOutOfBothPagesReproducesTheBufferThroughTheDac) {
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t(i * 7 + i / 320);
    Palette* pal = test_palette([](int j) { return uint8_t(j * 5); });
    set_palette(pal);
    for (int round = 0; round < 2; round++) {
        present_buffer(fb(buf));
        std::vector<uint8_t> idx(FRAME_BYTES), rgb(FRAME_BYTES * 3);
        con_scan_out(idx.data(), rgb.data());
        ASSERT_EQ(idx, buf);
        for (int i = 0; i < FRAME_BYTES * 3; i += 97) {
            int six = pal->rgb[buf[i / 3] * 3 + i % 3] >> 2;
            ASSERT_EQ(rgb[i], (six << 2) | (six >> 4)) << i;
        }
    }
    free_palette(pal);
}

TEST_F(PresentTest, EveryPresentationWaitsForItsOwnTick) {
    std::vector<std::pair<int64_t, uint8_t>> shown;  // tick, first pixel
    con_set_frame_hook([&](const ScanFrame& f) { shown.push_back({f.tick, f.indices[0]}); });
    for (int n = 1; n <= 5; n++) buf[0] = uint8_t(n), present_buffer(fb(buf));
    con_set_frame_hook(nullptr);
    ASSERT_GE(shown.size(), 5u);
    for (size_t i = 1; i < shown.size(); i++) EXPECT_EQ(shown[i].first, shown[i - 1].first + 1);
    for (int n = 1; n <= 5; n++) EXPECT_EQ(shown[shown.size() - 6 + n].second, n);
}

}  // namespace
