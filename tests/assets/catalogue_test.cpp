// The catalogue loaded from the built data.dat: every entry present and readable, of the sizes the
// scenes' placements assume; palettes that are ramps; meshes closed, wound the way the renderer
// keeps them and framed by their scenes; the PCX texture read alike by ImageMagick.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
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
    static std::string dir, start, output;

    // One load for the whole suite: the slots are process-wide and are filled once, as in the show.
    static void SetUpTestSuite() {
        dir = make_temp_dir("catalogue");
        std::string tar = "tar -xzf " TENFOLD_BUILD_DIR "/data.dat -C " + dir;
        ASSERT_EQ(system(tar.c_str()), 0) << "the build makes data.dat";
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        start = here;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        ::testing::internal::CaptureStdout();
        load_data();
        fflush(stdout);
        output = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(chdir(start.c_str()), 0);
    }
    static void TearDownTestSuite() { remove_tree(dir); }
};
std::string Catalogue::dir, Catalogue::start, Catalogue::output;

TEST_F(Catalogue, FillsEverySlotAndPrintsOnlyItsLine) {
    EXPECT_EQ(output, "loading data ...\n");
    char missing[1024];
    EXPECT_EQ(list_missing_assets(missing, sizeof missing), 0) << missing;
    EXPECT_NE(pal_white, nullptr) << "the palette no scene uses is in the pack all the same";
    EXPECT_STREQ(world_scene8.pictures[0].path, "data/temp.pcx");
}

int zeros(const Sprite* s) { return int(std::count(s->pixels, s->pixels + s->width * s->height, 0)); }

// A picture placed with its top-left corner at (x, y) must end inside the screen.
void expect_fits(const char* name, const Sprite* s, int x, int y) {
    ASSERT_NE(s, nullptr) << name;
    EXPECT_GT(s->width, 0) << name;
    EXPECT_GT(s->height, 0) << name;
    EXPECT_LE(x + s->width, 320) << name;
    EXPECT_LE(y + s->height, 240) << name;
}

TEST_F(Catalogue, PicturesFitWhereTheScenesDrawThem) {
    // Drawn centred every frame: anything smaller would leave the last frame's pixels around it.
    for (const Sprite* s : {img_intro, img_radbd, img_wbd, img_csbd, img_gbd}) {
        EXPECT_EQ(s->width, 320);
        EXPECT_EQ(s->height, 240);
    }
    // Scene 2: lights comes to rest at column 4, left of vlemb at column 176.
    expect_fits("lights", img_lights, 4, 224);
    EXPECT_LE(4 + img_lights->width, 176);
    expect_fits("vlemb", img_vlemb, 176, 224);
    expect_fits("chaos", img_chaos, 5, 214);
    // Scene 4: oibg slides in from column -111, so it is first seen whole after the slide.
    expect_fits("oibg", img_oibg, 320 - 111, 199);
    expect_fits("hth", img_hth, 3, 159);
    expect_fits("lose", img_lose, 1, 224);
    expect_fits("sense", img_sense, 140, 0);
    EXPECT_LE(img_sense->height, 20) << "it comes down from row -19";
    expect_fits("natural", img_natural, 1, 224);
    expect_fits("snatural", img_snatural, 46, 0);
    EXPECT_LE(img_snatural->height, 20);
    expect_fits("ess", img_ess, 0, 20);
    expect_fits("soul", img_soul, 1, 225);
    expect_fits("good", img_good, 1, 0);
    EXPECT_LE(img_good->height, 15) << "it comes down from row -14";
    for (const Sprite* s : img_gallery) {
        expect_fits("gallery", s, 232, 215);
        EXPECT_LT(s->width, 232 - 150) << "the two columns do not overlap";
    }
    for (const Sprite* s : img_cs) {
        ASSERT_NE(s, nullptr);
        EXPECT_LE(std::abs(s->width - s->height), std::max(s->width, s->height) / 4) << "square-ish";
        int transparent = zeros(s);
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, s->width * s->height);
    }
    ASSERT_NE(img_worms, nullptr);
    EXPECT_EQ(img_worms->width, 321);
    EXPECT_EQ(img_worms->height, 20);
}

