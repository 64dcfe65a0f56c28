// The terminal display: what it writes for known frames (read back through a small terminal
// model), and, on a pseudo-terminal, that the terminal is put back on every way out.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "console/run.h"
#include "console/vga.h"
#include "console/internal.h"
#include "support/frames.h"
#include "support/run.h"
#include "video/palette.h"
#include "video/present.h"
#include "support/palettes.h"

namespace {

constexpr char LEAVE[] = "\x1b[0m\x1b[?1049l\x1b[?25h", HALF[] = "\xe2\x96\x80";

// Enough of a terminal to read the display's output: cursor moves, true-colour SGR, the two cell
// characters it writes, clearing, and the private modes. `unknown` counts what it cannot place.
struct Screen {
    struct Cell {
        std::string ch;
        int64_t fg = -1, bg = -1;
    };
    int cols, rows, row = 0, col = 0, written = 0, unknown = 0;
    std::vector<Cell> cells;
    int64_t fg = -1, bg = -1;
    bool alternate = false, cursor_visible = true;
    Screen(int c, int r) : cols(c), rows(r), cells(size_t(c) * r) {}
    Cell& at(int r, int c) { return cells[size_t(r) * cols + c]; }
    std::pair<int64_t, int64_t> colours(int r, int c) {  // upper and lower half
        return at(r, c).ch == " " ? std::make_pair(at(r, c).bg, at(r, c).bg) : std::make_pair(at(r, c).fg, at(r, c).bg);
    }
    void sgr(const std::vector<int>& p) {
        for (size_t i = 0; i < p.size(); i++) {
            if (p[i] == 0) fg = bg = -1;
            else if ((p[i] == 38 || p[i] == 48) && i + 4 < p.size() && p[i + 1] == 2)
                (p[i] == 38 ? fg : bg) = int64_t(p[i + 2]) << 16 | p[i + 3] << 8 | p[i + 4], i += 4;
            else unknown++;
        }
    }
    void feed(const std::string& s) {
        for (size_t i = 0; i < s.size();) {
            if (s.compare(i, 2, "\x1b[") == 0) {
                size_t j = i + 2;
                bool priv = s[j] == '?';
                std::vector<int> p{0};
                for (j += priv; j < s.size() && (isdigit(s[j]) || s[j] == ';'); j++)
                    s[j] == ';' ? p.push_back(0) : void(p.back() = p.back() * 10 + (s[j] - '0'));
                char f = s[j];
                if (priv && p[0] == 1049) alternate = f == 'h';
                else if (priv && p[0] == 25) cursor_visible = f == 'h';
                else if (f == 'H') row = p[0] - 1, col = p.size() > 1 ? p[1] - 1 : 0;
                else if (f == 'm') sgr(p);
                else if (f == 'J' && p[0] == 2) cells.assign(cells.size(), Cell{});
                else unknown++;
                i = j + 1;
            } else if (s.compare(i, 3, HALF) == 0 || s[i] == ' ') {
                size_t n = s[i] == ' ' ? 1 : 3;
                if (row >= 0 && row < rows && col >= 0 && col < cols) at(row, col) = Cell{s.substr(i, n), fg, bg};
                else unknown++;
                col++, written++, i += n;
            } else {
                unknown++, i++;
            }
        }
    }
};

struct TerminalOutput : ::testing::Test {
    int fd = memfd_create("terminal-test", 0);
    std::vector<uint8_t> frame = std::vector<uint8_t>(320 * 240 * 3);
    void TearDown() override { close(fd); }
    std::string take() {
        std::string s(size_t(lseek(fd, 0, SEEK_END)), '\0');
        if (pread(fd, s.data(), s.size(), 0) != ssize_t(s.size())) s.clear();
        EXPECT_EQ(ftruncate(fd, 0), 0);
        lseek(fd, 0, SEEK_SET);
        return s;
    }
    void fill(int x0, int y0, int w, int h, uint32_t c) {
        for (int y = y0; y < y0 + h; y++)
            for (int x = x0; x < x0 + w; x++)
                for (int k = 0; k < 3; k++) frame[(size_t(y) * 320 + x) * 3 + k] = uint8_t(c >> (16 - 8 * k));
    }
};

TEST_F(TerminalOutput, HalfBlockCellsOfAKnownFrameThenOnlyTheChangedCellsAndTheRestore) {
    // 80 x 30 cells hold the picture exactly: each cell half is a 4 x 4 block of pixels.
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) fill(x, y, 1, 1, x >= 160 ? 0x2040C0u : (y / 4) % 2 ? 0x00FF00u : uint32_t(x / 4) << 16 | y);
    auto d = con::open_terminal_display(fd, 80, 30);
    Screen screen(80, 30);
    screen.feed(take());
    EXPECT_TRUE(screen.alternate && !screen.cursor_visible);
    d->show(frame.data());
    screen.feed(take());
    EXPECT_EQ(screen.written, 80 * 30);
    EXPECT_EQ(screen.unknown, 0);
    auto mean = [&](int c, int y0) {  // of the 4 x 4 block at column c, rows y0 ..
        int64_t s[3] = {0, 0, 0};
        for (int y = y0; y < y0 + 4; y++)
            for (int x = 4 * c; x < 4 * c + 4; x++)
                for (int k = 0; k < 3; k++) s[k] += frame[(size_t(y) * 320 + x) * 3 + k];
        return s[0] / 16 << 16 | s[1] / 16 << 8 | s[2] / 16;
    };
    for (int r = 0; r < 30; r++)
        for (int c = 0; c < 80; c++)
            ASSERT_EQ(screen.colours(r, c), std::make_pair(mean(c, 8 * r), mean(c, 8 * r + 4))) << r << "," << c;
    EXPECT_EQ(screen.at(0, 0).ch, HALF);
    EXPECT_EQ(screen.at(0, 79).ch, " ") << "a cell of one colour is a space in the background colour";

