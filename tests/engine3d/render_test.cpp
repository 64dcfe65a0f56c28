#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "engine3d/depth_sort.h"
#include "engine3d/render.h"
#include "support/asc_text.h"
#include "support/frame_fixture.h"

namespace {

TEST(FrontFacing, CounterClockwiseOnScreenOrCollinear) {
    EXPECT_EQ(is_front_facing(0, 0, 10, 0, 0, 10), 0);  // cross 100
    EXPECT_EQ(is_front_facing(0, 0, 0, 10, 10, 0), 1);  // cross -100
    EXPECT_EQ(is_front_facing(0, 0, 5, 5, 10, 10), 1);
    EXPECT_EQ(is_front_facing(3, 3, 3, 3, 3, 3), 1);
}

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
    // faces × 3 corners, each face with its own three vertices.
    void load(int faces, int32_t mode = 16, uint8_t range = 50) {
        TestMesh m;
        for (int f = 0; f < faces; f++) {
            for (int k = 0; k < 3; k++) m.vertices.push_back({float(k == 1), float(k == 2), 0});
            m.faces.push_back({3 * f, 3 * f + 1, 3 * f + 2});
        }
        TempFile file(asc_text(m));
        ASSERT_EQ(world_load_object(&world, file.path.c_str(), 1, 0, 0, 0, mode, range, 0, 0), 0);
        ASSERT_EQ(world_alloc_work(&world), 0);
    }
    MeshFace& face(int f) { return world.slots[0].mesh.faces[f]; }
    void place(int f, Vec3 a, Vec3 b, Vec3 c) {
        Vec3* w = world.work_vertices + 3 * f;
        w[0] = a;
        w[1] = b;
        w[2] = c;
    }
    // As if object_transform had run this frame.
    void render() {
        world_begin_frame(&world);
        world.slots[0].untransformed = 0;
        world.slots[0].vertex_base = 0;
        world_render(&world, &cam);
    }
    int count_pixels(uint8_t value) const { return int(std::count(screen.begin(), screen.end(), value)); }
};

// Front-facing on screen (cross < 0) and covering (10..50, 10..50).
const Vec3 A{10, 10, 100}, B{10, 50, 100}, C{50, 10, 100};

TEST_F(RenderTest, CullingKeepsOnlyFacesCounterClockwiseOnScreen) {
    load(3);
    face(0).colour = 16 | 50 << 8;
    face(1).colour = 16 | 50 << 8;
    face(2).colour = 0 | 50 << 8;  // no culling: drawn from both sides
    place(0, A, B, C);
    place(1, A, C, B);
    place(2, A, C, B);
    render();
    EXPECT_EQ(world.visible_count, 2u);
    std::vector<int> kept;
    for (uint32_t k = 0; k < world.visible_count; k++) kept.push_back(world.visible_faces[k].face);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<int>{0, 2}));

    place(0, A, Vec3{30, 30, 100}, Vec3{50, 50, 100});  // collinear corners count as front
    render();
    EXPECT_EQ(world.visible_count, 2u);
}

TEST_F(RenderTest, FacesAtOrBehindTheCameraPlaneAreDropped) {
    load(2);
    place(0, A, B, Vec3{50, 10, 0.5f});  // depth truncates to 0
    place(1, A, B, Vec3{50, 10, 1.0f});
    render();
    ASSERT_EQ(world.visible_count, 1u);
    EXPECT_EQ(world.visible_faces[0].face, 1);
}

