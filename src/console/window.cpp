// The window display: SDL2, 4:3, integer scaling, F11 or Alt+Enter for fullscreen, Esc or closing
// the window ends the show. On X11 the show hands the server the 320 x 240 picture in the window's
// pixel format and the server scales it; where the server has the Present extension, each picture
// goes to the window on a refresh of the display (vsync), and the refreshes it reports set the
// pace of the emulated CRT (console/pacing.h). Elsewhere the picture is scaled into the window's
// own surface and shown at once. No renderer, no GL driver.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/present.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "console/internal.h"
#include "console/pacing.h"

namespace con {

namespace {

constexpr int WAIT_MS = 20;             // the window's thread looks at its events at least this often
constexpr int64_t LOST_NS = 100000000;  // no refresh reported for this long: the display stopped
// Ticks a picture goes ahead of the refresh its tick starts on: one lets the server take it after
// a late wakeup of this thread; after pictures came late anyway (a busy display server), every
// picture goes a tick later, up to MAX_LEAD.
constexpr int LEAD = 1, MAX_LEAD = 4;
constexpr int LATE_BEFORE_MORE_LEAD = 3;  // pictures that missed their refresh before the next goes a refresh later

// One row of the picture, each pixel repeated scale times.
void scale_row(const uint8_t* indices, const uint32_t* colours, int scale, uint32_t* out) {
    for (int x = 0; x < SCAN_WIDTH; x++)
        for (int k = 0; k < scale; k++) *out++ = colours[indices[x]];
}

// The largest integer scale whose window fits the usable screen, at least 1.
int fitting_scale() {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0) return 2;
    int s = r.w / SCAN_WIDTH < r.h / SCAN_HEIGHT ? r.w / SCAN_WIDTH : r.h / SCAN_HEIGHT;
    return s < 1 ? 1 : s;
}

// Where the picture goes in a window of w x h: the largest whole scale that fits, centred.
struct Placement {
    int w = 0, h = 0, scale = 0, x0 = 0, y0 = 0;
};

Placement place(int w, int h) {
    Placement p{w, h, std::min(w / SCAN_WIDTH, h / SCAN_HEIGHT), 0, 0};
    p.x0 = (w - SCAN_WIDTH * p.scale) / 2, p.y0 = (h - SCAN_HEIGHT * p.scale) / 2;
    return p;
}

// On X11 the picture goes to the server at 320 x 240 and the server scales it (XRender, nearest
// neighbour), where a desktop has its GPU: the show writes a ninth of the pixels it would at scale 3.
// The picture goes over the connection, not through shared memory: on this project's machine
// writing into memory that the server maps cost more than the copy.
struct ServerScaler {
    ::Display* x = nullptr;
    Window target = 0;
    Visual* visual = nullptr;
    XRenderPictFormat* format = nullptr;
    Pixmap pixmap = 0;
    Picture picture = 0, window_picture = 0;
    GC gc = nullptr;
    XImage* image = nullptr;
    int shift[3] = {};  // red, green, blue: where each 8-bit value goes in a pixel of the window's visual

    bool open(SDL_Window* window) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
        x = info.info.x11.display, target = info.info.x11.window;
        int event, error;
        XWindowAttributes a;
        if (!XRenderQueryExtension(x, &event, &error) || !XGetWindowAttributes(x, target, &a)) return false;
        visual = a.visual;
        format = XRenderFindVisualFormat(x, a.visual);
        unsigned long masks[3] = {a.visual->red_mask, a.visual->green_mask, a.visual->blue_mask};
        for (int c = 0; c < 3; c++) {
            if (masks[c] == 0 || masks[c] >> __builtin_ctzl(masks[c]) != 0xFF) return false;
            shift[c] = __builtin_ctzl(masks[c]);
        }
        if (!format || a.depth != 24) return false;
        char* pixels = static_cast<char*>(calloc(SCAN_WIDTH * SCAN_HEIGHT, 4));
        if (pixels) image = XCreateImage(x, a.visual, 24, ZPixmap, 0, pixels, SCAN_WIDTH, SCAN_HEIGHT, 32, SCAN_WIDTH * 4);
        if (!image) {
            free(pixels);  // the image owns its pixels only once it exists
            return false;
        }
        pixmap = XCreatePixmap(x, target, SCAN_WIDTH, SCAN_HEIGHT, 24);
        gc = XCreateGC(x, pixmap, 0, nullptr);
        picture = XRenderCreatePicture(x, pixmap, format, 0, nullptr);
        window_picture = XRenderCreatePicture(x, target, format, 0, nullptr);
        XRenderSetPictureFilter(x, picture, FilterNearest, nullptr, 0);
        return true;
    }

