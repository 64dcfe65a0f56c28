// Presentation of one frame (planar copy into the hidden page) next to memcpy of the 76800 bytes it
// writes, and the CRT's scan-out of the visible page through the DAC next to memcpy of the 230400
// RGB bytes it writes. Every loop reuses its buffers, so source and target are cache-hot alike.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "console/hooks.h"
#include "console/vga.h"
#include "support/frames.h"
#include "support/headless.h"
#include "video/present.h"

namespace {

void memcpy_bytes(benchmark::State& state, size_t n) {
    std::vector<uint8_t> a(n, 1), b(n);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations() * n));
}
void BM_memcpy_frame(benchmark::State& state) { memcpy_bytes(state, FRAME_BYTES); }
BENCHMARK(BM_memcpy_frame);
void BM_memcpy_rgb(benchmark::State& state) { memcpy_bytes(state, FRAME_BYTES * 3); }
BENCHMARK(BM_memcpy_rgb);

void BM_present_buffer(benchmark::State& state) {
    start_headless_console();
    vga_setmode(G320x240x256);
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t(i * 31);
    for (auto _ : state) present_buffer(fb(buf));
    state.SetBytesProcessed(int64_t(state.iterations()) * FRAME_BYTES);
    vga_setmode(TEXT);
}
BENCHMARK(BM_present_buffer);

void BM_scan_out(benchmark::State& state) {
    start_headless_console();
    vga_setmode(G320x240x256);
    std::vector<uint8_t> idx(FRAME_BYTES), rgb(FRAME_BYTES * 3);
    for (auto _ : state) {
        con_scan_out(idx.data(), rgb.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * FRAME_BYTES);
    vga_setmode(TEXT);
}
BENCHMARK(BM_scan_out);

}  // namespace
