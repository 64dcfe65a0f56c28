#include "render.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"
#include "encoder.h"
#include "sheet.h"

namespace {

constexpr char USAGE[] = "usage: tenfold-render OUT.mp4 [--sheet FILE.png]";

// The render in progress. Process-wide, because the show may end the process (Ctrl-C, SIGTERM,
// a start-up failure) and the exit handler then removes what was begun.
struct Render {
    RenderOptions options;
    Encoder encoder;
    std::string temp_video, temp_sheet;
    bool committed = false;
    std::string failure;
    Sheet sheet;
    int64_t first_tick = -1;  // the first frame's tick: the video starts there
    int64_t next_tick = 0;    // the tick the next frame shows
    std::vector<uint8_t> last_frame;
    std::vector<int16_t> held;  // samples before the first frame, not yet sent
    int64_t held_from = 0;      // sample number (from the clock's start) of held[0]
    int64_t audio_sent = 0;     // sample frames sent, from the first frame's time on
    timespec started{};
    double last_progress = -1;
};
Render* render = nullptr;

double real_seconds(const Render& r) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec - r.started.tv_sec) + (t.tv_nsec - r.started.tv_nsec) / 1e9;
}

std::string show_time(int64_t ticks, bool hundredths) {
    char b[32];
    int64_t centis = ticks * 100 / RETRACE_RATE;
    if (hundredths)
        snprintf(b, sizeof b, "%lld:%02lld.%02lld", (long long)(centis / 6000), (long long)(centis / 100 % 60),
                 (long long)(centis % 100));
    else
        snprintf(b, sizeof b, "%lld:%02lld", (long long)(centis / 6000), (long long)(centis / 100 % 60));
    return b;
}

bool ends_with(std::string s, const char* suffix) {
    size_t n = strlen(suffix);
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
}

// An empty file beside path, to be renamed to it once complete. False with errno set if the
// folder cannot take it.
bool make_temp(const std::string& path, std::string& temp) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    temp = dir + (slash == std::string::npos ? "/." : ".") + base + ".partial-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        temp.clear();
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // as an ordinary new file would be
    close(fd);
    return true;
}

void fail(Render& r, const std::string& why) {
    if (!r.failure.empty()) return;
    r.failure = why;
    con_request_quit(1);  // the show ends at its next console call
}

void draw_progress(Render& r, bool force) {
    if (!r.options.progress) return;
    double now = real_seconds(r);
    if (!force && now - r.last_progress < 0.1) return;
    r.last_progress = now;
    int64_t frames = r.next_tick - r.first_tick;
    int scene = con_current_scene();
    char bar[11];
    for (int i = 0; i < 10; i++) bar[i] = i < scene ? '#' : '-';
    bar[10] = 0;
    fprintf(stderr, "\r[%s] scene %d  frame %lld  %s  %.0f fps\x1b[K", bar, scene, (long long)frames,
            show_time(frames, true).c_str(), now > 0 ? frames / now : 0.0);
    fflush(stderr);
}

// Sends the samples from the video's first frame on; those before it are dropped.
void send_audio(Render& r) {
    if (r.first_tick < 0) return;  // held until the video starts
    int64_t held = int64_t(r.held.size() / 2);
    int64_t drop = std::clamp(r.first_tick * SAMPLES_PER_TICK - r.held_from, int64_t(0), held);
    if (held > drop) encoder_audio(r.encoder, r.held.data() + 2 * drop, size_t(held - drop));
    r.audio_sent += held - drop;
    r.held_from += held;
    r.held.clear();
}

void emit(Render& r, const uint8_t* rgb) {
    int64_t t = r.next_tick - r.first_tick;
    if (!r.options.sheet.empty() && t % (SHEET_EVERY_SECONDS * RETRACE_RATE) == 0) {
        int scene = con_current_scene();
        std::string label = (scene ? "scene " + std::to_string(scene) : std::string("start")) + "  " + show_time(t, false);
        sheet_add(r.sheet, rgb, label);
    }
    encoder_frame(r.encoder, rgb);
    r.next_tick++;
}

void on_frame(const ScanFrame& f) {
    Render& r = *render;
    if (!r.failure.empty()) return;
    if (r.first_tick < 0) r.first_tick = r.next_tick = f.tick;
    // Ticks without a scan-out (text mode between two graphics modes) keep the last picture.
    while (r.next_tick < f.tick && !r.encoder.broken) emit(r, r.last_frame.data());
    r.last_frame.assign(f.rgb, f.rgb + size_t(SCAN_WIDTH) * SCAN_HEIGHT * 3);
    emit(r, f.rgb);
    send_audio(r);
    if (r.encoder.broken) fail(r, "ffmpeg stopped: " + encoder_last_words(r.encoder));
    draw_progress(r, false);
}

void on_audio(const int16_t* samples, size_t frames) {
    Render& r = *render;
    if (!r.failure.empty()) return;
    r.held.insert(r.held.end(), samples, samples + 2 * frames);
    send_audio(r);
}

void remove_temps(Render& r) {
    if (!r.temp_video.empty()) unlink(r.temp_video.c_str());
    if (!r.temp_sheet.empty()) unlink(r.temp_sheet.c_str());
}

// At exit: a render that did not complete leaves nothing behind.
void clean_up() {
    if (!render || render->committed) return;
    Render& r = *render;
    encoder_kill(r.encoder);
    remove_temps(r);
    if (r.options.progress) fputs("\r\x1b[K", stderr);
    fprintf(stderr, "tenfold-render: %s; %s not written\n",
            r.failure.empty() ? "stopped before the end of the show" : r.failure.c_str(), r.options.output.c_str());
}

