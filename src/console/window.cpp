// The window display: SDL2, 4:3, integer scaling, F11 or Alt+Enter for fullscreen, Esc or closing
// the window ends the show. On X11 the show hands the server the 320 x 240 picture in the window's
// pixel format and the server scales it; elsewhere the picture is scaled into the window's own
// surface. No renderer, no GL driver.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "console/internal.h"

namespace con {

namespace {

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

// On X11 the picture goes to the server at 320 x 240 and the server scales it (XRender, nearest
// neighbour), where a desktop has its GPU: the show writes a ninth of the pixels it would at scale 3.
// The picture goes over the connection, not through shared memory: on this project's machine
// writing into memory that the server maps cost more than the copy.
struct ServerScaler {
    ::Display* x = nullptr;
    Window target = 0;
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
        XRenderPictFormat* format = XRenderFindVisualFormat(x, a.visual);
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

    // The picture scaled s times at (x0, y0) of a window of w x h, black around it if clear.
    void draw(const uint8_t* indices, const uint32_t* colours, int s, int x0, int y0, int w, int h, bool clear) {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = ((colours[e] >> 16 & 0xFF) << shift[0]) | ((colours[e] >> 8 & 0xFF) << shift[1]) |
                        ((colours[e] & 0xFF) << shift[2]);
        auto* out = reinterpret_cast<uint32_t*>(image->data);
        for (int i = 0; i < SCAN_WIDTH * SCAN_HEIGHT; i++) out[i] = native[indices[i]];
        XPutImage(x, pixmap, gc, image, 0, 0, 0, 0, SCAN_WIDTH, SCAN_HEIGHT);
        if (clear) {
            XRenderColor black = {0, 0, 0, 0xFFFF};
            XRenderFillRectangle(x, PictOpSrc, window_picture, &black, 0, 0, unsigned(w), unsigned(h));
        }
        XTransform t = {{{XDoubleToFixed(1.0 / s), 0, 0}, {0, XDoubleToFixed(1.0 / s), 0}, {0, 0, XDoubleToFixed(1)}}};
        XRenderSetPictureTransform(x, picture, &t);
        XRenderComposite(x, PictOpSrc, picture, None, window_picture, 0, 0, 0, 0, x0, y0, unsigned(SCAN_WIDTH * s),
                         unsigned(SCAN_HEIGHT * s));
        XSync(x, False);  // one picture in flight: a busy server makes the window drop pictures, not queue them
    }
};

// SDL and the X server are driven from a thread of the window's own, as a monitor runs beside the
// machine: handing a picture over never waits for the X server, so a busy server drops pictures
// (it gets the newest) instead of making the show miss retraces.
struct WindowDisplay : Display {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    enum { STARTING, OPEN, FAILED } state = STARTING;
    bool stop = false;
    bool fresh = false;  // a picture waits for the window
    std::vector<uint8_t> next_indices = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);
    uint32_t next_colours[256];

    // The window's thread only.
    SDL_Window* window = nullptr;
    ServerScaler server;             // X11; without it (Wayland, KMS) the window's own surface
    SDL_Surface* surface = nullptr;  // fetched again when the window changes
    bool clear = true;               // the window changed: black borders before the picture
    std::vector<uint8_t> indices = std::vector<uint8_t>(SCAN_WIDTH * SCAN_HEIGHT);
    uint32_t colours[256] = {};

    ~WindowDisplay() override {
        {
            std::lock_guard<std::mutex> l(lock);
            stop = true;
        }
        wake.notify_all();
        if (thread.joinable()) thread.join();
    }

    void show_indexed(const uint8_t* indices, const uint32_t* colours) override {
        {
            std::lock_guard<std::mutex> l(lock);
            memcpy(next_indices.data(), indices, next_indices.size());
            memcpy(next_colours, colours, sizeof next_colours);
            fresh = true;
        }
        wake.notify_all();
    }

    bool poll() override { return false; }  // the window's thread handles its own events

    void run(int scale) {
        bool opened = open(scale);
        {
            std::lock_guard<std::mutex> l(lock);
            state = opened ? OPEN : FAILED;
        }
        wake.notify_all();
        while (opened) {
            bool draw;
            {
                std::unique_lock<std::mutex> l(lock);
                wake.wait_for(l, std::chrono::milliseconds(20), [&] { return stop || fresh; });
                if (stop) break;
                draw = fresh;
                if (fresh) {
                    indices.swap(next_indices);
                    memcpy(colours, next_colours, sizeof colours);
                    fresh = false;
                }
            }
            if (handle_events()) {
                if (!server.x) surface = SDL_GetWindowSurface(window);
                clear = draw = true;
            }
            if (draw) draw_picture();
        }
        close();
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
        }
        SDL_ShowCursor(SDL_DISABLE);
        return true;
    }

    void close() {
        server.close();
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();  // SDL serves only this window
    }

    // The picture at the largest whole scale that fits, centred, with black borders (4:3 kept).
    void draw_picture() {
        int w, h;
        if (server.x)
            SDL_GetWindowSize(window, &w, &h);
        else if (surface && surface->format->BytesPerPixel == 4)
            w = surface->w, h = surface->h;
        else
            return;
        int s = std::min(w / SCAN_WIDTH, h / SCAN_HEIGHT);
        if (s < 1) return;
        int x0 = (w - SCAN_WIDTH * s) / 2, y0 = (h - SCAN_HEIGHT * s) / 2;
        if (server.x)
            server.draw(indices.data(), colours, s, x0, y0, w, h, clear);
        else
            draw_on_surface(s, x0, y0);
        clear = false;
    }

    void draw_on_surface(int s, int x0, int y0) {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = SDL_MapRGB(surface->format, uint8_t(colours[e] >> 16), uint8_t(colours[e] >> 8),
                                   uint8_t(colours[e]));
        if (SDL_LockSurface(surface) != 0) return;
        if (clear) SDL_memset(surface->pixels, 0, size_t(surface->h) * size_t(surface->pitch));
        auto* top = static_cast<uint8_t*>(surface->pixels) + size_t(y0) * size_t(surface->pitch) + size_t(x0) * 4;
        for (int y = 0; y < SCAN_HEIGHT; y++) {
            uint8_t* row = top + size_t(y * s) * size_t(surface->pitch);
            scale_row(indices.data() + y * SCAN_WIDTH, native, s, reinterpret_cast<uint32_t*>(row));
            for (int r = 1; r < s; r++) memcpy(row + size_t(r) * size_t(surface->pitch), row, size_t(SCAN_WIDTH * s) * 4);
        }
        SDL_UnlockSurface(surface);
        if (clear) {
            SDL_UpdateWindowSurface(window);
        } else {
            SDL_Rect picture{x0, y0, SCAN_WIDTH * s, SCAN_HEIGHT * s};
            SDL_UpdateWindowSurfaceRects(window, &picture, 1);
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
    d->wake.wait(l, [&] { return d->state != WindowDisplay::STARTING; });
    if (d->state == WindowDisplay::OPEN) return d;
    l.unlock();
    return nullptr;
}

}  // namespace con
