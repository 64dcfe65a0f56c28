#include "render.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include <zlib.h>

#include "console/hooks.h"
#include "console/run.h"
#include "encoder.h"
#include "gif.h"
#include "picture.h"
#include "storyboard.h"

namespace {

constexpr char USAGE[] =
    "usage: tenfold-render OUTPUT [--scale N | --frame 1080p|1440p|2160p] [--lossless] [--audio-rate 44100|48000] "
    "[--from MOMENT] [--to MOMENT] [--storyboard FILE.png]";
constexpr char HELP[] =
    "Plays the show in virtual time and records it; options go before or after the output.\n"
    "  OUTPUT        .mp4: H.264 + AAC for sharing (640 x 480 unless --scale or --frame)\n"
    "                .mkv with --lossless: the master, lossless RGB H.264 + FLAC, every pixel and sample exact\n"
    "                .gif, .webp, .png: an animated picture of a clip of at most 20 s, no sound\n"
    "  --scale N     each pixel N x N (1 ... 9; even values keep every colour exact in 4:2:0 video)\n"
    "  --frame 1080p|1440p|2160p  the largest even scale that fits, centred on black in 16:9\n"
    "  --audio-rate 44100|48000   48000: resampled once (SoX resampler, very high quality)\n"
    "  --from MOMENT, --to MOMENT the clip, from the first tick to the one before --to;\n"
    "                MOMENT is SCENE:SECONDS (3:5.5) or SECONDS of show time (12)\n"
    "  --storyboard FILE.png      also a page of pictures, one every 5 s, with scene and time\n"
    "Exit status: 0 written, 1 could not write or encode, 2 a mistake in the command or a moment past\n"
    "the end of the show; nothing is left behind unless it is 0.";

constexpr size_t PIXELS = size_t(SCAN_WIDTH) * SCAN_HEIGHT;
constexpr int LARGE_FRAME_LINES = 1080;  // above: video without CABAC, for speed
constexpr int64_t ANIMATION_MOST_TICKS = int64_t(ANIMATION_MOST_SECONDS) * RETRACE_RATE;

// The render in progress. Process-wide, because the show may end the process (Ctrl-C, SIGTERM,
// a start-up failure, the end of a clip) and the exit handler then removes what was begun.
struct Render {
    RenderOptions options;
    Layout layout;
    bool uses_ffmpeg = false, wants_audio = false;
    Encoder encoder;
    GifWriter gif;
    std::string output, storyboard;  // absolute: the show changes directory
    std::string temp_output, temp_storyboard;
    bool committed = false;
    bool ended_show = false;  // the clip complete, the show asked to end
    std::string failure;
    int failure_status = 1;
    Storyboard board;

    SceneStarts starts;
    int64_t from_tick = -1, to_tick = -1;  // -1 until known; to_tick stays -1 without --to
    int64_t last_scanned = -1;
    bool recording = false, video_done = false;
    int64_t next_tick = 0;  // the tick the next frame shows, once recording
    // The picture on screen: the last scan-out (black before the first).
    std::vector<uint8_t> indices = std::vector<uint8_t>(PIXELS);
    uint8_t palette[768] = {};
    // The frame for the encoder, and what it was drawn from.
    std::vector<uint8_t> frame, drawn_indices;
    uint8_t drawn_palette[768] = {};
    bool drawn = false;
    YuvPalette yuv;
    std::vector<uint8_t> gif_indices;

    std::vector<int16_t> held;  // samples not yet sent or dropped
    int64_t held_from = 0;      // the sample number (from the clock's start) of held[0]
    int64_t audio_sent = 0;     // sample frames sent, from the clip's first tick on

    timespec started{};
    double last_progress = -1;
};
Render* render = nullptr;

double real_seconds(const Render& r) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec - r.started.tv_sec) + (t.tv_nsec - r.started.tv_nsec) / 1e9;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ends_with(const std::string& s, const char* suffix) {
    size_t n = strlen(suffix);
    std::string l = lower(s);
    return l.size() > n && l.compare(l.size() - n, n, suffix) == 0;
}

