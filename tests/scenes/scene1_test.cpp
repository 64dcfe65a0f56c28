// Scene 1 on screen: the frames it presents, the palettes it puts up and how long it lasts.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "assets/catalogue.h"
#include "support/show_run.h"
#include "video/framebuffer.h"
#include "video/palette.h"

namespace {

using Dac = std::array<uint8_t, 768>;

struct Seen {
    std::vector<Dac> dacs;                    // one per tick of scene 1
    std::vector<std::vector<uint8_t>> frames; // one per tick of scene 1
    Dac pal_b_dac{}, pal_intro_dac{};
    std::vector<Dac> fade;  // every upload of the title fade, in order
    int passes = 0;         // fade passes of the whole scene, each sleeping 10 ms
} seen;

Dac as_dac(const uint8_t* rgb8) {
    Dac d;
    for (int j = 0; j < 768; j++) d[j] = rgb8[j] >> 2;
    return d;
}

// The colours that the scene's two fades upload, from the palettes it was given.
void expect_fades() {
    seen.pal_b_dac = as_dac(pal_b->rgb);
    seen.pal_intro_dac = as_dac(pal_intro->rgb);
    uint8_t cur[768];
    for (int j = 0; j < 768; j++) cur[j] = uint8_t(seen.pal_b_dac[j] << 2);  // captured from the DAC
    uint8_t b[768];
    memcpy(b, pal_b->rgb, 768);
    do seen.passes++;
    while (fade_palette_step(cur, b, 256, 10));
    int changed;
    do {
        changed = fade_palette_step(cur, pal_intro->rgb, 256, 15);
        seen.fade.push_back(as_dac(cur));
        seen.passes++;
    } while (changed);
}

void observe(const ShowTick& t) {
    if (t.scene != 1) return;
    if (seen.dacs.empty()) expect_fades();
    Dac d;
    memcpy(d.data(), t.dac, 768);
    seen.dacs.push_back(d);
    seen.frames.emplace_back(t.indices, t.indices + FRAME_BYTES);
}

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(1);
    ASSERT_EQ(ticks.size(), seen.frames.size());
    ASSERT_FALSE(ticks.empty());

    // Three presentations: black, the plain background, the title on it.
    std::vector<const std::vector<uint8_t>*> shown;
    for (size_t i = 0; i < ticks.size(); i++)
        if (ticks[i]->presented) shown.push_back(&seen.frames[i]);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(*shown[0], std::vector<uint8_t>(FRAME_BYTES, 0));
    EXPECT_EQ(*shown[1], std::vector<uint8_t>(FRAME_BYTES, 7));
    std::vector<uint8_t> title(FRAME_BYTES, 7);
    int w = img_intro->width, h = img_intro->height, x0 = (SCREEN_WIDTH - w) >> 1, y0 = (SCREEN_HEIGHT - h) >> 1;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (x0 + x >= 0 && x0 + x < SCREEN_WIDTH && y0 + y >= 0 && y0 + y < SCREEN_HEIGHT)
                title[(y0 + y) * SCREEN_WIDTH + x0 + x] = img_intro->pixels[y * w + x];
    EXPECT_TRUE(*shown[2] == title) << "the title picture centred on colour 7";

    // The colours on screen, tick by tick, follow: black, b, the title palette, then the fade
    // from b's colours up to the title palette. Ticks come at 60 Hz and fade passes every 10 ms,
    // so some uploads are never seen, but none is seen out of order.
    std::vector<Dac> expected = {Dac{}, seen.pal_b_dac, seen.pal_intro_dac};
    expected.insert(expected.end(), seen.fade.begin(), seen.fade.end());
    size_t at = 0;
    bool title_seen = false;
    for (size_t i = 0; i < seen.dacs.size(); i++) {
        while (at < expected.size() && expected[at] != seen.dacs[i]) at++;
        ASSERT_LT(at, expected.size()) << "tick " << i << " of scene 1 shows colours out of order";
        if (at == 2) title_seen = true;
    }
    EXPECT_TRUE(title_seen) << "the title palette is put up before the fade";
    EXPECT_GT(at, 2u) << "the fade is seen";
    EXPECT_EQ(seen.dacs.back(), seen.pal_intro_dac) << "the scene ends in the title palette";
    EXPECT_EQ(seen.dacs[0], Dac{}) << "the first frame is shown before any palette";

    // Two waits of 3 and 2 whole seconds: more than 3 s, at most 5 s plus the fade passes
    // (a tick either way for where the scene's start and end fall between ticks).
    std::vector<const TickRecord*> next = record.scene_ticks(2);
    ASSERT_FALSE(next.empty());
    double seconds = double(next[0]->tick - ticks[0]->tick) / 60;
    EXPECT_GT(seconds, 3.0 - 1.0 / 60);
    EXPECT_LE(seconds, 5.0 + seen.passes * 0.01 + 2.0 / 60);
}

int registered = register_show_check({"scene 1", observe, verify});

}  // namespace
