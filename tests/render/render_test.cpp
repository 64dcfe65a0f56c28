// tenfold-render: its mistakes and failures leave nothing behind; a short run of frames of our own
// gives the same decoded frames twice, as long as the run in virtual time, sound as long as picture.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "music/music.h"
#include "render.h"
#include "sheet.h"
#include "support/frames.h"
#include "support/run.h"
#include "video/palette.h"
#include "video/present.h"
#include "support/palettes.h"

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
    const std::string usage = "usage: tenfold-render OUT.mp4";
    fs::create_directory(dir + "/taken.mp4");
    const struct {
        std::vector<std::string> args, env;
        int status;
        std::string says;
    } cases[] = {
        {{}, {}, 2, usage},
        {{"a.mp4", "b.mp4"}, {}, 2, usage},
        {{"--fast", "a.mp4"}, {}, 2, usage},
        {{"a.avi"}, {}, 2, usage},
        {{"a.mp4", "--sheet"}, {}, 2, usage},
        {{"a.mp4", "--sheet", "s.jpg"}, {}, 2, usage},
        {{"a.mp4", "--sheet=s.png", "--sheet", "t.png"}, {}, 2, usage},
        {{"no/such/folder/a.mp4"}, {}, 1, "cannot write no/such/folder/a.mp4: No such file or directory"},
        {{"taken.mp4"}, {}, 1, "cannot write taken.mp4: Is a directory"},
        {{"a.mp4", "--sheet", "no/such/folder/s.png"}, {}, 1, "cannot write no/such/folder/s.png"},
        {{"a.mp4"}, {"PATH=/nonexistent"}, 1, "ffmpeg not found on PATH"},
    };
    for (const auto& c : cases) {
        RunResult r = run(c.args, c.env);
        std::string shown = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.exit_status, c.status) << shown;
        EXPECT_EQ(r.err.find("tenfold-render: "), 0u) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
        EXPECT_EQ(r.out.find("precalcing"), std::string::npos) << "the show did not start";
        EXPECT_EQ(entries(dir), std::set<std::string>{"taken.mp4"}) << shown;
    }
    RunResult help = run({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.out.find(usage + " [--sheet FILE.png]"), std::string::npos);
}

// ---- short renders of frames of our own --------------------------------------------------------

constexpr int SHORT_FRAMES = 330;  // presented frames; with the pause below, 6 s of virtual time
constexpr unsigned PAUSE_US = 500000;
int show_frames = SHORT_FRAMES;
std::string time_file;

// Smooth ramps through a smooth palette, moved far each frame: every frame is told from its neighbours.
uint8_t pattern(int i, int n) { return uint8_t((i % 320) / 4 + (i / 320) / 4 + n * 37); }
uint8_t colour(int entry, int c) { return uint8_t((c == 0 ? entry : c == 1 ? 255 - entry : entry / 2) & 0xFC); }

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
    Palette* p = test_palette([](int j) { return colour(j / 3, j % 3); });
    set_palette(p);
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int n = 0; n < show_frames; n++) {
        if (n == show_frames / 2) console_mark_scene(2), con_usleep(PAUSE_US);
        for (int i = 0; i < FRAME_BYTES; i++) buf[i] = pattern(i, n);
        show_frame(fb(buf));
    }
    con_usleep(PAUSE_US);
    free_palette(p);
    audio_shutdown();
    write_file(time_file, std::to_string(con_seconds()));
    vga_setmode(TEXT);
    return 1;
}