bool animated(OutputKind k) { return k == OutputKind::Gif || k == OutputKind::Webp || k == OutputKind::Apng; }

// An empty file beside path, to be renamed to it once complete. False with errno set if the
// folder cannot take it.
bool make_temp(const std::string& path, std::string& temp) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    size_t slash = path.rfind('/');
    std::string dir = path.substr(0, slash + 1);
    temp = dir + "." + path.substr(slash + 1) + ".partial-XXXXXX";
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

// Ends the run without a file: at the show's next console call, with this status.
void fail(Render& r, const std::string& why, int status = 1) {
    if (!r.failure.empty()) return;
    r.failure = why;
    r.failure_status = status;
    con_request_quit(status);
}

std::string moment_at(const Moment& m, int64_t tick) { return m.text + " (" + ticks_as_time(tick) + " of show)"; }

void draw_progress(Render& r, bool force) {
    if (!r.options.progress) return;
    double now = real_seconds(r);
    if (!force && now - r.last_progress < 0.1) return;
    r.last_progress = now;
    int scene = con_current_scene();
    char bar[11];
    for (int i = 0; i < 10; i++) bar[i] = i < scene ? '#' : '-';
    bar[10] = 0;
    if (!r.recording) {
        fprintf(stderr, "\r[%s] scene %d  playing unseen up to the clip  %s\x1b[K", bar, scene,
                ticks_as_time(r.last_scanned + 1).c_str());
    } else {
        int64_t frames = r.next_tick - r.from_tick;
        fprintf(stderr, "\r[%s] scene %d  frame %lld  %s  %.0f fps\x1b[K", bar, scene, (long long)frames,
                ticks_as_time(r.next_tick).c_str(), now > 0 ? frames / now : 0.0);
    }
    fflush(stderr);
}

// ---- frames ---------------------------------------------------------------------------------------

// The frame for ffmpeg from the picture on screen, drawn again only when the picture changed.
const uint8_t* encoder_picture(Render& r) {
    if (r.drawn && r.drawn_indices == r.indices && memcmp(r.drawn_palette, r.palette, 768) == 0) return r.frame.data();
    bool border = !r.drawn;
    if (r.options.kind == OutputKind::Video) {
        if (!r.drawn || memcmp(r.drawn_palette, r.palette, 768) != 0) yuv_palette(r.palette, &r.yuv);
        draw_yuv420(r.indices.data(), r.yuv, r.layout, r.frame.data(), border);
    } else {
        draw_rgb(r.indices.data(), r.palette, r.layout, r.frame.data());
    }
    r.drawn_indices = r.indices;
    memcpy(r.drawn_palette, r.palette, 768);
    r.drawn = true;
    return r.frame.data();
}

// GIF pictures come 50 a second: the one at 1/50 s j shows the tick on screen then, so of every
// six ticks the sixth is left out.
bool gif_takes(int64_t offset) {
    int64_t j = (offset * GIF_RATE + RETRACE_RATE - 1) / RETRACE_RATE;
    return j * RETRACE_RATE / GIF_RATE == offset;
}

void add_gif_picture(Render& r) {
    const int s = r.layout.scale;
    const uint8_t* picture = r.indices.data();
    if (s > 1) {
        r.gif_indices.resize(PIXELS * s * s);
        for (int y = 0; y < SCAN_HEIGHT * s; y++)
            for (int x = 0; x < SCAN_WIDTH * s; x++)
                r.gif_indices[size_t(y) * SCAN_WIDTH * s + x] = r.indices[size_t(y / s) * SCAN_WIDTH + x / s];
        picture = r.gif_indices.data();
    }
    gif_add(r.gif, picture, r.palette, 100 / GIF_RATE);
}