    d->show(frame.data());
    EXPECT_TRUE(take().empty()) << "an unchanged frame writes nothing";
    fill(40, 28, 4, 4, 0xFFFFFF);  // the lower half of cell (3, 10)
    fill(316, 232, 4, 8, 0x010203);  // all of cell (29, 79)
    screen.written = 0;
    d->show(frame.data());
    screen.feed(take());
    EXPECT_EQ(screen.written, 2);
    EXPECT_EQ(screen.colours(3, 10).second, 0xFFFFFF);
    EXPECT_EQ(screen.colours(29, 79), std::make_pair(int64_t(0x010203), int64_t(0x010203)));

    d.reset();
    std::string tail = take();
    EXPECT_EQ(tail, LEAVE);
    screen.feed(tail);
    EXPECT_TRUE(!screen.alternate && screen.cursor_visible && screen.fg == -1 && screen.bg == -1);
}

TEST_F(TerminalOutput, PictureKeepsItsShapeAndIsCentredInAnyTerminal) {
    std::fill(frame.begin(), frame.end(), 0x80);
    // 8 columns for every 3 rows keeps 4:3; never more than one cell per 1 x 2 pixels; a terminal
    // too small for 4:3 gets one cell row.
    const int cases[][4] = {{200, 50, 133, 50}, {80, 60, 80, 30}, {400, 200, 320, 120}, {2, 1, 2, 1}};
    for (auto [cols, rows, pic_cols, pic_rows] : cases) {
        auto d = con::open_terminal_display(fd, cols, rows);
        d->show(frame.data());
        d.reset();
        Screen s(cols, rows);
        s.feed(take());
        int minr = rows, maxr = -1, minc = cols, maxc = -1;
        for (int r = 0; r < rows; r++)
            for (int c = 0; c < cols; c++)
                if (!s.at(r, c).ch.empty())
                    minr = std::min(minr, r), maxr = std::max(maxr, r), minc = std::min(minc, c), maxc = std::max(maxc, c);
        EXPECT_EQ(maxr - minr + 1, pic_rows) << cols << "x" << rows;
        if (cols == 2) continue;
        EXPECT_EQ(maxc - minc + 1, pic_cols) << cols << "x" << rows;
        EXPECT_EQ(minc, (cols - pic_cols) / 2);
        EXPECT_EQ(minr, (rows - pic_rows) / 2);
        EXPECT_EQ(s.written, pic_cols * pic_rows);
        EXPECT_EQ(s.colours(minr, minc), std::make_pair(int64_t(0x808080), int64_t(0x808080)));
    }
}

