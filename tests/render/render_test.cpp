// tenfold-render on a short run of frames of our own (fast, even under AddressSanitizer): its
// mistakes and failures leave nothing behind; two renders decode the same; the video is tagged,
// 60 frames a second on the 1/60 s grid, as long as the run, sound as long; every scale keeps the
// pixels; the master decodes to the scan-out exactly, and so do the animated pictures.
// ffprobe, ffmpeg and ImageMagick are the independent readers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "music/music.h"
#include "render.h"
#include "storyboard.h"
#include "support/frames.h"
#include "support/palettes.h"
#include "support/run.h"
#include "video/palette.h"
#include "video/present.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> entries(const std::string& dir) {
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

struct RenderCommand : ::testing::Test {
    std::string dir = make_temp_dir("render-args");
    void TearDown() override { remove_tree(dir); }
    RunResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        std::string script = dir + ".sh", line = "exec " TENFOLD_BUILD_DIR "/tenfold-render";
        for (auto& a : args) line += " '" + a + "'";
        write_file(script, "#!/bin/sh\n" + line + "\n");
        chmod(script.c_str(), 0755);
        RunResult r = run_program(script, dir, env);
        unlink(script.c_str());
        return r;
    }
};

TEST_F(RenderCommand, MistakesStopBeforeTheShowWithOneLineAndLeaveNothing) {
    const std::string usage = "usage: tenfold-render OUTPUT";
    fs::create_directory(dir + "/taken.mp4");
    const struct {
        std::vector<std::string> args, env;
        int status;
        std::string says;
    } cases[] = {
        {{}, {}, 2, "no output file given"},
        {{"a.mp4", "b.mp4"}, {}, 2, "more than one output file"},
        {{"--fast", "a.mp4"}, {}, 2, "unknown option --fast"},
        {{"a.avi"}, {}, 2, "must end in .mp4, .mkv (with --lossless), .gif, .webp or .png"},
        {{"a.mp4", "--storyboard"}, {}, 2, "--storyboard needs a value"},
        {{"a.mp4", "--storyboard", "s.jpg"}, {}, 2, "the storyboard's name must end in .png"},
        {{"a.mp4", "--storyboard=s.png", "--sheet", "t.png"}, {}, 2, "--sheet given twice"},
        {{"a.mp4", "--scale", "0"}, {}, 2, "--scale takes a whole number from 1 to 9: 0"},
        {{"a.mp4", "--scale=10"}, {}, 2, "--scale takes a whole number from 1 to 9: 10"},
        {{"a.mp4", "--scale", "2x"}, {}, 2, "--scale takes a whole number"},
        {{"a.mp4", "--frame", "1081p"}, {}, 2, "--frame takes 1080p, 1440p or 2160p: 1081p"},
        {{"a.mp4", "--frame", "999x555"}, {}, 2, "--frame takes 1080p, 1440p or 2160p"},
        {{"a.mp4", "--frame", "1080p", "--scale", "2"}, {}, 2, "--scale and --frame both set the picture's size"},
        {{"a.mp4", "--lossless"}, {}, 2, "--lossless writes a Matroska master: name it .mkv"},
        {{"a.mkv"}, {}, 2, "a .mkv output is the lossless master: add --lossless"},
        {{"a.mp4", "--audio-rate", "22050"}, {}, 2, "--audio-rate takes 44100 or 48000"},
        {{"a.mp4", "--from", "0:5"}, {}, 2, "--from 0:5: scenes are numbered 1 to 10"},
        {{"a.mp4", "--to", "11:1"}, {}, 2, "--to 11:1: scenes are numbered 1 to 10"},
        {{"a.mp4", "--from", "-3"}, {}, 2, "--from -3: a moment is never negative"},
        {{"a.mp4", "--from", "3:x"}, {}, 2, "--from 3:x: the seconds after the colon are not a number"},
        {{"a.mp4", "--from", "3:7", "--to", "3:5"}, {}, 2, "--to 3:5 does not come after --from 3:7"},
        {{"--to", "10", "a.mp4", "--from", "10"}, {}, 2, "--to 10 does not come after --from 10"},
        {{"a.gif"}, {}, 2, "an animated picture is a clip of at most 20 s: give --to"},
        {{"a.webp", "--from", "1", "--to", "30"}, {}, 2, "lasts 0:29.00; an animated picture is at most 20 s"},
        {{"a.png", "--from", "4:1", "--to", "4:1.5", "--frame", "1080p"}, {}, 2, "--frame is for video"},
        {{"a.gif", "--to", "2", "--audio-rate", "48000"}, {}, 2, "an animated picture has no sound"},
        {{"no/such/folder/a.mp4"}, {}, 1, "cannot write no/such/folder/a.mp4: No such file or directory"},
        {{"taken.mp4"}, {}, 1, "cannot write taken.mp4: Is a directory"},
        {{"a.mp4", "--storyboard", "no/such/folder/s.png"}, {}, 1, "cannot write no/such/folder/s.png"},
        {{"a.mp4"}, {"PATH=/nonexistent"}, 1, "ffmpeg not found on PATH"},
    };
    for (const auto& c : cases) {
        RunResult r = run(c.args, c.env);
        std::string shown = c.args.empty() ? "(none)" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        EXPECT_EQ(r.exit_status, c.status) << shown;
        EXPECT_EQ(r.err.find("tenfold-render: "), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.status == 2) {
            EXPECT_NE(r.err.find(usage), std::string::npos) << r.err;
        }
        EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
        EXPECT_EQ(r.out.find("precalcing"), std::string::npos) << "the show did not start";
        EXPECT_EQ(entries(dir), std::set<std::string>{"taken.mp4"}) << shown;
    }
    RunResult help = run({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.out.find(usage + " [--scale N | --frame 1080p|1440p|2160p]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--storyboard FILE.png"), std::string::npos);
}

// ---- short renders of frames of our own --------------------------------------------------------

constexpr int SHORT_FRAMES = 330;  // presented frames; with the pause below, 6 s of virtual time
constexpr unsigned PAUSE_US = 500000;
constexpr int PAUSE_TICKS = int(PAUSE_US * 60 / 1000000);
int show_frames = SHORT_FRAMES;
std::string time_file;

// Smooth ramps through a smooth palette, moved far each frame: every frame is told from its
// neighbours. The pattern is made of 4 x 4 blocks of one index: flat areas for the codec.
uint8_t pattern(int i, int n) { return uint8_t((i % 320) / 4 + (i / 320) / 4 + n * 37); }
// Two palettes; the second half of the run changes between them every ten frames.
uint8_t colour(int palette, int entry, int c) {
    if (palette == 0) return uint8_t((c == 0 ? entry : c == 1 ? 255 - entry : entry / 2) & 0xFC);
    return uint8_t((c == 0 ? 255 - entry : c == 1 ? entry / 3 + 40 : entry) & 0xFC);
}
int palette_of(int n) { return n >= SHORT_FRAMES / 2 && n / 10 % 2 ? 1 : 0; }

// A moving pattern, a pause with nothing presented in the middle and one at the end, two scene
// marks, the module player mixing (silence: there is no module here), then text mode.
int test_show() {
    console_on_quit([](int status) {
        vga_setmode(TEXT);
        exit(status);
    });
    console_mark_scene(1);
    vga_setmode(G320x240x256);
    audio_init();
    Palette* p[2];
    for (int k = 0; k < 2; k++) p[k] = test_palette([k](int j) { return colour(k, j / 3, j % 3); });
    set_palette(p[0]);
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int n = 0; n < show_frames; n++) {
        if (n == show_frames / 2) console_mark_scene(2), con_usleep(PAUSE_US);
        if (n > 0 && palette_of(n) != palette_of(n - 1)) set_palette(p[palette_of(n)]);
        for (int i = 0; i < FRAME_BYTES; i++) buf[i] = pattern(i, n);
        show_frame(fb(buf));
    }
    con_usleep(PAUSE_US);
    for (Palette* q : p) free_palette(q);
    audio_shutdown();
    write_file(time_file, std::to_string(con_seconds()));
    vga_setmode(TEXT);
    return 1;
}

