// Settings, start, the user's requests to quit, and the run statistics.
#include <mikmod.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "console/internal.h"
#include "console/pacing.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

namespace con {

ConsoleSettings settings;
void start_clock();

namespace {

std::atomic<int> quit_status{0};  // set by signal handlers and the window's thread
bool quitting = false;
void (*quit_handler)(int) = nullptr;
void (*fatal_cleanup)() = nullptr;
bool started = false;
bool outputs_failed = false;
bool stats_written = false;

constexpr int QUIT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT};
struct sigaction crash_previous[std::size(CRASH_SIGNALS)];

struct SceneStats {
    int scene;
    int64_t frames, ticks, missed;
    double cpu, seconds;
    long position;
};
std::vector<SceneStats> marks;  // where each scene started
int64_t frames = 0, missed_ticks = 0;
long song_position = -1;
struct {
    bool reported = false;
    PacingCount count;
    double hz = 0;
    int per_tick = 0;
} pacing;

// What is left to do when a signal ends the process at once; async-signal-safe.
void clean_up_at_once() {
    restore_terminal_now();
    if (fatal_cleanup) fatal_cleanup();
}

void on_signal(int sig) {
    if (quit_status) {  // a second request: stop at once
        clean_up_at_once();
        signal(sig, SIG_DFL);
        raise(sig);
        return;
    }
    quit_status = 128 + sig;
}

void on_crash(int sig, siginfo_t* info, void*) {
    clean_up_at_once();
    for (size_t i = 0; i < std::size(CRASH_SIGNALS); i++)
        if (CRASH_SIGNALS[i] == sig) sigaction(sig, &crash_previous[i], nullptr);
    // A fault the processor raised comes again when its instruction runs again, now with the
    // previous action; a signal that was sent is sent again.
    if (info->si_code <= 0 || sig == SIGABRT || sig == SIGQUIT) raise(sig);
}

// Signals the user ends the show with; one ignored from the start (nohup, a shell's background
// job) stays ignored.
void trap_signals() {
    for (int sig : QUIT_SIGNALS) {
        if (signal(sig, on_signal) == SIG_IGN) signal(sig, SIG_IGN);
    }
    signal(SIGPIPE, SIG_IGN);
    struct sigaction sa {};
    sa.sa_sigaction = on_crash;
    sa.sa_flags = SA_SIGINFO;
    sigemptyset(&sa.sa_mask);
    for (size_t i = 0; i < std::size(CRASH_SIGNALS); i++) {
        sigaction(CRASH_SIGNALS[i], &sa, &crash_previous[i]);
        if (crash_previous[i].sa_handler == SIG_IGN) sigaction(CRASH_SIGNALS[i], &crash_previous[i], nullptr);
    }
}

std::string started_in;  // the working folder at console_start

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return started_in + "/" + path;
}

void finish() {
    close_audio_output();
    close_display();
    write_stats();
}

SceneStats snapshot(int scene) {
    return SceneStats{scene, frames, now_ticks(), missed_ticks, cpu_seconds(), con_seconds(), song_position};
}

}  // namespace

void request_quit(int status) {
    if (!quit_status) quit_status = status;
}

void count_presentation(int64_t missed) {
    frames++;
    missed_ticks += missed;
}

void note_song_position() {
    if (in_driver_update) return;  // the clock moved inside MikMod_Update; the next tick notes it
    if (MODULE* m = Player_GetModule()) song_position = long(m->sngpos) * 65536 + m->patpos;
}

const std::string& start_folder() { return started_in; }

void report_pacing(const PacingCount& p, double hz, int per_tick) {
    pacing.reported = true;
    pacing.count = p;
    pacing.hz = hz;
    pacing.per_tick = per_tick;
}

void report_output_failure(const std::string& path, int error) {
    outputs_failed = true;
    fprintf(stderr, "tenfold: cannot write %s: %s\n", path.c_str(), strerror(error));
}

