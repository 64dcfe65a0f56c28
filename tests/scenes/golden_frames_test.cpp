// Golden frames: hashes of what the shared run of the show presents (indices and DAC) at three
// ticks of every scene, kept in golden_frames.txt beside this file. After an intended change of
// the art, the music or a scene, refresh them:
//   TENFOLD_UPDATE_GOLDEN=1 build/tests/tenfold_tests --gtest_filter='Scenes.*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/show_run.h"

namespace {

const std::string golden_path = std::string(TENFOLD_SOURCE_DIR) + "/tests/scenes/golden_frames.txt";

struct Golden {
    int scene;
    long tick;
    unsigned long long indices, dac;
};

const TickRecord* at_tick(const ShowRecord& record, long tick) {
    for (const TickRecord& t : record.ticks)
        if (t.tick == tick) return &t;
    return nullptr;
}

void write_golden(const ShowRecord& record) {
    std::ofstream f(golden_path);
    f << "# scene, retrace tick, FNV-1a hashes of the visible indices and of the DAC\n"
      << "# refresh: TENFOLD_UPDATE_GOLDEN=1 build/tests/tenfold_tests --gtest_filter='Scenes.*'\n";
    for (int scene = 1; scene <= 10; scene++) {
        std::vector<const TickRecord*> ticks = record.scene_ticks(scene);
        for (size_t q = 1; q <= 3 && !ticks.empty(); q++) {
            const TickRecord* t = ticks[ticks.size() * q / 4];
            char line[96];
            snprintf(line, sizeof line, "%d %ld %016llx %016llx\n", scene, long(t->tick),
                     (unsigned long long)t->indices_hash, (unsigned long long)t->dac_hash);
            f << line;
        }
    }
}

void verify(const ShowRecord& record) {
    if (getenv("TENFOLD_UPDATE_GOLDEN")) {
        write_golden(record);
        return;
    }
    std::ifstream f(golden_path);
    std::string line;
    int per_scene[11] = {};
    while (std::getline(f, line)) {
        Golden g;
        if (line.empty() || line[0] == '#') continue;
        ASSERT_EQ(sscanf(line.c_str(), "%d %ld %llx %llx", &g.scene, &g.tick, &g.indices, &g.dac), 4) << line;
        ASSERT_TRUE(g.scene >= 1 && g.scene <= 10) << line;
        SCOPED_TRACE(line);
        const TickRecord* t = at_tick(record, g.tick);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->scene, g.scene);
        EXPECT_EQ(t->indices_hash, g.indices) << "the picture changed";
        EXPECT_EQ(t->dac_hash, g.dac) << "the colours changed";
        per_scene[g.scene]++;
    }
    for (int scene = 1; scene <= 10; scene++)
        EXPECT_GE(per_scene[scene], 2) << "golden frames of scene " << scene << " in " << golden_path;
}

int registered = register_show_check({"golden frames", nullptr, verify});

}  // namespace