struct RenderRun : ::testing::Test {
    std::string dir = make_temp_dir("render");
    void TearDown() override {
        remove_tree(dir);
        unlink((dir + ".time").c_str());
    }
    // Renders test_show to out.mp4 and out.png in a child; signal_number != 0 is sent once a
    // partial file exists. Returns the exit status; what it wrote to standard error goes to err.
    int render(std::string* err, const std::string& path_prefix = "", int signal_number = 0) {
        std::string err_path = dir + ".err";
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(99);
            dup2(open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            dup2(open("/dev/null", O_WRONLY), 1);
            if (!path_prefix.empty()) setenv("PATH", (path_prefix + ":" + getenv("PATH")).c_str(), 1);
            time_file = dir + ".time";
            RenderOptions o;
            o.output = "out.mp4";
            o.sheet = "out.png";
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
};

double probe(const std::string& file, const std::string& what) {
    std::string v = run_shell("ffprobe -v error " + what + " -of default=nw=1:nk=1 '" + file + "'");
    return v.empty() ? -1 : atof(v.c_str());
}

// The hash of every decoded video frame.
std::vector<std::string> frame_hashes(const std::string& file) {
    std::istringstream text(run_shell("ffmpeg -v error -i '" + file + "' -map 0:v -f framemd5 -"));
    std::vector<std::string> hashes;
    for (std::string line; std::getline(text, line);)
        if (!line.empty() && line[0] != '#') hashes.push_back(line.substr(line.rfind(',') + 1));
    return hashes;
}

TEST_F(RenderRun, TwoRendersDecodeToTheSameFramesAsLongAsTheRunWithSoundAsLong) {
    show_frames = SHORT_FRAMES;
    std::vector<std::vector<std::string>> hashes;
    std::string err;
    for (const char* name : {"one", "two"}) {
        ASSERT_EQ(render(&err), 0) << err;
        EXPECT_NE(err.find("frames per second"), std::string::npos) << err;
        hashes.push_back(frame_hashes(dir + "/out.mp4"));
        if (hashes.size() == 1) fs::rename(dir + "/out.mp4", dir + "/" + name + ".mp4");
    }
    EXPECT_EQ(entries(dir), (std::set<std::string>{"one.mp4", "out.mp4", "out.png"}));

    // Every 60 Hz tick of the run is a frame: the first at the mode change, one per presentation,
    // and the ticks of the two pauses.
    int ticks = int(std::lround(atof(read_file(dir + ".time").c_str()) * 60)) + 1;
    EXPECT_EQ(ticks, 1 + SHORT_FRAMES + 2 * int(PAUSE_US * 60 / 1000000));
    ASSERT_EQ(int(hashes[0].size()), ticks);
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_NE(hashes[0][10], hashes[0][11]) << "the pattern moves";

    std::string mp4 = dir + "/out.mp4";
    for (const char* stream : {"format=duration", "stream=duration -select_streams v", "stream=duration -select_streams a"})
        EXPECT_NEAR(probe(mp4, std::string("-show_entries ") + stream), ticks / 60.0, 1 / 60.0) << stream;
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=sample_rate"), 44100);
    EXPECT_EQ(probe(mp4, "-select_streams a -show_entries stream=channels"), 2);
    EXPECT_EQ(probe(mp4, "-select_streams v -show_entries stream=width"), 640);

    // Frame 30 shows the 30th presented buffer through the palette (at twice the size).
    std::string rgb = run_shell("ffmpeg -v error -i '" + mp4 +
                                "' -vf 'select=eq(n\\,30),scale=320:240:flags=neighbor' -frames:v 1 -f rawvideo "
                                "-pix_fmt rgb24 -");
    ASSERT_EQ(rgb.size(), size_t(FRAME_BYTES) * 3);
    auto mean_difference = [&](int n) {
        double diff = 0;
        for (int i = 0; i < FRAME_BYTES * 3; i++) {
            int six = colour(pattern(i / 3, n), i % 3) >> 2;
            diff += std::abs(int(uint8_t(rgb[size_t(i)])) - ((six << 2) | (six >> 4)));
        }
        return diff / (FRAME_BYTES * 3);
    };
    double diff = mean_difference(29);
    EXPECT_GT(mean_difference(28), 4 * diff) << "not the frame before";
    EXPECT_GT(mean_difference(30), 4 * diff) << "not the frame after";
    EXPECT_LT(diff, 3.0) << "mean difference per colour value";

    // Contact sheet: pictures at 0:00 and 0:05, two across.
    std::string png = read_file(dir + "/out.png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) { return uint32_t(uint8_t(png[at + 2])) << 8 | uint8_t(png[at + 3]); };
    EXPECT_EQ(png.compare(1, 3, "PNG"), 0);
    EXPECT_EQ(be32(16), uint32_t(4 + 2 * (THUMB_WIDTH + 4)));
    EXPECT_EQ(be32(20), uint32_t(4 + THUMB_HEIGHT + 11 + 4));
}

TEST_F(RenderRun, CtrlCSigtermAndAFailingEncoderLeaveNoFileAndNoEncoderBehind) {
    show_frames = 60 * 120;  // longer than the test waits
    std::string err;
    for (int sig : {SIGINT, SIGTERM}) {
        EXPECT_EQ(render(&err, "", sig), 128 + sig);
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
    EXPECT_EQ(render(&err, bin), 1);
    remove_tree(bin);
    EXPECT_NE(err.find("Unknown encoder 'libx264'; out.mp4 not written"), std::string::npos) << err;
    EXPECT_TRUE(entries(dir).empty());
}

TEST(ContactSheet, PicturesAreHalvedFramesInRowsWithTheirLabelsBelow) {
    Sheet s;
    s.columns = 2;
    std::vector<uint8_t> frame(320 * 240 * 3);
    for (int i = 0; i < 320 * 240; i++) {
        frame[size_t(i) * 3] = uint8_t(i % 320 / 2);              // red: half the column
        frame[size_t(i) * 3 + 1] = uint8_t((i / 320) % 2 * 100);  // green: 0 or 100 by row
        frame[size_t(i) * 3 + 2] = 7;
    }
    for (const char* label : {"scene 1  0:00", "", "scene 10  1:05"}) sheet_add(s, frame.data(), label);
    int w = 0, h = 0;
    std::vector<uint8_t> out = sheet_compose(s, &w, &h);
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