void write_stats() {
    if (settings.stats.empty() || stats_written) return;
    stats_written = true;
    FILE* f = fopen(settings.stats.c_str(), "w");
    if (!f) {
        report_output_failure(settings.stats, errno);
        return;
    }
    SceneStats end = snapshot(0);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    fprintf(f, "{\"clock\": \"%s\", \"frames\": %lld, \"ticks\": %lld, \"missed_ticks\": %lld, "
               "\"cpu_seconds\": %.3f, \"seconds\": %.6f, \"peak_rss_kb\": %ld, \"scenes\": [",
            settings.virtual_clock ? "virtual" : "real", (long long)end.frames, (long long)end.ticks,
            (long long)end.missed, end.cpu, end.seconds, usage.ru_maxrss);
    for (size_t i = 0; i < marks.size(); i++) {
        const SceneStats& a = marks[i];
        const SceneStats& b = i + 1 < marks.size() ? marks[i + 1] : end;
        fprintf(f, "%s\n  {\"scene\": %d, \"frames\": %lld, \"ticks\": %lld, \"missed_ticks\": %lld, "
                   "\"cpu_seconds\": %.3f, \"start_seconds\": %.6f, \"end_seconds\": %.6f, "
                   "\"start_position\": %ld, \"end_position\": %ld}",
                i ? "," : "", a.scene, (long long)(b.frames - a.frames), (long long)(b.ticks - a.ticks),
                (long long)(b.missed - a.missed), b.cpu - a.cpu, a.seconds, b.seconds, a.position, b.position);
    }
    fprintf(f, "%s]", marks.empty() ? "" : "\n");
    if (pacing.reported) {
        const PacingCount& p = pacing.count;
        fprintf(f, ",\n \"display\": {\"refresh_hz\": %.3f, \"refreshes_per_tick\": %d, \"refreshes\": %lld, "
                   "\"motion_refreshes\": %lld, \"ticks_shown_once\": %lld, \"ticks_shown_twice\": %lld, "
                   "\"ticks_shown_more\": %lld, \"ticks_never_shown\": %lld, \"repeated\": %lld, \"skipped\": %lld}",
                pacing.hz, pacing.per_tick, (long long)p.refreshes, (long long)p.motion_refreshes, (long long)p.once,
                (long long)p.twice, (long long)p.more, (long long)p.never, (long long)p.repeated, (long long)p.skipped);
    }
    fprintf(f, "}\n");
    int error = fflush(f) != 0 || ferror(f) ? errno : 0;
    if (fclose(f) != 0 && !error) error = errno;
    if (error) report_output_failure(settings.stats, error);
}

}  // namespace con

using namespace con;

ConsoleSettings console_settings_from_env() {
    ConsoleSettings s;
    if (const char* v = getenv("TENFOLD_VIDEO")) s.video = v;
    if (const char* v = getenv("TENFOLD_CLOCK")) s.virtual_clock = std::string(v) == "virtual";
    if (const char* v = getenv("TENFOLD_AUDIO_OUT")) s.audio_out = v;
    if (const char* v = getenv("TENFOLD_SCALE")) s.scale = atoi(v);
    if (const char* v = getenv("TENFOLD_STATS")) s.stats = v;
    if (const char* v = getenv("TENFOLD_VSYNC")) s.vsync = std::string(v) != "off";
    if (const char* v = getenv("TENFOLD_START")) s.start = v;
    return s;
}

void console_start(const ConsoleSettings& s) {
    char cwd[PATH_MAX];
    started_in = getcwd(cwd, sizeof cwd) ? cwd : ".";
    settings = s;
    const std::string& v = settings.video;
    if (v != "auto" && v != "window" && v != "terminal" && v != "none") {
        fprintf(stderr, "tenfold: TENFOLD_VIDEO=%s is not one of auto, window, terminal, none; using auto\n",
                v.c_str());
        settings.video = "auto";
    }
    // The show may change its directory later; files named relative to where it started stay there.
    settings.audio_out = absolute(settings.audio_out);
    settings.stats = absolute(settings.stats);
    if (!console_set_start(settings.start)) exit(2);
    start_clock();
    quit_status = 0;
    quitting = false;
    outputs_failed = stats_written = false;
    marks.clear();
    seek_start_of_run();
    pacing.reported = false;
    frames = missed_ticks = 0;
    song_position = -1;
    if (!started) {
        started = true;
        trap_signals();
        atexit(finish);
    }
}

void console_start() { console_start(console_settings_from_env()); }

void console_on_quit(void (*handler)(int)) { quit_handler = handler; }

void console_on_fatal_signal(void (*cleanup)()) { fatal_cleanup = cleanup; }

int console_close_outputs() {
    close_audio_output();
    write_stats();
    return outputs_failed ? 0 : 1;
}

bool console_quit_requested() { return quit_status != 0; }

void console_check_quit() {
#ifdef __EMSCRIPTEN__
    browser_breathe();  // every console call may give the page its turn (Esc comes in then)
#endif
    if (!quit_status) {
        hold_while_paused();
        seek_check();
#ifndef __EMSCRIPTEN__
        take_screenshot_if_asked();  // the page takes its own
#endif
    }
    if (!quit_status || quitting) return;
    quitting = true;
    if (quit_handler) quit_handler(quit_status);
    exit(quit_status);
}

void console_mark_scene(int scene) {
    note_song_position();
    marks.push_back(snapshot(scene));
}

int con_current_scene() { return marks.empty() ? 0 : marks.back().scene; }

void con::restart_scene_marks() { marks.clear(); }

void con_request_quit(int status) { request_quit(status); }