// The picture on screen as the frame of tick next_tick.
void emit(Render& r) {
    int64_t offset = r.next_tick - r.from_tick;
    if (!r.options.storyboard.empty() && offset % (STORYBOARD_EVERY_SECONDS * RETRACE_RATE) == 0) {
        std::vector<uint8_t> rgb(PIXELS * 3);
        for (size_t i = 0; i < PIXELS; i++) memcpy(&rgb[i * 3], r.palette + 3 * r.indices[i], 3);
        int scene = con_current_scene();
        std::string label = (scene ? "scene " + std::to_string(scene) : std::string("start")) + "  " +
                            ticks_as_time(r.next_tick, false);
        storyboard_add(r.board, rgb.data(), label);
    }
    if (r.options.kind == OutputKind::Gif) {
        if (gif_takes(offset)) add_gif_picture(r);
    } else {
        encoder_frame(r.encoder, encoder_picture(r));
    }
    r.next_tick++;
}

// ---- sound ----------------------------------------------------------------------------------------

// Sends the held samples that belong to the clip and drops the others.
void send_audio(Render& r) {
    int64_t held = int64_t(r.held.size() / AUDIO_CHANNELS);
    if (held == 0) return;
    if (r.from_tick < 0) {
        // The clip's start is not known yet, so its scene has not started: it comes after the
        // tick on screen now, and the samples before that are not the clip's.
        int64_t drop = std::clamp((r.last_scanned + 1) * SAMPLES_PER_TICK - r.held_from, int64_t(0), held);
        r.held.erase(r.held.begin(), r.held.begin() + drop * AUDIO_CHANNELS);
        r.held_from += drop;
        return;
    }
    int64_t lo = r.from_tick * SAMPLES_PER_TICK;
    int64_t hi = r.to_tick >= 0 ? r.to_tick * SAMPLES_PER_TICK : INT64_MAX;
    int64_t first = std::clamp(lo - r.held_from, int64_t(0), held);
    int64_t last = std::clamp(hi - r.held_from, first, held);
    if (last > first) encoder_audio(r.encoder, r.held.data() + first * AUDIO_CHANNELS, size_t(last - first));
    r.audio_sent += last - first;
    r.held_from += held;
    r.held.clear();
}

// ---- the end ------------------------------------------------------------------------------------

std::string size_text(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return "?";
    char b[32];
    double mb = double(st.st_size) / 1e6;
    if (mb >= 1) snprintf(b, sizeof b, "%.1f MB", mb);
    else snprintf(b, sizeof b, "%.0f kB", double(st.st_size) / 1e3);
    return b;
}

double cpu_seconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// ffmpeg's APNG muxer counts delays in 1/100000 s (1667 for a tick, 59.99 frames a second):
// each frame control chunk gets 1/60 s instead, its checksum made again.
bool apng_exact_delays(const std::string& path) {
    FILE* f = fopen(path.c_str(), "r+b");
    if (!f) return false;
    std::vector<uint8_t> png;
    uint8_t buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) png.insert(png.end(), buf, buf + n);
    auto be32 = [&](size_t at) { return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3]; };
    bool ok = png.size() > 8;
    for (size_t at = 8; ok && at + 12 <= png.size();) {
        size_t length = be32(at);
        if (at + 12 + length > png.size()) ok = false;
        else if (memcmp(&png[at + 4], "fcTL", 4) == 0 && length == 26) {
            uint8_t* d = &png[at + 8];
            d[20] = 0, d[21] = 1, d[22] = 0, d[23] = RETRACE_RATE;  // delay_num, delay_den
            uint32_t crc = uint32_t(crc32(0, &png[at + 4], uInt(length + 4)));
            for (int k = 0; k < 4; k++) png[at + 8 + length + k] = uint8_t(crc >> (24 - 8 * k));
        }
        at += 12 + length;
    }
    ok = ok && fseek(f, 0, SEEK_SET) == 0 && fwrite(png.data(), 1, png.size(), f) == png.size();
    if (fclose(f) != 0) ok = false;
    if (!ok && !errno) errno = EIO;
    return ok;
}

