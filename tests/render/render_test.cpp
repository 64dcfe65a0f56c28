// tenfold-render: its mistakes and failures leave nothing behind; a short run of frames of our own
// gives the same decoded frames twice, as long as the run in virtual time, sound as long as picture.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <vector>

#include "console/console.h"
#include "driver/music.h"
#include "render.h"
#include "sheet.h"
#include "support/run.h"
#include "video/palette.h"
#include "video/present.h"

namespace fs = std::filesystem;

namespace {

const std::string RENDER_BIN = std::string(TENFOLD_BUILD_DIR) + "/tenfold-render";

std::set<std::string> entries(const std::string& dir) {
    std::set<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// ---- the program's mistakes ------------------------------------------------------------------

struct RenderCommand : ::testing::Test {
    std::string dir = make_temp_dir("render-args");
    void TearDown() override { remove_tree(dir); }
    RunResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        std::string script = dir + "/../" + fs::path(dir).filename().string() + ".sh";
        std::string line = "exec " + RENDER_BIN;
        for (auto& a : args) line += " '" + a + "'";
        write_file(script, "#!/bin/sh\n" + line + "\n");
        chmod(script.c_str(), 0755);
        RunResult r = run_program(script, dir, env);
        unlink(script.c_str());
        return r;
    }
};

TEST_F(RenderCommand, MistakesInTheCommandLineGiveOneLineAndNoFile) {
    std::vector<std::vector<std::string>> cases = {
        {}, {"a.mp4", "b.mp4"}, {"--fast", "a.mp4"}, {"a.avi"}, {"a.mp4", "--sheet"}, {"a.mp4", "--sheet", "s.jpg"},
        {"a.mp4", "--sheet=s.png", "--sheet", "t.png"}};
    for (auto& args : cases) {
        RunResult r = run(args);
        std::string shown = args.empty() ? "(none)" : args[0] + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(r.exit_status, 2) << shown;
        EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
        EXPECT_EQ(r.err.find("tenfold-render: "), 0u) << r.err;
        EXPECT_NE(r.err.find("usage: tenfold-render OUT.mp4"), std::string::npos) << r.err;
        EXPECT_TRUE(entries(dir).empty()) << shown;
    }
    RunResult help = run({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.out.find("usage: tenfold-render OUT.mp4 [--sheet FILE.png]"), std::string::npos);
}

TEST_F(RenderCommand, UnwritableOutputsAndMissingFfmpegStopBeforeTheShowAndLeaveNothing) {
    fs::create_directory(dir + "/taken.mp4");
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string says;
    };
    std::vector<Case> cases = {
        {{"no/such/folder/a.mp4"}, {}, "cannot write no/such/folder/a.mp4: No such file or directory"},
        {{"taken.mp4"}, {}, "cannot write taken.mp4: Is a directory"},
        {{"a.mp4", "--sheet", "no/such/folder/s.png"}, {}, "cannot write no/such/folder/s.png"},
        {{"a.mp4"}, {"PATH=/nonexistent"}, "ffmpeg not found on PATH"},
    };
    for (auto& c : cases) {
        RunResult r = run(c.args, c.env);
        EXPECT_EQ(r.exit_status, 1) << c.says;
        EXPECT_EQ(r.err.find("tenfold-render: "), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
        EXPECT_EQ(r.out.find("precalcing"), std::string::npos) << "the show did not start";
        EXPECT_EQ(entries(dir), std::set<std::string>{"taken.mp4"}) << c.says;
    }
}

// ---- short renders of frames of our own --------------------------------------------------------

constexpr int SHORT_FRAMES = 330;   // presented frames; with the pause below, 6 s of virtual time
constexpr unsigned PAUSE_US = 500000;
int show_frames = SHORT_FRAMES;
std::string time_file;

// Smooth ramps through a smooth palette, moved far each frame: every frame is told from its neighbours.
uint8_t pattern(int i, int n) { return uint8_t((i % 320) / 4 + (i / 320) / 4 + n * 37); }
uint8_t colour(int entry, int c) { return uint8_t((c == 0 ? entry : c == 1 ? 255 - entry : entry / 2) & 0xFC); }

// A run of frames of our own: a moving pattern, a pause with nothing presented, two scene marks,
// the module player mixing (silence: there is no module here), then text mode.
int test_show() {
    con_on_quit([](int status) {
        vga_setmode(TEXT);
        exit(status);
    });
    console_mark_scene(1);
    vga_setmode(G320x240x256);
    audio_init();
    Palette* p = new_palette();
    p->rgb = static_cast<uint8_t*>(malloc(768));
    p->count = 256;
    for (int e = 0; e < 256; e++)
        for (int c = 0; c < 3; c++) p->rgb[e * 3 + c] = colour(e, c);
    set_palette(p);
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int n = 0; n < show_frames; n++) {
        if (n == show_frames / 2) {
            console_mark_scene(2);
            con_usleep(PAUSE_US);
        }
        for (int i = 0; i < FRAME_BYTES; i++) buf[i] = pattern(i, n);
        show_frame(buf.data());
    }
    free_palette(p);
    audio_shutdown();
    write_file(time_file, std::to_string(con_seconds()));
    vga_setmode(TEXT);
    return 1;
}

struct ChildRun {
    int status = -1;
    std::string err;
};

// Renders test_show in a child process; signal_number != 0 is sent once a partial file exists.
ChildRun render_in_child(const std::string& dir, const RenderOptions& o, const std::string& path_prefix = "",
                         int signal_number = 0) {
    std::string err_path = dir + "/../" + fs::path(dir).filename().string() + ".err";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(99);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(err, 2);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        if (!path_prefix.empty()) setenv("PATH", (path_prefix + ":" + getenv("PATH")).c_str(), 1);
        time_file = dir + "/../" + fs::path(dir).filename().string() + ".time";
        exit(render_show(o, test_show));
    }
    if (signal_number) {
        for (int waited = 0; waited < 20000; waited += 20) {
            bool partial = false;
            for (auto& n : entries(dir)) partial = partial || n.find(".partial-") != std::string::npos;
            if (partial) break;
            usleep(20000);
        }
        usleep(300000);
        kill(pid, signal_number);
    }
    ChildRun r;
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.err = read_file(err_path);
    unlink(err_path.c_str());
    return r;
}