    void close() {
        if (!x) return;
        if (window_picture) XRenderFreePicture(x, window_picture);
        if (picture) XRenderFreePicture(x, picture);
        if (gc) XFreeGC(x, gc);
        if (pixmap) XFreePixmap(x, pixmap);
        if (image) XDestroyImage(image);  // frees its pixels too
        XSync(x, False);
    }

    // The picture scaled as placed into to (the window or a buffer of its size), black around it
    // if clear.
    void draw(const uint8_t* indices, const uint32_t* colours, const Placement& p, Picture to, bool clear) {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = ((colours[e] >> 16 & 0xFF) << shift[0]) | ((colours[e] >> 8 & 0xFF) << shift[1]) |
                        ((colours[e] & 0xFF) << shift[2]);
        auto* out = reinterpret_cast<uint32_t*>(image->data);
        for (int i = 0; i < SCAN_WIDTH * SCAN_HEIGHT; i++) out[i] = native[indices[i]];
        XPutImage(x, pixmap, gc, image, 0, 0, 0, 0, SCAN_WIDTH, SCAN_HEIGHT);
        if (clear) {
            XRenderColor black = {0, 0, 0, 0xFFFF};
            XRenderFillRectangle(x, PictOpSrc, to, &black, 0, 0, unsigned(p.w), unsigned(p.h));
        }
        int s = p.scale;
        XTransform t = {{{XDoubleToFixed(1.0 / s), 0, 0}, {0, XDoubleToFixed(1.0 / s), 0}, {0, 0, XDoubleToFixed(1)}}};
        XRenderSetPictureTransform(x, picture, &t);
        XRenderComposite(x, PictOpSrc, picture, None, to, 0, 0, 0, 0, p.x0, p.y0, unsigned(SCAN_WIDTH * s),
                         unsigned(SCAN_HEIGHT * s));
    }
};

// The X Present extension on the window's own connection: pictures go to the window at a chosen
// refresh, from buffers of the window's size, and the server reports every refresh (a counter and
// its time on the monotonic clock) and when each picture was shown. Its events go to a queue of
// their own, so SDL never sees them.
struct Presenter {
    // One shown, one drawn into, and one waiting for its refresh for each tick of lead.
    static constexpr int BUFFERS = 3 + MAX_LEAD;
    struct Buffer {
        Pixmap pixmap = 0;
        Picture picture = 0;
        bool busy = false;   // the server holds it until it says it is idle
        bool drawn = false;  // drawn whole once: its black borders stay
    };
    xcb_connection_t* c = nullptr;
    xcb_special_event_t* queue = nullptr;
    Window window = 0;
    Buffer buffers[BUFFERS];
    Placement size;  // of the buffers
    static constexpr int ASK_AHEAD = 3;  // refreshes whose reports are asked for, so a late thread misses none
    int64_t asked_up_to = -1;

