#include "console/pacing.h"

#include <algorithm>
#include <cmath>

namespace con {

namespace {

constexpr double TICK_NS = double(NS_PER_SECOND) / 60;
constexpr int MIN_FIT = 32;            // refreshes before the rate counts
constexpr double LOCK_TOLERANCE = 0.005;
constexpr int MAX_PER_TICK = 4;
constexpr double STALE_PERIODS = 6;    // no report for this many refreshes: the display stopped
constexpr int MAX_OUTLIERS = 8;        // reports in a row this far off: the display changed

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

double predicted(const RefreshClock& c, int64_t msc) { return double(c.ref_ns) + double(msc - c.ref_msc) * c.period; }

// The last refresh at or before ns, by the fit.
int64_t msc_at(const RefreshClock& c, int64_t ns) {
    return c.ref_msc + int64_t(std::floor((double(ns) - double(c.ref_ns)) / c.period));
}

// Least squares over the history, relative to its oldest entry.
void fit(RefreshClock& c) {
    c.period = 0;
    if (c.count < MIN_FIT) return;
    int oldest = (c.next - c.count + RefreshClock::HISTORY) % RefreshClock::HISTORY;
    int64_t m0 = c.msc[oldest], t0 = c.ns[oldest];
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < c.count; i++) {
        int k = (oldest + i) % RefreshClock::HISTORY;
        double x = double(c.msc[k] - m0), y = double(c.ns[k] - t0);
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    double n = c.count, d = n * sxx - sx * sx;
    if (d <= 0) return;
    c.period = (n * sxy - sx * sy) / d;
    c.ref_msc = m0;
    c.ref_ns = t0 + int64_t(std::llround((sy - c.period * sx) / n));
}

// Refreshes per tick where the fitted rate is a whole multiple of 60 Hz, else 0.
int lockable(const RefreshClock& c) {
    if (c.period <= 0) return 0;
    double rate = NS_PER_SECOND / c.period;
    int k = int(std::lround(rate / 60));
    if (k < 1 || k > MAX_PER_TICK) return 0;
    return std::fabs(rate - 60.0 * k) <= LOCK_TOLERANCE * 60.0 * k ? k : 0;
}

// Back to the timer from the tick after the one due at ns, keeping the ticks where they are.
void unlock(RefreshClock& c, int64_t ns) {
    int64_t tick = refresh_tick_at(c, ns) + 1;
    c.base_ns = refresh_tick_start(c, tick);
    c.base_tick = tick;
    c.per_tick = 0;
}

}  // namespace

void refresh_clock_reset(RefreshClock& c, int64_t start_ns) {
    c = RefreshClock{};
    c.base_ns = start_ns;
}

void refresh_noted(RefreshClock& c, int64_t msc, int64_t ns) {
    if (msc <= c.last_msc) return;
    c.last_msc = msc, c.last_ns = ns;
    // A report far from where the fit puts it is late (a busy display server) and left out; many
    // in a row mean the display changed, and it is fitted afresh.
    if (c.period > 0 && std::fabs(double(ns) - predicted(c, msc)) > c.period / 4) {
        if (++c.outliers < MAX_OUTLIERS) return;
        if (c.per_tick) unlock(c, ns);
        c.count = 0;
        c.period = 0;
    }
    c.outliers = 0;
    c.msc[c.next] = msc, c.ns[c.next] = ns;
    c.next = (c.next + 1) % RefreshClock::HISTORY;
    if (c.count < RefreshClock::HISTORY) c.count++;
    int was = c.per_tick;
    RefreshClock before = c;
    fit(c);
    int k = lockable(c);
    if (k != was) {
        // From the tick due now on the mapping that held until now.
        int64_t tick = refresh_tick_at(before, ns) + 1;
        int64_t start = refresh_tick_start(before, tick);
        c.per_tick = k;
        c.base_tick = tick;
        if (k)
            c.base_msc = msc_at(c, start - 1) + 1;  // the first refresh from that tick's start on
        else
            c.base_ns = start;
    }
}

bool refresh_stale(const RefreshClock& c, int64_t ns) {
    return c.period > 0 && double(ns - c.last_ns) > STALE_PERIODS * c.period;
}

void refresh_lost(RefreshClock& c, int64_t ns) {
    if (c.per_tick) unlock(c, ns);
    c.count = 0;
    c.period = 0;
}

int64_t refresh_tick_at(const RefreshClock& c, int64_t ns) {
    if (c.per_tick) return c.base_tick + floor_div(msc_at(c, ns) - c.base_msc, c.per_tick);
    return c.base_tick + int64_t(std::floor(double(ns - c.base_ns) / TICK_NS));
}

int64_t refresh_tick_start(const RefreshClock& c, int64_t tick) {
    if (c.per_tick) return int64_t(std::ceil(predicted(c, c.base_msc + c.per_tick * (tick - c.base_tick))));
    return c.base_ns + int64_t(std::ceil(double(tick - c.base_tick) * TICK_NS));
}

int64_t refresh_target(const RefreshClock& c, int64_t tick) {
    if (c.per_tick) return c.base_msc + c.per_tick * (tick - c.base_tick + 1);
    if (c.period <= 0) return -1;
    double due = double(refresh_tick_start(c, tick)) + TICK_NS;
    return c.ref_msc + int64_t(std::ceil((due - double(c.ref_ns)) / c.period));
}

int64_t refresh_nearest(const RefreshClock& c, int64_t ns) {
    return c.ref_msc + std::llround((double(ns) - double(c.ref_ns)) / c.period);
}

double refresh_rate(const RefreshClock& c) { return c.period > 0 ? NS_PER_SECOND / c.period : 0; }

void pacing_given(PacingCount& p, int64_t tick) {
    if (tick <= p.newest_given) return;
    for (int64_t t = std::max(p.newest_given + 1, tick - PacingCount::WINDOW + 1); t < tick; t++)
        p.given[t % PacingCount::WINDOW] = false;
    p.given[tick % PacingCount::WINDOW] = true;
    p.newest_given = tick;
}

namespace {

bool was_given(const PacingCount& p, int64_t tick) {
    return tick >= 0 && tick <= p.newest_given && tick > p.newest_given - PacingCount::WINDOW &&
           p.given[tick % PacingCount::WINDOW];
}

}  // namespace

void pacing_refresh(PacingCount& p, int64_t tick, int per_tick) {
    p.refreshes++;
    if (tick == p.shown) {
        p.shown_for++;
        return;
    }
    int64_t a = p.shown;
    bool motion = a > 0 && tick > a && was_given(p, a - 1) && was_given(p, a) && was_given(p, tick);
    for (int64_t t = a + 1; motion && t < tick; t++) motion = was_given(p, t);
    if (motion) {
        p.motion_refreshes += p.shown_for;
        (p.shown_for == 1 ? p.once : p.shown_for == 2 ? p.twice : p.more)++;
        if (per_tick) {
            p.repeated += std::max(0, p.shown_for - per_tick);
            p.skipped += std::max(0, per_tick - p.shown_for) + per_tick * (tick - a - 1);
        }
        p.never += tick - a - 1;
    }
    p.shown = tick;
    p.shown_for = 1;
}

}  // namespace con
