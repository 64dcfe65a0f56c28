// A headless stage for running a single scene in-process under the virtual clock, with assets
// made by the test, and recording every frame it presents.
#pragma once

#include <gtest/gtest.h>
#include <sys/time.h>

#include <array>
#include <cstdint>
#include <vector>

#include "assets/sprite.h"
#include "engine3d/world.h"
#include "video/framebuffer.h"
#include "video/palette.h"

// What the CRT scanned out at one retrace tick. A presented page is scanned the moment it is
// shown, with the DAC as the scene left it before presenting.
struct Presented {
    int64_t tick;
    std::vector<uint8_t> indices;    // 320 x 240 palette indices of the visible page
    std::array<uint8_t, 768> dac;    // 6-bit red, green, blue
};

// Virtual clock, no display, graphics mode set, wave tables filled, three fresh zero-filled
// buffers, the player started without a module.
void stage_open();
// From now on every tick is appended to out. A scene that presents a frame every tick and never
// waits otherwise gives one entry per presentation, on consecutive ticks.
void stage_record(std::vector<Presented>* out);
// Stops recording and the player, and releases the buffers, the tables and the test assets.
void stage_close();
// True if the entries are on consecutive ticks: one presentation each.
bool one_per_tick(const std::vector<Presented>& frames);

// The clock reading at the start of a tick (what a scene reads while it draws the next frame).
timeval stage_tick_time(int64_t tick);

// Test assets; they live until stage_close.
Sprite* stage_sprite(int width, int height, uint8_t value);
// A palette of 256 entries that all hold the 8-bit grey level.
Palette* stage_palette(uint8_t level);
// A world with room for one object and no object loaded: object index 0 is valid for the
// scenes' calls and draws nothing.
void stage_empty_world(World* world, int* object);

// A test on the stage: opened before the test body, closed after it, also when it fails.
struct StageTest : ::testing::Test {
    void SetUp() override { stage_open(); }
    void TearDown() override { stage_close(); }
};