// Keyed captions show only their lettering: index 0 all round it. Keyed thumbnails are whole
// pictures: no pixel of them may fall through to the smeared background.
TEST_F(Catalogue, KeyedPicturesAreTransparentExactlyWhereMeant) {
    for (const Sprite* s : {img_chaos, img_lose, img_sense, img_natural, img_snatural, img_ess, img_soul, img_good}) {
        int w = s->width, h = s->height;
        const uint8_t* p = s->pixels;
        EXPECT_EQ(p[0] | p[w - 1] | p[(h - 1) * w] | p[h * w - 1], 0) << w << " x " << h;
        EXPECT_GT(zeros(s), w * h / 4);
        EXPECT_LT(zeros(s), w * h);
    }
    for (const Sprite* s : img_gallery) EXPECT_EQ(zeros(s), 0);
}

// Scene 6 draws the strip while DAC entries 1 to 225 are the grid's rolling colour cells.
TEST_F(Catalogue, WormsStripUsesOnlyTheGridCells) {
    const uint8_t* p = img_worms->pixels;
    int n = img_worms->width * img_worms->height;
    EXPECT_EQ(*std::min_element(p, p + n), 1);
    EXPECT_EQ(*std::max_element(p, p + n), 225);
}

float brightness(const Palette* p, int i) {
    return 0.299f * p->rgb[i * 3] + 0.587f * p->rgb[i * 3 + 1] + 0.114f * p->rgb[i * 3 + 2];
}

// Blends, smears, means and the water's shading do arithmetic on indices, and flat faces take
// indices 0 to their shade range: every palette must be a brightness ramp from black, bright by
// the shade range of the objects drawn with it.
TEST_F(Catalogue, PalettesAreRampsFromBlackInHuesOfTheirOwn) {
    struct Scene {
        const char* name;
        const Palette* pal;
        int shade_range;
    };
    const Scene scenes[] = {{"b", pal_b, 0},          {"intro", pal_intro, 50}, {"gb", pal_gb, 112},
                            {"white", pal_white, 0},  {"grey", pal_grey, 128},  {"wapal", pal_wapal, 220},
                            {"cspal", pal_cspal, 124}, {"golden", pal_golden, 0}};
    std::vector<std::array<float, 3>> hues;
    for (const Scene& s : scenes) {
        SCOPED_TRACE(s.name);
        ASSERT_NE(s.pal, nullptr);
        EXPECT_EQ(s.pal->first, 0);
        ASSERT_EQ(s.pal->count, 256);
        EXPECT_EQ(brightness(s.pal, 0), 0);
        for (int i = 1; i < 256; i++) EXPECT_GE(brightness(s.pal, i), brightness(s.pal, i - 1)) << i;
        if (s.shade_range) {
            EXPECT_GT(brightness(s.pal, s.shade_range), 0.45f * brightness(s.pal, 255));
        }
        const uint8_t* mid = s.pal->rgb + 3 * 100;
        float sum = float(mid[0] + mid[1] + mid[2]);
        hues.push_back({mid[0] / sum, mid[1] / sum, mid[2] / sum});
    }
    // The scenes' own palettes differ in hue (b, the flash, and white, unused, are pale or neutral).
    for (size_t a = 0; a < hues.size(); a++)
        for (size_t b = a + 1; b < hues.size(); b++) {
            float d = std::fabs(hues[a][0] - hues[b][0]) + std::fabs(hues[a][1] - hues[b][1]) +
                      std::fabs(hues[a][2] - hues[b][2]);
            if (a != 0 && a != 3 && b != 3) {
                EXPECT_GT(d, 0.08f) << scenes[a].name << " and " << scenes[b].name;
            }
        }
}