// Ends the encoding, puts the files in place and says what was written. False with the failure
// set if any of it could not be done.
bool complete(Render& r) {
    if (r.uses_ffmpeg) {
        if (r.wants_audio) {  // silence where the music was not mixed up to the last tick
            int64_t missing = (r.next_tick - r.from_tick) * SAMPLES_PER_TICK - r.audio_sent;
            if (missing > 0) {
                std::vector<int16_t> silence(size_t(missing) * AUDIO_CHANNELS, 0);
                encoder_audio(r.encoder, silence.data(), size_t(missing));
            }
        }
        bool finished = encoder_finish(r.encoder);
        if (console_quit_requested() && r.failure.empty()) {  // Ctrl-C while ffmpeg took the last frames
            r.failure = "interrupted";
            r.failure_status = 130;
            return false;
        }
        if (!finished) {
            std::string words = encoder_last_words(r.encoder);
            r.failure = "ffmpeg failed" + (words.empty() ? std::string() : ": " + words);
            return false;
        }
        if (r.options.kind == OutputKind::Apng && !apng_exact_delays(r.temp_output)) {
            r.failure = "cannot write " + r.options.output + ": " + strerror(errno);
            return false;
        }
    } else if (!gif_close(r.gif)) {
        r.failure = "cannot write " + r.options.output + ": " + strerror(errno);
        return false;
    }
    if (!r.temp_storyboard.empty() && !storyboard_write_png(r.board, r.temp_storyboard)) {
        r.failure = "cannot write " + r.options.storyboard + ": " + strerror(errno);
        return false;
    }
    if (rename(r.temp_output.c_str(), r.output.c_str()) != 0) {
        r.failure = "cannot write " + r.options.output + ": " + strerror(errno);
        return false;
    }
    if (!r.temp_storyboard.empty() && rename(r.temp_storyboard.c_str(), r.storyboard.c_str()) != 0) {
        r.failure = "cannot write " + r.options.storyboard + ": " + strerror(errno);
        unlink(r.output.c_str());
        return false;
    }
    r.committed = true;
    int64_t frames = r.next_tick - r.from_tick;
    double took = real_seconds(r), show_seconds = double(frames) / RETRACE_RATE;
    draw_progress(r, true);
    if (r.options.progress) fputs("\n", stderr);
    std::string pictures;
    if (r.options.kind == OutputKind::Gif)
        pictures = ", " + std::to_string(r.gif.pictures) + " GIF pictures (" + std::to_string(GIF_RATE) + " a second, the same one lengthened)";
    fprintf(stderr,
            "tenfold-render: %s: %lld frame%s of %d x %d (ticks %lld to %lld, %s to %s of show)%s, %s, rendered in "
            "%.1f s: %.0f frames per second, %.2f x real time; CPU %.1f s (ffmpeg %.1f s)\n",
            r.options.output.c_str(), (long long)frames, frames == 1 ? "" : "s", r.layout.width, r.layout.height,
            (long long)r.from_tick, (long long)r.next_tick - 1, ticks_as_time(r.from_tick).c_str(),
            ticks_as_time(r.next_tick).c_str(), pictures.c_str(), size_text(r.output).c_str(), took,
            took > 0 ? frames / took : 0.0, took > 0 ? show_seconds / took : 0.0,
            cpu_seconds(RUSAGE_SELF) + cpu_seconds(RUSAGE_CHILDREN), cpu_seconds(RUSAGE_CHILDREN));
    if (!r.options.storyboard.empty())
        fprintf(stderr, "tenfold-render: %s: %zu picture%s, one every %d seconds\n", r.options.storyboard.c_str(),
                r.board.thumbs.size(), r.board.thumbs.size() == 1 ? "" : "s", STORYBOARD_EVERY_SECONDS);
    return true;
}

// The clip's last frame is out and its sound complete: the files are finished now and the show
// is asked to end.
void complete_clip(Render& r) {
    if (!r.video_done || r.ended_show || !r.failure.empty()) return;
    if (r.wants_audio && r.audio_sent < (r.to_tick - r.from_tick) * SAMPLES_PER_TICK) return;
    r.ended_show = true;
    complete(r);  // a failure is reported by the exit handler, with its status
    con_request_quit(1);  // the show ends through its own way out; the exit handler gives the status
}

