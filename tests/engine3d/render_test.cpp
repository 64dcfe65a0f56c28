#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <random>
#include <vector>

#include "engine3d/depth_sort.h"
#include "engine3d/render.h"
#include "support/asc_text.h"
#include "support/frame_fixture.h"

namespace {

// A world of one mesh whose screen corners the tests write straight into the work array, as
// object_transform would.
struct RenderTest : FrameBufferTest {
    World world{};
    Camera cam;
    void SetUp() override {
        FrameBufferTest::SetUp();
        camera_init(&cam, 400, 160, 120, 1, 1, 0, 320, 0, 240);
        ASSERT_EQ(world_create(&world, 1), 0);
        vec3_set_normalised(&world.light, 0, 0, -1);
    }
    void TearDown() override {
        world_destroy(&world);
        FrameBufferTest::TearDown();
    }
    void load(int faces, int32_t mode = 16, uint8_t range = 50) {
        TestMesh m;
        for (int f = 0; f < faces; f++) {
            for (int k = 0; k < 3; k++) m.vertices.push_back({float(k == 1), float(k == 2), 0});
            m.faces.push_back({3 * f, 3 * f + 1, 3 * f + 2});
        }
        TempFile file(asc_text(m));
        ASSERT_EQ(world_load_object(&world, file.path.c_str(), 1, 0, 0, 0, mode, range, 0, 0), 0);
        ASSERT_EQ(world_alloc_work(&world), 0);
        for (int f = 0; f < faces; f++) face(f).normal = Vec3{0, 0, -1};
    }
    MeshFace& face(int f) { return world.slots[0].mesh.faces[f]; }
    void place(int f, Vec3 a, Vec3 b, Vec3 c) {
        Vec3* w = world.work_vertices + 3 * f;
        w[0] = a, w[1] = b, w[2] = c;
    }
    void render() {
        world_begin_frame(&world);
        world.slots[0].untransformed = 0;
        world.slots[0].vertex_base = 0;
        world_render(&world, &cam);
    }
    std::vector<int> kept() const {
        std::vector<int> k;
        for (uint32_t i = 0; i < world.visible_count; i++) k.push_back(world.visible_faces[i].face);
        std::sort(k.begin(), k.end());
        return k;
    }
};

// Front-facing on screen (cross < 0) and covering (10..50, 10..50).
const Vec3 A{10, 10, 100}, B{10, 50, 100}, C{50, 10, 100};

TEST_F(RenderTest, CullingKeepsFacesCounterClockwiseOnScreenOrCollinearAndDropsTheCameraPlane) {
    EXPECT_EQ(is_front_facing(0, 0, 10, 0, 0, 10), 0);
    EXPECT_EQ(is_front_facing(0, 0, 0, 10, 10, 0), 1);
    load(6);
    face(2).colour = 50 << 8;  // no culling: drawn from both sides
    place(0, A, B, C);
    place(1, A, C, B);
    place(2, A, C, B);
    place(3, A, B, Vec3{50, 10, 0.5f});  // depth truncates to 0
    place(4, A, Vec3{30, 30, 1}, Vec3{50, 50, 1});  // collinear
    place(5, Vec3{10, 10, 0.9f}, B, C);
    render();
    EXPECT_EQ(kept(), (std::vector<int>{0, 2, 4}));
}

TEST_F(RenderTest, WindowBoundsAreFiveBelowAndFourAbove) {
    load(1, 0);
    const struct {
        Vec3 a, b, c;
        bool inside;
    } cases[] = {
        {{323, 10, 1}, {373, 10, 1}, {383, 60, 1}, true},    {{324, 10, 1}, {374, 10, 1}, {384, 60, 1}, false},
        {{-4, 10, 1}, {-40, 10, 1}, {-50, 60, 1}, true},     {{-5, 10, 1}, {-40, 10, 1}, {-50, 60, 1}, false},
        {{10, 243, 1}, {10, 293, 1}, {60, 303, 1}, true},    {{10, 244, 1}, {10, 294, 1}, {60, 304, 1}, false},
        {{10, -4, 1}, {10, -40, 1}, {60, -50, 1}, true},     {{10, -5, 1}, {10, -40, 1}, {60, -50, 1}, false},
        {{-30000, 10, 1}, {10, 50, 1}, {50, 10, 1}, false},
    };
    for (const auto& c : cases) {
        place(0, c.a, c.b, c.c);
        render();
        EXPECT_EQ(world.visible_count, c.inside ? 1u : 0u) << c.a.x << "," << c.a.y;
    }
    place(0, Vec3{-100, -100, 1}, Vec3{-100, 100, 1}, Vec3{200, -100, 1});
    render();
    EXPECT_NE(pixel(0, 0), 0);
    EXPECT_EQ(pixel(319, 239), 0);
}

TEST_F(RenderTest, NearerFacesAreDrawnLast) {
    load(2, 0);
    face(0).colour = 100 << 8;
    face(1).colour = 200 << 8;
    for (int near : {0, 1}) {
        for (int f : {0, 1}) {
            float z = f == near ? 100 : 300;
            place(f, Vec3{10, 10, z}, Vec3{10, 50, z}, Vec3{50, 10, z});
        }
        render();
        EXPECT_EQ(pixel(20, 20), near ? 200 : 100);
    }
}

TEST_F(RenderTest, FlatShadeFollowsTheTurnedNormalAndTheLight) {
    load(1, 0, 50);
    place(0, A, B, C);
    const struct {
        Vec3 normal;
        int shade;
    } cases[] = {{{0, 0, -1}, 50}, {{0, 0, 1}, 0}, {{0, 0.6f, -0.8f}, 40}};
    for (const auto& c : cases) {
        face(0).normal = c.normal;
        render();
        EXPECT_EQ(pixel(20, 20), c.shade) << c.normal.y << " " << c.normal.z;
    }
    face(0).normal = Vec3{0, 0, 1};
    world.slots[0].orientation = Matrix3{{1, 0, 0, 0, -1, 0, 0, 0, -1}};  // half a turn about x
    render();
    EXPECT_EQ(pixel(20, 20), 50);
}

TEST_F(RenderTest, OtherModesAreSortedButNotDrawnAndUntransformedObjectsSkipped) {
    load(2, 0);
    face(0).colour = 1 | 50 << 8;
    face(1).colour = 3 | 50 << 8;
    place(0, A, B, C);
    place(1, A, B, C);
    std::fill(screen.begin(), screen.end(), 7);
    render();
    EXPECT_EQ(world.visible_count, 2u);
    face(0).colour = 50 << 8;
    world_begin_frame(&world);
    world_render(&world, &cam);
    EXPECT_EQ(world.visible_count, 0u);
    EXPECT_EQ(std::count(screen.begin(), screen.end(), 7), FRAME_BYTES);
}

TEST_F(RenderTest, MappedFacesDrawFromTheirPicture) {
    load(2, 2);
    std::vector<uint8_t> picture(65536);
    for (int k = 0; k < 65536; k++) picture[k] = uint8_t(1 + (k % 256) / 2);
    world.pictures[0].pixels = picture.data();
    for (int k = 0; k < 6; k++) world.slots[0].mesh.map_coords[k] = MapCoord{1.0f, -1.0f};  // u = 240, v = 0
    face(1).colour = 2 | 8 << 8;  // no picture slot 8: not drawn
    place(0, A, B, C);
    place(1, Vec3{100, 100, 9}, Vec3{100, 150, 9}, Vec3{150, 100, 9});
    render();
    EXPECT_EQ(pixel(20, 20), 121);
    EXPECT_EQ(pixel(110, 110), 0);
    world.pictures[0].pixels = nullptr;
}

// The plain recursive scheme, left part first, without a bound on its depth.
void reference_sort(std::vector<VisibleFace>& list, int lo, int hi) {
    if (lo >= hi) return;
    float pivot = list[lo].depth;
    int i = lo - 1, j = hi + 1;
    for (;;) {
        do j--; while (list[j].depth < pivot);
        do i++; while (list[i].depth > pivot);
        if (i >= j) break;
        std::swap(list[i], list[j]);
    }
    reference_sort(list, lo, j);
    reference_sort(list, j + 1, hi);
}

TEST(DepthSort, GivesTheOrderOfTheRecursiveSchemeWithManyTies) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 200; trial++) {
        int n = 1 + int(rng() % 300);
        std::vector<VisibleFace> list(n);
        for (int k = 0; k < n; k++) list[k] = VisibleFace{float(rng() % (trial % 2 ? 8 : 1000)), k, uint16_t(k % 3)};
        std::vector<VisibleFace> expected = list;
        reference_sort(expected, 0, n - 1);
        sort_faces_by_depth(list.data(), 0, n - 1);
        for (int k = 0; k < n; k++)
            ASSERT_TRUE(list[k].face == expected[k].face && list[k].slot == expected[k].slot) << trial << " " << k;
    }
}

TEST(DepthSort, OrderedInputRunsInASmallStack) {
    // Ascending keys split off one entry per partition: recursing into both sides would go 5000
    // calls deep, far beyond a 64 KiB stack.
    const int n = 5000;
    std::vector<VisibleFace> list(n);
    for (int k = 0; k < n; k++) list[k] = VisibleFace{float(k), k, 0};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        auto* l = static_cast<std::vector<VisibleFace>*>(arg);
        sort_faces_by_depth(l->data(), 0, int(l->size()) - 1);
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, &list), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(list[0].face, n - 1);
    EXPECT_EQ(list[n - 1].face, 0);
}

}  // namespace