    bool open(ServerScaler& s) {
        c = XGetXCBConnection(s.x);
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_present_id);
        if (!ext || !ext->present) return false;
        window = s.target;
        uint32_t id = xcb_generate_id(c);
        queue = xcb_register_for_special_xge(c, &xcb_present_id, id, nullptr);
        xcb_present_select_input(c, id, uint32_t(window),
                                 XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY | XCB_PRESENT_EVENT_MASK_IDLE_NOTIFY);
        ask_for_refreshes(-1);
        return true;
    }

    void close(::Display* x) {
        free_buffers(x);
        if (queue) xcb_unregister_for_special_event(c, queue);
        queue = nullptr;
    }

    // Reports of the refreshes after the one reported last; with none (-1), of the current one,
    // which the server sends at once.
    void ask_for_refreshes(int64_t reported) {
        if (reported < 0) {
            asked_up_to = -1;
            xcb_present_notify_msc(c, uint32_t(window), 0, 0, 0, 0);
        }
        for (int64_t m = std::max(asked_up_to, reported) + 1; reported >= 0 && m <= reported + ASK_AHEAD; m++)
            xcb_present_notify_msc(c, uint32_t(window), 0, uint64_t(m), 0, 0);
        asked_up_to = std::max(asked_up_to, reported + ASK_AHEAD);
        xcb_flush(c);
    }

    void free_buffers(::Display* x) {
        for (Buffer& b : buffers) {
            if (b.picture) XRenderFreePicture(x, b.picture);
            if (b.pixmap) XFreePixmap(x, b.pixmap);  // one still waiting is the server's until shown
            b = Buffer{};
        }
        size = Placement{};
    }

    // A buffer to draw into, of the window's size; null while the server holds them all.
    Buffer* free_buffer(ServerScaler& s, const Placement& p) {
        if (p.w != size.w || p.h != size.h) {
            free_buffers(s.x);
            for (Buffer& b : buffers) {
                b.pixmap = XCreatePixmap(s.x, window, unsigned(p.w), unsigned(p.h), 24);
                b.picture = XRenderCreatePicture(s.x, b.pixmap, s.format, 0, nullptr);
            }
            size = p;
        }
        for (Buffer& b : buffers)
            if (!b.busy) return &b;
        return nullptr;
    }

    void present(Buffer& b, int64_t tick, int64_t target_msc) {
        b.busy = true;
        xcb_present_pixmap(c, uint32_t(window), uint32_t(b.pixmap), uint32_t(tick), 0, 0, 0, 0, 0, 0, 0, 0,
                           uint64_t(std::max<int64_t>(target_msc, 0)), 0, 0, 0, nullptr);
        xcb_flush(c);
    }

    void idle(uint32_t pixmap) {
        for (Buffer& b : buffers)
            if (b.pixmap == pixmap) b.busy = false;
    }
};