// The buffer a tick of test_show's run shows: tick 0 is the mode change, each presentation the
// next tick, and the pause holds the last one; -1 before the first.
int buffer_at(int tick) {
    int half = SHORT_FRAMES / 2;
    if (tick <= half) return tick - 1;
    if (tick <= half + PAUSE_TICKS) return half - 1;
    return std::min(tick - 1 - PAUSE_TICKS, SHORT_FRAMES - 1);
}

// The scan-out of buffer n: 320 x 240 x RGB.
std::string expected_frame(int n) {
    std::string rgb(size_t(FRAME_BYTES) * 3, '\0');
    if (n < 0) return rgb;
    for (int i = 0; i < FRAME_BYTES * 3; i++) {
        int six = colour(palette_of(n), pattern(i / 3, n), i % 3) >> 2;
        rgb[size_t(i)] = char(con_dac_8bit(uint8_t(six)));
    }
    return rgb;
}

struct RenderRun : ::testing::Test {
    std::string dir = make_temp_dir("render");
    void TearDown() override {
        remove_tree(dir);
        unlink((dir + ".time").c_str());
    }
    // Renders test_show in a child, in dir, with the options of this command line (output
    // first); signal_number != 0 is sent once a partial file exists. Returns the exit status;
    // what it wrote to standard error goes to err.
    int render(const std::vector<std::string>& args, std::string* err, const std::string& path_prefix = "",
               int signal_number = 0) {
        std::string err_path = dir + ".err";
        std::vector<std::string> text = {"tenfold-render"};
        text.insert(text.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& s : text) argv.push_back(s.data());
        RenderOptions o;
        bool help = false;
        if (!parse_render_args(int(argv.size()), argv.data(), o, &help)) return 2;
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(99);
            dup2(open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            dup2(open("/dev/null", O_WRONLY), 1);
            if (!path_prefix.empty()) setenv("PATH", (path_prefix + ":" + getenv("PATH")).c_str(), 1);
            time_file = dir + ".time";
            exit(render_show(o, test_show));
        }
        for (int waited = 0; signal_number && waited < 20000; waited += 20) {
            bool partial = false;
            for (auto& n : entries(dir)) partial = partial || n.find(".partial-") != std::string::npos;
            if (partial) usleep(300000), kill(pid, signal_number), signal_number = 0;
            usleep(20000);
        }
        int st = 0;
        waitpid(pid, &st, 0);
        *err = read_file(err_path);
        unlink(err_path.c_str());
        return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    std::string path(const std::string& name) { return dir + "/" + name; }
};

std::string in_quotes(const std::string& file) { return "'" + file + "'"; }

double probe(const std::string& file, const std::string& what) {
    std::string v = run_shell("ffprobe -v error " + what + " -of default=nw=1:nk=1 " + in_quotes(file));
    return v.empty() ? -1 : atof(v.c_str());
}

std::string probe_text(const std::string& file, const std::string& what) {
    std::string v = run_shell("ffprobe -v error " + what + " -of default=nw=1:nk=1 " + in_quotes(file));
    while (!v.empty() && v.back() == '\n') v.pop_back();
    return v;
}

// The hash of every decoded frame of one stream ("v" or "a").
std::vector<std::string> hashes(const std::string& file, const char* stream) {
    std::istringstream text(run_shell("ffmpeg -v error -i " + in_quotes(file) + " -map 0:" + stream + " -f framemd5 -"));
    std::vector<std::string> out;
    for (std::string line; std::getline(text, line);)
        if (!line.empty() && line[0] != '#') out.push_back(line.substr(line.rfind(',') + 1));
    return out;
}

// Every decoded frame as 8-bit RGB, one after another (ffmpeg passes each of the file's frames
// once, at its own size).
std::string decoded_rgb(const std::string& file, const std::string& filter = "") {
    return run_shell("ffmpeg -v error -i " + in_quotes(file) + " -map 0:v -fps_mode passthrough " +
                     (filter.empty() ? "" : "-vf '" + filter + "' ") + "-f rawvideo -pix_fmt rgb24 -");
}

constexpr size_t FRAME_RGB = size_t(FRAME_BYTES) * 3;

TEST_F(RenderRun, TwoVideosDecodeAlikeTaggedAt60OnTheGridAsLongAsTheRunWithSoundAsLong) {
    show_frames = SHORT_FRAMES;
    std::string err;
    ASSERT_EQ(render({"one.mp4"}, &err), 0) << err;
    ASSERT_EQ(render({"--storyboard", "out.png", "out.mp4"}, &err), 0) << err;
    EXPECT_NE(err.find("frames per second"), std::string::npos) << err;
    EXPECT_EQ(entries(dir), (std::set<std::string>{"one.mp4", "out.mp4", "out.png"}));
    std::string mp4 = path("out.mp4");
    EXPECT_EQ(hashes(path("one.mp4"), "v"), hashes(mp4, "v"));
    EXPECT_EQ(hashes(path("one.mp4"), "a"), hashes(mp4, "a"));

    // Every 60 Hz tick of the run is a frame: the first at the mode change, one per presentation,
    // and the ticks of the two pauses.
    int ticks = int(std::lround(atof(read_file(dir + ".time").c_str()) * 60)) + 1;
    EXPECT_EQ(ticks, 1 + SHORT_FRAMES + 2 * PAUSE_TICKS);
    std::vector<std::string> frames = hashes(mp4, "v");
    ASSERT_EQ(int(frames.size()), ticks);
    EXPECT_NE(frames[10], frames[11]) << "the pattern moves";
    EXPECT_EQ(probe(mp4, "-select_streams v -count_frames -show_entries stream=nb_read_frames"), ticks);
    EXPECT_EQ(probe_text(mp4, "-select_streams v -show_entries stream=r_frame_rate"), "60/1");
    EXPECT_EQ(probe_text(mp4, "-select_streams v -show_entries stream=color_space,color_primaries,color_transfer,color_range"),
              "tv\nbt709\nbt709\nbt709");
    // Every frame's time on the 1/60 s grid, one after another.
    std::istringstream times(run_shell("ffprobe -v error -select_streams v -show_entries frame=pts_time -of csv=p=0 " + in_quotes(mp4)));
    int n = 0, off_grid = 0;
    for (std::string line; std::getline(times, line);)
        if (!line.empty()) off_grid += std::lround(atof(line.c_str()) * 60 * 1000) != 1000 * n++;
    EXPECT_EQ(n, ticks);
    EXPECT_EQ(off_grid, 0);
    for (const char* stream : {"format=duration", "stream=duration -select_streams v", "stream=duration -select_streams a"})
        EXPECT_NEAR(probe(mp4, std::string("-show_entries ") + stream), ticks / 60.0, 1 / 120.0) << stream;
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=sample_rate"), 44100);
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=channels"), 2);
    EXPECT_EQ(probe(mp4, "-select_streams v -show_entries stream=width"), 640);

    // Storyboard: pictures at 0:00 and 0:05, two across.
    std::string png = read_file(path("out.png"));
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) { return uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]); };
    EXPECT_EQ(png.compare(1, 3, "PNG"), 0);
    EXPECT_EQ(be32(16), uint32_t(4 + 2 * (THUMB_WIDTH + 4)));
    EXPECT_EQ(be32(20), uint32_t(4 + THUMB_HEIGHT + 11 + 4));
}

