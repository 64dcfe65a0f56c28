// Fill rates of the triangle fillers next to memset and memcpy of the same pixel count, and one
// whole 3D frame of a 1000-face sphere (compare with BM_memcpy_frame).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine3d/camera.h"
#include "engine3d/fillers.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/asc_text.h"
#include "support/frames.h"
#include "video/framebuffer.h"

namespace {

struct Screen {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(FRAME_BYTES);
    std::vector<uint8_t> source = std::vector<uint8_t>(FRAME_BYTES, 7);
    Screen() { frame_buf = fb(pixels); }
};

// A large triangle with picture coordinates spanning most of the picture.
const ScreenPoint corners[3] = {{5, 2, 1, 0, 0, 9}, {315, 40, 1, 240, 20, 9}, {60, 237, 1, 30, 240, 9}};

int64_t triangle_pixels() {
    Screen s;
    fill_triangle_flat(frame_buf, &corners[0], &corners[1], &corners[2]);
    int64_t n = 0;
    for (uint8_t p : s.pixels) n += p != 0;
    return n;
}

void set_rate(benchmark::State& state, int64_t pixels) {
    state.counters["pixels/s"] = benchmark::Counter(double(pixels) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_FillFlat(benchmark::State& state) {
    Screen s;
    for (auto _ : state) {
        fill_triangle_flat(frame_buf, &corners[0], &corners[1], &corners[2]);
        benchmark::ClobberMemory();
    }
    set_rate(state, triangle_pixels());
}

void BM_FillMapped(benchmark::State& state) {
    Screen s;
    std::vector<uint8_t> picture(65536);
    for (int k = 0; k < 65536; k++) picture[k] = uint8_t(k * 7 + (k >> 8));
    for (auto _ : state) {
        fill_triangle_mapped(frame_buf, &corners[0], &corners[1], &corners[2], picture.data());
        benchmark::ClobberMemory();
    }
    set_rate(state, triangle_pixels());
}

void BM_MemsetSamePixels(benchmark::State& state) {
    Screen s;
    const size_t n = size_t(triangle_pixels());
    for (auto _ : state) {
        memset(s.pixels.data(), 9, n);
        benchmark::ClobberMemory();
    }
    set_rate(state, int64_t(n));
}

void BM_MemcpySamePixels(benchmark::State& state) {
    Screen s;
    const size_t n = size_t(triangle_pixels());
    for (auto _ : state) {
        memcpy(s.pixels.data(), s.source.data(), n);
        benchmark::ClobberMemory();
    }
    set_rate(state, int64_t(n));
}

// world_begin_frame, object_transform and world_render of a turning, culled, flat-shaded sphere.
void BM_SphereFrame(benchmark::State& state) {
    Screen s;
    TempFile file(asc_text(uv_sphere(100, 21, 25)));
    World world{};
    world_create(&world, 1);
    if (world_load_object(&world, file.path.c_str(), 1.0f, 0, 0, 0, 16, 112, 112, 112) != 0 ||
        world_alloc_work(&world) != 0) {
        state.SkipWithError("sphere not loaded");
        return;
    }
    vec3_set_normalised(&world.light, 0, 0, -1);
    Camera cam;
    camera_init(&cam, 400, 160, 205, 1, 0.9375f, 0, 320, 0, 240);
    for (auto _ : state) {
        world_begin_frame(&world);
        object_rotate_move(&world, 0, 0.0157f, 0.0157f, 0.0157f, 0, 0, 0);
        object_transform(&world, 0, &cam);
        world_render(&world, &cam);
        benchmark::ClobberMemory();
    }
    state.counters["faces"] = double(world.slots[0].mesh.face_count);
    state.counters["drawn"] = double(world.visible_count);
    world_destroy(&world);
}

BENCHMARK(BM_FillFlat);
BENCHMARK(BM_FillMapped);
BENCHMARK(BM_MemsetSamePixels);
BENCHMARK(BM_MemcpySamePixels);
BENCHMARK(BM_SphereFrame);

}  // namespace