// ---- the hooks ----------------------------------------------------------------------------------

// Checks what only the run can tell about the clip's ends. False if the run has to stop.
bool check_clip(Render& r, int64_t now) {
    const RenderOptions& o = r.options;
    if (r.from_tick >= 0 && r.to_tick >= 0 && r.to_tick <= r.from_tick) {
        fail(r, "--to " + moment_at(o.to, r.to_tick) + " does not come after --from " + moment_at(o.from, r.from_tick), 2);
        return false;
    }
    if (animated(o.kind) && r.from_tick >= 0 &&
        (r.to_tick >= 0 ? r.to_tick - r.from_tick > ANIMATION_MOST_TICKS : now - r.from_tick >= ANIMATION_MOST_TICKS)) {
        fail(r, "the clip from " + moment_at(o.from, r.from_tick) + " to " + o.to.text + " lasts longer than " +
                    std::to_string(ANIMATION_MOST_SECONDS) + " s, the most for an animated picture",
             2);
        return false;
    }
    return true;
}

void on_frame(const ScanFrame& f) {
    Render& r = *render;
    if (!r.failure.empty() || r.ended_show) return;
    r.last_scanned = f.tick;
    note_scene(r.starts, con_current_scene(), f.tick);
    if (r.from_tick < 0) r.from_tick = r.options.has_from ? moment_tick(r.options.from, r.starts) : f.tick;
    if (r.to_tick < 0 && r.options.has_to) r.to_tick = moment_tick(r.options.to, r.starts);
    if (!check_clip(r, f.tick)) return;
    if (!r.recording && r.from_tick >= 0 && f.tick >= r.from_tick) {
        r.recording = true;
        r.next_tick = r.from_tick;
    }
    if (r.recording) {
        // Ticks without a scan-out (text mode between two graphics modes) keep the last picture.
        while (!r.video_done && r.next_tick < f.tick && !r.encoder.broken) {
            if (r.to_tick >= 0 && r.next_tick >= r.to_tick) r.video_done = true;
            else emit(r);
        }
    }
    memcpy(r.indices.data(), f.indices, PIXELS);
    con_dac_palette(f.dac, r.palette);
    if (r.recording && !r.video_done) {
        if (r.to_tick >= 0 && r.next_tick >= r.to_tick) r.video_done = true;
        else emit(r);
    }
    send_audio(r);
    if (r.encoder.broken) fail(r, "ffmpeg stopped: " + encoder_last_words(r.encoder));
    draw_progress(r, false);
    complete_clip(r);
}

void on_audio(const int16_t* samples, size_t frames) {
    Render& r = *render;
    if (!r.failure.empty() || r.ended_show || !r.wants_audio) return;
    r.held.insert(r.held.end(), samples, samples + AUDIO_CHANNELS * frames);
    send_audio(r);
    complete_clip(r);
}

void remove_temps(Render& r) {
    if (!r.temp_output.empty()) unlink(r.temp_output.c_str());
    if (!r.temp_storyboard.empty()) unlink(r.temp_storyboard.c_str());
}

// At exit: a render that did not complete leaves nothing behind; one that ended the show after
// its clip gives the render's status, not the show's.
void clean_up() {
    if (!render) return;
    Render& r = *render;
    if (r.committed) {
        if (!r.ended_show) return;
        fflush(nullptr);
        _exit(0);
    }
    encoder_kill(r.encoder);
    if (r.gif.file) fclose(r.gif.file), r.gif.file = nullptr;
    remove_temps(r);
    if (r.options.progress) fputs("\r\x1b[K", stderr);
    fprintf(stderr, "tenfold-render: %s; %s not written\n",
            r.failure.empty() ? "stopped before the end of the show" : r.failure.c_str(), r.options.output.c_str());
    if (!r.failure.empty()) {
        fflush(nullptr);
        _exit(r.failure_status);  // the show's quit path would give its own status
    }
}