TEST_F(RenderRun, TheMasterAndTheAnimatedPicturesDecodeToTheScanOutExactly) {
    show_frames = SHORT_FRAMES;
    std::string err;
    ASSERT_EQ(render({"master.mkv", "--lossless"}, &err), 0) << err;
    std::string master = path("master.mkv");
    EXPECT_EQ(probe_text(master, "-select_streams v -show_entries stream=r_frame_rate"), "60/1");
    EXPECT_EQ(probe_text(master, "-select_streams a -show_entries stream=codec_name"), "flac");
    std::string rgb = decoded_rgb(master);
    int ticks = 1 + SHORT_FRAMES + 2 * PAUSE_TICKS;
    ASSERT_EQ(rgb.size(), FRAME_RGB * ticks);
    int wrong = 0;
    for (int t = 0; t < ticks; t++) wrong += rgb.compare(FRAME_RGB * t, FRAME_RGB, expected_frame(buffer_at(t))) != 0;
    EXPECT_EQ(wrong, 0) << "frames other than the scan-out of their tick";
    std::string samples = run_shell("ffmpeg -v error -i " + in_quotes(master) + " -map 0:a -f s16le -");
    EXPECT_EQ(samples, std::string(size_t(ticks) * SAMPLES_PER_TICK * AUDIO_FRAME_BYTES, '\0')) << "silence, as long";

    // A clip across the palette changes of the second half, from scene 2's start (tick 166) on.
    int from = SHORT_FRAMES / 2 + 1, count = 80;
    std::vector<std::string> clip = {"--from", "2:0", "--to", "2:" + std::to_string(count / 60.0)};
    for (const char* name : {"clip.gif", "clip.png", "clip.webp"}) {
        std::vector<std::string> args = clip;
        args.insert(args.begin(), name);
        ASSERT_EQ(render(args, &err), 0) << name << ": " << err;
        EXPECT_NE(err.find("ticks " + std::to_string(from) + " to " + std::to_string(from + count - 1)), std::string::npos) << err;
    }
    // GIF: 50 pictures a second, each the tick on screen at its time, a picture the same as the
    // one before lengthening that one; ffmpeg shows each once, with its time in hundredths.
    std::string gif = path("clip.gif");
    std::string pictures = decoded_rgb(gif);
    std::vector<int> starts;
    std::istringstream pts(run_shell("ffprobe -v error -select_streams v -show_entries frame=pts -of csv=p=0 " + in_quotes(gif)));
    for (std::string line; std::getline(pts, line);) starts.push_back(atoi(line.c_str()));
    ASSERT_EQ(pictures.size(), FRAME_RGB * starts.size());
    ASSERT_FALSE(starts.empty());
    int slots = (count * 50 + 59) / 60, checked = 0;
    wrong = 0;
    for (size_t k = 0; k < starts.size(); k++) {
        int end = k + 1 < starts.size() ? starts[k + 1] : 2 * slots;
        for (int slot = starts[k] / 2; slot < end / 2; slot++, checked++)
            wrong += pictures.compare(FRAME_RGB * k, FRAME_RGB, rgb, FRAME_RGB * (from + slot * 6 / 5), FRAME_RGB) != 0;
    }
    EXPECT_EQ(checked, slots);
    EXPECT_EQ(wrong, 0) << "GIF pictures other than the master's frame of their time";
    EXPECT_LT(starts.size(), size_t(slots)) << "the pause is one picture";
    std::string gif_bytes = read_file(gif);
    EXPECT_GT(count_of(gif_bytes, std::string("\x2C\x00\x00", 3)), 0);
    // APNG: every tick.
    EXPECT_EQ(decoded_rgb(path("clip.png")), rgb.substr(FRAME_RGB * from, FRAME_RGB * count));
    // Each frame control chunk says 1/60 s (ffprobe rounds delays to 1/100000 s, so its own bytes).
    std::string apng = read_file(path("clip.png"));
    int controls = 0, sixtieths = 0;
    for (size_t at = 8; at + 12 <= apng.size();) {
        size_t length = size_t(uint8_t(apng[at])) << 24 | size_t(uint8_t(apng[at + 1])) << 16 |
                        size_t(uint8_t(apng[at + 2])) << 8 | uint8_t(apng[at + 3]);
        if (apng.compare(at + 4, 4, "fcTL") == 0) controls++, sixtieths += apng.compare(at + 28, 4, std::string("\0\1\0\x3C", 4)) == 0;
        at += 12 + length;
    }
    EXPECT_EQ(controls, count);
    EXPECT_EQ(sixtieths, count);
    // WebP (ImageMagick reads it; ffmpeg does not read animated WebP): every picture a frame of
    // the clip, in order, the first the clip's first.
    std::string webp = run_shell("convert " + in_quotes(path("clip.webp")) + " -coalesce -depth 8 rgb:-");
    ASSERT_GT(webp.size(), 0u);
    ASSERT_EQ(webp.size() % FRAME_RGB, 0u);
    EXPECT_EQ(webp.compare(0, FRAME_RGB, rgb, FRAME_RGB * from, FRAME_RGB), 0);
    size_t at = size_t(from);
    for (size_t k = 0; k < webp.size() / FRAME_RGB; k++) {
        while (at < size_t(from + count) && webp.compare(FRAME_RGB * k, FRAME_RGB, rgb, FRAME_RGB * at, FRAME_RGB) != 0) at++;
        EXPECT_LT(at, size_t(from + count)) << "WebP picture " << k << " is no frame of the clip at or after the one before";
    }
}

