// The terminal display: the picture as ANSI true-colour half-block cells. A cell shows two pixels
// one above the other, the upper as the foreground of "▀", the lower as its background; a 4:3
// picture therefore fills 8 columns for every 3 rows, scaled (box-averaged) to fit the terminal
// and following its resizes. Only cells that changed are rewritten. Output never blocks the show:
// while the terminal has not taken the last frame, newer frames are dropped.
//
// While it draws, the terminal is in the alternate screen with the cursor hidden and no echo, and
// what the show prints to standard output and error is held back and printed after the picture is
// gone. The terminal is put back on every way out: the display's end, a fatal signal (the console's
// crash handler calls restore_terminal_now); and while the show is stopped (Ctrl-Z).
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "console/internal.h"

namespace con {

namespace {

constexpr char ENTER[] = "\x1b[?1049h\x1b[?25l\x1b[0m\x1b[2J";
constexpr char LEAVE[] = "\x1b[0m\x1b[?1049l\x1b[?25h";  // attributes off, main screen, cursor on
constexpr char CLEAR[] = "\x1b[0m\x1b[2J";
constexpr char UPPER_HALF[] = "\xe2\x96\x80";  // U+2580
constexpr uint64_t UNKNOWN = ~uint64_t(0);    // a cell whose content the terminal does not have

// What a signal handler needs to put the terminal back; only plain values, set up before
// the handlers are installed.
struct Restore {
    int tty = -1;                 // where the picture goes
    int held = -1;                // what the show printed meanwhile
    int saved_out = -1, saved_err = -1;
    bool have_termios = false;
    termios input{}, raw{};       // as it was; while the picture shows
    struct sigaction old_winch {}, old_stop{};
};
Restore restore;
volatile sig_atomic_t resized = 0;

// Main screen, cursor and input as they were; and back to the picture. Async-signal-safe.
void leave_screen() {
    con_write_all(restore.tty, LEAVE, sizeof LEAVE - 1);
    if (restore.have_termios) tcsetattr(STDIN_FILENO, TCSANOW, &restore.input);
}

void enter_screen() {
    con_write_all(restore.tty, ENTER, sizeof ENTER - 1);
    if (restore.have_termios) tcsetattr(STDIN_FILENO, TCSANOW, &restore.raw);
}

// Puts the terminal back and prints what was held back. Only async-signal-safe calls.
void restore_terminal() {
    if (restore.tty < 0) return;
    leave_screen();
    if (restore.saved_out >= 0) dup2(restore.saved_out, STDOUT_FILENO);
    if (restore.saved_err >= 0) dup2(restore.saved_err, STDERR_FILENO);
    if (restore.held >= 0) {
        char buf[4096];
        ssize_t n;
        for (off_t at = 0; (n = pread(restore.held, buf, sizeof buf, at)) > 0; at += n)
            con_write_all(STDOUT_FILENO, buf, size_t(n));
    }
}

void on_winch(int) { resized = 1; }

// Ctrl-Z: the terminal as it was while the show is stopped; on continuing, the picture is redrawn
// in full (the terminal may have changed meanwhile).
void on_stop(int) {
    int saved_errno = errno;
    leave_screen();
    struct sigaction self;
    sigaction(SIGTSTP, &restore.old_stop, &self);
    raise(SIGTSTP);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);  // stops here until continued
    sigaction(SIGTSTP, &self, nullptr);
    enter_screen();
    resized = 1;
    errno = saved_errno;
}

void append_number(std::string& s, int v) {
    char b[12];
    s.append(b, size_t(std::to_chars(b, b + sizeof b, v).ptr - b));
}

void append_colour(std::string& s, uint32_t c) {
    append_number(s, int(c >> 16));
    s += ';';
    append_number(s, int(c >> 8 & 0xFF));
    s += ';';
    append_number(s, int(c & 0xFF));
}

struct TerminalDisplay : Display {
    int fd;
    bool owns_terminal;          // the process's terminal, with its state to restore
    int term_cols, term_rows;    // the terminal's size in cells
    int cols = 0, rows = 0;      // the picture's size in cells
    int left = 0, top = 0;       // its offset in cells
    std::vector<int> x_start, y_start;  // source pixel ranges of the target columns / pixel rows
    std::vector<uint32_t> row_sums;     // per source row, per target column: red, green, blue sums
    std::vector<uint64_t> shown;        // per cell: upper << 32 | lower colour, as on the terminal
    int64_t fg = -1, bg = -1;           // the terminal's current colours, -1 unknown
    std::string unsent;
    size_t sent = 0;