double probe(const std::string& file, const std::string& what) {
    std::string v = run_shell("ffprobe -v error " + what + " -of default=nw=1:nk=1 '" + file + "'");
    return v.empty() ? -1 : atof(v.c_str());
}

// One line per decoded video frame: its hash.
std::vector<std::string> frame_hashes(const std::string& file) {
    std::string text = run_shell("ffmpeg -v error -i '" + file + "' -map 0:v -f framemd5 -");
    std::vector<std::string> hashes;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] != '#') hashes.push_back(line.substr(line.rfind(',') + 1));
        at = end + 1;
    }
    return hashes;
}

// Whether some ffmpeg process still has a file of dir on its command line.
bool encoder_running(const std::string& dir) {
    for (auto& e : fs::directory_iterator("/proc")) {
        std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string cmd = read_file(e.path().string() + "/cmdline");
        if (cmd.find("ffmpeg") != std::string::npos && cmd.find(dir) != std::string::npos) return true;
    }
    return false;
}

struct RenderRun : ::testing::Test {
    std::string dir = make_temp_dir("render");
    void TearDown() override {
        remove_tree(dir);
        unlink((dir + ".time").c_str());
    }
};

TEST_F(RenderRun, TwoRendersDecodeToTheSameFramesAsLongAsTheRunWithSoundAsLong) {
    show_frames = SHORT_FRAMES;
    std::vector<std::vector<std::string>> hashes;
    for (const char* name : {"one", "two"}) {
        RenderOptions o;
        o.output = std::string(name) + ".mp4";
        o.sheet = std::string(name) + ".png";
        ChildRun r = render_in_child(dir, o);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("frames per second"), std::string::npos) << r.err;
        hashes.push_back(frame_hashes(dir + "/" + o.output));
    }
    EXPECT_EQ(entries(dir), (std::set<std::string>{"one.mp4", "one.png", "two.mp4", "two.png"}));

    // Every 60 Hz tick of the run is a frame: the first at the mode change, one per presentation,
    // and the ticks of the pause.
    double run_seconds = atof(read_file(dir + "/../" + fs::path(dir).filename().string() + ".time").c_str());
    int ticks = int(std::lround(run_seconds * 60)) + 1;
    EXPECT_EQ(ticks, 1 + SHORT_FRAMES + int(PAUSE_US * 60 / 1000000));
    ASSERT_EQ(int(hashes[0].size()), ticks);
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_NE(hashes[0][10], hashes[0][11]) << "the pattern moves";

    std::string mp4 = dir + "/one.mp4";
    double video = ticks / 60.0;
    EXPECT_NEAR(probe(mp4, "-show_entries format=duration"), video, 1 / 60.0);
    EXPECT_NEAR(probe(mp4, "-select_streams v -show_entries stream=duration"), video, 1 / 60.0);
    EXPECT_NEAR(probe(mp4, "-select_streams a -show_entries stream=duration"), video, 1 / 60.0);
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=sample_rate"), 44100);
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=channels"), 2);

    // Frame 30 shows the 30th presented buffer through the palette, at twice the size.
    EXPECT_EQ(probe(mp4, "-select_streams v -show_entries stream=width"), 640);
    std::string rgb = run_shell("ffmpeg -v error -i '" + mp4 +
                            "' -vf 'select=eq(n\\,30),scale=320:240:flags=neighbor' -frames:v 1 -f rawvideo "
                            "-pix_fmt rgb24 -");
    ASSERT_EQ(rgb.size(), size_t(FRAME_BYTES) * 3);
    auto mean_difference = [&](int n) {
        double diff = 0;
        for (int i = 0; i < FRAME_BYTES; i++) {
            for (int c = 0; c < 3; c++) {
                int six = colour(pattern(i, n), c) >> 2;
                diff += std::abs(int(uint8_t(rgb[size_t(i) * 3 + c])) - ((six << 2) | (six >> 4)));
            }
        }
        return diff / (FRAME_BYTES * 3);
    };
    double diff = mean_difference(29);
    EXPECT_GT(mean_difference(28), 4 * diff) << "not the frame before";
    EXPECT_GT(mean_difference(30), 4 * diff) << "not the frame after";
    EXPECT_LT(diff / (FRAME_BYTES * 3), 3.0) << "mean difference per colour value";

    // Contact sheet: pictures at 0:00 and 0:05, two across.
    std::string png = read_file(dir + "/one.png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint8_t(png[at + 1]) << 16 | uint8_t(png[at + 2]) << 8 |
               uint8_t(png[at + 3]);
    };
    EXPECT_EQ(png.compare(1, 3, "PNG"), 0);
    EXPECT_EQ(be32(16), uint32_t(4 + 2 * (THUMB_WIDTH + 4)));
    EXPECT_EQ(be32(20), uint32_t(4 + THUMB_HEIGHT + 11 + 4));
}

