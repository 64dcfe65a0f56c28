// Moments as tenfold-frames, tenfold-render and the start setting read them: what is refused and
// why, the tick each falls on once its scene has started, and what can be told before the run.
#include <gtest/gtest.h>

#include "console/moment.h"

namespace {

Moment read(const char* text) {
    Moment m;
    std::string why;
    EXPECT_TRUE(parse_moment(text, &m, &why)) << text << ": " << why;
    return m;
}

TEST(Moment, ReadsSceneSecondsAndShowSecondsAsTicks) {
    const struct {
        const char* text;
        int scene;
        int64_t ticks;
    } cases[] = {{"3:5", 3, 300}, {"3:5.5", 3, 330}, {"12", 0, 720}, {"0", 0, 0}, {"10:0.017", 10, 1},
                 {"1:.5", 1, 30}, {"7.", 0, 420}, {"2:0.0083", 2, 0}, {"05:1", 5, 60}};
    for (const auto& c : cases) {
        Moment m = read(c.text);
        EXPECT_EQ(m.scene, c.scene) << c.text;
        EXPECT_EQ(m.ticks, c.ticks) << c.text;
        EXPECT_EQ(m.text, c.text);
    }
}

TEST(Moment, RefusesWhatIsNotAMomentWithTheReason) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {{"0:5", "scenes are numbered 1 to 10"}, {"11:2", "scenes are numbered 1 to 10"},
                 {"99999999999:1", "scenes are numbered 1 to 10"}, {"-3", "never negative"},
                 {"3:-1", "never negative"}, {"", "not a number"}, {"abc", "not a number"}, {"1e3", "not a number"},
                 {"3:", "after the colon"}, {":5", "before the colon"}, {"3:5:1", "after the colon"},
                 {"x:1", "before the colon"}, {"3:5x", "after the colon"}, {"1..2", "not a number"},
                 {"nan", "not a number"}, {".", "not a number"}, {"2000000", "more seconds than"}};
    for (const auto& c : cases) {
        Moment m;
        std::string why;
        EXPECT_FALSE(parse_moment(c.text, &m, &why)) << c.text;
        EXPECT_NE(why.find(c.says), std::string::npos) << c.text << ": " << why;
    }
}

TEST(Moment, FallsOnItsScenesStartPlusItsTicksOnceTheSceneHasStarted) {
    SceneStarts s;
    Moment show = read("2"), scene3 = read("3:1.5");
    EXPECT_EQ(moment_tick(show, s), 120);
    EXPECT_EQ(moment_tick(scene3, s), -1);
    note_scene(s, 0, 0);  // before the first scene: nothing to note
    note_scene(s, 3, 500);
    note_scene(s, 3, 501);  // the first tick of the scene counts
    EXPECT_EQ(moment_tick(scene3, s), 590);
    note_scene(s, 11, 900);  // outside 1 ... 10: ignored
    EXPECT_EQ(s.at[10], -1);
}

TEST(Moment, OrderIsKnownBeforeTheRunOnlyWhereScenesLengthsCannotChangeIt) {
    EXPECT_EQ(moment_order(read("3:5"), read("3:7")), -1);
    EXPECT_EQ(moment_order(read("3:7"), read("3:5")), 1);
    EXPECT_EQ(moment_order(read("3:5"), read("3:5")), 1) << "an empty clip";
    EXPECT_EQ(moment_order(read("5"), read("3:7")), -1) << "show time comes no later than a scene's";
    EXPECT_EQ(moment_order(read("2:1"), read("4:0.5")), 0) << "scene 2 may last more than half a second";
    EXPECT_EQ(moment_order(read("4:1"), read("2:1")), 1);
    EXPECT_EQ(moment_order(read("4:0"), read("40")), 0);
}

TEST(Moment, ShowTimeReadsAsMinutesSecondsAndHundredths) {
    EXPECT_EQ(ticks_as_time(0), "0:00.00");
    EXPECT_EQ(ticks_as_time(11627), "3:13.78");
    EXPECT_EQ(ticks_as_time(11627, false), "3:13");
    EXPECT_EQ(ticks_as_time(61), "0:01.01");
}

}  // namespace
