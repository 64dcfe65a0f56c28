// Per-frame kernels of the 2D effects on full-size frames, each to be read next to memcpy of the
// bytes it writes (BM_Memcpy/<bytes>). Inputs are shaped like the scenes' own.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "assets/sprite.h"
#include "effects/blit.h"
#include "effects/filters.h"
#include "effects/grid.h"
#include "effects/scale.h"
#include "effects/smear.h"
#include "effects/water.h"
#include "math/tables.h"
#include "support/frames.h"
#include "video/framebuffer.h"

namespace {

Frame noise(uint32_t seed, int bytes = FRAME_BYTES) {
    Frame f(size_t(bytes), 0);
    for (uint8_t& v : f) {
        seed = seed * 1664525u + 1013904223u;
        v = uint8_t(seed >> 24);
    }
    return f;
}

// A picture with smooth areas and edges, like the scenes' backgrounds.
Frame picture(int w, int h) {
    Frame f(size_t(w) * size_t(h));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            f[size_t(y * w + x)] = uint8_t(128 + 100 * std::sin(x * 0.05) * std::cos(y * 0.07) + ((x / 40 + y / 30) % 3) * 8);
    return f;
}

void bench_memcpy(benchmark::State& state) {
    size_t n = size_t(state.range(0));
    Frame a = noise(1, int(n)), b(n);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), n);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
// A frame; what water_step writes (238 x 318 heights); a 230 x 230 block; both grid maps.
BENCHMARK(bench_memcpy)->Name("BM_Memcpy")->Arg(FRAME_BYTES)->Arg(238 * 318 * 4)->Arg(230 * 230)->Arg(2 * 100 * 319);

void BM_Average4Filter(benchmark::State& state) {
    Frame src = noise(2), dst(FRAME_BYTES);
    for (auto _ : state) {
        average4_filter(fb(src), fb(dst), FRAME_BYTES);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Average4Filter);

// The filter above and a pass that lowers every mean but 0.
void BM_Average4DecayFilter(benchmark::State& state) {
    Frame src = noise(2), dst(FRAME_BYTES);
    for (auto _ : state) {
        average4_decay_filter(fb(src), fb(dst), FRAME_BYTES);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Average4DecayFilter);

void BM_CrossFade(benchmark::State& state) {
    Frame a = noise(3), b = noise(4), dst(FRAME_BYTES);
    for (auto _ : state) {
        blend_frames(fb(a), fb(b), fb(dst), FRAME_BYTES, 100);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CrossFade);

// Centres and steps of the scenes: (160, 195, 4500), (319, 239, 4000), (240, 5, 40000).
void BM_RadialSmear(benchmark::State& state) {
    Frame buf = picture(SCREEN_WIDTH, SCREEN_HEIGHT);
    int cx = int(state.range(0)), cy = int(state.range(1)), step = int(state.range(2));
    for (auto _ : state) {
        radial_smear(fb(buf), cx, cy, step, 200);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RadialSmear)->Args({160, 195, 4500})->Args({319, 239, 4000})->Args({240, 5, 40000});

void BM_RadialSmearCopy(benchmark::State& state) {
    Frame src = picture(SCREEN_WIDTH, SCREEN_HEIGHT), dst(FRAME_BYTES);
    for (auto _ : state) {
        radial_smear_copy(fb(src), fb(dst), 160, 195, 4500, 200);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RadialSmearCopy);

void BM_BlendBlit230(benchmark::State& state) {
    Frame block = picture(230, 230), dst = noise(5);
    for (size_t i = 0; i < block.size(); i += 7) block[i] = 0;  // some transparent pixels
    for (auto _ : state) {
        blend_blit(block.data(), fb(dst), 230, 230, 1, 1, 250);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlendBlit230);

void BM_ScaleImage(benchmark::State& state) {
    int from = int(state.range(0)), to = int(state.range(1));
    Frame src = picture(from, from), dst(FRAME_BYTES);
    for (auto _ : state) {
        scale_image(from, from, src.data(), to, to, dst.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScaleImage)->Args({160, 230})->Args({300, 230});

// The water as the scene leaves it after a few seconds: two drops a frame on their ellipses and
// a star-shaped patch of the object stamped to 170.
void settle_water() {
    if (!sin_table) precalc_tables();
    memset(water_heights, 0, sizeof water_heights);
    float a = 10.0f, b = 10.0f;
    int page = 0;
    for (int frame = 0; frame < 300; frame++) {
        water_add_drop(int(140 * std::cos(b) + 160), int(100 * std::sin(b) + 120), 2, -1000, page);
        water_add_drop(int(140 * std::cos(a) + 160), int(100 * std::sin(a) + 120), 2, -1000, page);
        b += 0.024f;
        a -= 0.024f;
        page ^= 1;
        water_step(page, 4);
        double turn = frame * 0.05;
        for (int y = 70; y < 170; y++) {
            for (int x = 110; x < 210; x++) {
                double dx = x - 160 - frame * 0.1, dy = y - 120, r = std::hypot(dx, dy);
                if (r < 15 + 12 * std::cos(5 * (std::atan2(dy, dx) + turn))) water_heights[page][y * SCREEN_WIDTH + x] = 170;
            }
        }
    }
}

void BM_WaterStep(benchmark::State& state) {
    settle_water();
    int page = 0;
    for (auto _ : state) {
        water_step(page, 4);
        page ^= 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WaterStep);

void BM_WaterRender(benchmark::State& state) {
    settle_water();
    Frame pic = picture(SCREEN_WIDTH, SCREEN_HEIGHT), dst(FRAME_BYTES);
    memcpy(water_background, pic.data(), FRAME_BYTES);
    for (auto _ : state) {
        water_render(0, 0, fb(dst));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WaterRender);

void BM_DrawGridPicture(benchmark::State& state) {
    Frame dst(FRAME_BYTES);
    for (auto _ : state) {
        draw_grid_picture(fb(dst));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawGridPicture);

void BM_DrawSpriteCentered(benchmark::State& state) {
    Frame pixels = picture(SCREEN_WIDTH, SCREEN_HEIGHT), dst(FRAME_BYTES);
    Sprite s{pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT, 0};
    for (auto _ : state) {
        draw_sprite_centered(&s, dst.data(), SCREEN_WIDTH, SCREEN_HEIGHT);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawSpriteCentered);

// A full-frame keyed blit with a third of the pixels transparent (captions are far smaller).
void BM_DrawSpriteKeyed(benchmark::State& state) {
    Frame pixels = picture(SCREEN_WIDTH, SCREEN_HEIGHT), dst = noise(6);
    for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = 0;
    Sprite s{pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT, 0};
    for (auto _ : state) {
        draw_sprite_keyed(&s, dst.data(), 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawSpriteKeyed);

}  // namespace
