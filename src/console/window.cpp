// The window display: SDL2, 4:3, integer scaling, F11 or Alt+Enter for fullscreen, Esc or closing
// the window ends the show.
#include <SDL.h>

#include <cstdio>

#include "console/internal.h"

namespace con {

namespace {

struct WindowDisplay : Display {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;

    ~WindowDisplay() override {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();  // SDL serves only this window
    }

    void show(const uint8_t* rgb) override {
        SDL_UpdateTexture(texture, nullptr, rgb, SCAN_WIDTH * 3);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

    void toggle_fullscreen() {
        bool full = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    void poll() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) request_quit(1);
            if (e.type != SDL_KEYDOWN) continue;
            SDL_Keycode k = e.key.keysym.sym;
            if (k == SDLK_ESCAPE) request_quit(1);
            bool toggle = k == SDLK_F11 || (k == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT));
            if (toggle && !e.key.repeat) toggle_fullscreen();  // a held key toggles once
        }
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
    d->texture = SDL_CreateTexture(d->renderer, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING, SCAN_WIDTH,
                                   SCAN_HEIGHT);
    if (!d->texture) return nullptr;
    SDL_ShowCursor(SDL_DISABLE);
    return d;
}

}  // namespace con
