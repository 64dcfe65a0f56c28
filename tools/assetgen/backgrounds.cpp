// The full-screen pictures (320 x 240): every scene that uses one draws it centred every frame.
#include <cmath>

#include "pictures.h"
#include "shapes.h"
#include "text.h"

namespace {

constexpr int W = 320, H = 240;
constexpr float PI = 3.14159265f;

// Night sky over a low sun striped by the haze, behind a mountain ridge; the title above. The
// picture keeps to the ramp's darkest entries and to its gold and white above index 50, leaving
// the teal and aqua between to scene 2's objects, which turn in front of the sun and the ridge.
// The bottom 16 rows stay dark for the captions that slide in there.
Canvas intro() {
    Canvas c(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float v = 0.02f + 0.05f * std::pow(float(y) / 150, 2.0f);
            if (y < 140 && hash01(x, y, 7) > 0.996f) v = 0.82f + 0.18f * hash01(x, y, 8);
            float d = std::hypot(float(x) - 160, float(y) - 150);
            // The sun: gold to white, cut into stripes that widen towards the horizon.
            float stripe = std::fmod(std::sqrt(std::max(0.0f, float(y) - 96)) * 3.2f, 1.0f);
            if (d < 74 && (y < 112 || stripe > 0.35f)) v = 0.82f + 0.18f * clamp01(1 - d / 74) * clamp01((160 - float(y)) / 60);
            c.at(x, y) = v;
        }
    for (int x = 0; x < W; x++) {
        float ridge = 158 + 30 * fbm(float(x) / 70, 0.5f, 4, 3) - 6 * std::cos(float(x - 160) / 90);
        for (int y = int(ridge); y < H; y++) c.at(x, y) = y >= 224 ? 0.0f : 0.01f + 0.015f * fbm(float(x) / 18, float(y) / 18, 3, 5);
    }
    Mask title = set_text({"TENFOLD"}, FONT_SANS_BOLD, 66, 310, 80);
    paste(c, ink(title, 1.0f, 0.84f, 0.02f), (W - title.w) / 2 - 1, 20);
    Mask sub = set_text({"ten scenes, one song"}, FONT_SERIF_BOLD, 16, 300, 30);
    paste(c, ink(sub, 1.0f, 0.9f, 0.0f), (W - sub.w) / 2 - 1, 92);
    return c;
}

// A sun over a field of stars in blue haze: the radial smear draws the sun, the stars and the
// bright nodes of the net between them out into rays of light, wherever its centre wanders.
Canvas radbd() {
    Canvas c(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float r = std::hypot(float(x) - 160, float(y) - 100);
            c.at(x, y) = 0.06f + 0.1f * fbm(float(x) / 70, float(y) / 70, 4, 11) + 0.12f * std::exp(-r / 90);
        }
    for (int j = 0; j < 8; j++)
        for (int i = 0; i < 10; i++) {
            float x = 16 + 32 * float(i) + 8 * (hash01(i, j, 31) - 0.5f);
            float y = 15 + 30 * float(j) + 8 * (hash01(i, j, 32) - 0.5f);
            float b = hash01(i, j, 33);
            if (hash01(i, j, 34) > 0.4f) segment(c, x, y, x + 32, y, 1, 0.25f + 0.1f * b);
            if (hash01(i, j, 35) > 0.5f) segment(c, x, y, x, y + 30, 1, 0.25f + 0.1f * b);
            glow(c, x, y, 5 + 3 * b, 0.3f * b);
            disc(c, x, y, 2 + 1.5f * b, 0.9f + 0.1f * b);
        }
    glow(c, 160, 100, 30, 0.6f);
    disc(c, 160, 100, 12, 1.0f);
    return c;
}

// A deep pool floor of uneven tiles with light caustics: clear edges for the ripples to bend, in the
// ramp's navy and blue, below the violet and gold that the star of scene 5 and the logo of scene 9
// shade in.
Canvas wbd() {
    Canvas c(W, H);
    const float cell = 26;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float px = float(x) / cell, py = float(y) / cell;
            int cx = int(std::floor(px)), cy = int(std::floor(py));
            float f1 = 9, f2 = 9;
            float tile = 0;
            for (int j = -1; j <= 1; j++)
                for (int i = -1; i <= 1; i++) {
                    float fx = float(cx + i) + hash01(cx + i, cy + j, 41), fy = float(cy + j) + hash01(cx + i, cy + j, 42);
                    float d = std::hypot(px - fx, py - fy);
                    if (d < f1) {
                        f2 = f1;
                        f1 = d;
                        tile = hash01(cx + i, cy + j, 43);
                    } else if (d < f2) {
                        f2 = d;
                    }
                }
            float edge = (f2 - f1) * cell;
            float v = (0.07f + 0.09f * tile) * (0.55f + 0.45f * smoothstep(0.5f, 5, edge));
            v *= 0.85f + 0.3f * fbm(float(x) / 12, float(y) / 12, 2, 44);
            float caustic = std::fabs(std::sin(float(x) / 13 + 2 * std::sin(float(y) / 17)) *
                                      std::sin(float(y) / 11 + 2 * std::sin(float(x) / 19)));
            v += 0.05f * std::pow(1 - caustic, 10.0f);
            c.at(x, y) = edge < 1.2f ? 0.03f : v;
        }
    return c;
}

// A violet nebula with stars, behind the growing pictures of scene 7, dark round the place low on
// the right where the sphere turns, so that the sphere and the streaks the smear draws from it
// stand against the night.
Canvas csbd() {
    Canvas c(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float n = fbm(float(x) / 90, float(y) / 90, 5, 21);
            float detail = fbm(float(x) / 25, float(y) / 25, 3, 22);
            float clear = smoothstep(115, 175, std::hypot(float(x) - 264, float(y) - 173));
            float v = clear * (0.02f + 0.3f * smoothstep(0.42f, 0.8f, n) * (0.5f + 0.5f * detail));
            if (hash01(x, y, 23) > 0.995f) v += 0.3f + 0.6f * hash01(x, y, 24);
            c.at(x, y) = v;
        }
    glow(c, 110, 60, 30, 0.15f);
    glow(c, 50, 170, 40, 0.12f);
    return c;
}

// A fan of faint plum rays and thin golden rings rising from below the screen, dark between them:
// scene 8 cross-fades its torus with it, so the torus, bright, stays clear of it even when the
// background takes most of the blend.
Canvas gbd() {
    Canvas c(W, H);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float dx = float(x) - 160, dy = 270 - float(y);
            float r = std::hypot(dx, dy), a = std::atan2(dx, dy);
            int band = int(r / 34);
            float f = r / 34 - float(band);
            float rays = std::pow(0.5f + 0.5f * std::cos(a * float(10 + 6 * band)), 2.0f);
            float v = 0.02f + 0.07f * rays * (0.35f + 0.65f * f);
            if (f < 0.05f) v = 0.7f;
            c.at(x, y) = v * (0.8f + 0.2f * std::cos(a * 2 + PI));
        }
    return c;
}

}  // namespace

void write_backgrounds(const std::string& dir) {
    save_image(dir, "intro.img", intro(), ramp_intro(), false);
    save_image(dir, "radbd.img", radbd(), ramp_gb(), false);
    save_image(dir, "wbd.img", wbd(), ramp_wapal(), false);
    save_image(dir, "csbd.img", csbd(), ramp_cspal(), false);
    save_image(dir, "gbd.img", gbd(), ramp_golden(), false);
}