TEST_F(RenderRun, CtrlCAndSigtermLeaveNoFileAndNoEncoderBehind) {
    show_frames = 60 * 120;  // longer than the test waits
    for (int sig : {SIGINT, SIGTERM}) {
        RenderOptions o;
        o.output = "long.mp4";
        o.sheet = "long.png";
        ChildRun r = render_in_child(dir, o, "", sig);
        EXPECT_EQ(r.status, 128 + sig);
        EXPECT_NE(r.err.find("tenfold-render: stopped before the end of the show; long.mp4 not written"),
                  std::string::npos)
            << r.err;
        EXPECT_TRUE(entries(dir).empty());
        EXPECT_FALSE(encoder_running(dir)) << "an ffmpeg still writes into " << dir;
    }
}

TEST_F(RenderRun, AnEncoderThatFailsIsReportedWithItsWordsAndLeavesNothing) {
    std::string bin = dir + "-bin";
    fs::create_directory(bin);
    write_file(bin + "/ffmpeg", "#!/bin/sh\necho \"Unknown encoder 'libx264'\" >&2\nexit 1\n");
    chmod((bin + "/ffmpeg").c_str(), 0755);
    show_frames = SHORT_FRAMES;
    RenderOptions o;
    o.output = "out.mp4";
    o.sheet = "out.png";
    ChildRun r = render_in_child(dir, o, bin);
    remove_tree(bin);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Unknown encoder 'libx264'; out.mp4 not written"), std::string::npos) << r.err;
    EXPECT_TRUE(entries(dir).empty());
}

