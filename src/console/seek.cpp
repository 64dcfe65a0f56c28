// Starting at a moment and jumping to one. The show goes there unseen and unheard in virtual time
// (TENFOLD_START, the keys 1 ... 0 and the arrows) and goes on from exactly that state, with the
// real clock and the sound device where the run has them. A jump forward carries on from where
// the show is; a jump back starts the show again from its beginning (the driver makes its state
// new, console_on_restart) and goes forward from there. While a seek takes longer than a quarter
// of a second the display shows how far it has come.
#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "console/internal.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

namespace con {

namespace {

constexpr int64_t PROGRESS_AFTER_NS = 250000000;  // a seek this long shows its progress
constexpr int64_t PROGRESS_EVERY_NS = 100000000;

struct Seek {
    bool active = false;
    bool display_waits = false;  // a start at a moment opens the display once there
    Moment target;
    int64_t target_tick = -1;    // once its scene has started
    bool reached = false;        // the CRT has scanned the target tick: the seek ends at the next console call
    int64_t from_tick = 0;
    int from_scene = 0;
    int64_t began_ns = 0, shown_ns = 0;  // on the monotonic clock
    bool progress_shown = false;
};
Seek seek;
SceneStarts starts;
Moment start_moment;
bool start_asked = false, start_reached = true;
void (*restart_handler)() = nullptr;

// A jump the user asked for, from the display's thread: to the start of a scene, or seconds on
// or back.
std::mutex jump_mutex;
int jump_scene = 0, jump_seconds = 0;

void begin(const Moment& target) {
    seek = Seek{};
    seek.active = true;
    seek.target = target;
    seek.from_tick = now_ticks();
    seek.from_scene = con_current_scene();
    seek.began_ns = seek.shown_ns = monotonic_ns();
    clock_go_virtual();
    audio_follow_seek();
}

// The picture shown while a seek runs: the last one, dimmed, with a bar across the middle in
// its brightest colour on its darkest.
void show_progress(double done) {
#ifdef __EMSCRIPTEN__
    browser_progress(done);
#else
    static std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT);
    uint32_t colours[256];
    if (!last_picture(indices.data(), colours)) {
        if (isatty(STDERR_FILENO)) fprintf(stderr, "\rtenfold: going to %s: %3.0f %%\x1b[K", seek.target.text.c_str(), 100 * done);
        return;
    }
    int bright = 0, dark = 0;
    auto level = [&](int e) { return (colours[e] >> 16 & 0xFF) + (colours[e] >> 8 & 0xFF) + (colours[e] & 0xFF); };
    for (int e = 1; e < 256; e++) {
        if (level(e) > level(bright)) bright = e;
        if (level(e) < level(dark)) dark = e;
    }
    uint32_t lit = colours[bright] == colours[dark] ? 0xFFFFFF : colours[bright];
    for (uint32_t& c : colours) c = (c >> 2) & 0x3F3F3F;
    colours[bright] = lit, colours[dark] = 0x202020;
    constexpr int X0 = 40, X1 = 280, Y0 = 114, Y1 = 126;
    for (int y = Y0; y < Y1; y++)
        for (int x = X0; x < X1; x++) indices[y * SCAN_WIDTH + x] = uint8_t(x < X0 + (X1 - X0) * done ? bright : dark);
    show_picture_now(indices.data(), colours);
#endif
}

void hide_progress() {
#ifdef __EMSCRIPTEN__
    browser_progress(-1);
#else
    if (!last_picture(nullptr, nullptr) && isatty(STDERR_FILENO)) fprintf(stderr, "\r\x1b[K");
#endif
}

double progress() {
    int64_t now = now_ticks();
    if (seek.target_tick > seek.from_tick) return double(now - seek.from_tick) / double(seek.target_tick - seek.from_tick);
    int scenes = seek.target.scene - seek.from_scene;
    return scenes > 0 ? double(con_current_scene() - seek.from_scene) / scenes : 0;
}

void finish() {
    seek.active = false;
    clock_go_real();
    audio_seek_done();
    if (seek.progress_shown) hide_progress();
    if (seek.display_waits) open_display_now();
    start_reached = true;
}

// The jump asked for, if any, as a moment, and whether it lies before the show's tick now.
bool take_jump(Moment* m, bool* back) {
    std::lock_guard<std::mutex> l(jump_mutex);
    if (!jump_scene && !jump_seconds) return false;
    int64_t now = now_ticks();
    *m = Moment{};
    if (jump_scene) {
        m->scene = jump_scene;
        m->text = std::to_string(jump_scene) + ":0";
        *back = starts.at[jump_scene] >= 0 && starts.at[jump_scene] <= now;
    } else {
        m->ticks = std::max<int64_t>(0, now + int64_t(jump_seconds) * RETRACE_RATE);
        m->seconds = double(m->ticks) / RETRACE_RATE;
        m->text = ticks_as_time(m->ticks);
        *back = jump_seconds < 0;
    }
    jump_scene = jump_seconds = 0;
    return true;
}

}  // namespace

