// The window display under a private Xvfb: what it shows, fullscreen, and that closing it or Esc
// ends the run.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "console/run.h"
#include "console/vga.h"
#include "support/frames.h"
#include "support/run.h"
#include "support/xvfb.h"
#include "video/palette.h"
#include "video/present.h"
#include "support/palettes.h"

namespace {

uint8_t pattern(int i) { return uint8_t((i % 320) / 20 + (i / 320) / 15 * 16); }
uint8_t colour(int entry, int c) { return uint8_t((entry * (c + 3) * 7) & 0xFC); }

// The child: a window showing one frame, presenting it again and again until asked to stop; it
// runs in folder, where its screenshots go.
[[noreturn]] void show_in_window(const std::string& display, int scale, const std::string& folder) {
    setenv("DISPLAY", display.c_str(), 1);
    if (chdir(folder.c_str()) != 0) _exit(5);
    ConsoleSettings s;
    s.video = "window";
    s.scale = scale;
    console_start(s);
    console_on_quit([](int status) {
        vga_setmode(TEXT);
        _exit(status == 1 ? 42 : 3);
    });
    vga_setmode(G320x240x256);
    set_palette(test_palette([](int j) { return colour(j / 3, j % 3); }));
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = pattern(i);
    for (int n = 0; n < 60 * 20; n++) show_frame(fb(buf));
    _exit(4);  // nobody closed the window
}

// Screenshot values (sampled every `step` pixels) that differ from the frame drawn at `scale` with
// its top-left corner at (ox, oy) and black around it.
int wrong_pixels(const std::string& shot, int width, int height, int scale, int ox, int oy, int step) {
    int wrong = 0;
    for (int y = 0; y < height; y += step)
        for (int x = 0; x < width; x += step)
            for (int c = 0; c < 3; c++) {
                int fx = (x - ox) / scale, fy = (y - oy) / scale, want = 0;
                if (x >= ox && y >= oy && fx < 320 && fy < 240) {
                    int six = colour(pattern(fy * 320 + fx), c) >> 2;
                    want = (six << 2) | (six >> 4);
                }
                wrong += uint8_t(shot[(size_t(y) * width + x) * 3 + c]) != want;
            }
    return wrong;
}

struct Screen {
    bool desktop;                       // with a window manager
    std::vector<std::string> without;  // X extensions the server lacks
};

struct WindowTest : ::testing::TestWithParam<Screen> {
    Xvfb x;
    std::string folder = make_temp_dir("window");
    pid_t child = -1;
    int wm = -1;
    unsigned long w = 0;
    void SetUp() override {
        x = start_xvfb(GetParam().without);
        if (x.display.empty()) GTEST_SKIP() << "Xvfb did not start";
        if (GetParam().desktop) {
            ASSERT_GT(wm = start_window_manager(x.display), 0) << "evilwm did not start";
        }
        child = fork();
        if (child == 0) show_in_window(x.display, GetParam().desktop ? 0 : 2, folder);
        w = find_window(x.display, "tenfold", 10000);
        ASSERT_NE(w, 0u) << "no window appeared";
    }
    void TearDown() override {
        if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
        stop_process(wm);
        stop_xvfb(x);
        remove_tree(folder);
    }
    int wait_child() {
        int status = 0;
        waitpid(child, &status, 0);
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Sampled values of the window's picture that differ from the frame drawn at scale at (ox, oy),
    // once it shows (within 5 s: the child presents it at its own pace); -1 if the size is not
    // width x height.
    int wrong_on_screen(int width, int height, int scale, int ox, int oy, int step) {
        int wrong = -1;
        for (int waited = 0; waited < 5000 && wrong != 0; waited += 100, usleep(100000)) {
            int sw = 0, sh = 0;
            std::string shot = capture_window(x.display, w, &sw, &sh);
            wrong = sw == width && sh == height ? wrong_pixels(shot, width, height, scale, ox, oy, step) : -1;
        }
        return wrong;
    }
    bool becomes(int width, int height) {  // within 3 s
        int cw = 0, ch = 0;
        for (int waited = 0; waited < 3000; waited += 50, usleep(50000))
            if (window_size(x.display, w, &cw, &ch) && cw == width && ch == height) return true;
        ADD_FAILURE() << "window is " << cw << "x" << ch << ", not " << width << "x" << height;
        return false;
    }
};

using PlainWindow = WindowTest;
using DesktopWindow = WindowTest;

TEST_P(PlainWindow, ShowsThePresentedFrameAndClosingItEndsTheRun) {
    EXPECT_EQ(wrong_on_screen(640, 480, 2, 0, 0, 1), 0) << "scale 2";
    // F12: the picture on screen as an indexed PNG and one four times as large, in the folder the
    // show started in.
    send_key(x.display, w, XK_F12);
    std::string shots;
    for (int waited = 0; waited < 5000 && count_of(shots, ".png") < 2; waited += 100, usleep(100000))
        shots = run_shell("cd " + folder + " && ls tenfold-scene0-*.png 2>/dev/null");
    ASSERT_EQ(count_of(shots, ".png"), 2) << shots;
    std::string large = folder + "/" + shots.substr(0, shots.find('\n')), small = large;
    small.replace(small.size() - 7, 7, ".png");  // "-4x.png" sorts first
    EXPECT_EQ(run_shell("identify -format '%w %h %[type]' " + small), "320 240 Palette");
    EXPECT_EQ(run_shell("identify -format '%w %h' " + large), "1280 960");
    for (const auto& [file, scale] : {std::pair{small, 1}, {large, 4}}) {
        std::string rgb = run_shell("convert " + file + " -depth 8 rgb:-");
        ASSERT_EQ(rgb.size(), size_t(320 * scale) * 240 * scale * 3) << file;
        EXPECT_EQ(wrong_pixels(rgb, 320 * scale, 240 * scale, scale, 0, 0, 1), 0) << file;
    }
    send_close_request(x.display, w);
    EXPECT_EQ(wait_child(), 42) << "the quit handler ends the run with status 1";
}

TEST_P(DesktopWindow, LargestScaleThatFitsThenFullscreenKeepingTheShapeAndBack) {
    ASSERT_TRUE(becomes(960, 720)) << "3 x 320 x 240 fits a 1024 x 768 screen, 4 x does not";
    send_key(x.display, w, XK_F11);
    ASSERT_TRUE(becomes(1024, 768)) << "F11: the whole screen";
    EXPECT_EQ(wrong_on_screen(1024, 768, 3, 32, 24, 3), 0) << "scale 3, centred, black around it";

    send_key(x.display, w, XK_Return, ALT_MODIFIER);
    EXPECT_TRUE(becomes(960, 720)) << "Alt+Enter: back to the window";
    // The window manager finishes the change before the next key: on a busy machine a request sent
    // the moment the window had its size again was lost now and then (the same before the window's
    // last changes); no hand at a keyboard is that quick.
    usleep(500000);
    send_key(x.display, w, XK_Return, ALT_MODIFIER);
    EXPECT_TRUE(becomes(1024, 768)) << "Alt+Enter: the whole screen again";
    send_key(x.display, w, XK_Return);
    send_key(x.display, w, XK_F10);
    usleep(300000);
    EXPECT_TRUE(becomes(1024, 768)) << "Enter alone or other keys change nothing";
    send_key(x.display, w, XK_Escape);
    EXPECT_EQ(wait_child(), 42) << "Esc in fullscreen ends the run too";
}

// The server scales the picture, or (a server without XRender) the show scales it into the
// window's surface.
std::string screen_name(const ::testing::TestParamInfo<Screen>& p) {
    std::string name = p.param.desktop ? "WithWindowManager" : "Bare";
    for (const std::string& e : p.param.without) name += "Without" + e;
    return name;
}
void PrintTo(const Screen& s, std::ostream* os) { *os << screen_name({s, 0}); }
INSTANTIATE_TEST_SUITE_P(Xvfb, PlainWindow, ::testing::Values(Screen{false, {}}, Screen{false, {"RENDER"}}),
                         screen_name);
INSTANTIATE_TEST_SUITE_P(Xvfb, DesktopWindow, ::testing::Values(Screen{true, {}}), screen_name);

}  // namespace
