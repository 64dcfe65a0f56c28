// Presentation of one frame (planar copy into the hidden page) and the CRT's scan-out of the
// visible page through the DAC, next to memcpy of the same 76800 bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "console/console.h"
#include "support/frames.h"
#include "support/headless.h"
#include "video/present.h"

namespace {

void BM_memcpy_frame(benchmark::State& state) {
    std::vector<uint8_t> a(FRAME_BYTES, 1), b(FRAME_BYTES);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), FRAME_BYTES);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * FRAME_BYTES);
}
BENCHMARK(BM_memcpy_frame);

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