// After the show: what it never reached, the last frames, the files in place.
int finish(Render& r) {
    const RenderOptions& o = r.options;
    if (r.committed) return 0;  // a clip, finished as its last frame went out
    if (r.failure.empty() && r.last_scanned < 0) r.failure = "the show presented no frame";
    if (!r.failure.empty()) return r.failure_status;
    int64_t end = r.last_scanned + 1;  // the tick after the last picture
    std::string ended = " comes after the end of the show (" + ticks_as_time(end) + ")";
    if (r.from_tick < 0 || r.from_tick >= end) {
        r.failure = "--from " + o.from.text + ended;
        return r.failure_status = 2;
    }
    if (o.has_to && (r.to_tick < 0 || r.to_tick > end)) {
        r.failure = "--to " + o.to.text + ended;
        return r.failure_status = 2;
    }
    if (o.has_to) {
        r.video_done = true;
    } else {
        // Picture and sound end together, at the end of a whole tick: the last picture stays
        // while sound mixed past it plays.
        while ((r.next_tick - r.from_tick) * SAMPLES_PER_TICK < r.audio_sent) emit(r);
        if (animated(o.kind) && r.next_tick - r.from_tick > ANIMATION_MOST_TICKS) {
            r.failure = "the clip from " + moment_at(o.from, r.from_tick) + " to the end lasts longer than " +
                        std::to_string(ANIMATION_MOST_SECONDS) + " s, the most for an animated picture";
            return r.failure_status = 2;
        }
    }
    return complete(r) ? 0 : r.failure_status;
}

// ---- the command line ---------------------------------------------------------------------------

bool usage_error(const std::string& problem) {
    fprintf(stderr, "tenfold-render: %s (%s)\n", problem.c_str(), USAGE);
    return false;
}

bool read_whole(const std::string& text, int lo, int hi, int* out) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    int v = atoi(text.c_str());
    if (v < lo || v > hi) return false;
    *out = v;
    return true;
}

// The ffmpeg command for the options: the raw frames on pipe:3, the samples on pipe:4.
std::vector<std::string> ffmpeg_args(const RenderOptions& o, const Layout& l, const std::string& out) {
    std::string size = std::to_string(l.width) + "x" + std::to_string(l.height);
    std::vector<std::string> a = {
        "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        "-probesize", "32", "-analyzeduration", "0",  // start without reading ahead on either pipe
        "-f", "rawvideo", "-pixel_format", o.kind == OutputKind::Video ? "yuv420p" : "rgb24",
        "-video_size", size, "-framerate", std::to_string(RETRACE_RATE), "-i", "pipe:3"};
    bool audio = o.kind == OutputKind::Video || o.kind == OutputKind::Master;
    if (audio) {
        a.insert(a.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "s16le", "-ar", std::to_string(AUDIO_RATE),
                           "-ac", std::to_string(AUDIO_CHANNELS), "-i", "pipe:4", "-map", "0:v", "-map", "1:a"});
        if (o.audio_rate != AUDIO_RATE)  // the SoX resampler at its very high quality, once
            a.insert(a.end(), {"-af", "aresample=" + std::to_string(o.audio_rate) + ":resampler=soxr:precision=28"});
    }
    switch (o.kind) {
        case OutputKind::Video:
            // The fastest preset, at a quality above the old veryfast at CRF 18 by PSNR and SSIM
            // against the master, in a third of its time; with CABAC (a sixth smaller) up to
            // 1080 lines, where it costs little, not above (docs/recording.md).
            a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-x264-params",
                               l.height > LARGE_FRAME_LINES ? "cabac=0" : "cabac=1", "-crf", "17", "-pix_fmt", "yuv420p",
                               "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                               "-color_range", "tv", "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart",
                               "-f", "mp4"});
            break;
        case OutputKind::Master:
            // Lossless H.264 of the RGB itself (High 4:4:4): five times as fast as FFV1 here and 40 %
            // smaller (docs/recording.md).
            a.insert(a.end(), {"-c:v", "libx264rgb", "-qp", "0", "-preset", "ultrafast", "-pix_fmt", "rgb24",
                               "-colorspace", "rgb", "-color_primaries", "bt709",
                               "-color_trc", "iec61966-2-1", "-color_range", "pc", "-c:a", "flac", "-f", "matroska"});
            break;
        case OutputKind::Webp:
            a.insert(a.end(), {"-c:v", "libwebp_anim", "-lossless", "1", "-pix_fmt", "bgra", "-loop", "0", "-f", "webp"});
            break;
        case OutputKind::Apng:
            a.insert(a.end(), {"-c:v", "apng", "-pix_fmt", "rgb24", "-plays", "0", "-f", "apng"});
            break;
        case OutputKind::Gif:
            break;
    }
    a.insert(a.end(), {"-map_metadata", "-1", "-fflags", "+bitexact", "-flags:v", "+bitexact"});
    if (audio) a.insert(a.end(), {"-flags:a", "+bitexact"});
    a.push_back(out);
    return a;
}

}  // namespace

