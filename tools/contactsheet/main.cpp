// contactsheet PACK_DIR OUT.png: loads the catalogue from PACK_DIR/data (build/pack after a build)
// and writes a sheet of 320 x 240 cells, four to a row: every palette as a strip, every picture
// in its scene's palette (keyed ones over a grey check, so index 0 shows as transparent), and
// every mesh flat-shaded in its scene's palette at its catalogue scale, seen as from its scene's
// camera distance (the torus also with its picture), and at the end a preview of each scene with
// its pictures and objects where the scene first puts them. The cell order is printed.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/catalogue.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "video/framebuffer.h"

namespace {

constexpr int COLUMNS = 4;

struct Cell {
    std::string label;
    std::vector<uint8_t> rgb = std::vector<uint8_t>(size_t(FRAME_BYTES) * 3, 0);
};

std::vector<Cell> cells;

// The colour the DAC shows for an 8-bit palette entry (6 bits kept, widened back to 8).
uint8_t shown(uint8_t v) { return uint8_t((v >> 2) << 2 | (v >> 2) >> 4); }

void put(Cell& c, int x, int y, const Palette* pal, uint8_t index) {
    for (int k = 0; k < 3; k++) c.rgb[size_t(y * SCREEN_WIDTH + x) * 3 + size_t(k)] = shown(pal->rgb[index * 3 + k]);
}

Cell& new_cell(const std::string& label, uint8_t grey) {
    cells.push_back({label});
    Cell& c = cells.back();
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++)
            for (int k = 0; k < 3; k++)
                c.rgb[size_t(y * SCREEN_WIDTH + x) * 3 + size_t(k)] = uint8_t(((x / 8 + y / 8) % 2) ? grey : grey + 24);
    return c;
}

void add_palette(const char* label, const Palette* pal) {
    Cell& c = new_cell(label, 40);
    for (int y = 40; y < 200; y++)
        for (int x = 32; x < 288; x++) put(c, x, y, pal, uint8_t(x - 32));
}

void add_picture(const char* label, const Sprite* s, const Palette* pal, bool keyed) {
    Cell& c = new_cell(label, 72);
    int ox = (SCREEN_WIDTH - s->width) / 2, oy = (SCREEN_HEIGHT - s->height) / 2;
    for (int y = 0; y < s->height; y++)
        for (int x = 0; x < s->width; x++) {
            uint8_t v = s->pixels[y * s->width + x];
            int tx = ox + x, ty = oy + y;
            if ((keyed && v == 0) || tx < 0 || ty < 0 || tx >= SCREEN_WIDTH || ty >= SCREEN_HEIGHT) continue;
            put(c, tx, ty, pal, v);
        }
}

// The mesh turned by (ax, ay, az) at the camera distance of the scenes, drawn into frame_buf.
void add_mesh(const char* label, World* w, int obj, const Palette* pal, float ax, float ay, float az) {
    Camera cam;
    camera_init(&cam, 400, 160, 128, 1.0f, 0.9375f, 0, SCREEN_WIDTH, 0, SCREEN_HEIGHT);
    vec3_set_normalised(&w->light, 0, 0, -1);
    object_rotate_move(w, obj, ax, ay, az, 0, 0, 0);
    memset(frame_buf, 0, FRAME_BYTES);
    world_begin_frame(w);
    object_transform(w, obj, &cam);
    world_render(w, &cam);
    Cell& c = new_cell(label, 0);
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++) put(c, x, y, pal, frame_buf->pixels[y * SCREEN_WIDTH + x]);
}

// ---- scene previews: the pictures and objects where the scenes first put them ----

void blit(const Sprite* s, int x0, int y0, bool keyed) {
    for (int y = 0; y < s->height; y++)
        for (int x = 0; x < s->width; x++) {
            uint8_t v = s->pixels[y * s->width + x];
            int tx = x0 + x, ty = y0 + y;
            if ((keyed && v == 0) || tx < 0 || ty < 0 || tx >= SCREEN_WIDTH || ty >= SCREEN_HEIGHT) continue;
            frame_buf->pixels[ty * SCREEN_WIDTH + tx] = v;
        }
}

void background(const Sprite* s) {
    memset(frame_buf, 0, FRAME_BYTES);
    if (s) blit(s, (SCREEN_WIDTH - s->width) >> 1, (SCREEN_HEIGHT - s->height) >> 1, false);
}