// ---- on a pseudo-terminal -------------------------------------------------------------------

std::string stall_marker;  // the "stall" child writes this file once its frames are presented

void closing_banner(int status) {
    vga_setmode(TEXT);
    printf("closing banner\n");
    fflush(stdout);
    _exit(status);
}

// The child: the terminal display on its pseudo-terminal, a message printed while it shows, frames
// presented until something ends the run.
[[noreturn]] void present_on_terminal(const std::string& how_it_ends) {
    ConsoleSettings s;
    s.video = "auto";  // no display, standard output a terminal: the terminal display
    console_start(s);
    console_on_quit(closing_banner);
    vga_setmode(G320x240x256);
    printf("said while the picture shows\n");
    fprintf(stderr, "warned while the picture shows\n");
    set_palette(test_palette([](int j) { return uint8_t(j); }));
    std::vector<uint8_t> buf(FRAME_BYTES);
    for (int n = 0; n < 60 * 20; n++) {
        for (int i = 0; i < FRAME_BYTES; i++) buf[i] = uint8_t(i / 320 + n);
        show_frame(fb(buf));
        if (n == 30 && how_it_ends == "end") closing_banner(1);
        if (n == 30 && how_it_ends == "abort") abort();
        if (n == 180 && how_it_ends == "stall") {  // 3 s of frames presented
            write_file(stall_marker, "presented\n");
            vga_setmode(TEXT);
            _exit(0);
        }
    }
    _exit(4);
}

// Reads the terminal into out until `until` appears after `from` (or ms pass); returns where.
size_t read_until(int master, std::string& out, const std::string& until, size_t from, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 20) {
        size_t at = out.find(until, from);
        if (at != std::string::npos) return at;
        pollfd pf{master, POLLIN, 0};
        char buf[65536];
        ssize_t n = poll(&pf, 1, 20) > 0 ? read(master, buf, sizeof buf) : 0;
        if (n < 0) break;  // the child's side closed
        out.append(buf, size_t(n));
    }
    return out.find(until, from);
}

struct PtyRun {
    int status = -1;
    std::string out;
    termios after{};
    bool done_unread = false;  // the child finished while nobody read the terminal
};

// signal_number: sent once the picture shows, after on_picture (if any) had 300 ms to take effect.
PtyRun run_on_pty(const char* how_it_ends, int signal_number, std::function<void(int)> on_picture = {}) {
    PtyRun r;
    winsize ws{40, 100, 0, 0};
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
    if (pid == 0) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        present_on_terminal(how_it_ends);
    }
    if (std::string(how_it_ends) == "stall") {  // nobody reads the terminal until the child is done
        for (int waited = 0; waited < 30000 && access(stall_marker.c_str(), F_OK) != 0; waited += 50) usleep(50000);
        r.done_unread = access(stall_marker.c_str(), F_OK) == 0;
    }
    if (signal_number && read_until(master, r.out, HALF, 0, 20000) != std::string::npos) {
        if (on_picture) on_picture(master);
        usleep(on_picture ? 300000 : 100000);
        kill(pid, signal_number);
    }
    read_until(master, r.out, "\x01never", 0, 20000);
    tcgetattr(master, &r.after);
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    close(master);
    return r;
}