TEST_F(RenderTest, WindowBoundsAreFiveBelowAndFourAbove) {
    load(4, 0);
    auto column = [](float x) { return std::vector<Vec3>{{x, 10, 1}, {x + 50, 10, 1}, {x + 60, 60, 1}}; };
    auto row = [](float y) { return std::vector<Vec3>{{10, y, 1}, {10, y + 50, 1}, {60, y + 60, 1}}; };
    auto check = [&](std::vector<Vec3> c, bool inside, const char* what) {
        place(0, c[0], c[1], c[2]);
        render();
        EXPECT_EQ(world.visible_count, inside ? 1u : 0u) << what;
    };
    // Faces 1..3 are parked far outside.
    for (int f = 1; f < 4; f++) place(f, Vec3{-900, -900, 1}, Vec3{-800, -900, 1}, Vec3{-900, -800, 1});
    check(column(323), true, "leftmost corner x = 323");
    check(column(324), false, "leftmost corner x = 324");
    check({{-4, 10, 1}, {-40, 10, 1}, {-50, 60, 1}}, true, "rightmost corner x = -4");
    check({{-5, 10, 1}, {-40, 10, 1}, {-50, 60, 1}}, false, "rightmost corner x = -5");
    check(row(243), true, "top corner y = 243");
    check(row(244), false, "top corner y = 244");
    check({{10, -4, 1}, {10, -40, 1}, {60, -50, 1}}, true, "bottom corner y = -4");
    check({{10, -5, 1}, {10, -40, 1}, {60, -50, 1}}, false, "bottom corner y = -5");
    check({{-30000, 10, 1}, {10, 50, 1}, {50, 10, 1}}, false, "a corner too far out to fill");
    // A face reaching into the window is drawn and clipped.
    face(0).normal = Vec3{0, 0, -1};
    place(0, Vec3{-100, -100, 1}, Vec3{-100, 100, 1}, Vec3{200, -100, 1});
    render();
    EXPECT_EQ(world.visible_count, 1u);
    EXPECT_NE(pixel(0, 0), 0);
    EXPECT_EQ(pixel(319, 239), 0);
}

TEST_F(RenderTest, NearerFacesAreDrawnLast) {
    load(2, 0);
    face(0).colour = 100 << 8;
    face(1).colour = 200 << 8;
    face(0).normal = face(1).normal = Vec3{0, 0, -1};
    place(0, Vec3{10, 10, 100}, Vec3{10, 50, 100}, Vec3{50, 10, 100});  // depth sum 300
    place(1, Vec3{10, 10, 300}, Vec3{10, 50, 300}, Vec3{50, 10, 300});  // 900
    render();
    EXPECT_EQ(pixel(20, 20), 100);
    place(0, Vec3{10, 10, 300}, Vec3{10, 50, 300}, Vec3{50, 10, 300});
    place(1, Vec3{10, 10, 100}, Vec3{10, 50, 100}, Vec3{50, 10, 100});
    render();
    EXPECT_EQ(pixel(20, 20), 200);
}

TEST_F(RenderTest, FlatShadeFollowsTheTurnedNormalAndTheLight) {
    load(1, 0, 50);
    place(0, A, B, C);
    struct Case {
        Vec3 normal;
        int shade;
    } cases[] = {{{0, 0, -1}, 50}, {{0, 0, 1}, 0}, {{0, 0.6f, -0.8f}, 40}};
    for (const Case& c : cases) {
        face(0).normal = c.normal;
        render();
        EXPECT_EQ(pixel(20, 20), c.shade) << c.normal.y << " " << c.normal.z;
    }
    // Half a turn about x maps the normal (0, 0, 1) to (0, 0, -1): fully lit.
    face(0).normal = Vec3{0, 0, 1};
    Matrix3& m = world.slots[0].orientation;
    m = Matrix3{{1, 0, 0, 0, -1, 0, 0, 0, -1}};
    render();
    EXPECT_EQ(pixel(20, 20), 50);
}