// The object back at its loaded pose, then turned and moved as its scene's set-up does.
void place(World* w, int obj, float ax, float ay, float az, float dx, float dy, float dz) {
    matrix_identity(&w->slots[obj].orientation);
    w->slots[obj].position = Vec3{0, 0, 0};
    object_rotate_move(w, obj, ax, ay, az, dx, dy, dz);
}

void render(World* w, std::initializer_list<int> objs, float cx, float cy) {
    Camera cam;
    camera_init(&cam, 400, cx, cy, 1.0f, 0.9375f, 0, SCREEN_WIDTH, 0, SCREEN_HEIGHT);
    vec3_set_normalised(&w->light, 0, 0, -1);
    world_begin_frame(w);
    for (int obj : objs) object_transform(w, obj, &cam);
    world_render(w, &cam);
}

void add_frame(const char* label, const Palette* pal) {
    Cell& c = new_cell(label, 0);
    for (int y = 0; y < SCREEN_HEIGHT; y++)
        for (int x = 0; x < SCREEN_WIDTH; x++) put(c, x, y, pal, frame_buf->pixels[y * SCREEN_WIDTH + x]);
}

void add_scene_previews() {
    background(img_intro);
    place(&world_scene2, obj_pentagon, 0.6f, 0, 0, 0, 0, 0);
    place(&world_scene2, obj_pyramid_a, 3.14f, 0.4f, 0, -135, -40, 0);
    place(&world_scene2, obj_pyramid_b, 3.14f, -0.4f, 0, 135, -40, 0);
    render(&world_scene2, {obj_pentagon, obj_pyramid_a, obj_pyramid_b}, 160, 205);
    blit(img_lights, 4, 224, false);
    blit(img_vlemb, 176, 224, false);
    add_frame("scene 2 preview", pal_intro);

    background(img_radbd);
    place(&world_scene3, obj_sphere3, 0.3f, 0.3f, 0, -9, 50, 0);
    render(&world_scene3, {obj_sphere3}, 160, 200);
    blit(img_chaos, 5, 214, true);
    add_frame("scene 3 preview", pal_gb);

    memset(frame_buf, 49, FRAME_BYTES);
    place(&world_scene4, obj_osiris, -0.25f, -0.6f, 3.14f, -157, 130, 0);
    render(&world_scene4, {obj_osiris}, 160, 200);
    blit(img_osiris, 0, 0, false);
    blit(img_cu, 120, 160, false);
    blit(img_hth, 3, 159, false);
    add_frame("scene 4 preview", pal_grey);

    background(img_wbd);
    place(&world_scene5, obj_star, 0.3f, -0.3f, -0.3f, 0, 0, 0);
    render(&world_scene5, {obj_star}, 160, 120);
    blit(img_lose, 1, 224, true);
    blit(img_sense, 140, 0, true);
    add_frame("scene 5 preview (no water)", pal_wapal);

    background(img_csbd);
    place(&world_scene7, obj_sphere7, -0.25f, -0.6f, 3.14f, -157, 130, 0);
    render(&world_scene7, {obj_sphere7}, 170, 290);
    blit(img_cs[0], 1, 1, true);
    blit(img_cs[1], 320 - img_cs[1]->width, 1, true);
    add_frame("scene 7 preview (pictures unscaled)", pal_cspal);

    background(img_gbd);
    mesh_set_colour(&world_scene8.slots[obj_toorus].mesh, 18, 32, 32, 32);
    place(&world_scene8, obj_toorus, 0.4f, 0.4f, 0.4f, 160, 120, 0);
    render(&world_scene8, {obj_toorus}, 30, -60);
    blit(img_natural, 1, 224, true);
    blit(img_snatural, 46, 1, true);
    add_frame("scene 8 preview", pal_golden);

    background(img_wbd);
    for (int i = 0; i < GALLERY_PICTURES; i++) blit(img_gallery[i], i < 8 ? 150 : 232, 5 + 30 * (i % 8), true);
    place(&world_scene9, obj_vl, 3.14f, 0, 0, 0, 0, 0);
    render(&world_scene9, {obj_vl}, 75, 130);
    add_frame("scene 9 preview", pal_wapal);

    background(nullptr);
    place(&world_scene10, obj_eo, 0.4f, 0.5f, 0.2f, 0, 0, 0);
    place(&world_scene10, obj_sphere10, -0.3f, -0.3f, 0.3f, 0, 0, 0);
    render(&world_scene10, {obj_eo, obj_sphere10}, 160, 200);
    blit(img_ess, 0, 20, true);
    blit(img_soul, 1, 225, true);
    blit(img_good, 1, 1, true);
    add_frame("scene 10 preview", pal_wapal);
}

