// One run of the whole show for all the scene checks (see support/show_run.h), and the show as a
// program on that run: exit status, console output, what it leaves behind, its statistics.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "console/vga.h"
#include "driver/demo.h"
#include "support/run.h"
#include "support/show_run.h"

namespace {

struct SceneStats {
    int scene = 0;
    long frames = 0;
    double start = 0, end = 0;
};

std::vector<SceneStats> scenes_of(const std::string& stats) {
    std::vector<SceneStats> out;
    std::istringstream lines(stats);
    std::string line;
    while (std::getline(lines, line)) {
        SceneStats s;
        long ticks, missed;
        double cpu;
        if (sscanf(line.c_str(),
                   " {\"scene\": %d, \"frames\": %ld, \"ticks\": %ld, \"missed_ticks\": %ld, \"cpu_seconds\": %lf, "
                   "\"start_seconds\": %lf, \"end_seconds\": %lf",
                   &s.scene, &s.frames, &ticks, &missed, &cpu, &s.start, &s.end) == 7)
            out.push_back(s);
    }
    return out;
}

TEST(Scenes, EveryRegisteredSceneCheckHoldsOnOneRun) {
    ShowProcess run;
    if (!run_show(&run)) GTEST_SKIP() << "no data.dat in the build directory: no asset generator built it";
    for (const CheckFailure& f : run.failures) ADD_FAILURE_AT(f.file.c_str(), f.line) << f.message;

    EXPECT_EQ(run.term_signal, 0) << run.err;
    EXPECT_EQ(run.exit_status, 1) << run.err;
    for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error", "UndefinedBehaviorSanitizer"})
        EXPECT_EQ(run.err.find(report), std::string::npos) << run.err;
    EXPECT_EQ(count_of(run.out, banner), 2) << "the banner at the start and at the end";
    EXPECT_EQ(run.out.find(banner), 0u);
    EXPECT_EQ(run.out.rfind(banner) + strlen(banner), run.out.size()) << "the closing banner comes last";
    EXPECT_NE(run.out.find("precalcing ...\n"), std::string::npos);
    EXPECT_EQ(run.mode_after, TEXT);
    EXPECT_FALSE(run.unpacked_left) << "the unpacked copy is deleted";
    EXPECT_TRUE(run.callers_data_intact) << "a data/ where the show started is not touched";
    ASSERT_FALSE(run.ticks.empty());

    // The statistics give every scene in order, with the frames seen presented and its duration.
    EXPECT_EQ(run.stats.find("{\"clock\": \"virtual\", \"frames\": "), 0u) << run.stats;
    std::vector<SceneStats> scenes = scenes_of(run.stats);
    ASSERT_EQ(scenes.size(), 10u) << run.stats;
    for (int i = 0; i < 10; i++) {
        SCOPED_TRACE(::testing::Message() << "scene " << i + 1);
        EXPECT_EQ(scenes[i].scene, i + 1);
        long presented = 0;
        for (const TickRecord& t : run.ticks) presented += t.scene == i + 1 && t.presented;
        EXPECT_EQ(scenes[i].frames, presented);
        EXPECT_GT(scenes[i].end, scenes[i].start);
        if (i) {
            EXPECT_DOUBLE_EQ(scenes[i].start, scenes[i - 1].end) << "nothing happens between two scenes";
        }
    }
}

}  // namespace