// The texture, decoded by the project's reader and by ImageMagick, gives the same colours.
TEST_F(Catalogue, TextureReadsTheSameInImageMagick) {
    std::string pcx = dir + "/data/temp.pcx", raw = dir + "/temp.rgb";
    std::string convert = "convert " + pcx + " -depth 8 rgb:" + raw;
    ASSERT_EQ(system(convert.c_str()), 0);
    Bytes rgb;
    {
        std::ifstream in(raw, std::ios::binary);
        rgb.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_EQ(rgb.size(), size_t(256 * 256 * 3));
    const uint8_t* pal = world_scene8.pictures[0].palette;
    const uint8_t* px = world_scene8.pictures[0].pixels;
    EXPECT_GT(*std::max_element(px, px + 65536), 192) << "values that must be written as runs occur";
    int differing = 0;
    for (int i = 0; i < 65536; i++)
        for (int k = 0; k < 3; k++) differing += rgb[size_t(i) * 3 + size_t(k)] != pal[px[i] * 3 + k];
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(memcmp(pal, pal_golden->rgb, 768), 0) << "the torus is seen in scene 8's palette";
}

struct Object {
    const char* name;
    World* world;
    int* index;
    float min_radius, max_radius;  // on the screen of its scene, in pixels
};

const Object objects[] = {
    {"pentagon", &world_scene2, &obj_pentagon, 30, 60},  {"pyramid", &world_scene2, &obj_pyramid_a, 25, 80},
    {"sphere 3", &world_scene3, &obj_sphere3, 25, 60},   {"statue", &world_scene4, &obj_osiris, 40, 120},
    {"star", &world_scene5, &obj_star, 35, 70},         {"logo", &world_scene9, &obj_vl, 50, 110},
    {"sphere 7", &world_scene7, &obj_sphere7, 60, 130},  {"torus", &world_scene8, &obj_toorus, 40, 90},
    {"eo", &world_scene10, &obj_eo, 40, 80},             {"sphere 10", &world_scene10, &obj_sphere10, 15, 40},
};

float mesh_radius(const Mesh& m) {
    float radius = 0;
    for (uint32_t i = 0; i < m.vertex_count; i++)
        radius = std::max(radius, std::hypot(m.vertices[i].x, m.vertices[i].y, m.vertices[i].z));
    return radius;
}

// Every object has a mesh of its own, loaded at its scale, with the colour word of its mode.
TEST_F(Catalogue, ObjectsAreLoadedWithTheirScalesAndColourWords) {
    EXPECT_EQ(world_scene2.object_count, 3u);
    EXPECT_NE(world_scene2.slots[obj_pyramid_a].mesh.vertices, world_scene2.slots[obj_pyramid_b].mesh.vertices);
    float r3 = mesh_radius(world_scene3.slots[obj_sphere3].mesh);
    EXPECT_NEAR(mesh_radius(world_scene7.slots[obj_sphere7].mesh) / r3, 0.7f / 0.3f, 1e-4f);
    EXPECT_NEAR(mesh_radius(world_scene10.slots[obj_sphere10].mesh) / r3, 0.2f / 0.3f, 1e-4f);
    for (const Object& o : objects) {
        const Mesh& m = o.world->slots[*o.index].mesh;
        uint32_t word = m.faces[0].colour;
        if (o.world == &world_scene8) {
            EXPECT_EQ(word, 18u) << "mapped from picture 0, culled";
        } else {
            EXPECT_EQ(word & 0xFF, 16u) << o.name << ": flat, culled";
        }
    }
    EXPECT_EQ(world_scene5.slots[obj_star].mesh.faces[0].colour, 16u | 230u << 8 | 188u << 16 | 188u << 24);
    EXPECT_EQ(world_scene2.slots[obj_pentagon].mesh.faces[0].colour, 0x32323210u);
}

// Closed and consistently wound: every directed edge has its reverse in another face; wound so
// that (B - A) x (C - A) points out of the object (positive signed volume).
TEST_F(Catalogue, MeshesAreClosedWoundOutwardAndModest) {
    for (const Object& o : objects) {
        SCOPED_TRACE(o.name);
        ASSERT_GE(*o.index, 0);
        const Mesh& m = o.world->slots[*o.index].mesh;
        EXPECT_LE(m.face_count, 2000u);
        std::map<std::pair<int, int>, int> edges;
        double volume = 0;
        for (uint32_t f = 0; f < m.face_count; f++) {
            const MeshFace& face = m.faces[f];
            int c[3] = {face.a, face.b, face.c};
            for (int k = 0; k < 3; k++) edges[{c[k], c[(k + 1) % 3]}]++;
            const Vec3 &a = m.vertices[face.a], &b = m.vertices[face.b], &d = m.vertices[face.c];
            volume += a.x * (b.y * d.z - b.z * d.y) - a.y * (b.x * d.z - b.z * d.x) + a.z * (b.x * d.y - b.y * d.x);
        }
        int unpaired = 0;
        for (const auto& [e, n] : edges) unpaired += n != 1 || edges.count({e.second, e.first}) != 1;
        EXPECT_EQ(unpaired, 0);
        EXPECT_GT(volume, 0);
    }
}

// Seen from the scenes' camera distance (600) with focal 400, each object is neither lost nor
// larger than the screen.
TEST_F(Catalogue, MeshesAreSizedForTheirScenes) {
    for (const Object& o : objects) {
        float pixels = mesh_radius(o.world->slots[*o.index].mesh) * 400 / 600;
        EXPECT_GE(pixels, o.min_radius) << o.name;
        EXPECT_LE(pixels, o.max_radius) << o.name;
    }
}

// Culling keeps exactly the faces turned to the camera: culled and unculled drawing cover the
// same pixels in several orientations, and what the culled drawing shows is the near side.
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

// The statue rocks at the right of the screen; the two pictures drawn over it every frame, at
// (0, 0) and (120, 160), must leave it in view. Its rocking is followed for the scene's 22 s.
TEST_F(Catalogue, ScenePicturesLeaveTheRockingStatueInView) {
    std::vector<uint8_t> screen(FRAME_BYTES);
    FrameBuffer* saved_screen = frame_buf;
    frame_buf = screen.data();
    World* w = &world_scene4;
    ObjectSlot& slot = w->slots[obj_osiris];
    Matrix3 saved = slot.orientation;
    Vec3 saved_position = slot.position;
    Camera cam;
    camera_init(&cam, 400, 160, 200, 1, 0.9375f, 0, 320, 0, 240);
    object_rotate_move(w, obj_osiris, -0.25f, -0.6f, 3.14f, -157, 130, 0);
    float direction = 1;
    int next_reversal = 1, worst_hidden = 0;
    for (int frame = 0; frame < 22 * 60; frame++) {
        world_begin_frame(w);
        object_rotate_move(w, obj_osiris, 0.015f * direction, -0.01f * direction, 0, 0, 0, 0);
        object_transform(w, obj_osiris, &cam);
        if (frame / 60 > next_reversal) {
            direction = -direction;
            next_reversal += 3;
        }
        int hidden = 0, seen = 0;
        const Vec3* v = w->work_vertices + slot.vertex_base;
        for (uint32_t i = 0; i < slot.mesh.vertex_count; i++) {
            int x = int(v[i].x), y = int(v[i].y);
            if (x < 0 || y < 0 || x >= 320 || y >= 240) continue;
            seen++;
            hidden += (x < img_osiris->width && y < img_osiris->height) ||
                      (x >= 120 && x < 120 + img_cu->width && y >= 160 && y < 160 + img_cu->height);
        }
        ASSERT_GE(seen * 100, int(slot.mesh.vertex_count) * 90) << "on screen in frame " << frame;
        worst_hidden = std::max(worst_hidden, hidden * 100 / seen);
    }
    EXPECT_LT(worst_hidden, 25) << "per cent of the statue's corners under the pictures at worst";
    slot.orientation = saved;
    slot.position = saved_position;
    frame_buf = saved_screen;
}

struct PictureSlots : AssetFileTest {};

TEST_F(PictureSlots, RefusedFileLeavesTheSlotEmptyAndIsNamed) {
    World world{};
    std::string good = write("good.pcx", pcx_file(0, 1, 1, 2, {0xC2, 200, 7, 9}, Bytes(768, 3)));
    std::string bad = write("bad.pcx", pcx_file(0, 1, 1, 2, {0xC2, 200, 7, 9}, Bytes(768, 3), 1));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(load_picture(&world, 2, bad.c_str()), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "file (" + bad + ") not found.\n");
    EXPECT_EQ(world.pictures[2].pixels, nullptr);
    EXPECT_EQ(world.pictures[2].palette, nullptr);

    world.pictures[2].extra = 77;
    ASSERT_EQ(load_picture(&world, 2, good.c_str()), 0);
    EXPECT_EQ(world.pictures[2].path, good.c_str());
    EXPECT_EQ(world.pictures[2].extra, 77u) << "the fourth word is passed along";
    EXPECT_EQ(world.pictures[2].pixels[0], 200);
    EXPECT_EQ(world.pictures[2].pixels[256], 7);
    EXPECT_EQ(world.pictures[2].palette[767], 3);
    free_picture(&world, 2);
    EXPECT_EQ(world.pictures[2].pixels, nullptr);
    free_picture(&world, 2);  // an empty slot is released without harm
}

}  // namespace
