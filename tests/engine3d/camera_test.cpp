#include <gtest/gtest.h>

#include <cmath>

#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/asc_text.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void expect_matrix(const Matrix3& m, std::initializer_list<double> want, double tolerance) {
    for (size_t k = 0; k < want.size(); k++) EXPECT_NEAR(m.m[k], want.begin()[k], tolerance) << "element " << k;
}

TEST(Matrix, AnglesComposeAsTurnsAboutXThenYThenZAndMultiplyWorksInPlace) {
    const double a1 = 0.7, a2 = -1.3, a3 = 2.2;
    Matrix3 m;
    matrix_from_angles(&m, sinf(a1), sinf(a2), sinf(a3), cosf(a1), cosf(a2), cosf(a3));
    // Rx · Ry · Rz for row vectors, written out.
    const double s1 = sin(a1), c1 = cos(a1), s2 = sin(a2), c2 = cos(a2), s3 = sin(a3), c3 = cos(a3);
    expect_matrix(m,
                  {c2 * c3, c2 * s3, -s2, s1 * s2 * c3 - c1 * s3, s1 * s2 * s3 + c1 * c3, s1 * c2,
                   c1 * s2 * c3 + s1 * s3, c1 * s2 * s3 - s1 * c3, c1 * c2},
                  1e-6);
    Vec3 v;
    vec3_times_matrix(0, 1, 0, &v, &m);
    EXPECT_EQ(v.x, m.m[3]);
    EXPECT_EQ(v.z, m.m[5]);

    Matrix3 q = {{1, 2, 3, 4, 5, 6, 7, 8, 10}};
    matrix_multiply(&q, &q);
    expect_matrix(q, {30, 36, 45, 66, 81, 102, 109, 134, 169}, 0);
}

TEST(Matrix, NormalisedVectors) {
    Vec3 v;
    vec3_set_normalised(&v, 3, 0, -4);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, -0.8f);
    vec3_set_normalised(&v, 0, 0, 0);
    EXPECT_TRUE(v.x == 0 && v.y == 0 && v.z == 0);
}

TEST(Camera, TurnsAccumulateAndStepsFollowTheNewOrientation) {
    Camera cam;
    camera_init(&cam, 400, 160, 205, 1, 0.9375f, 0, 320, 0, 240);
    EXPECT_EQ(cam.position.z, -600.0f);
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);
    expect_matrix(cam.orientation, {0, 0, -1, 0, 1, 0, 1, 0, 0}, 1e-6);
    camera_rotate_move(&cam, 0, 0, 0, 0, 0, 10);
    EXPECT_NEAR(cam.position.x, -10, 1e-5);
    EXPECT_NEAR(cam.position.z, -600, 1e-4);
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);
    expect_matrix(cam.orientation, {-1, 0, 0, 0, 1, 0, 0, 0, -1}, 1e-6);
}

struct TransformTest : ::testing::Test {
    World world{};
    Camera cam;
    void SetUp() override {
        ASSERT_EQ(world_create(&world, 1), 0);
        camera_init(&cam, 400, 160, 205, 1, 0.9375f, 0, 320, 0, 240);
    }
    void TearDown() override { world_destroy(&world); }
    void load(const TestMesh& mesh) {
        TempFile f(asc_text(mesh));
        ASSERT_EQ(world_load_object(&world, f.path.c_str(), 1.0f, 0, 0, 0, 16, 50, 50, 50), 0);
        ASSERT_EQ(world_alloc_work(&world), 0);
    }
    const Vec3* transform() {
        world_begin_frame(&world);
        object_transform(&world, 0, &cam);
        return world.work_vertices;
    }
};

TEST_F(TransformTest, ProjectsThroughTheCameraWindow) {
    load(TestMesh{{{0, 0, 0}, {100, 0, -200}, {1, 2, -600}}, {{0, 1, 2}}});
    const Vec3* w = transform();
    EXPECT_EQ(w[0].x, 160.0f);
    EXPECT_EQ(w[0].y, 192.1875f);
    EXPECT_EQ(w[0].z, 600.0f);
    EXPECT_EQ(w[1].x, 260.0f);
    EXPECT_EQ(w[1].z, 400.0f);
    EXPECT_EQ(w[2].x, -240.0f);  // depth 0: the factor is −focal
    EXPECT_EQ(w[2].y, (-800.0f + 205.0f) * 0.9375f);
    EXPECT_EQ(world.slots[0].untransformed, 0);
}

TEST_F(TransformTest, ObjectPlacementAndCameraTurnCombine) {
    load(TestMesh{{{0, 0, 0}, {0, 0, 100}, {10, 0, 0}}, {{0, 1, 2}}});
    object_rotate_move(&world, 0, 0, 0, 0, 100, 0, -200);
    EXPECT_EQ(transform()[0].x, 260.0f);
    object_rotate_move(&world, 0, 0, kPi / 2, 0, 0, 0, 0);  // object +z to world +x
    const Vec3* w = transform();
    EXPECT_NEAR(w[1].x, 360.0f, 1e-3);
    EXPECT_NEAR(w[1].z, 400.0f, 1e-3);
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);
    transform();
    EXPECT_NEAR(world.slots[0].view_position.x, 400.0f, 1e-3);
    EXPECT_NEAR(world.slots[0].view_position.z, -100.0f, 1e-3);
}

TEST_F(TransformTest, ASecondTransformInOneFrameOrAMissingObjectIsRefused) {
    load(octahedron(50));
    transform();
    object_transform(&world, 0, &cam);
    object_transform(&world, 5, &cam);
    object_transform(&world, -1, &cam);
    EXPECT_EQ(world.vertex_cursor, 6u);
    world_begin_frame(&world);
    EXPECT_EQ(world.slots[0].untransformed, 1);
    EXPECT_EQ(world.vertex_cursor, 0u);
}

}  // namespace
