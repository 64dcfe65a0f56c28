// The two clocks. Real: the system's monotonic clock (in the browser, the page's), less the time
// the show was paused; the retrace wait sleeps until the next 60 Hz tick, laid on the display's
// refreshes where it reports them (console/pacing.h). A loop that keeps polling the real clock
// without presenting sleeps between its readings. Virtual: time made of audio samples at 44100 Hz
// from a fixed time of day; only mixing, the retrace wait and sleeps move it, so a run is the same
// on every machine and as fast as the CPU. A run on the real clock goes over to the virtual one
// while it seeks a moment (console/seek.cpp) and back from the same time on. The time of day is
// the one at start moved on by the clock's time, whichever clock runs.
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <mutex>

#include "console/internal.h"
#include "console/pacing.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

namespace con {

namespace {

constexpr int64_t VIRTUAL_EPOCH_US = 1000000000LL * 1000000 + 250000;  // the virtual clock's time of day at start

// A frame reads the clock once or twice; more readings with nothing presented are a waiting loop.
constexpr int POLLS_PER_FRAME = 2;
constexpr int64_t POLL_SLEEP_NS = 1000000;
constexpr int64_t MAX_WAIT_NS = 50000000;  // a retrace wait looks at the clock again at least this often
constexpr int64_t PAUSED_WAIT_NS = 50000000;  // a paused show looks for its resumption this often

bool virtual_now = false;        // the clock that runs now
int64_t samples = 0;             // virtual clock
int64_t source_start_ns = 0;     // real clock: its source at start
int64_t day_start_us = 0;        // the time of day at start, in microseconds
int64_t last_present_tick = -1;
int64_t last_present_ns = 0;
bool waited_since_present = false;
int polls_since_present = 0;  // clock readings since the last presentation or sleep

// Pauses: their time is left out of the real clock, which stands still during one.
std::atomic<bool> pause_wanted{false};  // set and cleared by the displays' threads
int64_t paused_ns = 0;                  // total, in the source's time
int64_t pause_from = -1;                // the clock's reading while paused, else -1

// The real clock's ticks: on the 60 Hz timer, or on the display's refreshes where it reports them
// (from its own thread). In the real clock's time; refreshes during pauses are left out too.
std::mutex refresh_mutex;
RefreshClock refresh;
int64_t paused_refreshes = 0;  // the display's count less the refreshes the ticks were laid on
bool resume_refreshes = false;  // a pause ended: the next report sets paused_refreshes
int64_t newest_tick = 0;  // a refit of the refreshes never takes the tick back

// The real clock's source: the system's monotonic clock; in the browser, the page's.
int64_t source_ns() {
#ifdef __EMSCRIPTEN__
    return browser_clock_ns();
#else
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * NS_PER_SECOND + t.tv_nsec;
#endif
}

int64_t real_ns() { return pause_from >= 0 ? pause_from : source_ns() - source_start_ns - paused_ns; }

int64_t real_tick_at(int64_t ns) {
    std::lock_guard<std::mutex> l(refresh_mutex);
    newest_tick = std::max(newest_tick, refresh_tick_at(refresh, ns));
    return newest_tick;
}

int64_t real_tick_start(int64_t tick) {
    std::lock_guard<std::mutex> l(refresh_mutex);
    return refresh_tick_start(refresh, tick);
}

bool pause_requested() {
#ifdef __EMSCRIPTEN__
    return browser_pause_since_ns() >= 0;
#else
    return pause_wanted;
#endif
}

// Sleeps for ns of the source's time; in the browser the page runs meanwhile.
void sleep_for_ns(int64_t ns) {
#ifdef __EMSCRIPTEN__
    browser_sleep_ns(ns);
#else
    timespec t{time_t(ns / NS_PER_SECOND), long(ns % NS_PER_SECOND)};
    while (ns > 0 && nanosleep(&t, &t) == -1 && errno == EINTR && !console_quit_requested()) {}
#endif
}

void sleep_until_ns(int64_t ns) {
    sleep_for_ns(ns - real_ns());
    hold_while_paused();
}

// Gives the processor away for a millisecond, or until the next tick if that comes sooner, so
// the CRT still scans out every tick and the loop's reading is fresh.
void sleep_between_polls() {
    int64_t now = real_ns();
    int64_t next_tick = real_tick_start(real_tick_at(now) + 1);
    sleep_until_ns(now + POLL_SLEEP_NS < next_tick ? now + POLL_SLEEP_NS : next_tick);
    waited_since_present = true;
}

// The retrace wait wakes the show 60 times a second, and a wakeup that waits behind CPU-bound
// neighbours for a whole tick misses a retrace. A short time slice asks the fair scheduler
// (EEVDF, Linux 6.12 on) to let the waking show preempt them; any user may ask, the nice value
// stays. Real-time scheduling, where the show gets it, replaces this.
void ask_for_short_slice() {
#ifdef SYS_sched_setattr  // not in every C library (none in the browser)
    struct {  // the kernel's struct sched_attr, whose header clashes with the C library's
        uint32_t size, sched_policy;
        uint64_t sched_flags;
        int32_t sched_nice;
        uint32_t sched_priority;
        uint64_t sched_runtime, sched_deadline, sched_period;
        uint32_t sched_util_min, sched_util_max;
    } attr{};
    attr.size = sizeof attr;
    attr.sched_policy = SCHED_OTHER;
    errno = 0;
    int nice_value = getpriority(PRIO_PROCESS, 0);
    if (errno != 0) return;
    attr.sched_nice = nice_value;
    attr.sched_runtime = 100000;  // 0.1 ms, the shortest the kernel grants
    syscall(SYS_sched_setattr, 0, &attr, 0);  // older kernels ignore the slice or refuse: no change
#endif
}

}  // namespace

void start_clock() {
    virtual_now = settings.virtual_clock;
    samples = 0;
    source_start_ns = source_ns();
    timeval wall;
    gettimeofday(&wall, nullptr);
    day_start_us = virtual_now ? VIRTUAL_EPOCH_US : int64_t(wall.tv_sec) * 1000000 + wall.tv_usec;
    last_present_tick = -1;
    last_present_ns = 0;
    polls_since_present = 0;
    pause_wanted = false;
    paused_ns = 0;
    pause_from = -1;
    {
        std::lock_guard<std::mutex> l(refresh_mutex);
        refresh_clock_reset(refresh, 0);
        paused_refreshes = newest_tick = 0;
        resume_refreshes = false;
    }
    if (!virtual_now) ask_for_short_slice();
}

void clock_go_virtual() {
    if (virtual_now) return;
    samples = now_ticks() * SAMPLES_PER_TICK;  // from the start of the tick now, as a virtual run has it
    virtual_now = true;
}

void clock_go_real() {
    if (!virtual_now || settings.virtual_clock) return;
    virtual_now = false;
    paused_ns = 0;
    pause_from = -1;
    source_start_ns = source_ns() - samples * NS_PER_SECOND / AUDIO_RATE;
    std::lock_guard<std::mutex> l(refresh_mutex);
    refresh_clock_reset(refresh, 0);  // the real clock's ticks run on from the virtual one's
    newest_tick = samples / SAMPLES_PER_TICK;
    paused_refreshes = 0;
    resume_refreshes = false;
}

// The virtual clock from the show's start, as a virtual run has it (its time of day too), for a
// run that starts at a moment or starts again.
void clock_restart() {
    virtual_now = true;
    samples = 0;
    day_start_us = VIRTUAL_EPOCH_US;
}

// While the user has the show paused, it waits here with the clock standing still, looking at
// the display's keys. In the browser the clock stands still from the moment the page stopped the
// sound, which is before the show next ran. The pause ends on the refresh grid where the ticks
// follow the refreshes, so the ticks keep their phase.
void hold_while_paused() {
    if (virtual_now || !pause_requested() || pause_from >= 0) return;
    int64_t from = source_ns();
#ifdef __EMSCRIPTEN__
    from = std::min(from, browser_pause_since_ns());
#endif
    {
        std::lock_guard<std::mutex> l(refresh_mutex);  // the display's thread reads it
        pause_from = from - source_start_ns - paused_ns;
    }
    while (pause_requested() && !console_quit_requested()) {
        sleep_for_ns(PAUSED_WAIT_NS);
        poll_display();
    }
    std::lock_guard<std::mutex> l(refresh_mutex);
    int64_t d = source_ns() - source_start_ns - paused_ns - pause_from;
    if (refresh.per_tick) {
        d = std::llround(std::round(double(d) / refresh.period) * refresh.period);
        resume_refreshes = true;
    } else {
        refresh_lost(refresh, pause_from);  // fitted again after the pause
    }
    paused_ns += d;
    pause_from = -1;
}

int64_t show_ns() { return virtual_now ? samples * NS_PER_SECOND / AUDIO_RATE : real_ns(); }

int64_t monotonic_ns() { return source_ns(); }


void note_refresh(int64_t msc, int64_t ns) {
    std::lock_guard<std::mutex> l(refresh_mutex);
    if (pause_from >= 0) return;
    ns -= source_start_ns + paused_ns;
    // After a pause the display's count has moved on by the refreshes it made meanwhile, if any.
    if (resume_refreshes) paused_refreshes = msc - refresh_nearest(refresh, ns);
    resume_refreshes = false;
    refresh_noted(refresh, msc - paused_refreshes, ns);
}

void note_refresh_lost(int64_t ns) {
    std::lock_guard<std::mutex> l(refresh_mutex);
    refresh_lost(refresh, ns - source_start_ns - paused_ns);
}

int64_t refresh_target_for(int64_t tick) {
    std::lock_guard<std::mutex> l(refresh_mutex);
    int64_t target = refresh_target(refresh, tick);
    return target < 0 ? target : target + paused_refreshes;
}

int refreshes_per_tick() {
    std::lock_guard<std::mutex> l(refresh_mutex);
    return refresh.per_tick;
}

double refresh_hz() {
    std::lock_guard<std::mutex> l(refresh_mutex);
    return refresh_rate(refresh);
}

int64_t virtual_samples() { return samples; }

void advance_virtual(int64_t to) {
    if (to <= samples) return;
    samples = to;
    crt_update();
}

int64_t now_ticks() {
    if (virtual_now) return samples / SAMPLES_PER_TICK;
    return real_tick_at(real_ns());
}

double cpu_seconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

}  // namespace con