TEST_F(RenderTest, OtherModesAreSortedButNotDrawnAndUntransformedObjectsSkipped) {
    load(2, 0);
    face(0).colour = 1 | 50 << 8;
    face(1).colour = 3 | 50 << 8;
    face(0).normal = face(1).normal = Vec3{0, 0, -1};
    place(0, A, B, C);
    place(1, A, B, C);
    std::fill(screen.begin(), screen.end(), 7);
    render();
    EXPECT_EQ(world.visible_count, 2u);
    EXPECT_EQ(count_pixels(7), FRAME_BYTES);

    face(0).colour = 50 << 8;
    world_begin_frame(&world);  // nothing transformed this frame
    world_render(&world, &cam);
    EXPECT_EQ(world.visible_count, 0u);
    EXPECT_EQ(count_pixels(7), FRAME_BYTES);
}

TEST_F(RenderTest, MappedFacesDrawFromTheirPicture) {
    load(2, 2);
    std::vector<uint8_t> picture(65536);
    for (int k = 0; k < 65536; k++) picture[k] = uint8_t(1 + (k % 256) / 2);
    world.pictures[0].pixels = picture.data();
    MapCoord* map = world.slots[0].mesh.map_coords;
    for (int k = 0; k < 6; k++) map[k] = MapCoord{1.0f, -1.0f};  // u = 240, v = 0
    face(1).colour = 2 | 8 << 8;  // no picture slot 8: not drawn
    place(0, A, B, C);
    place(1, Vec3{100, 100, 9}, Vec3{100, 150, 9}, Vec3{150, 100, 9});
    render();
    EXPECT_EQ(pixel(20, 20), 121);
    EXPECT_EQ(pixel(110, 110), 0);
    world.pictures[0].pixels = nullptr;
}

// The plain recursive scheme, left part first, without a bound on its depth.
void reference_sort(std::vector<VisibleFace>& list, const std::vector<float>& keys, int lo, int hi) {
    if (lo >= hi) return;
    float pivot = keys[list[lo].key_index];
    int i = lo - 1, j = hi + 1;
    for (;;) {
        do j--; while (keys[list[j].key_index] < pivot);
        do i++; while (keys[list[i].key_index] > pivot);
        if (i >= j) break;
        std::swap(list[i], list[j]);
    }
    reference_sort(list, keys, lo, j);
    reference_sort(list, keys, j + 1, hi);
}

TEST(DepthSort, GivesTheOrderOfTheRecursiveSchemeWithManyTies) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 200; trial++) {
        int n = 1 + int(rng() % 300);
        std::vector<float> keys(n);
        std::vector<VisibleFace> list(n);
        for (int k = 0; k < n; k++) {
            keys[k] = float(rng() % (trial % 2 ? 8 : 1000));
            list[k] = VisibleFace{k, k, uint16_t(k % 3)};
        }
        std::vector<VisibleFace> expected = list;
        reference_sort(expected, keys, 0, n - 1);
        sort_faces_by_depth(list.data(), keys.data(), 0, n - 1);
        for (int k = 0; k < n; k++) {
            ASSERT_EQ(list[k].face, expected[k].face) << "trial " << trial << " entry " << k;
            ASSERT_EQ(list[k].slot, expected[k].slot);
            if (k) {
                ASSERT_GE(keys[list[k - 1].key_index], keys[list[k].key_index]);
            }
        }
    }
}

struct SortJob {
    std::vector<float> keys;
    std::vector<VisibleFace> list;
};

void* run_sort(void* arg) {
    SortJob* job = static_cast<SortJob*>(arg);
    sort_faces_by_depth(job->list.data(), job->keys.data(), 0, int(job->list.size()) - 1);
    return nullptr;
}

TEST(DepthSort, OrderedInputRunsInASmallStack) {
    // Ascending keys split off one entry per partition: recursing into both sides would go 5000
    // calls deep, far beyond the 64 KiB stack this sort runs in.
    const int n = 5000;
    SortJob job{std::vector<float>(n), std::vector<VisibleFace>(n)};
    for (int k = 0; k < n; k++) {
        job.keys[k] = float(k);
        job.list[k] = VisibleFace{k, k, 0};
    }
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, run_sort, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(job.list[0].face, n - 1);
    EXPECT_EQ(job.list[n - 1].face, 0);
}

}  // namespace