bool parse_render_args(int argc, char** argv, RenderOptions& o, bool* help) {
    *help = false;
    std::string scale, frame, rate, from, to;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            *help = true;
            printf("%s\n%s\n", USAGE, HELP);
            return true;
        }
        if (a == "--lossless") {
            o.lossless = true;
            continue;
        }
        if (a.size() < 2 || a[0] != '-') {
            if (!o.output.empty()) return usage_error("more than one output file (" + o.output + ", " + a + ")");
            o.output = a;
            continue;
        }
        size_t eq = a.find('=');
        std::string name = a.substr(0, eq), value;
        // --sheet is the storyboard's old name.
        struct {
            const char* name;
            std::string* value;
        } const takes_value[] = {{"--scale", &scale}, {"--frame", &frame}, {"--audio-rate", &rate}, {"--from", &from},
                                 {"--to", &to},       {"--storyboard", &o.storyboard}, {"--sheet", &o.storyboard}};
        std::string* target = nullptr;
        for (auto& t : takes_value)
            if (name == t.name) target = t.value;
        if (!target) return usage_error("unknown option " + a);
        if (!target->empty()) return usage_error(name + " given twice");
        if (eq != std::string::npos) value = a.substr(eq + 1);
        else if (i + 1 < argc) value = argv[++i];
        if (value.empty()) return usage_error(name + " needs a value");
        *target = value;
    }
    if (o.output.empty()) return usage_error("no output file given");
    if (ends_with(o.output, ".mp4")) o.kind = OutputKind::Video;
    else if (ends_with(o.output, ".mkv")) o.kind = OutputKind::Master;
    else if (ends_with(o.output, ".gif")) o.kind = OutputKind::Gif;
    else if (ends_with(o.output, ".webp")) o.kind = OutputKind::Webp;
    else if (ends_with(o.output, ".png")) o.kind = OutputKind::Apng;
    else return usage_error("the output's name must end in .mp4, .mkv (with --lossless), .gif, .webp or .png: " + o.output);
    if (o.lossless && o.kind != OutputKind::Master) return usage_error("--lossless writes a Matroska master: name it .mkv");
    if (!o.lossless && o.kind == OutputKind::Master)
        return usage_error("a .mkv output is the lossless master: add --lossless (or name an .mp4 for sharing)");
    if (!scale.empty() && !read_whole(scale, 1, MAX_SCALE, &o.scale))
        return usage_error("--scale takes a whole number from 1 to " + std::to_string(MAX_SCALE) + ": " + scale);
    if (!frame.empty()) {
        if (frame == "1080p" || frame == "1440p" || frame == "2160p") o.frame_lines = atoi(frame.c_str());
        else return usage_error("--frame takes 1080p, 1440p or 2160p: " + frame);
    }
    if (o.scale && o.frame_lines) return usage_error("--scale and --frame both set the picture's size: give one");
    if (animated(o.kind) && o.frame_lines) return usage_error("--frame is for video (.mp4, .mkv), not an animated picture");
    if (!rate.empty()) {
        if (rate == "44100" || rate == "48000") o.audio_rate = atoi(rate.c_str());
        else return usage_error("--audio-rate takes 44100 or 48000: " + rate);
        if (animated(o.kind)) return usage_error("an animated picture has no sound: --audio-rate is for video");
    }
    if (!o.storyboard.empty() && !ends_with(o.storyboard, ".png"))
        return usage_error("the storyboard's name must end in .png: " + o.storyboard);
    std::string why;
    o.has_from = !from.empty();
    o.has_to = !to.empty();
    if (o.has_from && !parse_moment(from, &o.from, &why)) return usage_error("--from " + from + ": " + why);
    if (o.has_to && !parse_moment(to, &o.to, &why)) return usage_error("--to " + to + ": " + why);
    if (!o.has_from) parse_moment("0", &o.from, &why);
    if (o.has_to && moment_order(o.from, o.to) > 0)
        return usage_error("--to " + o.to.text + " does not come after --from " + o.from.text);
    if (animated(o.kind)) {
        if (!o.has_to)
            return usage_error("an animated picture is a clip of at most " + std::to_string(ANIMATION_MOST_SECONDS) +
                               " s: give --to (and --from)");
        if (o.from.scene == o.to.scene && o.to.ticks - o.from.ticks > ANIMATION_MOST_TICKS)
            return usage_error("the clip from " + o.from.text + " to " + o.to.text + " lasts " +
                               ticks_as_time(o.to.ticks - o.from.ticks) + "; an animated picture is at most " +
                               std::to_string(ANIMATION_MOST_SECONDS) + " s");
    }
    if (!o.scale && !o.frame_lines) o.scale = o.kind == OutputKind::Video ? 2 : 1;
    return true;
}