void expect_restored(const PtyRun& r, bool with_banner) {
    size_t enter = r.out.find("\x1b[?1049h"), picture = r.out.rfind(HALF), leave = r.out.rfind(LEAVE);
    ASSERT_NE(enter, std::string::npos);
    ASSERT_NE(picture, std::string::npos) << "a picture was drawn";
    ASSERT_NE(leave, std::string::npos) << "the terminal was put back";
    EXPECT_LT(picture, leave);
    // What the show printed while the picture showed appears after it, on the main screen.
    EXPECT_GT(r.out.find("said while the picture shows"), leave);
    size_t warned = r.out.find("warned while the picture shows");
    EXPECT_TRUE(warned != std::string::npos && warned > leave);
    if (with_banner) {
        EXPECT_GT(r.out.find("closing banner"), leave);
    }
    EXPECT_TRUE(r.after.c_lflag & ECHO) << "echo back on";
    EXPECT_TRUE(r.after.c_lflag & ICANON) << "line input back on";
}

TEST(TerminalRestore, CtrlCSigtermNormalEndAndAbortAllPutTheTerminalBack) {
    const struct {
        const char* how;
        int signal, status;
    } cases[] = {{"signal", SIGINT, 130}, {"signal", SIGTERM, 143}, {"end", 0, 1}, {"abort", 0, 128 + SIGABRT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.how) + " " + std::to_string(c.signal));
        PtyRun r = run_on_pty(c.how, c.signal);
        EXPECT_EQ(r.status, c.status);
        expect_restored(r, c.status != 128 + SIGABRT);
    }
}

TEST(TerminalRestore, AResizedTerminalIsClearedAndTheFittedPictureRedrawn) {
    PtyRun r = run_on_pty("signal", SIGINT, [](int master) {
        winsize ws{20, 60, 0, 0};
        ioctl(master, TIOCSWINSZ, &ws);  // the terminal sends SIGWINCH to the program
    });
    EXPECT_EQ(r.status, 130);
    expect_restored(r, true);
    size_t cleared = r.out.rfind("\x1b[0m\x1b[2J"), leave = r.out.rfind(LEAVE);
    ASSERT_NE(cleared, std::string::npos);
    ASSERT_GT(cleared, r.out.find("\x1b[?1049h") + 8) << "a clear after the start";
    ASSERT_LT(cleared, leave);
    // 60 x 20 cells: 20 rows, 53 columns from column 3 (0-based).
    Screen s(60, 20);
    s.feed(r.out.substr(cleared, leave - cleared));
    EXPECT_EQ(s.unknown, 0) << "nothing written outside the new size";
    EXPECT_GE(s.written, 53 * 20);
    for (int row : {0, 19})
        EXPECT_TRUE(s.at(row, 2).ch.empty() && !s.at(row, 3).ch.empty() && !s.at(row, 55).ch.empty() &&
                    s.at(row, 56).ch.empty())
            << row;
}

TEST(TerminalRestore, AStalledTerminalDropsFramesInsteadOfHoldingTheShowBack) {
    stall_marker = make_temp_dir("stall") + "/presented";
    // 180 frames that each change every cell, far more than the terminal's buffer holds.
    PtyRun r = run_on_pty("stall", 0);
    EXPECT_TRUE(r.done_unread) << "the show was held back by the terminal";
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.rfind(LEAVE), std::string::npos);
    EXPECT_LT(r.out.size(), size_t(180) * 85 * 40 * 10) << "fewer bytes than 180 whole frames";
    remove_tree(stall_marker.substr(0, stall_marker.rfind('/')));
}

