#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "console/vga.h"
#include "support/headless.h"
#include "video/palette.h"

namespace {

Palette* make_palette(int first, int count, int mode, uint8_t fill) {
    Palette* p = new_palette();
    p->rgb = static_cast<uint8_t*>(malloc(size_t(count) * 3 + 1));
    memset(p->rgb, fill, size_t(count) * 3 + 1);
    p->first = uint16_t(first), p->count = uint16_t(count), p->mode = uint8_t(mode);
    return p;
}

std::vector<int> dac() {
    std::vector<int> d(768);
    vga_getpalvec(0, 256, d.data());
    return d;
}

struct PaletteTest : ::testing::Test {
    void SetUp() override {
        start_headless_console();
        vga_setmode(G320x240x256);
    }
    void TearDown() override { vga_setmode(TEXT); }
};

TEST_F(PaletteTest, UploadModesOrderAndConvertAndOnlyTheNamedEntriesChange) {
    Palette* p = make_palette(10, 1, 0, 0);
    p->rgb[0] = 255, p->rgb[1] = 3, p->rgb[2] = 128;
    const int cases[][4] = {{0, 63, 0, 32}, {1, 32, 0, 63}, {2, 255 & 63, 3, 128 & 63}, {3, 128 & 63, 3, 255 & 63}};
    for (auto [mode, r, g, b] : cases) {
        p->mode = uint8_t(mode);
        set_palette(p);
        std::vector<int> d = dac();
        EXPECT_EQ(std::vector<int>(d.begin() + 30, d.begin() + 33), (std::vector<int>{r, g, b})) << mode;
    }
    Palette* all = make_palette(0, 256, 0, 40);
    Palette* part = make_palette(16, 16, 0, 200);
    set_palette(all);
    set_palette(part);
    std::vector<int> d = dac();
    for (int i = 0; i < 256; i++) EXPECT_EQ(d[i * 3], i >= 16 && i < 32 ? 50 : 10) << i;
    Palette* none = make_palette(5, 0, 0, 0);
    set_palette(none);
    EXPECT_EQ(dac(), d) << "count 0 writes only the index";
    none->mode = 7, none->count = 3;
    set_palette(none);
    EXPECT_EQ(dac(), d) << "an unknown mode sends nothing after the index";
    for (Palette* q : {p, all, part, none}) free_palette(q);
}

TEST_F(PaletteTest, CaptureUploadAndInvertRoundTripExactly) {
    port_out(0x3C8, 0);
    for (int j = 0; j < 768; j++) port_out(0x3C9, (j * 37) & 63);
    std::vector<int> before = dac();
    Palette* p = palette_from_dac();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->first == 0 && p->count == 256 && p->mode == 0);
    port_out(0x3C8, 0);
    for (int j = 0; j < 768; j++) port_out(0x3C9, 0);
    set_palette(p);
    EXPECT_EQ(dac(), before);
    invert_palette(p);
    std::vector<int> inverted = dac();
    for (int j = 0; j < 768; j++) EXPECT_EQ(inverted[j], 63 - before[j]);
    invert_palette(p);
    EXPECT_EQ(dac(), before);
    free_palette(p);
}

TEST(FadePaletteStep, CountsStepsAndNeverOvershoots) {
    uint8_t cur[3] = {0, 0, 0}, target[3] = {255, 255, 255};
    std::vector<int> seen;
    while (seen.size() < 100 && fade_palette_step(cur, target, 1, 10)) seen.push_back(cur[0]);
    ASSERT_EQ(seen.size(), 26u);
    EXPECT_EQ(seen[0] * 1000000 + seen[24] * 1000 + seen[25], 10 * 1000000 + 250 * 1000 + 255);

    uint8_t down[3] = {200, 195, 0}, to[3] = {195, 195, 0};
    EXPECT_EQ(fade_palette_step(down, to, 1, 10), 1);
    EXPECT_EQ(down[0], 195);
    EXPECT_EQ(fade_palette_step(down, to, 1, 10), 0);

    uint8_t big[768], goal[768];
    for (int j = 0; j < 768; j++) big[j] = uint8_t(j), goal[j] = uint8_t(255 - j);
    int passes = 0;
    while (passes < 100 && fade_palette_step(big, goal, 256, 15)) passes++;
    EXPECT_EQ(passes, 17);  // ceil(255 / 15)
    EXPECT_EQ(memcmp(big, goal, 768), 0);
}

}  // namespace
