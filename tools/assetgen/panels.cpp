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
        for (int x = 0; x < w; x++) c.at(x, y) = 0.48f + 0.14f * fbm(float(x) / 9, float(y) / 9, 4, seed);
    frame(c, 0.05f);
    for (int x = 1; x < w - 1; x++) c.at(x, 1) = 0.8f;
    for (int y = 1; y < h - 1; y++) c.at(1, y) = 0.8f;
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

// An eye with its brow, tear line and spiral, carved into a stone panel, drawn large and shrunk
// to the top-left corner, clear of the bust in the middle.
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
    return shrink(c, 96, 90);
}

// A small plaque with a winged sun, drawn where it covers no more of the bust than its collar.
Canvas cu() {
    Canvas c = stone(44, 24, 52);
    disc(c, 22, 12, 5, 0.95f);
    ring(c, 22, 12, 5, 1.5f, 0.05f);
    for (float side : {-1.0f, 1.0f})
        for (int k = 0; k < 3; k++)
            segment(c, 22 + side * 7, 9.0f + 3 * float(k), 22 + side * (19 - 3 * float(k)), 7.0f + 3.5f * float(k), 1.6f, 0.05f);
    return c;
}

// Sixteen small views, 78 x 25, in the manner of the show's pictures: skies, horizons, lights.
// Brightness picks the colour from scene 9's ramp: navy night, blue and cyan water and sky, gold
// and white for suns, lamps and highlights.
float vista(int i, int x, int y) {
    const float fx = float(x), fy = float(y), v = fy / 25;
    auto sky = [&](float top, float horizon, float at) { return top + (horizon - top) * std::pow(clamp01(fy / at), 1.5f); };
    auto ridge = [&](float base, float amp, float scale, int seed) { return base - amp * fbm(fx / scale, 0.3f, 4, seed); };
    auto star = [&](int seed) { return hash01(x, y, seed) > 0.985f ? 0.6f + 0.4f * hash01(x, y, seed + 1) : 0.0f; };
    auto round = [&](float cx, float cy, float r) { return clamp01(r + 0.5f - std::hypot(fx - cx, fy - cy)); };
    switch (i) {
        case 0: {  // the sun going down into the sea, its path of light on the water
            if (fy < 14) return std::max(sky(0.2f, 0.85f, 14), round(39, 13, 5));
            float glitter = std::fabs(fx - 39) < 3 + (fy - 14) * 0.6f && std::sin(fy * 2.1f + fx * 0.3f) > 0.1f;
            return glitter ? 0.8f : 0.12f + 0.05f * std::sin(fx / 3 + fy * 1.7f);
        }
        case 1:  // a moon over snowy peaks
            if (fy > ridge(22, 14, 14, 71)) return fy < ridge(22, 14, 14, 71) + 2 ? 0.55f : 0.05f;
            return std::max({sky(0.06f, 0.22f, 22), 0.95f * round(62, 6, 3.5f), star(72)});
        case 2: {  // pyramids on the dunes at noon
            float dune = 18 + 2 * std::sin(fx / 9);
            for (float px : {22.0f, 44.0f}) {
                float half = px < 30 ? 13 : 10, apex = px < 30 ? 6 : 10;
                if (fy >= apex && fy < dune + 1 && std::fabs(fx - px) < (fy - apex) * half / (dune - apex))
                    return fx < px ? 0.32f : 0.62f;
            }
            return fy > dune ? 0.7f + 0.06f * std::sin(fx / 4 + fy) : sky(0.38f, 0.6f, 18);
        }
        case 3: {  // a city at night, its windows lit
            int b = int(fx / 7);
            float top = 8 + 12 * hash01(b, 0, 73);
            if (fy < top) return std::max(sky(0.04f, 0.24f, 25), star(74));
            bool window = x % 7 > 1 && x % 7 < 5 && y % 3 == 1 && hash01(x / 2, y, 75) > 0.55f;
            return window ? 0.85f : 0.03f;
        }
        case 4: {  // the northern lights over dark hills
            if (fy > ridge(23, 6, 20, 76)) return 0.02f;
            float curtain = std::exp(-std::pow((fy - 9 - 3 * std::sin(fx / 9)) / 4, 2.0f)) * (0.6f + 0.4f * std::sin(fx / 2.3f));
            return std::max(0.04f + 0.42f * curtain, star(77));
        }
        case 5: {  // pines under a full moon
            float tree = 14 + 9 * hash01(x / 6, 0, 78);
            float tip = std::fabs(float(x % 6) - 2.5f) * 2.5f;
            if (fy > 25 - tree + tip || fy > 22) return 0.03f;
            return std::max(sky(0.12f, 0.32f, 25), 0.95f * round(18, 7, 4.5f));
        }
        case 6: {  // a lighthouse on its cliff, the beam across the night
            if (fy > 16 && fx < 30 - 4 * (fy - 16) / 9) return 0.05f;
            if (fy > 17) return 0.1f + 0.05f * std::sin(fx / 2 + fy);
            if (std::fabs(fx - 17) < 2.5f && fy > 5) return int(fy) % 4 < 2 ? 0.9f : 0.3f;
            if (fy <= 5 && fy > 3 && std::fabs(fx - 17) < 2) return 1.0f;
            float beam = std::fabs((fy - 4) - (fx - 17) * 0.12f) < (fx - 17) * 0.12f && fx > 17;
            return beam ? 0.5f : std::max(0.07f, star(79));
        }
        case 7: {  // the milky way
            float d = (fy - 12) - (fx - 39) * 0.25f;
            float band = std::exp(-d * d / 18) * (0.5f + 0.5f * fbm(fx / 6, fy / 6, 3, 80));
            return std::max({0.03f + 0.35f * band, star(81), 0.9f * round(39, 12, 1.5f)});
        }
        case 8: {  // a great wave breaking
            float crest = 8 + 10 * std::pow(std::fabs(std::sin(fx / 26 + 0.4f)), 2.0f);
            if (fy < crest) return sky(0.3f, 0.48f, 20);
            float foam = fy < crest + 2 || std::sin(fx / 3 + fy / 2) > 0.85f;
            return foam ? 0.95f : 0.16f + 0.1f * std::sin((fy - crest) / 2);
        }
        case 9: {  // flat-topped mesas at dusk
            float mesa = (fx > 8 && fx < 28) || (fx > 50 && fx < 63) ? 10.0f : (fx > 34 && fx < 40 ? 14.0f : 19.0f);
            if (fy > mesa) return 0.06f + (fy > 19 ? 0.06f : 0.0f);
            return sky(0.18f, 0.82f, 19);
        }
        case 10: {  // a ringed planet over a grey moon
            if (fy > 20 + 2 * std::sin(fx / 12)) return 0.18f + 0.06f * fbm(fx / 4, fy / 4, 2, 82);
            float rx = (fx - 48) / 17, ry = (fy - 11) / 4;
            float ring = std::fabs(rx * rx + ry * ry - 1) < 0.25f;
            float body = round(48, 11, 7);
            if (ring > 0 && (body == 0 || fy > 11)) return 0.85f;
            if (body > 0) return 0.3f + 0.4f * clamp01((48 - fx + 11 - fy) / 10);
            return std::max(0.03f, star(83));
        }
        case 11: {  // mountains in a still lake
            float r = ridge(13, 9, 10, 84);
            if (fy < 13) return fy > r ? 0.1f + 0.05f * (13 - fy) / 9 : sky(0.28f, 0.5f, 13);
            float m = 26 - fy + 0.6f * std::sin(fy * 3);
            return m > r ? 0.08f : (int(fy) % 2 ? 0.38f : 0.45f);
        }
        case 12: {  // a sailing ship against the evening sun
            bool hull = fy > 15 && fy < 18 && fx > 20 + (fy - 15) && fx < 48 - (fy - 15);
            bool mast = (x == 28 || x == 38) && fy > 3 && fy <= 15;
            bool sail = (fy > 4 && fy < 14) && ((fx > 29 && fx < 29 + (fy - 3) * 0.7f) || (fx > 39 && fx < 39 + (fy - 4) * 0.6f));
            if (hull || mast || sail) return 0.04f;
            if (fy > 17) return std::sin(fx / 2 + fy * 3) > 0.6f ? 0.75f : 0.3f;
            return std::max(sky(0.45f, 0.85f, 17), round(60, 13, 4));
        }
        case 13: {  // an eclipse over the sea
            float d = std::hypot(fx - 39, fy - 10);
            if (fy > 19) return 0.06f + (std::fabs(fx - 39) < 4 && int(fy) % 2 ? 0.4f : 0.0f);
            if (d < 5.5f) return 0.02f;
            return std::max(0.03f + 0.8f * std::exp(-(d - 5.5f) / 2.5f) * (0.7f + 0.3f * std::cos(std::atan2(fy - 10, fx - 39) * 7)), star(85));
        }
        case 14: {  // rolling hills under summer clouds
            float h1 = 14 + 3 * std::sin(fx / 11), h2 = 19 + 2 * std::sin(fx / 7 + 2);
            if (fy > h2) return 0.62f + 0.06f * std::sin(fx);
            if (fy > h1) return 0.5f;
            float cloud = fbm(fx / 8, fy / 4, 4, 86);
            return cloud > 0.58f ? 0.95f : sky(0.3f, 0.45f, 14);
        }
        default: {  // lightning over a stormy sea
            float bolt = 40 + 4 * std::sin(fy * 1.3f) + 3 * std::sin(fy * 0.5f);
            if (std::fabs(fx - bolt) < 0.9f && fy < 18) return 1.0f;
            if (fy > 18) return 0.06f + 0.12f * (std::sin(fx / 3 - fy) > 0.7f);
            float glow = std::exp(-std::fabs(fx - 40) / 12);
            return 0.06f + 0.12f * fbm(fx / 9, fy / 5, 4, 87) + 0.25f * glow * (1 - v);
        }
    }
}

Canvas thumbnail(int i) {
    const int w = 78, h = 25;
    Canvas c(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) c.at(x, y) = clamp01(vista(i, x, y));
    frame(c, 0.8f);
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