bool seeking() { return seek.active; }

bool seek_display_waits() { return seek.active && seek.display_waits; }

int64_t seek_first_shown(int64_t first, int64_t last) {
    note_scene(starts, con_current_scene(), first);
    if (!seek.active) return first;
    if (seek.target_tick < 0) {
        seek.target_tick = moment_tick(seek.target, starts);
        if (seek.target_tick >= 0) audio_hear_from(seek.target_tick * SAMPLES_PER_TICK);
    }
    if (seek.target_tick < 0 || seek.target_tick > last) return last + 1;
    seek.reached = true;
    if (seek.display_waits) start_reached = true;
    return std::max(first, seek.target_tick);
}

void seek_check() {
    if (crt_scanning()) return;  // a console call from a frame hook: the seek goes on after the scan
    if (seek.active) {
        audio_follow_seek();
        if (seek.reached) return finish();
        int64_t now = monotonic_ns();
        if (now - seek.began_ns >= PROGRESS_AFTER_NS && now - seek.shown_ns >= PROGRESS_EVERY_NS) {
            show_progress(std::min(1.0, std::max(0.0, progress())));
            seek.progress_shown = true;
            seek.shown_ns = now;
        }
        return;
    }
    Moment m;
    bool back = false;
    if (!take_jump(&m, &back)) return;
    if (!back) return begin(m);
    if (!restart_handler) return;
    seek.target = m;
    restart_handler();  // does not return: the driver starts the show again, then console_restart
}

int64_t scene_start_tick(int scene) { return scene >= 0 && scene <= MOMENT_SCENES ? starts.at[scene] : -1; }

void seek_start_of_run() {
    starts = SceneStarts{};
    start_reached = !start_asked;
    if (!start_asked) return;
    clock_restart();
    begin(start_moment);
    seek.display_waits = true;
    start_reached = false;
}

}  // namespace con

using namespace con;

bool console_set_start(const std::string& moment) {
    std::string why;
    start_asked = !moment.empty();
    if (!start_asked) return true;
    if (parse_moment(moment, &start_moment, &why)) return true;
    fprintf(stderr, "tenfold: TENFOLD_START=%s: %s\n", moment.c_str(), why.c_str());
    return false;
}

bool console_start_reached() {
    if (!start_reached)
        fprintf(stderr, "tenfold: TENFOLD_START=%s is past the end of the show (%s)\n", start_moment.text.c_str(),
                ticks_as_time(now_ticks()).c_str());
    return start_reached;
}

void console_on_restart(void (*handler)()) { restart_handler = handler; }

void console_restart() {
    Moment target = seek.target;
    clock_restart();
    audio_mix_from_now();
    restart_scene_marks();
    starts = SceneStarts{};
    begin(target);
}

// Seconds add up until the jump is taken.
void con_request_jump(int scene, int seconds) {
    std::lock_guard<std::mutex> l(jump_mutex);
    if (scene) jump_scene = scene, jump_seconds = 0;
    else jump_seconds += seconds, jump_scene = 0;
}