TEST(TerminalRestore, CtrlZGivesTheTerminalBackUntilTheShowContinues) {
    winsize ws{40, 100, 0, 0};
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
    if (pid == 0) {
        // As under a shell with job control: the show in a foreground process group of its own,
        // with its parent in the session (so that it may be stopped).
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        pid_t show = fork();
        if (show == 0) {
            setpgid(0, 0);
            signal(SIGTTOU, SIG_IGN);
            tcsetpgrp(STDIN_FILENO, getpid());
            signal(SIGTTOU, SIG_DFL);
            present_on_terminal("signal");
        }
        int st = 0;
        waitpid(show, &st, 0);
        _exit(WIFEXITED(st) ? WEXITSTATUS(st) : 99);
    }
    std::string out;
    termios t{};
    auto echo = [&] { return tcgetattr(master, &t) == 0 && (t.c_lflag & ECHO) && (t.c_lflag & ICANON); };
    size_t picture = read_until(master, out, HALF, 0);
    ASSERT_NE(picture, std::string::npos);
    EXPECT_FALSE(echo()) << "no echo while the picture shows";

    ASSERT_EQ(write(master, "\x1a", 1), 1);  // Ctrl-Z
    size_t left = read_until(master, out, LEAVE, picture);
    ASSERT_NE(left, std::string::npos) << "main screen and cursor back while stopped";
    usleep(200000);
    EXPECT_TRUE(echo());
    pid_t show_group = tcgetpgrp(master);
    ASSERT_GT(show_group, 0);
    EXPECT_EQ(out.find(HALF, left), std::string::npos) << "nothing drawn while stopped";

    kill(-show_group, SIGCONT);
    size_t back = read_until(master, out, "\x1b[?1049h", left);
    ASSERT_NE(back, std::string::npos) << "the picture's screen again";
    EXPECT_NE(read_until(master, out, HALF, back), std::string::npos) << "and the picture redrawn";
    EXPECT_FALSE(echo());

    ASSERT_EQ(write(master, "\x03", 1), 1);  // Ctrl-C
    EXPECT_NE(read_until(master, out, "closing banner", back), std::string::npos);
    int st = 0;
    waitpid(pid, &st, 0);
    EXPECT_EQ(WEXITSTATUS(st), 130);
    close(master);
}

// As a user runs it: typed into a shell in a tmux pane, ended with Ctrl-C. (The shell stays, as in
// real use; when the pane's own process exits, tmux may drop the last output still in flight.)
TEST(TerminalUnderTmux, TestCardShowsInTrueColourAndCtrlCLeavesTheTerminalAsItWas) {
    std::string tmux = "tmux -L tenfold-test-" + std::to_string(getpid()) + " -f /dev/null ";
    ASSERT_EQ(system((tmux + "new-session -d -s card -x 100 -y 32 sh").c_str()), 0);
    run_shell(tmux + "send-keys -t card 'env -u DISPLAY -u WAYLAND_DISPLAY TENFOLD_VIDEO=terminal " +
              TENFOLD_BUILD_DIR + "/tenfold-testcard; echo exit status $?' Enter");
    auto state = [&] { return run_shell(tmux + "display -p -t card '#{alternate_on} #{cursor_flag}'"); };
    auto capture_until = [&](const char* text) {
        std::string shown;
        for (int waited = 0; waited < 10000 && shown.find(text) == std::string::npos; waited += 100) {
            usleep(100000);
            shown = run_shell(tmux + "capture-pane -p -e -t card");
        }
        return shown;
    };
    std::string shown = capture_until("48;2;0;0;255m");
    for (const char* bar : {"48;2;255;255;255m", "48;2;0;255;255m", "48;2;0;0;255m"})
        EXPECT_NE(shown.find(bar), std::string::npos) << bar << shown;
    EXPECT_EQ(state(), "1 0\n") << "alternate screen, cursor hidden";

    run_shell(tmux + "send-keys -t card C-c");
    std::string screen = capture_until("exit status 1");  // the status, not the typed command
    EXPECT_NE(screen.find("tenfold-testcard: stopped\nexit status 130"), std::string::npos) << screen;
    EXPECT_EQ(state(), "0 1\n") << "main screen, cursor visible";
    EXPECT_EQ(screen.find("8;2;"), std::string::npos) << "no colour left on the main screen";
    run_shell(tmux + "kill-server");
}

}  // namespace
