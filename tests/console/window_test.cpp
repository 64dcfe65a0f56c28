// The window display under a private Xvfb: what it shows, and that closing it or Esc ends the run.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "console/console.h"
#include "support/xvfb.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

uint8_t pattern(int i) { return uint8_t((i % 320) / 20 + (i / 320) / 15 * 16); }
uint8_t colour(int entry, int c) { return uint8_t((entry * (c + 3) * 7) & 0xFC); }

// The child: a window showing one frame, presenting it again and again until asked to stop.
[[noreturn]] void show_in_window(const std::string& display, int scale) {
    setenv("DISPLAY", display.c_str(), 1);
    ConsoleSettings s;
    s.video = "window";
    s.scale = scale;
    console_start(s);
    con_on_quit([](int status) {
        vga_setmode(TEXT);
        _exit(status == 1 ? 42 : 3);
    });
    vga_setmode(G320x240x256);
    Palette* p = new_palette();
    p->rgb = static_cast<uint8_t*>(malloc(768));
    p->count = 256;
    for (int e = 0; e < 256; e++)
        for (int c = 0; c < 3; c++) p->rgb[e * 3 + c] = colour(e, c);
    set_palette(p);
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int i = 0; i < FRAME_BYTES; i++) buf[i] = pattern(i);
    for (int n = 0; n < 60 * 20; n++) show_frame(buf.data());
    _exit(4);  // nobody closed the window
}

struct WindowTest : ::testing::Test {
    Xvfb x;
    pid_t child = -1;
    int wm = -1;
    // On a desktop: a window manager, and the window at its default scale.
    virtual bool desktop() const { return false; }
    void SetUp() override {
        x = start_xvfb();
        if (x.display.empty()) GTEST_SKIP() << "Xvfb did not start";
        if (desktop()) {
            wm = start_window_manager(x.display);
            ASSERT_GT(wm, 0) << "evilwm did not start";
        }
        child = fork();
        if (child == 0) show_in_window(x.display, desktop() ? 0 : 1);
    }
    void TearDown() override {
        if (child > 0) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
        stop_process(wm);
        stop_xvfb(x);
    }
    int wait_child() {
        int status = 0;
        waitpid(child, &status, 0);
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(WindowTest, ShowsThePresentedFrameAndClosingItEndsTheRun) {
    unsigned long w = find_window(x.display, "tenfold", 10000);
    ASSERT_NE(w, 0u) << "no window appeared";
    usleep(300000);  // a few frames
    int width = 0, height = 0;
    std::string shot = capture_window(x.display, w, &width, &height);
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    int wrong = 0;
    for (int i = 0; i < FRAME_BYTES; i++) {
        for (int c = 0; c < 3; c++) {
            int six = colour(pattern(i), c) >> 2;
            if (uint8_t(shot[size_t(i) * 3 + c]) != ((six << 2) | (six >> 4))) wrong++;
        }
    }
    EXPECT_EQ(wrong, 0);

    send_close_request(x.display, w);
    EXPECT_EQ(wait_child(), 42) << "the quit handler ends the run with status 1";
}

// Waits up to 3 s for the window to reach a size.
bool becomes(const std::string& display, unsigned long w, int width, int height) {
    int cw = 0, ch = 0;
    for (int waited = 0; waited < 3000; waited += 50) {
        if (window_size(display, w, &cw, &ch) && cw == width && ch == height) return true;
        usleep(50000);
    }
    fprintf(stderr, "window is %dx%d, not %dx%d\n", cw, ch, width, height);
    return false;
}

struct DesktopWindowTest : WindowTest {
    bool desktop() const override { return true; }
};

TEST_F(DesktopWindowTest, LargestScaleThatFitsThenFullscreenKeepingTheShapeAndBack) {
    unsigned long w = find_window(x.display, "tenfold", 10000);
    ASSERT_NE(w, 0u);
    ASSERT_TRUE(becomes(x.display, w, 960, 720)) << "3 x 320 x 240 fits a 1024 x 768 screen, 4 x does not";
    send_key(x.display, w, XK_F11);
    ASSERT_TRUE(becomes(x.display, w, 1024, 768)) << "F11: the whole screen";
    usleep(300000);
    int width = 0, height = 0;
    std::string shot = capture_window(x.display, w, &width, &height);
    ASSERT_EQ(width, 1024);
    // The largest whole scale that fits, 3, centred: 960 x 720 at (32, 24), black around it.
    int wrong = 0, border = 0;
    for (int y = 0; y < 768; y += 3) {
        for (int x0 = 0; x0 < 1024; x0 += 3) {
            bool inside = x0 >= 32 && x0 < 992 && y >= 24 && y < 744;
            for (int c = 0; c < 3; c++) {
                uint8_t got = uint8_t(shot[(size_t(y) * 1024 + x0) * 3 + c]);
                if (!inside) {
                    border += got != 0;
                    continue;
                }
                int six = colour(pattern((y - 24) / 3 * 320 + (x0 - 32) / 3), c) >> 2;
                wrong += got != ((six << 2) | (six >> 4));
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(border, 0);

    send_key(x.display, w, XK_Return, ALT_MODIFIER);
    EXPECT_TRUE(becomes(x.display, w, 960, 720)) << "Alt+Enter: back to the window";
    send_key(x.display, w, XK_Return, ALT_MODIFIER);
    EXPECT_TRUE(becomes(x.display, w, 1024, 768)) << "Alt+Enter: the whole screen again";
    send_key(x.display, w, XK_Return);
    send_key(x.display, w, XK_F10);
    usleep(300000);
    EXPECT_TRUE(becomes(x.display, w, 1024, 768)) << "Enter alone or other keys change nothing";
    send_key(x.display, w, XK_Escape);
    EXPECT_EQ(wait_child(), 42) << "Esc in fullscreen ends the run too";
}

TEST_F(WindowTest, EscEndsTheRun) {
    unsigned long w = find_window(x.display, "tenfold", 10000);
    ASSERT_NE(w, 0u) << "display " << x.display;
    send_key(x.display, w, XK_Escape);
    EXPECT_EQ(wait_child(), 42);
}

}  // namespace
