#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "support/headless.h"

namespace {

int64_t micros(const timeval& t) { return int64_t(t.tv_sec) * 1000000 + t.tv_usec; }

TEST(VirtualClock, StartsAtAFixedTimeAndMovesOnlyWhenTheShowWaits) {
    start_headless_console();
    timeval a, b;
    con_gettimeofday(&a);
    start_headless_console();
    con_gettimeofday(&b);
    EXPECT_EQ(micros(a), micros(b)) << "every run starts at the same time of day";
    con_gettimeofday(&b);
    EXPECT_EQ(micros(a), micros(b)) << "reading the clock does not move it";

    con_usleep(10000);
    con_gettimeofday(&b);
    EXPECT_NEAR(double(micros(b) - micros(a)), 10000.0, 23.0);  // whole samples of 1/44100 s

    timeval c;
    vga_waitretrace();
    con_gettimeofday(&c);
    // The retrace wait goes to the next 60 Hz tick, never further.
    EXPECT_EQ(micros(c) - micros(a), 16666);
    vga_waitretrace();
    con_gettimeofday(&c);
    EXPECT_EQ(micros(c) - micros(a), 33333);
}

TEST(VirtualClock, TheSchedulingCallsChangeNothingAndSucceed) {
    start_headless_console();
    int policy = sched_getscheduler(0);
    int niceness = getpriority(PRIO_PROCESS, 0);
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    EXPECT_EQ(con_sched_setscheduler(getpid(), SCHED_RR, &param), 0);
    errno = 0;
    con_nice(-20);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(sched_getscheduler(0), policy);
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), niceness);
}

// A tool that passes a video setting of its own gets the same check as the environment's.
TEST(ConsoleStart, AVideoSettingThatIsNoneOfTheFourIsNamedAndTakenAsAuto) {
    for (const char* video : {"windw", "", "none "}) {
        ConsoleSettings s;
        s.video = video;
        s.virtual_clock = true;
        testing::internal::CaptureStderr();
        console_start(s);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("tenfold: TENFOLD_VIDEO=") + video +
                                                              " is not one of auto, window, terminal, none; using auto\n");
    }
    start_headless_console();
}

// A loop that keeps reading the real clock with nothing presented sleeps between readings (about
// a millisecond each) instead of spinning; the readings still follow the clock.
TEST(RealClock, APollingLoopSleepsBetweenReadings) {
    ConsoleSettings s;
    s.video = "none";
    console_start(s);
    timeval start, now;
    con_gettimeofday(&start);
    int readings = 0;
    do {
        con_gettimeofday(&now);
        readings++;
    } while (micros(now) - micros(start) < 200000);
    EXPECT_LT(readings, 1000) << "a spinning loop reads the clock millions of times";
}

TEST(QuitRequests, SignalEndsTheRunThroughTheQuitHandlerAtTheNextConsoleCall) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ConsoleSettings s;
        s.video = "none";
        console_start(s);
        console_on_quit([](int status) { _exit(status == 130 ? 42 : 3); });
        for (int i = 0; i < 5000; i++) con_usleep(1000);
        _exit(4);  // never asked to stop
    }
    usleep(200000);
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
}

}  // namespace