// ---- the contact sheet's pictures ----------------------------------------------------------------

TEST(ContactSheet, PicturesAreHalvedFramesInRowsWithTheirLabelsBelow) {
    Sheet s;
    s.columns = 2;
    std::vector<uint8_t> frame(320 * 240 * 3);
    for (int i = 0; i < 320 * 240; i++) {
        frame[size_t(i) * 3] = uint8_t(i % 320 / 2);          // red: half the column
        frame[size_t(i) * 3 + 1] = uint8_t((i / 320) % 2 * 100);  // green: 0 or 100 by row
        frame[size_t(i) * 3 + 2] = 7;
    }
    sheet_add(s, frame.data(), "scene 1  0:00");
    sheet_add(s, frame.data(), "");
    sheet_add(s, frame.data(), "scene 10  1:05");
    int w = 0, h = 0;
    std::vector<uint8_t> out = sheet_compose(s, &w, &h);
    ASSERT_EQ(w, 4 + 2 * (THUMB_WIDTH + 4));
    ASSERT_EQ(h, 4 + 2 * (THUMB_HEIGHT + 11 + 4));
    auto at = [&](int x, int y, int c) { return int(out[(size_t(y) * w + x) * 3 + c]); };
    // Each thumbnail pixel is the rounded mean of a 2 x 2 block.
    for (int x : {0, 1, 50, 159}) {
        EXPECT_EQ(at(4 + x, 4 + 10, 0), x);
        EXPECT_EQ(at(4 + x, 4 + 10, 1), 50);
        EXPECT_EQ(at(4 + x, 4 + 10, 2), 7);
    }
    // The third picture starts the second row.
    EXPECT_EQ(at(4 + 5, 4 + THUMB_HEIGHT + 15 + 3, 0), 5);
    // Labels: light pixels in the strip below a labelled picture, none below the unlabelled one.
    auto lit = [&](int col, int row) {
        int n = 0;
        int x0 = 4 + col * (THUMB_WIDTH + 4), y0 = 4 + row * (THUMB_HEIGHT + 15) + THUMB_HEIGHT;
        for (int y = y0; y < y0 + 11; y++)
            for (int x = x0; x < x0 + THUMB_WIDTH; x++) n += at(x, y, 0) > 0x80;
        return n;
    };
    EXPECT_GT(lit(0, 0), 40);
    EXPECT_EQ(lit(1, 0), 0);
    EXPECT_GT(lit(0, 1), lit(0, 0)) << "a longer label";
}

TEST(ContactSheet, LabelFontDrawsItsGlyphsAndSkipsWhatItLacks) {
    std::vector<uint8_t> img(40 * 9 * 3, 0);
    draw_label(img.data(), 40, 9, 1, 1, "1?", 0xFFFFFF);
    auto on = [&](int x, int y) { return img[(size_t(y) * 40 + x) * 3] == 0xFF; };
    // "1": a vertical stroke in the middle column, a foot across the bottom row.
    for (int y = 1; y <= 7; y++) EXPECT_TRUE(on(1 + 2, y)) << y;
    for (int x = 1 + 1; x <= 1 + 3; x++) EXPECT_TRUE(on(x, 7));
    EXPECT_FALSE(on(1, 1));
    for (int y = 0; y < 9; y++)
        for (int x = 7; x < 40; x++) EXPECT_FALSE(on(x, y)) << "no glyph for '?'";
    // Clipped at the picture's edges: the part of "8" inside is drawn, nothing beyond (ASan).
    draw_label(img.data(), 40, 9, 37, 4, "88", 0xFFFFFF);
    EXPECT_TRUE(on(38, 4)) << "top row of 8: .###.";
    EXPECT_TRUE(on(39, 4));
    EXPECT_FALSE(on(37, 4));
}

}  // namespace