TEST_F(RenderRun, EvenScalesKeepEachPixelsColourAndFramesCentreThePictureOnBlack) {
    show_frames = SHORT_FRAMES;
    std::string err;
    ASSERT_EQ(render({"x4.mp4", "--scale", "4", "--from", "1", "--to", "1.5", "--audio-rate", "48000"}, &err), 0) << err;
    ASSERT_EQ(render({"hd.mp4", "--frame", "1080p", "--from", "1", "--to", "1.1"}, &err), 0) << err;
    std::string x4 = path("x4.mp4");
    EXPECT_EQ(probe(x4, "-select_streams v -show_entries stream=width"), 1280);
    EXPECT_EQ(probe(x4, "-select_streams a -show_entries stream=sample_rate"), 48000);
    EXPECT_EQ(probe(x4, "-select_streams a -show_entries stream=duration_ts"), 30 * 800) << "800 samples a tick";
    EXPECT_EQ(hashes(x4, "v").size(), 30u);
    // The first frame (tick 60), decoded to RGB as BT.709 limited range, against its scan-out:
    // every 4 x 4 block of a pixel whose neighbours share its colour is within 3 of it.
    std::string frame = run_shell("ffmpeg -v error -i " + in_quotes(x4) +
                                  " -frames:v 1 -vf scale=in_color_matrix=bt709:in_range=tv:flags=neighbor+accurate_rnd+full_chroma_int+bitexact"
                                  " -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(frame.size(), FRAME_RGB * 16);
    std::string want = expected_frame(buffer_at(60));
    int flat = 0, off = 0, worst = 0;
    for (int y = 1; y < 239; y++) {
        for (int x = 1; x < 319; x++) {
            bool same = true;
            for (int d = 0; d < 9; d++)
                same = same && want.compare(size_t((y + d / 3 - 1) * 320 + x + d % 3 - 1) * 3, 3, want, size_t(y * 320 + x) * 3, 3) == 0;
            if (!same) continue;
            flat++;
            for (int k = 0; k < 16; k++)
                for (int c = 0; c < 3; c++) {
                    int got = uint8_t(frame[(size_t(y * 4 + k / 4) * 1280 + x * 4 + k % 4) * 3 + c]);
                    int diff = std::abs(got - uint8_t(want[size_t(y * 320 + x) * 3 + c]));
                    worst = std::max(worst, diff);
                    off += diff > 3;
                }
        }
    }
    EXPECT_GT(flat, 10000);
    EXPECT_EQ(off, 0) << "values more than 3 from the pixel's; the largest difference " << worst;

    std::string hd = path("hd.mp4");
    EXPECT_EQ(probe(hd, "-select_streams v -show_entries stream=width"), 1920);
    EXPECT_EQ(probe(hd, "-select_streams v -show_entries stream=height"), 1080);
    std::string big = run_shell("ffmpeg -v error -i " + in_quotes(hd) + " -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(big.size(), size_t(1920) * 1080 * 3);
    auto value = [&](int x, int y) { return int(uint8_t(big[(size_t(y) * 1920 + x) * 3 + 1])); };
    for (auto [x, y] : {std::pair{0, 0}, {319, 540}, {1600, 540}, {960, 59}, {960, 1020}, {1919, 1079}})
        EXPECT_LE(value(x, y), 2) << "black border at " << x << "," << y;
    // The picture at 4 x from (320, 60): its green is 255 - index, index = pattern: bright at the left.
    EXPECT_GT(value(321, 61) + value(1598, 61), 60);
}

TEST_F(RenderRun, MomentsOnlyTheRunCanPlaceAreCheckedThereAndLeaveNothing) {
    show_frames = SHORT_FRAMES;
    std::string err;
    EXPECT_EQ(render({"late.mp4", "--from", "2:100", "--to", "2:101"}, &err), 2);
    EXPECT_NE(err.find("--from 2:100 comes after the end of the show (0:06.51); late.mp4 not written"), std::string::npos) << err;
    EXPECT_EQ(render({"late.mkv", "--lossless", "--from", "1", "--to", "2:200"}, &err), 2);
    EXPECT_NE(err.find("--to 2:200 comes after the end of the show"), std::string::npos) << err;
    EXPECT_EQ(render({"back.gif", "--from", "2:0", "--to", "1:1"}, &err), 2);
    EXPECT_NE(err.find("--to 1:1 (0:01.00 of show) does not come after --from 2:0 (0:02.76 of show)"), std::string::npos) << err;
    EXPECT_TRUE(entries(dir).empty());
}

TEST_F(RenderRun, CtrlCSigtermAndAFailingEncoderLeaveNoFileAndNoEncoderBehind) {
    show_frames = 60 * 120;  // longer than the test waits
    std::string err;
    for (int sig : {SIGINT, SIGTERM}) {
        EXPECT_EQ(render({"out.mp4", "--storyboard", "out.png"}, &err, "", sig), 128 + sig);
        EXPECT_NE(err.find("tenfold-render: stopped before the end of the show; out.mp4 not written"),
                  std::string::npos) << err;
        EXPECT_TRUE(entries(dir).empty());
        for (auto& e : fs::directory_iterator("/proc")) {
            std::string cmd = read_file(e.path().string() + "/cmdline");
            EXPECT_FALSE(cmd.find("ffmpeg") != std::string::npos && cmd.find(dir) != std::string::npos)
                << "an ffmpeg still writes into " << dir;
        }
    }
    std::string bin = dir + "-bin";
    fs::create_directory(bin);
    write_file(bin + "/ffmpeg", "#!/bin/sh\necho \"Unknown encoder 'libx264'\" >&2\nexit 1\n");
    chmod((bin + "/ffmpeg").c_str(), 0755);
    show_frames = SHORT_FRAMES;
    EXPECT_EQ(render({"out.mp4"}, &err, bin), 1);
    remove_tree(bin);
    EXPECT_NE(err.find("Unknown encoder 'libx264'; out.mp4 not written"), std::string::npos) << err;
    EXPECT_TRUE(entries(dir).empty());
}

TEST(Storyboard, PicturesAreHalvedFramesInRowsWithTheirLabelsBelow) {
    Storyboard s;
    s.columns = 2;
    std::vector<uint8_t> frame(320 * 240 * 3);
    for (int i = 0; i < 320 * 240; i++) {
        frame[size_t(i) * 3] = uint8_t(i % 320 / 2);              // red: half the column
        frame[size_t(i) * 3 + 1] = uint8_t((i / 320) % 2 * 100);  // green: 0 or 100 by row
        frame[size_t(i) * 3 + 2] = 7;
    }
    for (const char* label : {"scene 1  0:00", "", "scene 10  1:05"}) storyboard_add(s, frame.data(), label);
    int w = 0, h = 0;
    std::vector<uint8_t> out = storyboard_compose(s, &w, &h);
    ASSERT_EQ(w, 4 + 2 * (THUMB_WIDTH + 4));
    ASSERT_EQ(h, 4 + 2 * (THUMB_HEIGHT + 11 + 4));
    auto at = [&](int x, int y, int c) { return int(out[(size_t(y) * w + x) * 3 + c]); };
    for (int x : {0, 1, 50, 159})  // the rounded mean of a 2 x 2 block
        EXPECT_TRUE(at(4 + x, 14, 0) == x && at(4 + x, 14, 1) == 50 && at(4 + x, 14, 2) == 7) << x;
    EXPECT_EQ(at(4 + 5, 4 + THUMB_HEIGHT + 15 + 3, 0), 5) << "the third picture starts the second row";
    auto lit = [&](int col, int row) {  // light pixels in the label strip below a picture
        int n = 0, x0 = 4 + col * (THUMB_WIDTH + 4), y0 = 4 + row * (THUMB_HEIGHT + 15) + THUMB_HEIGHT;
        for (int y = y0; y < y0 + 11; y++)
            for (int x = x0; x < x0 + THUMB_WIDTH; x++) n += at(x, y, 0) > 0x80;
        return n;
    };
    EXPECT_GT(lit(0, 0), 40);
    EXPECT_EQ(lit(1, 0), 0);
    EXPECT_GT(lit(0, 1), lit(0, 0)) << "a longer label";
    // The font clips at the picture's edges (AddressSanitizer sees any write beyond).
    std::vector<uint8_t> img(40 * 9 * 3, 0);
    draw_label(img.data(), 40, 9, 37, 4, "88", 0xFFFFFF);
    EXPECT_TRUE(img[(4 * 40 + 38) * 3] && img[(4 * 40 + 39) * 3] && !img[(4 * 40 + 37) * 3]) << "top row of 8: .###.";
}

}  // namespace
