// tenfold-assets OUT.png: the asset overview (a contact sheet of the pack). Plays the show once
// under the virtual clock, headless, where data.dat is, and draws with the show's own blitters and
// renderer, once everything is loaded: every palette as a strip, every picture in its scene's
// palette (keyed ones over a grey check, so that index 0 shows as transparent) and every mesh
// flat-shaded (the torus with its picture) at its catalogue scale from the scenes' camera
// distance; then adds a frame of each scene from the run itself. Cells of 320 x 240, four to a
// row; the cell order is printed.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/catalogue.h"
#include "effects/blit.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "console/png.h"
#include "showplay.h"
#include "video/framebuffer.h"

namespace {

constexpr int W = SCREEN_WIDTH, H = SCREEN_HEIGHT, COLUMNS = 4;

struct Cell {
    std::string label;
    std::vector<uint8_t> rgb;
};
std::vector<Cell> cells;

// The colour the DAC shows for an 8-bit palette entry (6 bits kept, widened back to 8).
uint8_t shown(uint8_t v) { return uint8_t((v >> 2) << 2 | (v >> 2) >> 4); }

// A cell of the indices `over0` in the palette where `over255` agrees with them (the same drawing
// made over 0 and over 255), a grey check where they differ: nothing was drawn there.
void add_drawing(const std::string& label, const FrameBuffer& over0, const FrameBuffer& over255, const Palette* pal) {
    Cell c{label, std::vector<uint8_t>(size_t(W * H * 3))};
    for (int p = 0; p < W * H; p++)
        for (int k = 0; k < 3; k++) {
            uint8_t check = uint8_t(((p % W / 8 + p / W / 8) % 2) ? 72 : 96);
            c.rgb[size_t(p * 3 + k)] = over0.pixels[p] == over255.pixels[p] ? shown(pal->rgb[over0.pixels[p] * 3 + k]) : check;
        }
    cells.push_back(std::move(c));
}

void add_palette(const char* label, const Palette* pal) {
    static FrameBuffer strip, none;
    memset(none.pixels, 1, FRAME_BYTES);
    for (int p = 0; p < W * H; p++) {
        int x = p % W, y = p / W;
        bool in = x >= 32 && x < 288 && y >= 40 && y < 200;
        strip.pixels[p] = uint8_t(in ? x - 32 : 0);
        none.pixels[p] = in ? strip.pixels[p] : 1;
    }
    add_drawing(label, strip, none, pal);
}

void add_picture(const char* label, const Sprite* s, const Palette* pal, bool keyed) {
    static FrameBuffer over[2];
    for (int k = 0; k < 2; k++) {
        memset(over[k].pixels, k ? 255 : 0, FRAME_BYTES);
        (keyed ? draw_sprite_centered_keyed : draw_sprite_centered)(s, over[k].pixels, W, H);
    }
    add_drawing(label, over[0], over[1], pal);
}

// The object turned by (ax, ay, az) from its loaded pose, 600 in front of the camera as in the
// scenes, drawn by the renderer; its slot is put back as the show left it.
void add_mesh(const char* label, World* w, int obj, const Palette* pal, float ax, float ay, float az) {
    static FrameBuffer over[2];
    ObjectSlot& slot = w->slots[obj];
    const ObjectSlot kept = slot;
    matrix_identity(&slot.orientation);
    slot.position = Vec3{0, 0, 0};
    object_rotate_move(w, obj, ax, ay, az, 0, 0, 0);
    Camera cam;
    camera_init(&cam, 400, 160, 120, 1.0f, 0.9375f, 0, W, 0, H);
    vec3_set_normalised(&w->light, 0, 0, -1);
    FrameBuffer* target = frame_buf;
    for (int k = 0; k < 2; k++) {
        memset(over[k].pixels, k ? 255 : 0, FRAME_BYTES);
        frame_buf = &over[k];
        world_begin_frame(w);
        object_transform(w, obj, &cam);
        world_render(w, &cam);
    }
    frame_buf = target;
    slot.orientation = kept.orientation;
    slot.position = kept.position;
    add_drawing(label, over[0], over[1], pal);
}

void add_assets() {
    add_palette("b.pal (scene 1)", pal_b);
    add_palette("intro.pal (scenes 1, 2)", pal_intro);
    add_palette("gb.pal (scene 3)", pal_gb);
    add_palette("white.pal (no scene)", pal_white);
    add_palette("grey.pal (scene 4)", pal_grey);
    add_palette("wapal.pal (scenes 5, 9, 10)", pal_wapal);
    add_palette("cspal.pal (scene 7)", pal_cspal);
    add_palette("golden.pal (scene 8)", pal_golden);
    add_picture("intro.img in b.pal", img_intro, pal_b, false);
    add_picture("intro.img", img_intro, pal_intro, false);
    add_picture("lights.img", img_lights, pal_intro, false);
    add_picture("vlemb.img", img_vlemb, pal_intro, false);
    add_mesh("pentagon.asc (shade 50)", &world_scene2, obj_pentagon, pal_intro, 0.5f, 0.3f, 0);
    add_mesh("pyramid.asc, turned over as in scene 2", &world_scene2, obj_pyramid_a, pal_intro, 3.14f + 0.3f, 0.5f, 0);
    add_picture("radbd.img", img_radbd, pal_gb, false);
    add_picture("chaos.img", img_chaos, pal_gb, true);
    add_mesh("sphere.asc x0.3 (shade 112)", &world_scene3, obj_sphere3, pal_gb, 0.4f, 0.4f, 0);
    add_picture("osiris.img", img_osiris, pal_grey, false);
    add_picture("cu.img", img_cu, pal_grey, false);
    add_picture("oibg.img", img_oibg, pal_grey, false);
    add_picture("hth.img", img_hth, pal_grey, false);
    add_mesh("osiris.asc as scene 4 first turns it (shade 128)", &world_scene4, obj_osiris, pal_grey, -0.25f, -0.6f, 3.14f);
    add_picture("wbd.img", img_wbd, pal_wapal, false);
    add_picture("lose.img", img_lose, pal_wapal, true);
    add_picture("sense.img", img_sense, pal_wapal, true);
    add_mesh("star.asc (shade 230)", &world_scene5, obj_star, pal_wapal, 0.4f, -0.4f, 0);
    for (const Sprite* s : img_gallery) add_picture("gallery", s, pal_wapal, true);
    add_mesh("vl.asc, turned over as in scene 9 (shade 220)", &world_scene9, obj_vl, pal_wapal, 3.14f + 0.3f, 0.3f, 0);
    add_picture("worms.img in the grey ramp (it shows the grid's colour cells)", img_worms, pal_white, false);
    add_picture("csbd.img", img_csbd, pal_cspal, false);
    for (const Sprite* s : img_cs) add_picture("cs picture", s, pal_cspal, true);
    add_mesh("sphere.asc x0.7 (shade 124)", &world_scene7, obj_sphere7, pal_cspal, 0.4f, 0.4f, 0);
    add_picture("gbd.img", img_gbd, pal_golden, false);
    add_picture("natural.img", img_natural, pal_golden, true);
    add_picture("snatural.img", img_snatural, pal_golden, true);
    add_mesh("toorus.asc with temp.pcx", &world_scene8, obj_toorus, pal_golden, 0.6f, 0.4f, 0);
    add_picture("ess.img", img_ess, pal_wapal, true);
    add_picture("soul.img", img_soul, pal_wapal, true);
    add_picture("good.img", img_good, pal_wapal, true);
    add_mesh("eo.asc (shade 220)", &world_scene10, obj_eo, pal_wapal, 0.5f, 0.5f, 0.3f);
    add_mesh("sphere.asc x0.2 (shade 220)", &world_scene10, obj_sphere10, pal_wapal, 0.4f, 0.4f, 0);
}

// A frame of each scene, seconds after its start, as the run shows it.
struct Moment {
    int scene;
    double seconds;
    bool taken = false;
};

bool write_sheet(const std::string& path) {
    int rows = int(cells.size() + COLUMNS - 1) / COLUMNS, width = COLUMNS * W;
    std::vector<uint8_t> sheet(size_t(width) * size_t(rows * H) * 3, 16);
    for (size_t i = 0; i < cells.size(); i++) {
        size_t x = i % COLUMNS * W, y = i / COLUMNS * H;
        for (size_t r = 0; r < H; r++)
            memcpy(&sheet[((y + r) * size_t(width) + x) * 3], &cells[i].rgb[r * W * 3], W * 3);
        printf("%3zu  row %zu column %zu  %s\n", i, i / COLUMNS + 1, i % COLUMNS + 1, cells[i].label.c_str());
    }
    if (png_write_rgb(path, sheet.data(), width, rows * H)) return true;
    fprintf(stderr, "tenfold-assets: cannot write %s: %s\n", path.c_str(), strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: tenfold-assets OUT.png   (run where data.dat is)\n");
        return 2;
    }
    std::string out = std::filesystem::absolute(argv[1]).string();  // the show changes directory
    std::vector<Moment> moments{{2, 19}, {3, 9}, {4, 4}, {5, 15}, {6, 3}, {7, 12}, {8, 15}, {9, 22}, {10, 12}};
    bool assets_drawn = false;
    int status = play_show([&](const ScanFrame& f, int scene, double seconds) {
        if (!assets_drawn) add_assets();  // everything is loaded when the first frame is shown
        assets_drawn = true;
        for (Moment& m : moments) {
            if (m.taken || m.scene != scene || seconds < m.seconds) continue;
            char label[48];
            snprintf(label, sizeof label, "scene %d at %.0f s", scene, m.seconds);
            cells.push_back({label, std::vector<uint8_t>(f.rgb, f.rgb + W * H * 3)});
            m.taken = true;
        }
    });
    if (status != 1 || !assets_drawn) {
        fprintf(stderr, "tenfold-assets: the show did not play to its end (status %d)\n", status);
        return 1;
    }
    return write_sheet(out) ? 0 : 1;
}