    TerminalDisplay(int out, bool own, int columns, int lines)
        : fd(out), owns_terminal(own), term_cols(columns), term_rows(lines) {
        unsent = ENTER;
        layout();
        flush();
    }

    ~TerminalDisplay() override {
        if (!owns_terminal) {
            con_write_all(fd, unsent.data() + sent, unsent.size() - sent);
            con_write_all(fd, LEAVE, sizeof LEAVE - 1);
            return;
        }
        // The rest of a frame first: cut short, an escape sequence would swallow the restore.
        con_write_all(fd, unsent.data() + sent, unsent.size() - sent);
        fflush(stdout);
        fflush(stderr);
        restore_terminal();
        if (restore.have_termios) tcflush(STDIN_FILENO, TCIFLUSH);  // keys typed during the show
        sigaction(SIGWINCH, &restore.old_winch, nullptr);
        sigaction(SIGTSTP, &restore.old_stop, nullptr);
        for (int f : {restore.tty, restore.held, restore.saved_out, restore.saved_err})
            if (f >= 0) close(f);
        restore = Restore{};
    }

    // Fits a 4:3 picture of 2 pixels per cell into the terminal, centred.
    void layout() {
        if (owns_terminal) {
            winsize ws{};
            if (ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
                term_cols = ws.ws_col;
                term_rows = ws.ws_row;
            }
        }
        rows = std::min({term_rows, term_cols * 3 / 8, SCAN_HEIGHT / 2});
        if (rows < 1) rows = 1;
        cols = std::max(1, std::min(term_cols, (rows * 8 + 1) / 3));
        left = std::max(0, (term_cols - cols) / 2);
        top = std::max(0, (term_rows - rows) / 2);
        x_start.resize(size_t(cols) + 1);
        y_start.resize(size_t(rows) * 2 + 1);
        for (int x = 0; x <= cols; x++) x_start[size_t(x)] = x * SCAN_WIDTH / cols;
        for (int y = 0; y <= rows * 2; y++) y_start[size_t(y)] = y * SCAN_HEIGHT / (rows * 2);
        row_sums.assign(size_t(SCAN_HEIGHT) * cols * 3, 0);
        shown.assign(size_t(cols) * rows, UNKNOWN);
        fg = bg = -1;
    }

    // The mean colour of every target pixel, as 0xRRGGBB, row by row.
    std::vector<uint32_t> scale(const uint8_t* rgb) {
        for (int y = 0; y < SCAN_HEIGHT; y++) {
            const uint8_t* src = rgb + size_t(y) * SCAN_WIDTH * 3;
            uint32_t* dst = &row_sums[size_t(y) * cols * 3];
            for (int x = 0; x < cols; x++) {
                uint32_t r = 0, g = 0, b = 0;
                for (int s = x_start[size_t(x)]; s < x_start[size_t(x) + 1]; s++) {
                    r += src[3 * s];
                    g += src[3 * s + 1];
                    b += src[3 * s + 2];
                }
                dst[3 * x] = r;
                dst[3 * x + 1] = g;
                dst[3 * x + 2] = b;
            }
        }
        std::vector<uint32_t> out(size_t(cols) * rows * 2);
        for (int y = 0; y < rows * 2; y++) {
            int y0 = y_start[size_t(y)], y1 = y_start[size_t(y) + 1];
            for (int x = 0; x < cols; x++) {
                uint32_t sum[3] = {0, 0, 0};
                for (int s = y0; s < y1; s++)
                    for (int c = 0; c < 3; c++) sum[c] += row_sums[(size_t(s) * cols + x) * 3 + c];
                uint32_t n = uint32_t((y1 - y0) * (x_start[size_t(x) + 1] - x_start[size_t(x)]));
                out[size_t(y) * cols + x] = (sum[0] / n) << 16 | (sum[1] / n) << 8 | sum[2] / n;
            }
        }
        return out;
    }