void flat(World* w, int obj, int shade) { mesh_set_colour(&w->slots[obj].mesh, 16, uint8_t(shade), uint8_t(shade), uint8_t(shade)); }

int write_png(const char* path) {
    int rows = int(cells.size() + COLUMNS - 1) / COLUMNS, width = COLUMNS * SCREEN_WIDTH, height = rows * SCREEN_HEIGHT;
    std::vector<uint8_t> sheet(size_t(width) * size_t(height) * 3, 16);
    for (size_t i = 0; i < cells.size(); i++) {
        int cx = int(i % COLUMNS) * SCREEN_WIDTH, cy = int(i / COLUMNS) * SCREEN_HEIGHT;
        for (int y = 0; y < SCREEN_HEIGHT; y++)
            memcpy(&sheet[(size_t(cy + y) * size_t(width) + size_t(cx)) * 3], &cells[i].rgb[size_t(y * SCREEN_WIDTH) * 3],
                   size_t(SCREEN_WIDTH) * 3);
        printf("%3zu  row %zu column %zu  %s\n", i, i / COLUMNS + 1, i % COLUMNS + 1, cells[i].label.c_str());
    }
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return 0;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) png_write_row(png, &sheet[size_t(y) * size_t(width) * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: contactsheet PACK_DIR OUT.png   (PACK_DIR holds data/, e.g. build/pack)\n");
        return 2;
    }
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(argv[1]) != 0) {
        fprintf(stderr, "contactsheet: cannot enter %s\n", argv[1]);
        return 1;
    }
    static FrameBuffer buffer;
    frame_buf = &buffer;
    load_data();
    char bad[2048];
    if (list_bad_assets(bad, sizeof bad) > 0) {
        fprintf(stderr, "contactsheet: not what the scenes need: %s\n", bad);
        return 1;
    }
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
    add_mesh("osiris.asc from the front (shade 128)", &world_scene4, obj_osiris, pal_grey, 0, 0, 3.14f);
    add_mesh("osiris.asc, turned about as in scene 4", &world_scene4, obj_osiris, pal_grey, -0.25f, -0.6f, 0);
    add_picture("wbd.img", img_wbd, pal_wapal, false);
    add_picture("lose.img", img_lose, pal_wapal, true);
    add_picture("sense.img", img_sense, pal_wapal, true);
    add_mesh("star.asc (shade 230)", &world_scene5, obj_star, pal_wapal, 0.4f, -0.4f, 0);
    for (int i = 0; i < GALLERY_PICTURES; i++) add_picture("gallery", img_gallery[i], pal_wapal, true);
    add_mesh("vl.asc, turned over as in scene 9 (shade 220)", &world_scene9, obj_vl, pal_wapal, 3.14f + 0.3f, 0.3f, 0);
    add_picture("worms.img in the grey ramp (it shows the grid's colour cells)", img_worms, pal_white, false);
    add_picture("csbd.img", img_csbd, pal_cspal, false);
    for (int i = 0; i < CS_PICTURES; i++) add_picture("cs picture", img_cs[i], pal_cspal, true);
    add_mesh("sphere.asc x0.7 (shade 124)", &world_scene7, obj_sphere7, pal_cspal, 0.4f, 0.4f, 0);
    add_picture("gbd.img", img_gbd, pal_golden, false);
    add_picture("natural.img", img_natural, pal_golden, true);
    add_picture("snatural.img", img_snatural, pal_golden, true);
    add_mesh("toorus.asc with temp.pcx", &world_scene8, obj_toorus, pal_golden, 0.6f, 0.4f, 0);
    flat(&world_scene8, obj_toorus, 255);
    add_mesh("toorus.asc flat (shade 255)", &world_scene8, obj_toorus, pal_golden, 0, 0, 0);
    add_picture("ess.img", img_ess, pal_wapal, true);
    add_picture("soul.img", img_soul, pal_wapal, true);
    add_picture("good.img", img_good, pal_wapal, true);
    add_mesh("eo.asc (shade 220)", &world_scene10, obj_eo, pal_wapal, 0.5f, 0.5f, 0.3f);
    add_mesh("sphere.asc x0.2 (shade 220)", &world_scene10, obj_sphere10, pal_wapal, 0.4f, 0.4f, 0);
    add_scene_previews();
    if (chdir(here) != 0 || !write_png(argv[2])) {
        fprintf(stderr, "contactsheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
