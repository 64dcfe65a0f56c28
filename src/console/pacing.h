// The emulated CRT's 60 Hz ticks laid on the refreshes of the viewer's display. A display that
// reports its refreshes (a counter and a time on the monotonic clock: X Present, the page's
// animation frames) is fitted with a steady rate; where it refreshes at 60, 120, 180 or 240 Hz
// (within half a percent) every tick starts on a refresh and lasts 1, 2, 3 or 4 of them, so each
// tick's picture is shown exactly that often. At other rates, or with no reports, the ticks keep
// the show's own 60 Hz timer and each refresh shows the tick due then. Pure logic: the caller
// serialises access and supplies the times.
#pragma once

#include <cstdint>

namespace con {

constexpr int64_t NS_PER_SECOND = 1000000000;

struct RefreshClock {
    static constexpr int HISTORY = 64;  // refreshes the rate is fitted over
    int64_t msc[HISTORY] = {}, ns[HISTORY] = {};
    int count = 0, next = 0;
    int outliers = 0;   // reports in a row far from the fit
    double period = 0;  // the fit: refresh m comes at ref_ns + (m - ref_msc) * period ns
    int64_t ref_msc = 0, ref_ns = 0;
    int64_t last_msc = -1, last_ns = 0;
    // Tick base_tick starts at base_ns (on the timer) or at refresh base_msc (locked); each tick
    // lasts per_tick refreshes when locked, else 1/60 s.
    int per_tick = 0;
    int64_t base_tick = 0, base_ns = 0, base_msc = 0;
};

// A clock on the 60 Hz timer whose tick 0 starts at start_ns.
void refresh_clock_reset(RefreshClock& c, int64_t start_ns);
// The display reports refresh msc at time ns: refits the rate, and locks the ticks to the
// refreshes or lets them go back to the timer, keeping the tick at ns where it is.
void refresh_noted(RefreshClock& c, int64_t msc, int64_t ns);
// No report since the last one for a while (a hidden window, a display that stopped): back to
// the timer from the tick due at ns on.
void refresh_lost(RefreshClock& c, int64_t ns);
bool refresh_stale(const RefreshClock& c, int64_t ns);

// The tick due at time ns, and the time tick starts.
int64_t refresh_tick_at(const RefreshClock& c, int64_t ns);
int64_t refresh_tick_start(const RefreshClock& c, int64_t tick);
// The refresh on which a tick's picture is first shown: the first that comes a whole tick after
// the tick starts, so the picture has that long to reach the display. -1 with no fit.
int64_t refresh_target(const RefreshClock& c, int64_t tick);
double refresh_rate(const RefreshClock& c);  // Hz, 0 with no fit
int64_t refresh_nearest(const RefreshClock& c, int64_t ns);  // the refresh nearest to ns by the fit

// What the viewer saw: the tick on the display at every refresh, and the ticks the display was
// given (a tick whose picture did not change is not given). A tick counts where the picture moves:
// it, the tick before and the ticks up to the next one shown were all given.
struct PacingCount {
    static constexpr int WINDOW = 256;
    bool given[WINDOW] = {};
    int64_t newest_given = -1;
    int64_t shown = -1;  // the tick on the display, and for how many refreshes so far
    int shown_for = 0;
    int64_t refreshes = 0, motion_refreshes = 0;
    int64_t once = 0, twice = 0, more = 0, never = 0;  // motion ticks by the refreshes they were shown
    int64_t repeated = 0, skipped = 0;                  // against per_tick refreshes each
};

void pacing_given(PacingCount& p, int64_t tick);
void pacing_refresh(PacingCount& p, int64_t tick_shown, int per_tick);

}  // namespace con
