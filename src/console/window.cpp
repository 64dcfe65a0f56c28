// The window display: SDL2, 4:3, integer scaling, F11 or Alt+Enter for fullscreen, Esc or closing
// the window ends the show. The picture goes straight from the palette indices into a streaming
// texture in the window's own pixel format, scaled nearest-neighbour by SDL's software renderer
// (SDL_RENDER_DRIVER chooses another): a 320 x 240 picture needs no GPU, and no GL driver is loaded.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "console/internal.h"
#include "effects/kernel.h"

namespace con {

namespace {

PIXEL_KERNEL void lookup_row(const uint8_t* indices, const uint32_t* colours, uint32_t* out) {
    for (int x = 0; x < SCAN_WIDTH; x++) out[x] = colours[indices[x]];
}

struct WindowDisplay : Display {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_PixelFormat* format = nullptr;  // the texture's
    int borders_to_clear = 2;           // after a change of the window, both buffers' borders

    ~WindowDisplay() override {
        if (format) SDL_FreeFormat(format);
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();  // SDL serves only this window
    }

    void show_indexed(const uint8_t* indices, const uint32_t* colours) override {
        uint32_t native[256];
        for (int e = 0; e < 256; e++)
            native[e] = SDL_MapRGB(format, uint8_t(colours[e] >> 16), uint8_t(colours[e] >> 8), uint8_t(colours[e]));
        void* pixels;
        int pitch;
        if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return;
        for (int y = 0; y < SCAN_HEIGHT; y++)
            lookup_row(indices + y * SCAN_WIDTH, native, reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch));
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

    bool poll() override {
        SDL_Event e;
        bool redraw = false;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) request_quit(1);
            if (e.type == SDL_WINDOWEVENT) redraw = true;  // resized, exposed, fullscreen: all of it anew
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

// The largest integer scale whose window fits the usable screen, at least 1.
int fitting_scale() {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0) return 2;
    int s = r.w / SCAN_WIDTH < r.h / SCAN_HEIGHT ? r.w / SCAN_WIDTH : r.h / SCAN_HEIGHT;
    return s < 1 ? 1 : s;
}

}  // namespace

std::unique_ptr<Display> open_window_display(int scale) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // Ctrl-C and SIGTERM stay ours
    // The software renderer draws into the window's own X11 (shared-memory) surface; without the
    // second hint SDL would put that surface on an OpenGL texture and load a GL driver after all.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    auto d = std::make_unique<WindowDisplay>();
    if (scale <= 0) scale = fitting_scale();
    d->window = SDL_CreateWindow("tenfold", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, SCAN_WIDTH * scale,
                                 SCAN_HEIGHT * scale, SDL_WINDOW_RESIZABLE);
    if (!d->window) return nullptr;
    SDL_SetWindowMinimumSize(d->window, SCAN_WIDTH, SCAN_HEIGHT);  // smaller, whole-pixel scaling would crop
    d->renderer = SDL_CreateRenderer(d->window, -1, 0);
    if (!d->renderer) return nullptr;
    SDL_RenderSetLogicalSize(d->renderer, SCAN_WIDTH, SCAN_HEIGHT);  // keeps 4:3 with borders
    SDL_RenderSetIntegerScale(d->renderer, SDL_TRUE);
    Uint32 native = SDL_GetWindowPixelFormat(d->window);
    if (SDL_BYTESPERPIXEL(native) != 4) native = SDL_PIXELFORMAT_ARGB8888;
    d->texture = SDL_CreateTexture(d->renderer, native, SDL_TEXTUREACCESS_STREAMING, SCAN_WIDTH, SCAN_HEIGHT);
    if (!d->texture) return nullptr;
    d->format = SDL_AllocFormat(native);
    if (!d->format) return nullptr;
    SDL_ShowCursor(SDL_DISABLE);
    return d;
}

}  // namespace con
