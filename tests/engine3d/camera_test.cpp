#include <gtest/gtest.h>

#include <cmath>

#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/asc_text.h"

namespace {

constexpr float kPi = 3.14159265358979f;

void expect_rows(const Matrix3& m, const float (&rows)[9], float tolerance) {
    for (int k = 0; k < 9; k++) EXPECT_NEAR(m.m[k], rows[k], tolerance) << "element " << k;
}

// R as the product of the three single-axis turns, in double precision.
void reference_rotation(double a1, double a2, double a3, double out[9]) {
    const double rx[9] = {1, 0, 0, 0, cos(a1), sin(a1), 0, -sin(a1), cos(a1)};
    const double ry[9] = {cos(a2), 0, -sin(a2), 0, 1, 0, sin(a2), 0, cos(a2)};
    const double rz[9] = {cos(a3), sin(a3), 0, -sin(a3), cos(a3), 0, 0, 0, 1};
    auto product = [](const double* p, const double* q, double* r) {
        for (int k = 0; k < 9; k++)
            r[k] = p[k / 3 * 3] * q[k % 3] + p[k / 3 * 3 + 1] * q[3 + k % 3] + p[k / 3 * 3 + 2] * q[6 + k % 3];
    };
    double t[9];
    product(rx, ry, t);
    product(t, rz, out);
}

TEST(Matrix, AnglesComposeAsTurnsAboutXThenYThenZ) {
    const float a[3] = {0.7f, -1.3f, 2.2f};
    Matrix3 m;
    matrix_from_angles(&m, sinf(a[0]), sinf(a[1]), sinf(a[2]), cosf(a[0]), cosf(a[1]), cosf(a[2]));
    double ref[9];
    reference_rotation(a[0], a[1], a[2], ref);
    for (int k = 0; k < 9; k++) EXPECT_NEAR(m.m[k], ref[k], 1e-6) << k;

    // Row vectors: (1, 0, 0) · M is the first row.
    Vec3 v;
    vec3_times_matrix(1, 0, 0, &v, &m);
    EXPECT_EQ(v.x, m.m[0]);
    EXPECT_EQ(v.z, m.m[2]);
}

TEST(Matrix, MultiplyWorksInPlaceOnTheSameMatrix) {
    Matrix3 m = {{1, 2, 3, 4, 5, 6, 7, 8, 10}};
    matrix_multiply(&m, &m);
    const float squared[9] = {30, 36, 45, 66, 81, 102, 109, 134, 169};
    expect_rows(m, squared, 0);
}

TEST(Matrix, NormalisedVectors) {
    Vec3 v;
    vec3_set_normalised(&v, 0, 0, -1);
    EXPECT_EQ(v.z, -1.0f);
    EXPECT_EQ(v.x, 0.0f);
    vec3_set_normalised(&v, 3, 0, 4);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    vec3_set_normalised(&v, 0, 0, 0);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
}

TEST(Camera, TurnsAccumulateAndStepsFollowTheNewOrientation) {
    Camera cam;
    camera_init(&cam, 400, 160, 205, 1, 0.9375f, 0, 320, 0, 240);
    EXPECT_EQ(cam.position.z, -600.0f);
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);
    const float quarter_y[9] = {0, 0, -1, 0, 1, 0, 1, 0, 0};
    expect_rows(cam.orientation, quarter_y, 1e-6f);
    camera_rotate_move(&cam, 0, 0, 0, 0, 0, 10);
    EXPECT_NEAR(cam.position.x, -10, 1e-5);
    EXPECT_NEAR(cam.position.y, 0, 1e-5);
    EXPECT_NEAR(cam.position.z, -600, 1e-4);
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);  // a second quarter turn: half a turn
    const float half_y[9] = {-1, 0, 0, 0, 1, 0, 0, 0, -1};
    expect_rows(cam.orientation, half_y, 1e-6f);
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
};

TEST_F(TransformTest, ProjectsThroughTheCameraWindow) {
    load(TestMesh{{{0, 0, 0}, {100, 0, -200}, {1, 2, -600}}, {{0, 1, 2}}});
    world_begin_frame(&world);
    object_transform(&world, 0, &cam);
    const Vec3* w = world.work_vertices;
    EXPECT_EQ(w[0].x, 160.0f);  // the origin, 600 in front of the camera
    EXPECT_EQ(w[0].y, 192.1875f);
    EXPECT_EQ(w[0].z, 600.0f);
    EXPECT_EQ(w[1].x, 260.0f);  // camera space (100, 0, 400)
    EXPECT_EQ(w[1].z, 400.0f);
    EXPECT_EQ(w[2].x, -240.0f);  // depth 0: the factor is −focal
    EXPECT_EQ(w[2].y, (-800.0f + 205.0f) * 0.9375f);
    EXPECT_EQ(w[2].z, 0.0f);
    EXPECT_EQ(world.slots[0].untransformed, 0);
    EXPECT_EQ(world.vertex_cursor, 3u);
}

TEST_F(TransformTest, ObjectPlacementAndCameraTurnCombine) {
    load(TestMesh{{{0, 0, 0}, {0, 0, 100}, {10, 0, 0}}, {{0, 1, 2}}});
    object_rotate_move(&world, 0, 0, 0, 0, 100, 0, -200);
    world_begin_frame(&world);
    object_transform(&world, 0, &cam);
    EXPECT_EQ(world.work_vertices[0].x, 260.0f);  // camera space (100, 0, 400)
    EXPECT_EQ(world.work_vertices[1].z, 500.0f);
    // A quarter turn about y takes the object's +z axis to world +x: (0, 0, 100) lands at
    // camera space (200, 0, 400).
    object_rotate_move(&world, 0, 0, kPi / 2, 0, 0, 0, 0);
    world_begin_frame(&world);
    object_transform(&world, 0, &cam);
    EXPECT_NEAR(world.work_vertices[1].x, 360.0f, 1e-3);
    EXPECT_NEAR(world.work_vertices[1].z, 400.0f, 1e-3);
    EXPECT_EQ(world.slots[0].view_position.z, 400.0f);
    // A turned camera: a quarter turn about y takes camera space x to depth.
    camera_rotate_move(&cam, 0, kPi / 2, 0, 0, 0, 0);
    world_begin_frame(&world);
    object_transform(&world, 0, &cam);
    EXPECT_NEAR(world.slots[0].view_position.x, 400.0f, 1e-3);
    EXPECT_NEAR(world.slots[0].view_position.z, -100.0f, 1e-3);
}

TEST_F(TransformTest, ASecondTransformInOneFrameIsRefused) {
    load(octahedron(50));
    world_begin_frame(&world);
    object_transform(&world, 0, &cam);
    object_transform(&world, 0, &cam);  // would run past the work array
    EXPECT_EQ(world.vertex_cursor, 6u);
    object_transform(&world, 5, &cam);  // no such object
    object_transform(&world, -1, &cam);
    EXPECT_EQ(world.vertex_cursor, 6u);
    world_begin_frame(&world);
    EXPECT_EQ(world.slots[0].untransformed, 1);
    EXPECT_EQ(world.vertex_cursor, 0u);
}

}  // namespace