// After the show: the audio made as long as the video, ffmpeg done, the files in place.
int finish(Render& r) {
    if (r.failure.empty() && r.first_tick < 0) r.failure = "the show presented no frame";
    if (!r.failure.empty()) return 1;
    // Picture and sound end together, at the end of a whole tick: the last picture stays while
    // sound mixed past it plays; silence where the music was not mixed up to the last tick.
    while ((r.next_tick - r.first_tick) * SAMPLES_PER_TICK < r.audio_sent) emit(r, r.last_frame.data());
    int64_t missing = (r.next_tick - r.first_tick) * SAMPLES_PER_TICK - r.audio_sent;
    if (missing > 0) {
        std::vector<int16_t> silence(size_t(missing) * 2, 0);
        encoder_audio(r.encoder, silence.data(), size_t(missing));
    }
    bool finished = encoder_finish(r.encoder);
    if (console_quit_requested()) {  // Ctrl-C while ffmpeg took the last frames: not a whole video
        r.failure = "interrupted";
        return 130;
    }
    if (!finished) {
        std::string words = encoder_last_words(r.encoder);
        r.failure = "ffmpeg failed" + (words.empty() ? std::string() : ": " + words);
        return 1;
    }
    if (!r.temp_sheet.empty() && !sheet_write_png(r.sheet, r.temp_sheet)) {
        r.failure = "cannot write " + r.options.sheet + ": " + strerror(errno);
        return 1;
    }
    if (rename(r.temp_video.c_str(), r.options.output.c_str()) != 0) {
        r.failure = "cannot write " + r.options.output + ": " + strerror(errno);
        return 1;
    }
    if (!r.temp_sheet.empty() && rename(r.temp_sheet.c_str(), r.options.sheet.c_str()) != 0) {
        r.failure = "cannot write " + r.options.sheet + ": " + strerror(errno);
        unlink(r.options.output.c_str());
        return 1;
    }
    r.committed = true;
    int64_t frames = r.next_tick - r.first_tick;
    double took = real_seconds(r);
    draw_progress(r, true);
    if (r.options.progress) fputs("\n", stderr);
    fprintf(stderr, "tenfold-render: %s: %lld frame%s, %s of show, rendered in %.1f s: %.1f frames per second\n",
            r.options.output.c_str(), (long long)frames, frames == 1 ? "" : "s", show_time(frames, true).c_str(),
            took, took > 0 ? frames / took : 0.0);
    if (!r.options.sheet.empty())
        fprintf(stderr, "tenfold-render: %s: %zu picture%s, one every %d seconds\n", r.options.sheet.c_str(),
                r.sheet.thumbs.size(), r.sheet.thumbs.size() == 1 ? "" : "s", SHEET_EVERY_SECONDS);
    return 0;
}

bool usage_error(const std::string& problem) {
    fprintf(stderr, "tenfold-render: %s (%s)\n", problem.c_str(), USAGE);
    return false;
}

}  // namespace

bool parse_render_args(int argc, char** argv, RenderOptions& o, bool* help) {
    *help = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            *help = true;
            puts(USAGE);
            return true;
        }
        if (a == "--sheet" || a.rfind("--sheet=", 0) == 0) {
            if (!o.sheet.empty()) return usage_error("--sheet given twice");
            if (a == "--sheet" && i + 1 >= argc) return usage_error("--sheet needs a file name");
            o.sheet = a == "--sheet" ? argv[++i] : a.substr(8);
            if (o.sheet.empty()) return usage_error("--sheet needs a file name");
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option " + a);
        } else if (!o.output.empty()) {
            return usage_error("more than one output file (" + o.output + ", " + a + ")");
        } else {
            o.output = a;
        }
    }
    if (o.output.empty()) return usage_error("no output file given");
    if (!ends_with(o.output, ".mp4")) return usage_error("the output file's name must end in .mp4: " + o.output);
    if (!o.sheet.empty() && !ends_with(o.sheet, ".png"))
        return usage_error("the contact sheet's name must end in .png: " + o.sheet);
    return true;
}

int render_show(const RenderOptions& o, int (*show)()) {
    static Render the_render;
    Render& r = the_render;
    r.options = o;
    std::string ffmpeg = find_ffmpeg();
    if (ffmpeg.empty()) {
        fprintf(stderr, "tenfold-render: ffmpeg not found on PATH (it is in Debian's ffmpeg package)\n");
        return 1;
    }
    for (auto [path, temp] : {std::pair{&o.output, &r.temp_video}, std::pair{&o.sheet, &r.temp_sheet}}) {
        if (path->empty() || make_temp(*path, *temp)) continue;
        fprintf(stderr, "tenfold-render: cannot write %s: %s\n", path->c_str(), strerror(errno));
        remove_temps(r);
        return 1;
    }
    render = &r;
    atexit(clean_up);
    clock_gettime(CLOCK_MONOTONIC, &r.started);
    if (!encoder_start(r.encoder, ffmpeg, r.temp_video)) {
        r.failure = std::string("cannot start ffmpeg: ") + strerror(errno);
        return 1;
    }
    ConsoleSettings s;
    s.video = "none";
    s.virtual_clock = true;
    console_start(s);
    con_set_frame_hook(on_frame);
    con_set_audio_hook(on_audio);
    show();
    con_set_frame_hook(nullptr);
    con_set_audio_hook(nullptr);
    return finish(r);
}
