// The window display: SDL2, 4:3, integer scaling, F11 or Alt+Enter for fullscreen, Esc or closing
// the window ends the show. The picture goes straight from the palette indices into a streaming
// texture in the window's own pixel format, scaled nearest-neighbour by SDL's software renderer
// (SDL_RENDER_DRIVER chooses another): a 320 x 240 picture needs no GPU, and no GL driver is loaded.
#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "console/internal.h"
#include "console/kernel.h"

namespace con {

namespace {

PIXEL_KERNEL void lookup_row(const uint8_t* indices, const uint32_t* colours, uint32_t* out) {
    for (int x = 0; x < SCAN_WIDTH; x++) out[x] = colours[indices[x]];
}

// The largest integer scale whose window fits the usable screen, at least 1.
int fitting_scale() {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0) return 2;
    int s = r.w / SCAN_WIDTH < r.h / SCAN_HEIGHT ? r.w / SCAN_WIDTH : r.h / SCAN_HEIGHT;
    return s < 1 ? 1 : s;
}

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
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_PixelFormat* format = nullptr;  // the texture's
    int borders_to_clear = 2;           // after a change of the window, both buffers' borders

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
        std::vector<uint8_t> indices(SCAN_WIDTH * SCAN_HEIGHT);
        uint32_t colours[256];
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
            bool redraw = handle_events();
            if (draw)
                draw_picture(indices.data(), colours);
            else if (redraw)
                present();
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
        renderer = SDL_CreateRenderer(window, -1, 0);
        if (!renderer) return false;
        SDL_RenderSetLogicalSize(renderer, SCAN_WIDTH, SCAN_HEIGHT);  // keeps 4:3 with borders
        SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
        Uint32 native = SDL_GetWindowPixelFormat(window);
        if (SDL_BYTESPERPIXEL(native) != 4) native = SDL_PIXELFORMAT_ARGB8888;
        texture = SDL_CreateTexture(renderer, native, SDL_TEXTUREACCESS_STREAMING, SCAN_WIDTH, SCAN_HEIGHT);
        if (!texture) return false;
        format = SDL_AllocFormat(native);
        if (!format) return false;
        SDL_ShowCursor(SDL_DISABLE);
        return true;
    }

    void close() {
        if (format) SDL_FreeFormat(format);
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();  // SDL serves only this window
    }

    void draw_picture(const uint8_t* indices, const uint32_t* colours) {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = SDL_MapRGB(format, uint8_t(colours[e] >> 16), uint8_t(colours[e] >> 8), uint8_t(colours[e]));
        void* pixels;
        int pitch;
        if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return;
        for (int y = 0; y < SCAN_HEIGHT; y++) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
            lookup_row(indices + y * SCAN_WIDTH, native, row);
        }
        SDL_UnlockTexture(texture);
        present();
    }

    void present() {
        if (borders_to_clear > 0) {
            borders_to_clear--;
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderClear(renderer);
        }
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
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
        if (redraw) borders_to_clear = 2;
        return redraw;
    }
};

}  // namespace

std::unique_ptr<Display> open_window_display(int scale) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // Ctrl-C and SIGTERM stay ours
    // The software renderer draws into the window's own X11 (shared-memory) surface; without the
    // second hint SDL would put that surface on an OpenGL texture and load a GL driver after all.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    auto d = std::make_unique<WindowDisplay>();
    d->thread = std::thread([w = d.get(), scale] { w->run(scale); });
    std::unique_lock<std::mutex> l(d->lock);
    d->wake.wait(l, [&] { return d->state != WindowDisplay::STARTING; });
    if (d->state == WindowDisplay::OPEN) return d;
    l.unlock();
    return nullptr;
}

}  // namespace con
