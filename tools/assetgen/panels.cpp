// Scene 4's two stone panels, scene 9's sixteen thumbnails and scene 7's six growing pictures.
#include <cmath>
#include <functional>

#include "pictures.h"
#include "shapes.h"

namespace {

constexpr float PI = 3.14159265f;

Canvas stone(int w, int h, int seed) {
    Canvas c(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) c.at(x, y) = 0.3f + 0.14f * fbm(float(x) / 9, float(y) / 9, 4, seed);
    frame(c, 0.05f);
    for (int x = 1; x < w - 1; x++) c.at(x, 1) = 0.6f;
    for (int y = 1; y < h - 1; y++) c.at(1, y) = 0.6f;
    return c;
}

// Draws a curve given as a function of t in 0 to 1 as a chain of short segments.
void curve(Canvas& c, const std::function<void(float, float&, float&)>& f, float width, float value) {
    float px, py;
    f(0, px, py);
    for (int i = 1; i <= 40; i++) {
        float x, y;
        f(float(i) / 40, x, y);
        segment(c, px, py, x, y, width, value);
        px = x;
        py = y;
    }
}

// An eye with its brow, tear line and spiral, carved into a stone panel; left of the statue.
Canvas osiris() {
    Canvas c = stone(150, 140, 51);
    auto upper = [](float t, float& x, float& y) { x = 28 + 94 * t, y = 66 - 24 * std::sin(PI * t); };
    auto lower = [](float t, float& x, float& y) { x = 28 + 94 * t, y = 66 + 13 * std::sin(PI * t); };
    for (int x = 28; x <= 122; x++) {
        float t = float(x - 28) / 94;
        for (int y = int(66 - 24 * std::sin(PI * t)); y <= int(66 + 13 * std::sin(PI * t)); y++) c.at(x, y) = 0.92f;
    }
    disc(c, 74, 62, 14, 0.08f);
    disc(c, 69, 57, 4, 1.0f);
    curve(c, upper, 5, 0.04f);
    curve(c, lower, 3, 0.04f);
    curve(c, [](float t, float& x, float& y) { x = 24 + 102 * t, y = 36 - 12 * std::sin(PI * t); }, 6, 0.04f);
    segment(c, 120, 66, 140, 68, 4, 0.04f);
    segment(c, 66, 79, 60, 122, 5, 0.04f);
    curve(c, [](float t, float& x, float& y) {
        float a = 2.6f * PI * t, r = 18 - 12 * t;
        x = 98 + r * std::cos(a) - 8 * (1 - t), y = 100 + r * std::sin(a);
    }, 4, 0.04f);
    segment(c, 82, 79, 90, 100, 4, 0.04f);
    return c;
}

// A cartouche with three signs: a sun, water and a key of life.
Canvas cu() {
    Canvas c = stone(96, 64, 52);
    for (int y = 6; y < 58; y++)
        for (int x = 6; x < 90; x++) {
            float dx = std::fmax(std::fabs(float(x) - 48) - 28, 0.0f), dy = std::fmax(std::fabs(float(y) - 32) - 10, 0.0f);
            float d = std::hypot(dx, dy) - 14;
            if (std::fabs(d) < 1.5f) c.at(x, y) = 0.05f;
        }
    segment(c, 86, 18, 86, 46, 3, 0.05f);
    disc(c, 27, 32, 8, 0.9f);
    ring(c, 27, 32, 8, 2, 0.05f);
    for (int k = 0; k < 3; k++)
        curve(c, [k](float t, float& x, float& y) { x = 40 + 16 * t, y = 25 + 7 * float(k) + 2 * std::sin(t * 4 * PI); }, 2, 0.05f);
    ring(c, 68, 24, 5, 2.5f, 0.05f);
    segment(c, 68, 29, 68, 45, 3, 0.05f);
    segment(c, 61, 32, 75, 32, 3, 0.05f);
    return c;
}

// Sixteen small pictures, 78 x 25, each with a bright frame.
Canvas thumbnail(int i) {
    const int w = 78, h = 25;
    Canvas c(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float fx = float(x), fy = float(y), u = fx / w, v = fy / h, r = std::hypot(fx - 39, (fy - 12) * 2);
            float a = std::atan2(fy - 12, fx - 39), p = 0;
            switch (i) {
                case 0: p = 0.5f + 0.25f * std::sin(fx / 6) + 0.25f * std::sin((fx + fy) / 5 + std::sin(fy / 3)); break;
                case 1: p = 0.5f + 0.5f * std::cos(r / 2.5f); break;
                case 2: p = ((int(fx / 6) + int(fy / 6)) % 2) ? 0.85f : 0.2f; break;
                case 3: p = fbm(fx / 10, fy / 10, 4, 61); break;
                case 4: p = std::fmod(fx + 2 * fy, 12.0f) < 6 ? 0.8f : 0.25f; break;
                case 5: p = fy > 14 + 6 * fbm(fx / 15, 0, 3, 62) ? 0.15f : 0.4f + 0.5f * v; break;
                case 6: p = 0.5f + 0.5f * std::cos(a * 3 - r / 3); break;
                case 7: p = 0.9f - 0.8f * v + (hash01(x, y, 63) > 0.97f ? 0.3f : 0); break;
                case 8: p = (int(fx) % 8 < 1 || int(fy) % 8 < 1) ? 0.9f : 0.25f + 0.2f * u; break;
                case 9: p = 0.5f + 0.5f * std::sin(fx / 4 + 3 * std::sin(fy / 4)); break;
                case 10: p = (int(fy / 5) % 2 ? (int(fx / 10) % 2) : (int(fx / 10 + 0.5f) % 2)) ? 0.7f : 0.3f; break;
                case 11: p = 0.2f + 0.7f * std::exp(-r / 14) + 0.2f * std::pow(0.5f + 0.5f * std::cos(a * 10), 3.0f); break;
                case 12: p = fbm(fx / 6 + 10, fy / 3, 3, 64) > 0.5f ? 0.85f : 0.2f; break;
                case 13: p = std::fabs(std::fmod(fx - 2 * std::fabs(fy - 12), 16.0f)) < 8 ? 0.75f : 0.3f; break;
                case 14: p = 0.15f + 0.8f * std::pow(std::fabs(std::sin(fx / 7) * std::sin(fy / 4)), 2.0f); break;
                default: p = 0.3f + 0.6f * (1 - std::fabs(v - 0.5f) * 2) * (0.5f + 0.5f * std::sin(fx / 3)); break;
            }
            c.at(x, y) = 0.1f + 0.8f * clamp01(p);
        }
    frame(c, 0.95f);
    return c;
}

// Scene 7's pictures: 128 x 128 shapes on a transparent ground, good to see scaled up.
Canvas motif(int i) {
    const int n = 128;
    const float m = 63.5f;
    Canvas c(n, n, 0, 0);
    auto shade = [&](int x, int y, float value, float cover) { c.blend(x, y, value, clamp01(cover)); };
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float dx = float(x) - m, dy = float(y) - m, r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            switch (i) {
                case 0: {  // a five-petal flower
                    float edge = 60 * std::pow(std::fabs(std::cos(2.5f * a)), 0.6f);
                    shade(x, y, 0.35f + 0.6f * (1 - r / (edge + 1)), edge - r);
                    break;
                }
                case 1: {  // a three-armed spiral
                    float arm = 0.5f + 0.5f * std::cos(3 * a - r / 7);
                    shade(x, y, 0.3f + 0.7f * arm * (1 - r / 64), (arm - 0.45f) * 8 * clamp01(62 - r));
                    break;
                }
                case 3: {  // an eight-pointed star
                    float edge = 26 + 36 * std::pow(std::fabs(std::cos(4 * a)), 6.0f);
                    shade(x, y, 0.5f + 0.5f * (1 - r / edge), edge - r);
                    break;
                }
                case 4: {  // a chequered ball
                    if (r > 61) break;
                    float z = std::sqrt(61 * 61 - r * r) / 61;
                    float lon = std::atan2(dx, z * 61), lat = std::asin(dy / 61);
                    bool check = (int(std::floor(lon * 4 / PI + 8)) + int(std::floor(lat * 4 / PI + 8))) % 2;
                    shade(x, y, (check ? 0.85f : 0.3f) * (0.35f + 0.65f * z), 61 - r);
                    break;
                }
                default: break;
            }
        }
    if (i == 2) {  // a ring of eight circles round a centre
        disc(c, m, m, 16, 0.9f);
        for (int k = 0; k < 8; k++) {
            float a = float(k) * PI / 4;
            disc(c, m + 44 * std::cos(a), m + 44 * std::sin(a), 15, 0.45f + 0.06f * float(k));
            ring(c, m + 44 * std::cos(a), m + 44 * std::sin(a), 15, 3, 1.0f);
        }
    }
    if (i == 5) {  // a snowflake
        for (int k = 0; k < 6; k++) {
            float a = float(k) * PI / 3, ca = std::cos(a), sa = std::sin(a);
            segment(c, m, m, m + 60 * ca, m + 60 * sa, 6, 0.95f);
            for (float s : {24.0f, 42.0f})
                for (float side : {-1.0f, 1.0f}) {
                    float b = a + side * PI / 4;
                    segment(c, m + s * ca, m + s * sa, m + s * ca + 18 * std::cos(b), m + s * sa + 18 * std::sin(b), 4, 0.7f);
                }
        }
        disc(c, m, m, 10, 1.0f);
    }
    return c;
}

}  // namespace

void write_panels(const std::string& dir) {
    Ramp grey = ramp_grey(), wapal = ramp_wapal(), cspal = ramp_cspal();
    save_image(dir, "osiris.img", osiris(), grey, false);
    save_image(dir, "cu.img", cu(), grey, false);
    const char* gallery[] = {"gadb.img", "gamc.img", "gcrs.img", "gdmx.img", "gec.img",  "gfl.img",
                             "gk2.img",  "gnoc.img", "gobs.img", "gr11.img", "grpl.img", "gste.img",
                             "gtaz.img", "gtbl.img", "gtmb.img", "gwoo.img"};
    for (int i = 0; i < 16; i++) save_image(dir, gallery[i], thumbnail(i), wapal, true);
    const char* cs[] = {"ckr.img", "csp.img", "cza.img", "cant.img", "csm.img", "csef.img"};
    for (int i = 0; i < 6; i++) save_image(dir, cs[i], motif(i), cspal, true);
}
