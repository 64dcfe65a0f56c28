// The catalogue loaded from the built data.dat: every entry present and readable, of the sizes the
// scenes' placements assume; palettes that are ramps; meshes closed, wound the way the renderer
// keeps them and framed by their scenes; the PCX texture read alike by ImageMagick; the catalogue
// unloaded and loaded again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "assets/asset_files.h"
#include "assets/catalogue.h"
#include "assets/pcx.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/coverage.h"
#include "support/run.h"
#include "video/framebuffer.h"

namespace {

struct Catalogue : ::testing::Test {
    static std::string dir, output;
    // One load for the whole suite: the slots are process-wide and are filled once, as in the show.
    static void SetUpTestSuite() {
        dir = make_temp_dir("catalogue");
        ASSERT_EQ(system(("tar -xzf " TENFOLD_BUILD_DIR "/data.dat -C " + dir).c_str()), 0) << "the build makes data.dat";
        output = load_in_dir();
    }
    static void TearDownTestSuite() { remove_tree(dir); }
    // load_data run in dir, where data/ is, as the show runs it; what it printed.
    static std::string load_in_dir() {
        char here[4096];
        EXPECT_NE(getcwd(here, sizeof here), nullptr);
        EXPECT_EQ(chdir(dir.c_str()), 0);
        CaptureStdout();
        load_data();
        fflush(stdout);
        std::string printed = GetCapturedStdout();
        EXPECT_EQ(chdir(here), 0);
        return printed;
    }
};
std::string Catalogue::dir, Catalogue::output;

TEST_F(Catalogue, FillsEverySlotAndPrintsOnlyItsLine) {
    EXPECT_EQ(output, "loading data ...\n");
    char bad[1024];
    EXPECT_EQ(list_bad_assets(bad, sizeof bad), 0) << bad;
    EXPECT_NE(pal_white, nullptr) << "the palette no scene uses is in the pack all the same";
    EXPECT_STREQ(world_scene8.pictures[0].path, "data/temp.pcx");
}

int zeros(const Sprite* s) { return int(std::count(s->pixels, s->pixels + s->width * s->height, 0)); }

TEST_F(Catalogue, PicturesFitWhereTheScenesDrawThemAndAreKeyedWhereMeant) {
    // Backgrounds are drawn centred every frame: anything smaller would leave the last frame around them.
    for (const Sprite* s : {img_intro, img_radbd, img_wbd, img_csbd, img_gbd}) EXPECT_EQ(s->width * 1000 + s->height, 320240);
    // Top-left corner where a scene draws it (oibg at the end of its slide in from -111), the most
    // rows it may have (captions come down from above the screen), and whether it is a keyed caption
    // (index 0 all round its lettering).
    const struct {
        const char* name;
        const Sprite* s;
        int x, y, max_height;
        bool caption;
    } placed[] = {{"lights", img_lights, 4, 224, 16, false}, {"vlemb", img_vlemb, 176, 224, 16, false},
                  {"chaos", img_chaos, 5, 214, 26, true},    {"oibg", img_oibg, 209, 199, 41, false},
                  {"hth", img_hth, 3, 159, 81, false},       {"lose", img_lose, 1, 224, 16, true},
                  {"sense", img_sense, 140, 0, 20, true},    {"natural", img_natural, 1, 224, 16, true},
                  {"snatural", img_snatural, 46, 0, 20, true}, {"ess", img_ess, 0, 20, 220, true},
                  {"soul", img_soul, 1, 225, 15, true},      {"good", img_good, 1, 0, 15, true}};
    for (const auto& p : placed) {
        SCOPED_TRACE(p.name);
        ASSERT_NE(p.s, nullptr);
        int w = p.s->width, h = p.s->height;
        EXPECT_TRUE(w > 0 && h > 0 && p.x + w <= 320 && h <= p.max_height) << w << " x " << h;
        if (p.caption) {
            EXPECT_EQ(p.s->pixels[0] | p.s->pixels[w - 1] | p.s->pixels[(h - 1) * w] | p.s->pixels[h * w - 1], 0);
            EXPECT_TRUE(zeros(p.s) > w * h / 4 && zeros(p.s) < w * h);
        }
    }
    EXPECT_LE(4 + img_lights->width, 176) << "lights rests left of vlemb";
    for (const Sprite* s : img_gallery) {
        EXPECT_TRUE(s->width < 232 - 150 && s->height <= 25) << "the two columns do not overlap";
        EXPECT_EQ(zeros(s), 0) << "a thumbnail lets nothing of the smeared background through";
    }
    for (const Sprite* s : img_cs) {
        EXPECT_LE(std::abs(s->width - s->height), std::max(s->width, s->height) / 4) << "square-ish";
        EXPECT_TRUE(zeros(s) > 0 && zeros(s) < s->width * s->height);
    }
    // Scene 6 draws the worms strip while DAC entries 1 to 225 are the grid's rolling colour cells.
    ASSERT_EQ(img_worms->width * 1000 + img_worms->height, 321020);
    const uint8_t* w = img_worms->pixels;
    EXPECT_EQ(*std::min_element(w, w + 321 * 20), 1);
    EXPECT_EQ(*std::max_element(w, w + 321 * 20), 225);
}

float brightness(const Palette* p, int i) { return 0.299f * p->rgb[i * 3] + 0.587f * p->rgb[i * 3 + 1] + 0.114f * p->rgb[i * 3 + 2]; }

// Blends, smears, means and the water's shading do arithmetic on indices, and flat faces take
// indices 0 to their shade range: every palette must be a brightness ramp from black, bright by
// the shade range of the objects drawn with it, in a hue of its own.
TEST_F(Catalogue, PalettesAreRampsFromBlackInHuesOfTheirOwn) {
    const struct {
        const char* name;
        const Palette* pal;
        int shade_range;
        bool own_hue;  // b (the flash) and white (unused) are pale or neutral
    } scenes[] = {{"b", pal_b, 0, false},          {"intro", pal_intro, 50, true}, {"gb", pal_gb, 112, true},
                  {"white", pal_white, 0, false},  {"grey", pal_grey, 128, true},  {"wapal", pal_wapal, 220, true},
                  {"cspal", pal_cspal, 124, true}, {"golden", pal_golden, 0, true}};
    std::vector<std::pair<const char*, std::array<float, 3>>> hues;
    for (const auto& s : scenes) {
        SCOPED_TRACE(s.name);
        ASSERT_NE(s.pal, nullptr);
        ASSERT_TRUE(s.pal->first == 0 && s.pal->count == 256);
        EXPECT_EQ(brightness(s.pal, 0), 0);
        for (int i = 1; i < 256; i++) ASSERT_GE(brightness(s.pal, i), brightness(s.pal, i - 1)) << i;
        EXPECT_GE(brightness(s.pal, s.shade_range), s.shade_range ? 0.45f * brightness(s.pal, 255) : 0);
        const uint8_t* mid = s.pal->rgb + 3 * 100;
        float sum = float(mid[0] + mid[1] + mid[2]);
        if (!s.own_hue) continue;
        for (const auto& [other, hue] : hues)
            EXPECT_GT(std::fabs(hue[0] - mid[0] / sum) + std::fabs(hue[1] - mid[1] / sum) + std::fabs(hue[2] - mid[2] / sum), 0.08f)
                << other;
        hues.push_back({s.name, {mid[0] / sum, mid[1] / sum, mid[2] / sum}});
    }
}

TEST_F(Catalogue, TextureReadsTheSameInImageMagickAndIsSeenInScene8sPalette) {
    std::string raw = dir + "/temp.rgb";
    ASSERT_EQ(system(("convert " + dir + "/data/temp.pcx -depth 8 rgb:" + raw).c_str()), 0);
    std::string rgb = read_file(raw);
    ASSERT_EQ(rgb.size(), size_t(256 * 256 * 3));
    const uint8_t *pal = world_scene8.pictures[0].palette, *px = world_scene8.pictures[0].pixels;
    EXPECT_GT(*std::max_element(px, px + 65536), 192) << "values that must be written as runs occur";
    int differing = 0;
    for (int i = 0; i < 65536 * 3; i++) differing += uint8_t(rgb[size_t(i)]) != pal[px[i / 3] * 3 + i % 3];
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(memcmp(pal, pal_golden->rgb, 768), 0);
}

const struct Object {
    const char* name;
    World* world;
    int* index;
    float min_radius, max_radius;  // on the screen of its scene, in pixels
} objects[] = {
    // The head of scene 4 lies on the line the scene rocks it about, away from the point it turns
    // about, and scene 10's rings reach past the smear's centre: their radii count from those
    // points.
    {"pentagon", &world_scene2, &obj_pentagon, 30, 60},  {"pyramid", &world_scene2, &obj_pyramid_a, 25, 80},
    {"sphere 3", &world_scene3, &obj_sphere3, 25, 60},   {"statue", &world_scene4, &obj_osiris, 100, 170},
    {"star", &world_scene5, &obj_star, 60, 100},          {"logo", &world_scene9, &obj_vl, 50, 110},
    {"sphere 7", &world_scene7, &obj_sphere7, 60, 130},  {"torus", &world_scene8, &obj_toorus, 40, 90},
    {"eo", &world_scene10, &obj_eo, 60, 100},             {"sphere 10", &world_scene10, &obj_sphere10, 15, 40},
};

float mesh_radius(const Mesh& m) {
    float radius = 0;
    for (uint32_t i = 0; i < m.vertex_count; i++)
        radius = std::max(radius, std::hypot(m.vertices[i].x, m.vertices[i].y, m.vertices[i].z));
    return radius;
}

// Each object has a mesh of its own, loaded at its scale with its colour word, closed and wound
// outward (every directed edge has its reverse in another face; positive signed volume), of a
// modest size, and neither lost nor larger than the screen from the scenes' camera (600, focal 400).
TEST_F(Catalogue, ObjectsAreClosedWoundOutwardAndSizedForTheirScenes) {
    EXPECT_EQ(world_scene2.object_count, 3u);
    EXPECT_NE(world_scene2.slots[obj_pyramid_a].mesh.vertices, world_scene2.slots[obj_pyramid_b].mesh.vertices);
    float r3 = mesh_radius(world_scene3.slots[obj_sphere3].mesh);
    EXPECT_NEAR(mesh_radius(world_scene7.slots[obj_sphere7].mesh) / r3, 0.7f / 0.3f, 1e-4f);
    EXPECT_NEAR(mesh_radius(world_scene10.slots[obj_sphere10].mesh) / r3, 0.2f / 0.3f, 1e-4f);
    EXPECT_EQ(world_scene5.slots[obj_star].mesh.faces[0].colour, 16u | 230u << 8 | 188u << 16 | 188u << 24);
    EXPECT_EQ(world_scene2.slots[obj_pentagon].mesh.faces[0].colour, 0x32323210u);
    for (const Object& o : objects) {
        SCOPED_TRACE(o.name);
        ASSERT_GE(*o.index, 0);
        const Mesh& m = o.world->slots[*o.index].mesh;
        EXPECT_EQ(m.faces[0].colour & (o.world == &world_scene8 ? ~0u : 0xFFu), o.world == &world_scene8 ? 18u : 16u)
            << "mapped from picture 0 or flat, culled";
        EXPECT_LE(m.face_count, 2000u);
        std::map<std::pair<int, int>, int> edges;
        double volume = 0;
        for (uint32_t f = 0; f < m.face_count; f++) {
            const MeshFace& face = m.faces[f];
            for (auto [p, q] : {std::pair{face.a, face.b}, {face.b, face.c}, {face.c, face.a}}) edges[{p, q}]++;
            const Vec3 &a = m.vertices[face.a], &b = m.vertices[face.b], &d = m.vertices[face.c];
            volume += a.x * (b.y * d.z - b.z * d.y) - a.y * (b.x * d.z - b.z * d.x) + a.z * (b.x * d.y - b.y * d.x);
        }
        int unpaired = 0;
        for (const auto& [e, n] : edges) unpaired += n != 1 || edges.count({e.second, e.first}) != 1;
        EXPECT_EQ(unpaired, 0);
        EXPECT_GT(volume, 0);
        float pixels = mesh_radius(m) * 400 / 600;
        EXPECT_TRUE(pixels >= o.min_radius && pixels <= o.max_radius) << pixels;
    }
}

// Culled and unculled drawing cover the same pixels in several orientations, and what the culled
// drawing shows is the near side.
TEST_F(Catalogue, CullingLeavesNoHolesInAnyMesh) {
    for (const Object& o : objects) {
        SCOPED_TRACE(o.name);
        Camera cam;
        camera_init(&cam, 400, 160, 120, 1, 1, 0, 320, 0, 240);
        vec3_set_normalised(&o.world->light, 0, 0, -1);
        ObjectSlot& slot = o.world->slots[*o.index];
        Matrix3 saved = slot.orientation;
        matrix_identity(&slot.orientation);
        CoverageResult r = check_culled_coverage(o.world, *o.index, &cam);
        slot.orientation = saved;
        EXPECT_GT(r.covered, 7 * 300);
        EXPECT_EQ(r.mismatched, 0);
        EXPECT_LT(r.corner_pixels, r.covered / 200);
        EXPECT_GT(r.near_area, r.far_area);
    }
}

// The statue rocks in the middle of the screen, large in every frame of its swing (it turns about
// a line through its middle, and is thick enough to stay large edge on); the two pictures drawn
// over it every frame, at (0, 0) and (120, 160), must leave it in view. Its rocking is followed
// for the scene's 22 s.
TEST_F(Catalogue, ScenePicturesLeaveTheRockingStatueInView) {
    World* w = &world_scene4;
    ObjectSlot& slot = w->slots[obj_osiris];
    const ObjectSlot saved = slot;
    Camera cam;
    camera_init(&cam, 400, 160, 200, 1, 0.9375f, 0, 320, 0, 240);
    object_rotate_move(w, obj_osiris, -0.25f, -0.6f, 3.14f, -157, 130, 0);
    int worst_hidden = 0;
    for (int frame = 0, next_reversal = 1; frame < 22 * 60; frame++) {
        float direction = next_reversal % 2 ? 1 : -1;  // reverses every 3 s after the first 2 s
        world_begin_frame(w);
        object_rotate_move(w, obj_osiris, 0.015f * direction, -0.01f * direction, 0, 0, 0, 0);
        object_transform(w, obj_osiris, &cam);
        if (frame / 60 > next_reversal) next_reversal += 3;
        int hidden = 0, seen = 0, left = 320, right = 0, top = 240, bottom = 0;
        const Vec3* v = w->work_vertices + slot.vertex_base;
        for (uint32_t i = 0; i < slot.mesh.vertex_count; i++) {
            int x = int(v[i].x), y = int(v[i].y);
            if (x < 0 || y < 0 || x >= 320 || y >= 240) continue;
            seen++;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
            hidden += (x < img_osiris->width && y < img_osiris->height) ||
                      (x >= 120 && x < 120 + img_cu->width && y >= 160 && y < 160 + img_cu->height);
        }
        ASSERT_GE(seen * 100, int(slot.mesh.vertex_count) * 90) << "on screen in frame " << frame;
        ASSERT_TRUE(right - left >= 160 && bottom - top >= 130) << "large in frame " << frame;
        ASSERT_LE(std::hypot((left + right) / 2.0 - 160, (top + bottom) / 2.0 - 120), 60) << "central in frame " << frame;
        worst_hidden = std::max(worst_hidden, hidden * 100 / seen);
    }
    EXPECT_LT(worst_hidden, 25) << "per cent of the statue's corners under the pictures at worst";
    slot.orientation = saved.orientation;
    slot.position = saved.position;
}

// The files that a list of list_bad_assets names, without their reasons.
std::set<std::string> files_named(const std::string& list) {
    std::set<std::string> files;
    for (size_t at = list.find("data/"); at != std::string::npos; at = list.find("data/", at + 1))
        files.insert(list.substr(at, list.find(" (", at) - at));
    return files;
}

TEST_F(Catalogue, UnloadFreesWhatIsLeftOnceEmptiesEverySlotAndTheCatalogueLoadsAgain) {
    // Freed first as a scene frees them at its end: unloading must not free them again.
    free_sprite_slot(&img_lights);
    world_free_object(&world_scene2, obj_pentagon);
    world_destroy(&world_scene2);
    unload_data();
    char bad[8192];
    list_bad_assets(bad, sizeof bad);
    std::set<std::string> every_file;
    for (const auto& e : std::filesystem::directory_iterator(dir + "/data"))
        every_file.insert("data/" + e.path().filename().string());
    every_file.erase("data/music.xm");   // the player's, not the catalogue's
    every_file.erase("data/white.pal");  // loaded, though no scene needs it
    EXPECT_EQ(files_named(bad), every_file) << "every slot empty";
    EXPECT_EQ(pal_white, nullptr);
    for (const Object& o : objects) EXPECT_TRUE(o.world->slots == nullptr && *o.index == -1) << o.name;

    EXPECT_EQ(load_in_dir(), "loading data ...\n");
    EXPECT_EQ(list_bad_assets(bad, sizeof bad), 0) << bad;
}

using PictureSlots = AssetFileTest;

TEST_F(PictureSlots, RefusedFileLeavesTheSlotEmptyAndIsNamed) {
    World world{};
    std::string good = write("good.pcx", pcx_file(0, 1, 1, 2, {0xC2, 200, 7, 9}, Bytes(768, 3)));
    std::string bad = write("bad.pcx", pcx_file(0, 1, 1, 2, {0xC2, 200, 7, 9}, Bytes(768, 3), 1));
    CaptureStdout();
    EXPECT_EQ(load_picture(&world, 2, bad.c_str()), -1);
    EXPECT_EQ(GetCapturedStdout(), "file (" + bad + ") not found.\n");
    EXPECT_TRUE(world.pictures[2].pixels == nullptr && world.pictures[2].palette == nullptr);
    world.pictures[2].extra = 77;
    ASSERT_EQ(load_picture(&world, 2, good.c_str()), 0);
    EXPECT_EQ(world.pictures[2].path, good.c_str());
    EXPECT_EQ(world.pictures[2].extra, 77u) << "the fourth word is passed along";
    EXPECT_EQ(world.pictures[2].pixels[0] + world.pictures[2].pixels[256] * 1000 + world.pictures[2].palette[767] * 1000000,
              200 + 7 * 1000 + 3 * 1000000);
    EXPECT_EQ(std::count(world.pictures[2].pixels, world.pictures[2].pixels + 65536, 0), 65536 - 4)
        << "the block is 0 wherever the 2 x 2 picture leaves it";
    free_picture(&world, 2);
    EXPECT_EQ(world.pictures[2].pixels, nullptr);
    free_picture(&world, 2);  // an empty slot is released without harm
}

}  // namespace
