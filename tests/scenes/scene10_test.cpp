// Scene 10 on the shared run of the show: the music's volume falls a step a frame once more than
// 20 whole seconds have passed and stays at 0, and the scene ends once more than 24 have.
#include <gtest/gtest.h>

#include <algorithm>

#include "music/music.h"
#include "support/show_run.h"

namespace {

std::vector<int> volume;  // per tick of scene 10, as the frame shown then left it

void observe(const ShowTick& t) {
    if (t.scene == 10) volume.push_back(music_module ? music_module->volume : -1);
}

void verify(const ShowRecord& record) {
    std::vector<const TickRecord*> ticks = record.scene_ticks(10);
    ASSERT_EQ(ticks.size(), volume.size());
    ASSERT_GT(ticks.size(), 24u * 60u);
    for (const TickRecord* t : ticks) ASSERT_TRUE(t->presented) << "every tick of scene 10 is a frame of its own";
    // Tick 0 is the flash, where the scene's clock starts; frame i reads the clock while frame
    // i - 1 is on screen.
    auto elapsed = [&](size_t i) { return ticks[i - 1]->time.tv_sec - ticks[0]->time.tv_sec; };
    size_t last = ticks.size() - 1;
    EXPECT_GT(elapsed(last), 24) << "the last frame is the first past 24 whole seconds";
    EXPECT_LE(elapsed(last - 1), 24);

    ASSERT_GT(volume[0], 0) << "the show plays its module";
    int lowered = 0;
    for (size_t i = 1; i < ticks.size(); i++) {
        if (elapsed(i) > 20) lowered++;
        ASSERT_EQ(volume[i], std::max(volume[0] - lowered, 0)) << "frame " << i;
    }
    EXPECT_GT(lowered, volume[0]) << "long enough to reach 0 and stay there";
}

int registered = register_show_check({"scene 10", observe, verify});

}  // namespace
