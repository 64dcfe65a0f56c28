#include "support/xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// Windows come and go while a test looks at them: a request about one that has gone is no error
// that should end the test program (Xlib's default handler exits).
static int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// Runs f on a connection to the display; false if none could be made.
static bool with_display(const std::string& display, const std::function<void(Display*)>& f) {
    XSetErrorHandler(ignore_x_error);
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    f(d);
    XCloseDisplay(d);
    return true;
}

// Starts a server on display n and waits until it answers; display empty if it died (number taken).
static Xvfb try_start_xvfb(int n, const std::vector<std::string>& without) {
    Xvfb x;
    std::string display = ":" + std::to_string(n);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), 2);
        std::vector<const char*> args = {"Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                         "-noreset"};
        for (const std::string& e : without) args.insert(args.end(), {"-extension", e.c_str()});
        args.push_back(nullptr);
        execvp("Xvfb", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    x.pid = pid;
    for (int waited = 0; waited < 10000; waited += 20, usleep(20000)) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return Xvfb{};
        if (with_display(display, [](Display*) {})) {
            x.display = display;
            return x;
        }
    }
    stop_xvfb(x);
    return x;
}

Xvfb start_xvfb(const std::vector<std::string>& without) {
    // Test programs running side by side try different ranges of numbers, so that none can take
    // another's server for its own.
    int base = 100 + int(getpid() % 500) * 8;
    Xvfb x;
    for (int n = base; n < base + 8 && x.display.empty(); n++)
        if (access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) != 0) x = try_start_xvfb(n, without);
    return x;
}

void stop_xvfb(Xvfb& x) {
    stop_process(x.pid);
    x.pid = -1;
}

int start_window_manager(const std::string& display) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        // "fixed" is built into every X server; evilwm's default font needs a font package.
        execlp("evilwm", "evilwm", "-fn", "fixed", (char*)nullptr);
        _exit(127);
    }
    // Ready once it manages the root window: it then holds SubstructureRedirect on it.
    with_display(display, [&](Display* d) {
        XWindowAttributes a;
        for (int waited = 0; waited < 5000; waited += 50, usleep(50000)) {
            XGetWindowAttributes(d, DefaultRootWindow(d), &a);
            if (a.all_event_masks & SubstructureRedirectMask) break;
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                break;
            }
        }
    });
    return pid;
}

void stop_process(int pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

static Window search(Display* d, Window w, const std::string& name) {
    char* title = nullptr;
    if (XFetchName(d, w, &title) && title) {
        bool match = name == title;
        XFree(title);
        if (match) return w;
    }
    Window root, parent, *children = nullptr, found = 0;
    unsigned n = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned i = 0; i < n && !found; i++) found = search(d, children[i], name);
        if (children) XFree(children);
    }
    return found;
}

unsigned long find_window(const std::string& display, const std::string& name, int timeout_ms) {
    Window found = 0;
    // The same window for a quarter of a second: SDL replaces its first window at once when its
    // renderer needs another kind.
    with_display(display, [&](Display* d) {
        Window seen = 0;
        for (int waited = 0, steady = 0; waited <= timeout_ms && steady < 5; waited += 50, usleep(50000)) {
            XWindowAttributes a;
            Window w = search(d, DefaultRootWindow(d), name);
            if (w && (XGetWindowAttributes(d, w, &a), a.map_state != IsViewable)) w = 0;
            steady = w && w == seen ? steady + 1 : 0;
            seen = w;
        }
        found = seen;
    });
    return found;
}

std::string capture_window(const std::string& display, unsigned long window, int* width, int* height) {
    std::string rgb;
    with_display(display, [&](Display* d) {
        XWindowAttributes a;
        XGetWindowAttributes(d, window, &a);
        XImage* img = XGetImage(d, window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
        if (!img) return;
        *width = a.width;
        *height = a.height;
        rgb.resize(size_t(a.width) * a.height * 3);
        for (int y = 0; y < a.height; y++)
            for (int x = 0; x < a.width; x++) {
                unsigned long p = XGetPixel(img, x, y);
                char* out = &rgb[(size_t(y) * a.width + x) * 3];
                out[0] = char((p & img->red_mask) >> 16), out[1] = char((p & img->green_mask) >> 8);
                out[2] = char(p & img->blue_mask);
            }
        XDestroyImage(img);
    });
    return rgb;
}

void send_close_request(const std::string& display, unsigned long window) {
    with_display(display, [&](Display* d) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, window, False, NoEventMask, &e);
        XFlush(d);
    });
}

void send_key(const std::string& display, unsigned long window, unsigned long keysym, unsigned modifiers) {
    with_display(display, [&](Display* d) {
        auto key = [&](int type, KeySym k, unsigned state) {
            XEvent e{};
            e.xkey.type = type;
            e.xkey.display = d;
            e.xkey.window = window;
            e.xkey.root = DefaultRootWindow(d);
            e.xkey.keycode = XKeysymToKeycode(d, k);
            e.xkey.same_screen = True;
            e.xkey.state = state;
            XSendEvent(d, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
        };
        // A modifier is held as a key of its own around the key, as a keyboard does.
        if (modifiers & ALT_MODIFIER) key(KeyPress, XK_Alt_L, 0);
        key(KeyPress, KeySym(keysym), modifiers);
        key(KeyRelease, KeySym(keysym), modifiers);
        if (modifiers & ALT_MODIFIER) key(KeyRelease, XK_Alt_L, modifiers);
        XFlush(d);
    });
}

bool window_size(const std::string& display, unsigned long window, int* width, int* height) {
    bool ok = false;
    with_display(display, [&](Display* d) {
        XWindowAttributes a;
        if ((ok = XGetWindowAttributes(d, window, &a))) *width = a.width, *height = a.height;
    });
    return ok;
}
