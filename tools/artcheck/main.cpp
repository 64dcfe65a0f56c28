// tenfold-art-check [PNG_DIR]: plays the show once under the virtual clock, headless, measures
// the frames at the moments that the art's targets name, and prints every figure with pass or
// FAIL. Exit status 0 when every figure passes, 1 when one fails, 2 when the show did not play to
// its end. With PNG_DIR each measured frame is written there too, what was not measured dimmed.
// Run it where data.dat is; scripts/art-check builds and runs it.
//
// Object pixels are those the show's renderer draws in the frame shown (the objects of that
// frame drawn again apart), less what a caption or picture then covers; their surroundings are
// the pixels within 6 of them. Captions and pictures are found in the frame by their pixels.

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "assets/catalogue.h"
#include "measure.h"
#include "console/png.h"
#include "showplay.h"
#include "support/sprite_search.h"
#include "video/framebuffer.h"

namespace {

constexpr int W = SCREEN_WIDTH, H = SCREEN_HEIGHT, PIXELS = W * H;

const char* const targets[] = {
    "1. scene 3, light in rows 0-199: mean L 35-70, over 2 % brighter than L 128, 99.5th percentile >= 220",
    "2. objects against the 6 px round them: median contrast >= 3:1 or hue apart >= 60 deg, <= 10 % of their "
    "pixels in the colours that make up 90 % of those round them, 8-35 % of the frame when whole on screen",
    "3. scene 4, the head: 600-1500 faces, its lit pixels (L > 170) in <= 3 regions (of >= 0.1 % of the frame "
    "each) covering >= 6 % of the frame",
    "4. scene 10, no strobe: <= 1 % of the pixels change by more than 64 L to the next frame",
    "5. captions >= 6 px from every edge of the screen, where they come to rest",
};
constexpr int TARGETS = 5;

struct Line {
    std::string text;
    bool pass;
};
std::vector<Line> lines[TARGETS];
std::string png_dir;

void report(int target, bool pass, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    lines[target - 1].push_back({text, pass});
}

// The frame with everything outside `keep` dimmed, as PNG_DIR/NAME.png.
void dump(const char* name, const ScanFrame& f, const PixelSet& keep) {
    if (png_dir.empty()) return;
    std::vector<uint8_t> rgb(f.rgb, f.rgb + 3 * PIXELS);
    for (int p = 0; p < PIXELS; p++)
        if (!keep[size_t(p)])
            for (int k = 0; k < 3; k++) rgb[size_t(3 * p + k)] /= 4;
    std::string path = png_dir + "/" + name + ".png";
    if (!png_write_rgb(path, rgb.data(), W, H)) fprintf(stderr, "art-check: cannot write %s: %s\n", path.c_str(), strerror(errno));
}

// ---- what the show drew ----

World* world_of(int scene) {
    World* worlds[] = {nullptr,       nullptr,       &world_scene2, &world_scene3, &world_scene4, &world_scene5,
                       nullptr,       &world_scene7, &world_scene8, &world_scene9, &world_scene10};
    return worlds[scene];
}

// The pixels the renderer draws for the objects transformed this frame: drawn apart once over 0
// and once over 255, they agree exactly where a face was drawn.
PixelSet drawn_objects(World* w) {
    static FrameBuffer over0, over255;
    render_objects(w, over0.pixels, 0);
    render_objects(w, over255.pixels, 255);
    PixelSet s(PIXELS);
    for (int p = 0; p < PIXELS; p++) s[size_t(p)] = over0.pixels[p] == over255.pixels[p];
    return s;
}

bool whole_on_screen(const World* w) {
    for (uint32_t o = 0; o < w->object_count; o++) {
        const ObjectSlot& slot = w->slots[o];
        if (slot.untransformed) continue;
        for (uint32_t i = 0; i < slot.mesh.vertex_count; i++) {
            const Vec3& v = w->work_vertices[slot.vertex_base + i];
            if (v.x < 0 || v.y < 0 || v.x >= W || v.y >= H || v.z <= 0) return false;
        }
    }
    return true;
}

struct Picture {
    const char* name;
    Sprite** sprite;
    bool keyed;
};

// What each scene draws over its objects, and the captions of the scenes that lay them beneath.
const std::vector<Picture> over_objects[11] = {
    {}, {}, {},
    {{"chaos", &img_chaos, true}},
    {{"osiris", &img_osiris, false}, {"cu", &img_cu, false}, {"oibg", &img_oibg, false}, {"hth", &img_hth, false}},
    {{"lose", &img_lose, true}, {"sense", &img_sense, true}},
    {}, {},
    {{"natural", &img_natural, true}, {"snatural", &img_snatural, true}},
    {},
    {{"ess", &img_ess, true}, {"soul", &img_soul, true}, {"good", &img_good, true}},
};
const std::vector<Picture> beneath_objects[11] = {
    {}, {}, {{"lights", &img_lights, false}, {"vlemb", &img_vlemb, false}}};

// A pixel of a picture that is part of what it shows: all but its ground (its corner's value,
// 0 for keyed ones).
bool ink(const SpriteCopy& s, int x, int y) { return s.pixels[size_t(y * s.width + x)] != s.pixels[0]; }

// Where the picture is shown whole in the frame: every pixel it draws, but those under `hidden`,
// equal to the frame, and at least half of them seen.
bool find_picture(const uint8_t* indices, const SpriteCopy& s, bool keyed, const PixelSet* hidden, int* x, int* y) {
    if (s.width > W || s.height > H) return false;
    SpriteLook look;
    look.keyed = keyed;
    look.mask = hidden ? hidden->data() : nullptr;
    int drawn = int(s.pixels.size()) - (keyed ? int(std::count(s.pixels.begin(), s.pixels.end(), 0)) : 0);
    return find_sprite(indices, s, 0, W - s.width, 0, H - s.height, look, x, y, std::max(1, drawn / 2));
}

// The objects' pixels in the frame shown: drawn by the renderer and not covered since.
PixelSet object_pixels(const ScanFrame& f, int scene) {
    PixelSet s = drawn_objects(world_of(scene));
    for (const Picture& p : over_objects[scene]) {
        SpriteCopy c = copy_sprite(*p.sprite);
        int x, y;
        if (!find_picture(f.indices, c, p.keyed, nullptr, &x, &y)) continue;
        for (int r = 0; r < c.height; r++)
            for (int k = 0; k < c.width; k++)
                if (!p.keyed || c.pixels[size_t(r * c.width + k)]) s[size_t((y + r) * W + x + k)] = 0;
    }
    return s;
}

// ---- the targets ----

void light(const ScanFrame& f, double seconds) {
    constexpr int ROWS = 200;
    std::vector<float> l;
    for (int p = 0; p < ROWS * W; p++) l.push_back(brightness(f.rgb + 3 * p));
    double mean = 0;
    for (float v : l) mean += v;
    mean /= double(l.size());
    double bright = double(std::count_if(l.begin(), l.end(), [](float v) { return v > 128; })) / double(l.size());
    std::sort(l.begin(), l.end());
    float p995 = l[size_t(double(l.size() - 1) * 0.995)];
    report(1, mean >= 35 && mean <= 70 && bright >= 0.02 && p995 >= 220,
           "scene 3 at %4.1f s: mean L %5.1f, %5.2f %% brighter than 128, 99.5th percentile %5.1f", seconds, mean,
           100 * bright, p995);
    PixelSet rows(PIXELS, 0);
    std::fill(rows.begin(), rows.begin() + ROWS * W, 1);
    char name[32];
    snprintf(name, sizeof name, "light-3-%02.0fs", seconds);
    dump(name, f, rows);
}

bool objects(const ScanFrame& f, int scene, double seconds) {
    // Scene 10's objects are seen only in every second frame: the one filtered out of the main
    // buffer they were drawn into. In the other, the main buffer itself is shown, the filter's
    // output over what the renderer drew.
    if (scene == 10 && memcmp(f.indices, frame_buf->pixels, FRAME_BYTES) == 0) return false;
    PixelSet object = object_pixels(f, scene), ring = ring_around(object, 6);
    double contrast = contrast_ratio(f.rgb, object, ring), hue = hue_difference(f.rgb, object, ring);
    double shared = shared_colours(f.rgb, object, ring, 0.9), cover = double(count(object)) / PIXELS;
    bool whole = whole_on_screen(world_of(scene));
    bool pass = (contrast >= 3 || hue >= 60) && shared <= 0.10 && (!whole || (cover >= 0.08 && cover <= 0.35));
    report(2, pass,
           "scene %2d at %4.1f s: contrast %4.1f:1, hue apart %3.0f deg, %4.1f %% in colours round it, covers %4.1f %%%s",
           scene, seconds, contrast, hue, 100 * shared, 100 * cover, whole ? "" : " (not whole on screen)");
    PixelSet both(object);
    for (size_t p = 0; p < both.size(); p++) both[p] |= ring[p];
    char name[32];
    snprintf(name, sizeof name, "objects-%d-%02.0fs", scene, seconds);
    dump(name, f, both);
    return true;
}

void head(const ScanFrame& f, double seconds) {
    PixelSet lit = object_pixels(f, 4);
    for (int p = 0; p < PIXELS; p++) lit[size_t(p)] = lit[size_t(p)] && brightness(f.rgb + 3 * p) > 170;
    int n = regions(lit, PIXELS / 1000);
    double cover = double(count(lit)) / PIXELS;
    report(3, n <= 3 && cover >= 0.06, "scene 4 at %4.1f s: lit pixels in %d regions, covering %4.1f %%", seconds, n,
           100 * cover);
    char name[32];
    snprintf(name, sizeof name, "head-4-%02.0fs", seconds);
    dump(name, f, lit);
}

void head_faces() {
    uint32_t faces = world_scene4.slots[obj_osiris].mesh.face_count;
    report(3, faces >= 600 && faces <= 1500, "the head's mesh: %u faces", faces);
}

std::vector<float> last_brightness;

void strobe(const ScanFrame& f, double seconds) {
    int changed = 0;
    for (int p = 0; p < PIXELS; p++) changed += std::fabs(brightness(f.rgb + 3 * p) - last_brightness[size_t(p)]) > 64;
    double share = double(changed) / PIXELS;
    report(4, share <= 0.01, "scene 10 from %5.2f s to the next frame: %4.2f %% change by more than 64 L", seconds,
           100 * share);
}

void keep_brightness(const ScanFrame& f) {
    last_brightness.resize(PIXELS);
    for (int p = 0; p < PIXELS; p++) last_brightness[size_t(p)] = brightness(f.rgb + 3 * p);
}

void caption_margins(const ScanFrame& f, int scene, const Picture& p) {
    SpriteCopy c = copy_sprite(*p.sprite);
    // The objects may hide parts of the captions that lie beneath them.
    PixelSet hidden = drawn_objects(world_of(scene));
    bool beneath = std::any_of(beneath_objects[scene].begin(), beneath_objects[scene].end(),
                               [&](const Picture& b) { return b.sprite == p.sprite; });
    int x, y;
    if (!find_picture(f.indices, c, p.keyed, beneath ? &hidden : nullptr, &x, &y)) {
        report(5, false, "scene %2d, %-8s: not found whole on screen", scene, p.name);
        return;
    }
    int left = W, top = H, right = -1, bottom = -1;
    for (int r = 0; r < c.height; r++)
        for (int k = 0; k < c.width; k++)
            if (ink(c, k, r)) {
                left = std::min(left, k), right = std::max(right, k);
                top = std::min(top, r), bottom = std::max(bottom, r);
            }
    int margins[4] = {x + left, y + top, W - 1 - (x + right), H - 1 - (y + bottom)};
    report(5, *std::min_element(margins, margins + 4) >= 6,
           "scene %2d, %-8s: %3d px from the left, %3d from the top, %3d from the right, %3d from the bottom", scene,
           p.name, margins[0], margins[1], margins[2], margins[3]);
}

void captions(const ScanFrame& f, int scene, std::vector<const char*> names) {
    for (const auto* list : {&over_objects[scene], &beneath_objects[scene]})
        for (const Picture& p : *list)
            for (const char* name : names)
                if (strcmp(name, p.name) == 0) caption_margins(f, scene, p);
}

// ---- when ----

struct Moment {
    int scene;
    double seconds;
    std::function<bool(const ScanFrame&)> take;  // false: take the next frame instead
    bool taken = false;
};

std::vector<Moment> moments() {
    std::vector<Moment> m;
    for (double s : {3, 6, 9, 12}) m.push_back({3, s, [s](const ScanFrame& f) { return light(f, s), true; }});
    const struct {
        int scene;
        double at[3];
    } object_moments[] = {{2, {5, 12, 19}}, {5, {5, 10, 15}}, {7, {5, 12, 20}},
                          {8, {5, 10, 15}}, {9, {8, 15, 22}}, {10, {5, 12, 20}}};
    for (const auto& o : object_moments)
        for (double s : o.at) m.push_back({o.scene, s, [o, s](const ScanFrame& f) { return objects(f, o.scene, s); }});
    m.push_back({4, 0, [](const ScanFrame&) { return head_faces(), true; }});
    for (double s : {4, 10, 16}) m.push_back({4, s, [s](const ScanFrame& f) { return head(f, s), true; }});
    for (double s : {5, 12, 20}) {
        m.push_back({10, s, [](const ScanFrame& f) { return keep_brightness(f), true; }});
        m.push_back({10, s + 0.5 / 60, [s](const ScanFrame& f) { return strobe(f, s), true; }});  // the next tick
    }
    // Where the captions rest.
    const struct {
        int scene;
        double at;
        std::vector<const char*> names;
    } caption_moments[] = {{2, 19, {"lights", "vlemb"}}, {3, 12, {"chaos"}},        {4, 11, {"oibg"}},
                           {4, 20, {"hth"}},             {5, 15, {"lose", "sense"}}, {8, 15, {"natural", "snatural"}},
                           {10, 12, {"ess", "soul", "good"}}};
    for (const auto& c : caption_moments)
        m.push_back({c.scene, c.at, [c](const ScanFrame& f) { return captions(f, c.scene, c.names), true; }});
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        fprintf(stderr, "usage: tenfold-art-check [PNG_DIR]   (run where data.dat is)\n");
        return 2;
    }
    if (argc == 2) {
        std::error_code ec;
        std::filesystem::create_directories(argv[1], ec);
        png_dir = std::filesystem::absolute(argv[1]).string();  // the show changes directory
    }
    std::vector<Moment> due = moments();
    int status = play_show([&](const ScanFrame& f, int scene, double seconds) {
        for (Moment& m : due)
            if (!m.taken && m.scene == scene && seconds >= m.seconds) m.taken = m.take(f);
    });
    int failed = 0, total = 0;
    for (int t = 0; t < TARGETS; t++) {
        printf("%s\n", targets[t]);
        for (const Line& l : lines[t]) {
            printf("   %-6s %s\n", l.pass ? "pass" : "FAIL", l.text.c_str());
            failed += !l.pass;
            total++;
        }
    }
    bool complete = status == 1 && std::all_of(due.begin(), due.end(), [](const Moment& m) { return m.taken; });
    if (!complete) fprintf(stderr, "tenfold-art-check: the show did not play to its end (status %d)\n", status);
    printf("%d of %d figures pass\n", total - failed, total);
    return !complete ? 2 : failed ? 1 : 0;
}