using namespace con;

bool con_virtual_clock() { return virtual_now; }

void con_toggle_pause() { pause_wanted = !pause_wanted; }

double con_seconds() { return double(show_ns()) / NS_PER_SECOND; }

int con_gettimeofday(struct timeval* tv) {
    console_check_quit();
    if (!virtual_now && !crt_scanning()) {  // a frame hook reads the clock without moving it on
        if (++polls_since_present > POLLS_PER_FRAME) sleep_between_polls();
        crt_update();
    }
    // The real clock is the monotonic one: a clock stepped during the run (by NTP or by hand)
    // moves no cue, and neither does a pause.
    int64_t micros = day_start_us + show_ns() / 1000;
    tv->tv_sec = time_t(micros / 1000000);
    tv->tv_usec = suseconds_t(micros % 1000000);
    return 0;
}

void con_usleep(unsigned microseconds) {
    console_check_quit();
    waited_since_present = true;
    polls_since_present = 0;
    if (virtual_now) {
        advance_virtual(samples + (int64_t(microseconds) * AUDIO_RATE + 999999) / 1000000);
    } else {
        sleep_until_ns(real_ns() + int64_t(microseconds) * 1000);
        crt_update();
    }
    console_check_quit();
}

// Waits for the start of the next retrace. The tick's scan-out waits for the display start that
// the show sets right after, as the CRT would show the new page from this retrace on.
void vga_waitretrace() {
    console_check_quit();
    crt_update();
    int64_t target;
    int64_t missed = 0;
    if (virtual_now) {
        target = samples / SAMPLES_PER_TICK + 1;
        hold_retrace(target);
        advance_virtual(target * SAMPLES_PER_TICK);
    } else {
        int64_t now = real_ns();
        target = real_tick_at(now) + 1;
        // A frame that took longer than its tick missed the retrace it was meant for. A long gap
        // after a sleep or a timed wait is the show waiting on purpose, not a missed frame.
        bool frame_work = !waited_since_present && now - last_present_ns < 250000000LL;
        if (last_present_tick >= 0 && frame_work && target > last_present_tick + 1)
            missed = target - (last_present_tick + 1);
        hold_retrace(target);
        // The refreshes may move the tick's start while the show sleeps; a wait is never long.
        while (real_tick_at(now = real_ns()) < target && !console_quit_requested())
            sleep_until_ns(std::min(real_tick_start(target), now + MAX_WAIT_NS));
        last_present_ns = real_ns();
    }
    last_present_tick = target;
    waited_since_present = false;
    polls_since_present = 0;
    count_presentation(missed);
}