    // Escape sequences that turn the terminal's cells into this frame's, for the changed ones.
    void compose(const uint8_t* rgb) {
        std::vector<uint32_t> px = scale(rgb);
        std::string& s = unsent;
        int at_row = -1, at_col = -1;
        for (int cy = 0; cy < rows; cy++) {
            for (int cx = 0; cx < cols; cx++) {
                uint32_t upper = px[size_t(2 * cy) * cols + cx], lower = px[size_t(2 * cy + 1) * cols + cx];
                uint64_t cell = uint64_t(upper) << 32 | lower;
                uint64_t& old = shown[size_t(cy) * cols + cx];
                if (old == cell) continue;
                old = cell;
                int row = top + cy + 1, col = left + cx + 1;
                if (row != at_row || col != at_col) {
                    s += "\x1b[";
                    append_number(s, row);
                    s += ';';
                    append_number(s, col);
                    s += 'H';
                }
                bool solid = upper == lower;  // a space in the background colour
                bool set_fg = !solid && fg != upper, set_bg = bg != lower;
                if (set_fg || set_bg) {
                    s += "\x1b[";
                    if (set_fg) {
                        s += "38;2;";
                        append_colour(s, upper);
                        if (set_bg) s += ';';
                    }
                    if (set_bg) {
                        s += "48;2;";
                        append_colour(s, lower);
                    }
                    s += 'm';
                }
                if (set_fg) fg = upper;
                bg = lower;
                s += solid ? " " : UPPER_HALF;
                at_row = row;
                at_col = col + 1;
            }
        }
    }

    // Writes what the terminal takes without waiting; true once everything is out.
    bool flush() {
        while (sent < unsent.size()) {
            ssize_t w = write(fd, unsent.data() + sent, unsent.size() - sent);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            sent += size_t(w);
        }
        unsent.clear();
        sent = 0;
        return true;
    }

    void show(const uint8_t* rgb) override {
        if (!flush()) return;  // the terminal still takes an earlier frame: drop this one
        if (resized) {
            resized = 0;
            unsent = CLEAR;
            layout();
        }
        compose(rgb);
        flush();
    }

    bool poll() override {
        flush();
        if (!restore.have_termios) return resized;
        char keys[64];
        ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
        // Esc alone (not the start of a key's escape sequence) or q ends the show; Space pauses,
        // s takes a screenshot.
        if (n == 1 && keys[0] == 0x1b) request_quit(1);
        for (ssize_t i = 0; i < n; i++) {
            if (keys[i] == 'q') request_quit(1);
            if (keys[i] == ' ') con_toggle_pause();
            if (keys[i] == 's') request_screenshot();
        }
        return resized;
    }
};

// Takes over the process's terminal: own non-blocking descriptor, held-back output, raw-ish
// input, signal handlers. Returns the descriptor to draw on, -1 if standard output is no terminal.
int take_terminal() {
    const char* name = isatty(STDOUT_FILENO) ? ttyname(STDOUT_FILENO) : nullptr;
    if (!name) return -1;
    // A descriptor of our own, so that non-blocking writes do not change the shell's.
    int tty = open(name, O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) return -1;
    fflush(stdout);
    fflush(stderr);
    restore.tty = tty;
    restore.held = memfd_create("tenfold-held-output", MFD_CLOEXEC);
    if (restore.held >= 0) {
        restore.saved_out = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        dup2(restore.held, STDOUT_FILENO);
        if (isatty(STDERR_FILENO)) {
            restore.saved_err = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
            dup2(restore.held, STDERR_FILENO);
        }
    }
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &restore.input) == 0) {
        restore.have_termios = true;
        termios& t = restore.raw;
        t = restore.input;
        t.c_lflag &= tcflag_t(~(ICANON | ECHO));  // keys neither echo over the picture nor wait for Enter
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &t);
    }
    struct sigaction sa{};
    sigemptyset(&sa.sa_mask);
    sa.sa_handler = on_winch;
    sa.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &sa, &restore.old_winch);
    sa.sa_handler = on_stop;
    sigaction(SIGTSTP, &sa, &restore.old_stop);
    if (restore.old_stop.sa_handler == SIG_IGN) sigaction(SIGTSTP, &restore.old_stop, nullptr);  // no job control
    resized = 0;
    return tty;
}

}  // namespace

void restore_terminal_now() {
    restore_terminal();
    restore.tty = -1;
}

std::unique_ptr<Display> open_terminal_display() {
    int tty = take_terminal();
    if (tty < 0) return nullptr;
    return std::make_unique<TerminalDisplay>(tty, true, 80, 24);
}

std::unique_ptr<Display> open_terminal_display(int fd, int columns, int rows) {
    return std::make_unique<TerminalDisplay>(fd, false, columns, rows);
}

}  // namespace con
