// The ticks laid on a display's refreshes, with a stand-in display: refreshes at a given rate
// with a little jitter, a show that finishes each tick's picture 1 to 12 ms into the tick, and a display
// that shows at each refresh the newest picture whose target refresh has come.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "console/pacing.h"

namespace {

using namespace con;

struct Shown {
    PacingCount count;
    int per_tick = -1;
};

Shown play(double hz, double seconds) {
    RefreshClock clock;
    refresh_clock_reset(clock, 0);
    PacingCount count;
    std::deque<std::pair<int64_t, int64_t>> pending;  // tick, target refresh
    int64_t next_tick = 0, on_screen = -1;
    uint32_t noise = 12345;
    double period = 1e9 / hz;
    int per_tick = -1;
    for (int64_t m = 1; m * period < seconds * 1e9; m++) {
        noise = noise * 1664525 + 1013904223;
        int64_t t = int64_t(m * period) + int64_t(noise >> 8) % 600000 - 300000;  // ±0.3 ms
        // The pictures finished before this refresh.
        while (refresh_tick_start(clock, next_tick) + 1000000 + int64_t(noise >> 4) % 11000000 < t) {
            int64_t target = refresh_target(clock, next_tick);
            pending.push_back({next_tick, target < 0 ? m : target});
            pacing_given(count, next_tick++);
        }
        refresh_noted(clock, m, t);
        while (!pending.empty() && pending.front().second <= m) {
            on_screen = pending.front().first;
            pending.pop_front();
        }
        if (m * period < 2e9) continue;  // the fit settles
        if (per_tick < 0) {
            per_tick = clock.per_tick;
            count = PacingCount{};
        }
        EXPECT_EQ(clock.per_tick, per_tick) << "the lock holds";
        if (on_screen >= 0) pacing_refresh(count, on_screen, clock.per_tick);
    }
    return {count, per_tick};
}

TEST(Pacing, EachTickIsShownAsOftenAsTheRefreshRateAllows) {
    for (double hz : {59.94, 60.0, 60.25, 120.0, 180.0, 240.0}) {
        SCOPED_TRACE(hz);
        Shown s = play(hz, 20);
        int k = int(std::lround(hz / 60));
        EXPECT_EQ(s.per_tick, k);
        EXPECT_EQ(s.count.repeated, 0);
        EXPECT_EQ(s.count.skipped, 0);
        EXPECT_EQ(s.count.never, 0);
        EXPECT_GT(s.count.motion_refreshes, int64_t(17 * hz));
        EXPECT_EQ(k == 1 ? s.count.once : k == 2 ? s.count.twice : s.count.more, s.count.motion_refreshes / k);
    }
    // Rates that are no multiple of 60 Hz keep the show's timer: each refresh shows the tick due.
    struct Free {
        double hz;
        double never, once, twice, more;  // shares of the ticks
    } free[] = {{50, 1.0 / 6, 5.0 / 6, 0, 0}, {75, 0, 0.75, 0.25, 0}, {144, 0, 0, 0.6, 0.4}, {165, 0, 0, 0.25, 0.75}};
    for (const Free& f : free) {
        SCOPED_TRACE(f.hz);
        Shown s = play(f.hz, 20);
        EXPECT_EQ(s.per_tick, 0);
        double ticks = double(s.count.never + s.count.once + s.count.twice + s.count.more);
        EXPECT_NEAR(s.count.never / ticks, f.never, 0.02);
        EXPECT_NEAR(s.count.once / ticks, f.once, 0.02);
        EXPECT_NEAR(s.count.twice / ticks, f.twice, 0.02);
        EXPECT_NEAR(s.count.more / ticks, f.more, 0.02);
    }
}

}  // namespace