int render_show(const RenderOptions& o, int (*show)()) {
    static Render the_render;
    Render& r = the_render;
    r.options = o;
    r.layout = o.frame_lines ? framed_layout(o.frame_lines) : scaled_layout(o.scale);
    r.uses_ffmpeg = o.kind != OutputKind::Gif;
    r.wants_audio = o.kind == OutputKind::Video || o.kind == OutputKind::Master;
    std::string ffmpeg;
    if (r.uses_ffmpeg && (ffmpeg = find_ffmpeg()).empty()) {
        fprintf(stderr, "tenfold-render: ffmpeg not found on PATH (it is in Debian's ffmpeg package)\n");
        return 1;
    }
    r.output = std::filesystem::absolute(o.output).string();
    if (!o.storyboard.empty()) r.storyboard = std::filesystem::absolute(o.storyboard).string();
    for (auto [path, temp, name] : {std::tuple{&r.output, &r.temp_output, &o.output},
                                    std::tuple{&r.storyboard, &r.temp_storyboard, &o.storyboard}}) {
        if (path->empty() || make_temp(*path, *temp)) continue;
        fprintf(stderr, "tenfold-render: cannot write %s: %s\n", name->c_str(), strerror(errno));
        remove_temps(r);
        return 1;
    }
    render = &r;
    atexit(clean_up);
    clock_gettime(CLOCK_MONOTONIC, &r.started);
    if (r.uses_ffmpeg) {
        size_t frame_bytes = o.kind == OutputKind::Video ? yuv420_size(r.layout) : rgb_size(r.layout);
        r.frame.resize(frame_bytes);
        if (!encoder_start(r.encoder, ffmpeg, ffmpeg_args(o, r.layout, r.temp_output), frame_bytes, r.wants_audio)) {
            r.failure = std::string("cannot start ffmpeg: ") + strerror(errno);
            return 1;
        }
    } else if (!gif_open(r.gif, r.temp_output, r.layout.width, r.layout.height)) {
        r.failure = "cannot write " + o.output + ": " + strerror(errno);
        return 1;
    }
    ConsoleSettings s = console_settings_from_env();  // its outputs (TENFOLD_AUDIO_OUT, TENFOLD_STATS) too
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
