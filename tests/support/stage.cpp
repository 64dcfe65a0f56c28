#include "support/stage.h"

#include <cstdlib>
#include <cstring>

#include "console/hooks.h"
#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "math/tables.h"
#include "music/music.h"
#include "support/palettes.h"

namespace {

std::vector<Presented>* recording = nullptr;
int64_t epoch_us = 0;
// What the stage made, released again when it closes.
std::vector<Sprite*> sprites;
std::vector<Palette*> palettes;
std::vector<World*> worlds;

void on_tick(const ScanFrame& frame) {
    if (!recording) return;
    Presented p;
    p.tick = frame.tick;
    p.indices.assign(frame.indices, frame.indices + SCAN_WIDTH * SCAN_HEIGHT);
    memcpy(p.dac.data(), frame.dac, p.dac.size());
    recording->push_back(std::move(p));
}

}  // namespace

void stage_open() {
    ConsoleSettings s;
    s.video = "none";
    s.virtual_clock = true;
    console_start(s);
    timeval t;
    con_gettimeofday(&t);
    epoch_us = int64_t(t.tv_sec) * 1000000 + t.tv_usec;
    alloc_frame_buffers();
    precalc_tables();
    vga_init();
    vga_setmode(G320x240x256);
    audio_init();
}

void stage_record(std::vector<Presented>* out) {
    recording = out;
    con_set_frame_hook(on_tick);
}

void stage_close() {
    recording = nullptr;
    con_set_frame_hook(nullptr);
    audio_shutdown();
    vga_setmode(TEXT);
    for (Sprite* s : sprites) free_sprite(s);
    for (Palette* p : palettes) free_palette(p);
    for (World* w : worlds) world_destroy(w);
    sprites.clear();
    palettes.clear();
    worlds.clear();
    free_frame_buffers();
    free(cos_table);
    free(sin_table);
    cos_table = sin_table = nullptr;
}

bool one_per_tick(const std::vector<Presented>& frames) {
    for (size_t i = 1; i < frames.size(); i++)
        if (frames[i].tick != frames[i - 1].tick + 1) return false;
    return true;
}

timeval stage_tick_time(int64_t tick) {
    int64_t us = epoch_us + tick * 1000000 / 60;
    return timeval{time_t(us / 1000000), suseconds_t(us % 1000000)};
}

Sprite* stage_sprite(int width, int height, uint8_t value) {
    uint8_t* pixels = static_cast<uint8_t*>(malloc(size_t(width) * height));
    memset(pixels, value, size_t(width) * height);
    sprites.push_back(make_sprite(pixels, width, height, 0));
    return sprites.back();
}

Palette* stage_palette(uint8_t level) {
    Palette* p = test_palette([level](int) { return level; });
    palettes.push_back(p);
    return p;
}

void stage_empty_world(World* world, int* object) {
    world_create(world, 1);
    world_alloc_work(world);
    worlds.push_back(world);
    *object = 0;
}
