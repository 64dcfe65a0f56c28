// A test whose code draws into frame_buf: a zero-filled screen of its own for every test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "support/frames.h"

struct FrameBufferTest : ::testing::Test {
    std::vector<uint8_t> screen = std::vector<uint8_t>(FRAME_BYTES);
    FrameBuffer* saved = nullptr;
    void SetUp() override {
        saved = frame_buf;
        frame_buf = fb(screen);
    }
    void TearDown() override { frame_buf = saved; }
    uint8_t pixel(int x, int y) const { return screen[y * SCREEN_WIDTH + x]; }
};
