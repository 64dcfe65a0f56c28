// A private X server (Xvfb) for tests of the window display, and the few X requests they need.
#pragma once

#include <string>
#include <vector>

struct Xvfb {
    int pid = -1;
    std::string display;  // ":N", empty if the server could not start
};

// Tries a few times; display empty if no server would start. The server goes without the X
// extensions named (as "RENDER" or "MIT-SHM"), as a remote or older one does.
Xvfb start_xvfb(const std::vector<std::string>& without = {});
void stop_xvfb(Xvfb& x);
// A small window manager (evilwm) on the display, as a desktop has: fullscreen needs one. The
// process id, -1 if it did not start; stop it with stop_process.
int start_window_manager(const std::string& display);
void stop_process(int pid);
// The id of the viewable window with this name once it stays the same, waiting up to timeout_ms;
// 0 if none appears.
unsigned long find_window(const std::string& display, const std::string& name, int timeout_ms);
// The window's pixels as 8-bit red, green, blue, row by row; empty on failure.
std::string capture_window(const std::string& display, unsigned long window, int* width, int* height);
// What a window manager sends when the user closes a window.
void send_close_request(const std::string& display, unsigned long window);
constexpr unsigned ALT_MODIFIER = 1u << 3;  // X's Mod1Mask
// A key press and release; modifiers as X state bits (ALT_MODIFIER).
void send_key(const std::string& display, unsigned long window, unsigned long keysym, unsigned modifiers = 0);
// The window's size; false if it cannot be read.
bool window_size(const std::string& display, unsigned long window, int* width, int* height);
