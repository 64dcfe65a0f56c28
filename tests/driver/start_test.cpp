// Starting at a moment, pausing and jumping: the show goes unseen and unheard to a moment in
// virtual time and goes on from exactly the state an uninterrupted run has there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "console/hooks.h"
#include "support/run.h"
#include "support/show_run.h"

namespace {

constexpr int TICKS_COMPARED = 61;  // the first picture and the next 60
constexpr size_t WAV_HEADER = 44;

int64_t scene_start(const std::vector<TickRecord>& ticks, int scene) {
    for (const TickRecord& t : ticks)
        if (t.scene == scene) return t.tick;
    return -1;
}

const TickRecord* at_tick(const std::vector<TickRecord>& ticks, int64_t tick) {
    for (const TickRecord& t : ticks)
        if (t.tick == tick) return &t;
    return nullptr;
}

// A start at a moment, or a jump there during the run (back: the show starts again; forward: it
// seeks on), goes on from the state an uninterrupted run has there. Moments inside a palette fade
// (scenes 1 and 3), inside scene 6's count of frames and in scene 9; in virtual time the pictures
// and the music from the moment on are the uninterrupted run's; on the real clock (the silent
// driver here) the song is where that run has it at the first tick.
TEST(StartAtAMoment, GoesOnFromTheStateAnUninterruptedRunHasThere) {
    ShowOptions whole;
    whole.audio_out = "whole.wav";
    ShowProcess uninterrupted;
    if (!run_show(&uninterrupted, &whole)) GTEST_SKIP() << "no data.dat in the build directory";
    ASSERT_EQ(uninterrupted.exit_status, 1) << uninterrupted.err;
    struct Case {
        const char* what;
        const char* start;   // TENFOLD_START, or the moment the jump should come to
        int scene;           // the moment: seconds after this scene's start (0: of the show)
        double seconds;
        bool real_clock;
        int jump_in_scene;   // jumps: asked for a second into this scene, to the start of jump_to
        int jump_to, jump_by;
    } cases[] = {

        {"start", "1:3.1", 1, 3.1, false, 0, 0, 0},
        {"start", "3:15.5", 3, 15.5, false, 0, 0, 0},
        {"start", "6:2", 6, 2, false, 0, 0, 0},
        {"start", "9:4", 9, 4, false, 0, 0, 0},
        {"start on the real clock", "5:3", 5, 3, true, 0, 0, 0},
        {"jump back, key 3 in scene 7", "", 3, 0, false, 7, 3, 0},
        {"jump on, right arrow in scene 2", "", 0, 0, false, 2, 0, 10},
    };
    for (const Case& c : cases) {
        if (!c.jump_in_scene) continue;
        SCOPED_TRACE(::testing::Message() << c.what << " " << c.start);
        ShowOptions o;
        o.start = c.start;
        o.real_clock = c.real_clock;
        o.audio_out = c.real_clock || c.jump_in_scene ? "" : "from.wav";
        static const Case* now;
        static int64_t asked_at;
        now = &c;
        asked_at = -1;
        o.ticks = c.jump_in_scene ? -1 : c.real_clock ? 1 : TICKS_COMPARED;
        if (c.jump_in_scene) {
            // A second into the scene the jump is asked for; the run ends once the ticks from
            // the jump's moment on are recorded.
            o.each_tick = [](const ShowTick& t) {
                static int64_t scene_start = -1, previous = -1, landed = 0;
                if (landed && ++landed > TICKS_COMPARED) con_request_quit(1);
                if (asked_at >= 0 && !landed && t.tick != previous + 1) landed = 1;
                previous = t.tick;
                if (t.scene == now->jump_in_scene && scene_start < 0) scene_start = t.tick;
                if (asked_at >= 0 || scene_start < 0 || t.tick < scene_start + 60) return;
                asked_at = t.tick;
                con_request_jump(now->jump_to, now->jump_by);
            };
        }
        ShowProcess run;
        run_show(&run, &o);
        ASSERT_EQ(run.exit_status, 1) << run.err;
        // The records from the jump's moment on: after the first tick that does not follow its
        // predecessor.
        size_t first = 0;
        for (size_t i = 1; c.jump_in_scene && i < run.ticks.size() && !first; i++)
            if (run.ticks[i].tick != run.ticks[i - 1].tick + 1) first = i;
        ASSERT_TRUE(!c.jump_in_scene || first) << "no jump";
        int64_t moment = c.jump_by ? run.ticks[first - 1].tick + c.jump_by * 60  // on from the tick on screen
                                   : scene_start(uninterrupted.ticks, c.scene) + std::llround(c.seconds * 60);
        ASSERT_GE(run.ticks.size(), first + (c.real_clock ? 1 : TICKS_COMPARED));
        EXPECT_EQ(run.ticks[first].tick, moment) << "the first picture is the moment's";
        for (size_t i = first; i < first + (c.real_clock ? 1 : TICKS_COMPARED); i++) {
            const TickRecord& t = run.ticks[i];
            const TickRecord* u = at_tick(uninterrupted.ticks, t.tick);
            ASSERT_NE(u, nullptr) << "tick " << t.tick;
            EXPECT_EQ(t.position, u->position) << "song position at tick " << t.tick;
            if (c.real_clock) continue;
            EXPECT_EQ(t.indices_hash, u->indices_hash) << "picture at tick " << t.tick;
            EXPECT_EQ(t.dac_hash, u->dac_hash) << "colours at tick " << t.tick;
        }
        if (c.real_clock || c.jump_in_scene) continue;
        // The music from the moment's first sample on, as far as this run mixed it (the music is
        // mixed as the show waits, a tick or two behind its pictures).
        size_t from = WAV_HEADER + size_t(moment) * SAMPLES_PER_TICK * AUDIO_FRAME_BYTES;
        ASSERT_GE(run.audio.size(), WAV_HEADER + size_t(TICKS_COMPARED / 2) * SAMPLES_PER_TICK * AUDIO_FRAME_BYTES);
        ASSERT_GE(uninterrupted.audio.size(), from + run.audio.size() - WAV_HEADER);
        EXPECT_TRUE(memcmp(run.audio.data() + WAV_HEADER, uninterrupted.audio.data() + from,
                           run.audio.size() - WAV_HEADER) == 0)
            << "the samples from the moment on";
    }
}

// A moment that is no moment, or one the show never comes to: one message, status 2, and
// nothing left behind.
TEST(StartAtAMoment, AMomentThatIsNoneOrNeverComesIsNamedAndStopsTheRun) {
    std::string dir = make_temp_dir("start"), tmp = make_temp_dir("start-tmp");
    run_shell("cp " TENFOLD_BUILD_DIR "/data.dat " + dir);
    struct Case {
        const char* moment;
        const char* message;
    } cases[] = {
        {"3:x", "tenfold: TENFOLD_START=3:x: the seconds after the colon are not a number (a moment is SCENE:SECONDS)\n"},
        {"11:5", "tenfold: TENFOLD_START=11:5: scenes are numbered 1 to 10\n"},
        {"-4", "tenfold: TENFOLD_START=-4: a moment is never negative\n"},
        {"10:300", "tenfold: TENFOLD_START=10:300 is past the end of the show ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moment);
        RunResult r = run_program(TENFOLD_BIN, dir, {std::string("TENFOLD_START=") + c.moment, "TENFOLD_CLOCK=virtual",
                                                     "TENFOLD_VIDEO=none", "TMPDIR=" + tmp});
        EXPECT_EQ(r.exit_status, 2);
        EXPECT_EQ(r.err.find(c.message), 0u) << r.err;
        EXPECT_EQ(count_of(r.err, "tenfold:"), 1) << r.err;
        EXPECT_EQ(run_shell("ls -A " + tmp), "");
    }
    remove_tree(dir);
    remove_tree(tmp);
}

// A whole-second cue counts the show's time, not the wall's: scene 3, timed by whole seconds,
// shows as many frames with a pause of 5 s in it as without (on the real clock, from its start).
TEST(Pause, AFiveSecondPauseMovesNoWholeSecondCue) {
    long frames[2] = {0, 0};
    for (int paused = 0; paused < 2; paused++) {
        SCOPED_TRACE(paused ? "paused" : "not paused");
        ShowOptions o;
        o.real_clock = true;
        o.start = "3:0";
        static std::atomic<bool> pausing;
        pausing = paused;
        o.each_tick = [](const ShowTick& t) {
            static bool started = false;
            if (t.scene == 4) con_request_quit(1);
            if (started || !pausing) return;
            started = true;
            std::thread([] {
                usleep(3000000);
                con_toggle_pause();
                usleep(5000000);
                con_toggle_pause();
            }).detach();
        };
        ShowProcess run;
        if (!run_show(&run, &o)) GTEST_SKIP() << "no data.dat in the build directory";
        EXPECT_EQ(run.exit_status, 1) << run.err << run.term_signal;
        size_t at = run.stats.find("{\"scene\": 3, \"frames\": ");
        ASSERT_NE(at, std::string::npos) << run.stats;
        frames[paused] = atol(run.stats.c_str() + at + strlen("{\"scene\": 3, \"frames\": "));
    }
    EXPECT_NEAR(frames[1], frames[0], 30) << "a pause of 5 s would take 300 frames";
    EXPECT_GT(frames[0], 600);
}

}  // namespace