// SDL and the X server are driven from a thread of the window's own, as a monitor runs beside the
// machine: handing a picture over never waits for the X server, so a busy server drops pictures
// instead of making the show miss retraces. With vsync the pictures wait in a short queue, each for
// its own refresh, so a thread woken late still presents every one; without it only the newest.
struct WindowDisplay : Display {
    std::thread thread;
    std::mutex lock;
    std::condition_variable started;
    int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // a picture or the end waits for the thread
    enum { STARTING, OPEN, FAILED } state = STARTING;
    bool stop = false;
    struct Picture {
        std::vector<uint8_t> indices = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);
        uint32_t colours[256];
        int64_t tick;
    };
    static constexpr size_t MAX_WAITING = 4;  // pictures a late thread can still present on time
    size_t waiting_max = 1;
    std::deque<Picture> waiting, spare;  // pictures for the window; storage to reuse
    PacingCount pacing;  // what the viewer saw at each refresh

    // The window's thread only.
    SDL_Window* window = nullptr;
    ServerScaler server;             // X11; without it (Wayland, KMS) the window's own surface
    Presenter presenter;             // the server's Present extension, where it has one
    bool vsync = false;              // pictures go on refreshes, which set the ticks' pace
    SDL_Surface* surface = nullptr;  // fetched again when the window changes
    bool clear = true;               // the window changed: black borders before the picture
    bool have_picture = false;
    int64_t tick = -1;               // of the picture below (-1: one to show at once)
    std::vector<uint8_t> indices = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);
    uint32_t colours[256] = {};
    std::deque<std::pair<int64_t, int64_t>> shown_from;  // (refresh, tick) as the server reports them
    std::deque<std::pair<int64_t, int64_t>> drawn_at;    // without vsync: (time, tick) each picture went out
    int64_t on_screen = -1;
    int64_t counted_msc = -1, last_report_ns = 0;
    // Refreshes added to every picture's target: the pictures keep their cadence a little later
    // rather than miss refreshes.
    int lead = LEAD, late = 0;
    std::deque<std::pair<int64_t, int64_t>> targets;  // (tick, target refresh) of pictures presented
    double final_hz = 0;  // the refresh rate and lock as the window closed
    int final_per_tick = 0;

    ~WindowDisplay() override {
        {
            std::lock_guard<std::mutex> l(lock);
            stop = true;
        }
        wake_thread();
        if (thread.joinable()) thread.join();
        if (pacing.refreshes) report_pacing(pacing, final_hz, final_per_tick);
        close(wake);
    }

    void wake_thread() {
        uint64_t one = 1;
        if (write(wake, &one, sizeof one) < 0) {}  // a full counter wakes the thread as well
    }

    void show_indexed(const uint8_t* indices_in, const uint32_t* colours_in, int64_t tick_in) override {
        {
            std::lock_guard<std::mutex> l(lock);
            if (waiting.size() >= waiting_max) {  // the oldest is dropped
                spare.push_back(std::move(waiting.front()));
                waiting.pop_front();
            }
            if (spare.empty()) spare.emplace_back();
            Picture& p = waiting.emplace_back(std::move(spare.back()));
            spare.pop_back();
            memcpy(p.indices.data(), indices_in, p.indices.size());
            memcpy(p.colours, colours_in, sizeof p.colours);
            p.tick = tick_in;
            if (tick_in >= 0) pacing_given(pacing, tick_in);
        }
        wake_thread();
    }

    bool poll() override { return false; }  // the window's thread handles its own events

    void run(int scale) {
        bool opened = open(scale);
        {
            std::lock_guard<std::mutex> l(lock);
            state = opened ? OPEN : FAILED;
            waiting_max = vsync ? MAX_WAITING : 1;
        }
        started.notify_all();
        std::deque<Picture> taken;
        while (opened) {
            wait_for_work();
            {
                std::lock_guard<std::mutex> l(lock);
                if (stop) break;
                for (; !taken.empty(); taken.pop_front()) spare.push_back(std::move(taken.front()));
                taken.swap(waiting);
            }
            bool redraw = handle_events();
            if (redraw) {
                if (!server.x) surface = SDL_GetWindowSurface(window);
                clear = true;
            }
            if (presenter.queue) handle_present_events();
            for (Picture& p : taken) {
                indices.swap(p.indices);
                memcpy(colours, p.colours, sizeof colours);
                tick = p.tick;
                have_picture = true;
                draw_picture();
            }
            if (redraw && taken.empty() && have_picture) draw_picture();
        }
        close_window();
    }

    // Sleeps until a picture comes, the server says something or WAIT_MS pass.
    void wait_for_work() {
        pollfd fds[2] = {{wake, POLLIN, 0}, {server.x ? ConnectionNumber(server.x) : -1, POLLIN, 0}};
        if (::poll(fds, 2, WAIT_MS) > 0 && (fds[0].revents & POLLIN)) {
            uint64_t n;
            if (read(wake, &n, sizeof n) < 0) {}
        }
    }

    bool open(int scale) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        if (scale <= 0) scale = fitting_scale();
        window = SDL_CreateWindow("tenfold", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, SCAN_WIDTH * scale,
                                  SCAN_HEIGHT * scale, SDL_WINDOW_RESIZABLE);
        if (!window) return false;
        SDL_SetWindowMinimumSize(window, SCAN_WIDTH, SCAN_HEIGHT);  // smaller, whole-pixel scaling would crop
        if (!server.open(window)) {
            server.close();
            server = {};
            surface = SDL_GetWindowSurface(window);
            if (!surface || surface->format->BytesPerPixel != 4) return false;
        } else {
            // Without vsync the refreshes are still counted, for the run statistics.
            vsync = presenter.open(server) && settings.vsync;
        }
        SDL_ShowCursor(SDL_DISABLE);
        return true;
    }

    void close_window() {
        if (server.x) presenter.close(server.x);
        final_hz = refresh_hz();
        final_per_tick = refreshes_per_tick();
        if (vsync) note_refresh_lost(monotonic_ns());
        server.close();
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();  // SDL serves only this window
    }

    void draw_picture() {
        int w, h;
        if (server.x)
            SDL_GetWindowSize(window, &w, &h);
        else if (surface && surface->format->BytesPerPixel == 4)
            w = surface->w, h = surface->h;
        else
            return;
        Placement p = place(w, h);
        if (p.scale < 1) return;
        if (vsync) {
            Presenter::Buffer* b = presenter.free_buffer(server, p);
            if (!b) return;  // the server holds every buffer: this picture is dropped
            server.draw(indices.data(), colours, p, b->picture, !b->drawn);
            b->drawn = true;
            // After a change of the window, the picture goes at the next refresh.
            int64_t target = tick < 0 ? -1 : refresh_target_for(tick);
            target = clear || target < 0 ? 0 : target + lead * std::max(1, refreshes_per_tick());
            presenter.present(*b, tick, target);
            targets.push_back({tick, target});
            if (targets.size() > 16) targets.pop_front();
        } else if (server.x) {
            server.draw(indices.data(), colours, p, server.window_picture, clear);
            XSync(server.x, False);  // one picture in flight: a busy server drops pictures, not queues them
            if (presenter.queue) drawn_at.push_back({monotonic_ns(), tick});
        } else {
            draw_on_surface(p);
        }
        clear = false;
    }

    void draw_on_surface(const Placement& p) {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = SDL_MapRGB(surface->format, uint8_t(colours[e] >> 16), uint8_t(colours[e] >> 8),
                                   uint8_t(colours[e]));
        if (SDL_LockSurface(surface) != 0) return;
        if (clear) SDL_memset(surface->pixels, 0, size_t(surface->h) * size_t(surface->pitch));
        auto* top = static_cast<uint8_t*>(surface->pixels) + size_t(p.y0) * size_t(surface->pitch) + size_t(p.x0) * 4;
        for (int y = 0; y < SCAN_HEIGHT; y++) {
            uint8_t* row = top + size_t(y * p.scale) * size_t(surface->pitch);
            scale_row(indices.data() + y * SCAN_WIDTH, native, p.scale, reinterpret_cast<uint32_t*>(row));
            for (int r = 1; r < p.scale; r++)
                memcpy(row + size_t(r) * size_t(surface->pitch), row, size_t(SCAN_WIDTH * p.scale) * 4);
        }
        SDL_UnlockSurface(surface);
        if (clear) {
            SDL_UpdateWindowSurface(window);
        } else {
            SDL_Rect picture{p.x0, p.y0, SCAN_WIDTH * p.scale, SCAN_HEIGHT * p.scale};
            SDL_UpdateWindowSurfaceRects(window, &picture, 1);
        }
    }

    // Refreshes, pictures shown, buffers given back. A refresh is counted once the next one is
    // reported, when every picture shown on it has been reported too.
    void handle_present_events() {
        while (xcb_generic_event_t* e = xcb_poll_for_special_event(presenter.c, presenter.queue)) {
            auto* g = reinterpret_cast<xcb_present_generic_event_t*>(e);
            if (g->evtype == XCB_PRESENT_EVENT_COMPLETE_NOTIFY) {
                auto* n = reinterpret_cast<xcb_present_complete_notify_event_t*>(e);
                if (n->kind == XCB_PRESENT_COMPLETE_KIND_PIXMAP) picture_reported(n->serial, int64_t(n->msc), n->mode);
                if (n->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC) refresh_reported(int64_t(n->msc), int64_t(n->ust) * 1000);
            } else if (g->evtype == XCB_PRESENT_EVENT_IDLE_NOTIFY) {
                presenter.idle(reinterpret_cast<xcb_present_idle_notify_event_t*>(e)->pixmap);
            }
            free(e);
        }
        int64_t now = monotonic_ns();
        if (last_report_ns && now - last_report_ns > LOST_NS) {
            if (vsync) note_refresh_lost(now);
            last_report_ns = 0;
            presenter.ask_for_refreshes(-1);
        }
    }

    void picture_reported(uint32_t serial, int64_t msc, int mode) {
        if (mode != XCB_PRESENT_COMPLETE_MODE_SKIP) shown_from.push_back({msc, int64_t(serial)});
        for (auto [tick, target] : targets) {
            if (uint32_t(tick) != serial) continue;
            bool was_late = target > 0 && (msc > target || mode == XCB_PRESENT_COMPLETE_MODE_SKIP);
            if (was_late && ++late >= LATE_BEFORE_MORE_LEAD && lead < MAX_LEAD) lead++, late = 0;
        }
    }

    void refresh_reported(int64_t msc, int64_t ns) {
        if (msc <= counted_msc) return;  // reported twice
        last_report_ns = ns;
        if (vsync) note_refresh(msc, ns);
        presenter.ask_for_refreshes(msc);
        std::lock_guard<std::mutex> l(lock);
        int per_tick = vsync ? refreshes_per_tick() : 0;
        if (counted_msc < 0 || msc - counted_msc > 600) counted_msc = msc - 1;  // the first, or after a long gap
        for (int64_t m = counted_msc + 1; m < msc; m++) {
            while (!shown_from.empty() && shown_from.front().first <= m) {
                on_screen = shown_from.front().second;
                shown_from.pop_front();
            }
            if (on_screen >= 0) pacing_refresh(pacing, on_screen, per_tick);
        }
        counted_msc = msc - 1;
        // Without vsync: the picture on screen at a refresh is the last one out before it.
        while (!drawn_at.empty() && drawn_at.front().first <= ns) {
            shown_from.push_back({msc, drawn_at.front().second});
            drawn_at.pop_front();
        }
    }

    void toggle_fullscreen() {
        bool full = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    // Keys and window events; true if the window needs its picture again (resized, exposed).
    bool handle_events() {
        SDL_Event e;
        bool redraw = false;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) request_quit(1);
            if (e.type == SDL_WINDOWEVENT) redraw = true;
            if (e.type != SDL_KEYDOWN) continue;
            SDL_Keycode k = e.key.keysym.sym;
            if (k == SDLK_ESCAPE) request_quit(1);
            if (k == SDLK_SPACE && !e.key.repeat) con_toggle_pause();
            if (k == SDLK_F12 && !e.key.repeat) request_screenshot();
            if (k >= SDLK_0 && k <= SDLK_9) con_request_jump(k == SDLK_0 ? 10 : int(k - SDLK_0), 0);
            if (k == SDLK_RIGHT || k == SDLK_LEFT) con_request_jump(0, k == SDLK_RIGHT ? 10 : -10);
            bool toggle = k == SDLK_F11 || (k == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT));
            if (toggle && !e.key.repeat) toggle_fullscreen();  // a held key toggles once
        }
        return redraw;
    }
};

}  // namespace

std::unique_ptr<Display> open_window_display(int scale) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // Ctrl-C and SIGTERM stay ours
    // The window's own X11 (shared-memory) surface, not one that SDL would put on an OpenGL
    // texture, loading a GL driver.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    auto d = std::make_unique<WindowDisplay>();
    d->thread = std::thread([w = d.get(), scale] { w->run(scale); });
    std::unique_lock<std::mutex> l(d->lock);
    d->started.wait(l, [&] { return d->state != WindowDisplay::STARTING; });
    if (d->state == WindowDisplay::OPEN) return d;
    l.unlock();
    return nullptr;
}

}  // namespace con
