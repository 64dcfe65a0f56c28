#include <gtest/gtest.h>

#include <string>

#include "engine3d/world.h"
#include "support/asc_text.h"

namespace {

struct WorldTest : ::testing::Test {
    World world{};
    void SetUp() override { ASSERT_EQ(world_create(&world, 3), 0); }
    void TearDown() override { world_destroy(&world); }
    int load(const TempFile& file, int32_t mode = 16, uint8_t r = 50, uint8_t g = 50,
             uint8_t b = 50) {
        return world_load_object(&world, file.path.c_str(), 1.0f, 1, 2, 3, mode, r, g, b);
    }
    const Mesh& mesh(int index) const { return world.slots[index].mesh; }
};

TestMesh one_triangle(std::array<float, 3> a, std::array<float, 3> b, std::array<float, 3> c) {
    return TestMesh{{a, b, c}, {{0, 1, 2}}};
}

void expect_vec(const Vec3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST_F(WorldTest, FaceNormalFollowsTheWinding) {
    TempFile ccw(asc_text(one_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    TempFile cw(asc_text(one_triangle({0, 0, 0}, {0, 1, 0}, {1, 0, 0})));
    ASSERT_EQ(load(ccw), 0);
    ASSERT_EQ(load(cw), 1);
    expect_vec(mesh(0).faces[0].normal, 0, 0, 1);
    expect_vec(mesh(1).faces[0].normal, 0, 0, -1);
    for (int i = 0; i < 3; i++) {
        expect_vec(mesh(1).normals[i], 0, 0, -1);
        EXPECT_FLOAT_EQ(mesh(1).map_coords[i].x, 0);
        EXPECT_FLOAT_EQ(mesh(1).map_coords[i].y, 0);
    }
}

TEST_F(WorldTest, VertexNormalsAreTheNormalisedSumOfFaceNormals) {
    // A flat square of two triangles: every vertex normal equals the face normal, even where both
    // faces add theirs. Then a bent pair: the shared edge gets the mean direction, and the
    // picture coordinates are the normal's x and y.
    TestMesh square{{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {{0, 1, 2}, {0, 2, 3}}};
    TestMesh bent{{{0, 0, 0}, {0, 1, 0}, {1, 0, 1}, {-1, 0, 1}}, {{0, 1, 2}, {0, 3, 1}}};
    TempFile f1(asc_text(square)), f2(asc_text(bent));
    ASSERT_EQ(load(f1), 0);
    ASSERT_EQ(load(f2), 1);
    for (int i = 0; i < 4; i++) expect_vec(mesh(0).normals[i], 0, 0, 1);
    const float h = 0.70710677f;
    expect_vec(mesh(1).faces[0].normal, h, 0, -h);
    expect_vec(mesh(1).faces[1].normal, -h, 0, -h);
    expect_vec(mesh(1).normals[0], 0, 0, -1);
    expect_vec(mesh(1).normals[2], h, 0, -h);
    EXPECT_FLOAT_EQ(mesh(1).map_coords[2].x, h);
    EXPECT_FLOAT_EQ(mesh(1).map_coords[3].x, -h);
}

TEST_F(WorldTest, DegenerateFaceGetsAZeroNormalAndAddsNothing) {
    TestMesh m{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2}, {0, 0, 0}, {3, 3, 3}}};
    TempFile f(asc_text(m));
    ASSERT_EQ(load(f), 0);
    expect_vec(mesh(0).faces[1].normal, 0, 0, 0);
    expect_vec(mesh(0).faces[2].normal, 0, 0, 0);
    expect_vec(mesh(0).normals[0], 0, 0, 1);
    expect_vec(mesh(0).normals[3], 0, 0, 0);  // used only by the degenerate face
}

TEST_F(WorldTest, ColourWordTakesTheBytesOnlyForModesWithLowBitsClear) {
    TempFile f(asc_text(TestMesh{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}}}));
    ASSERT_EQ(load(f, 16, 50, 50, 50), 0);
    ASSERT_EQ(load(f, 18, 32, 32, 32), 1);
    ASSERT_EQ(load(f, 0, 255, 255, 255), 2);
    for (int face = 0; face < 2; face++) {
        EXPECT_EQ(mesh(0).faces[face].colour, 0x32323210u);
        EXPECT_EQ(mesh(1).faces[face].colour, 0x12u);
        EXPECT_EQ(mesh(2).faces[face].colour, 0xFFFFFF00u);
    }
    mesh_set_colour(&world.slots[0].mesh, 0x1202, 1, 2, 3);
    EXPECT_EQ(mesh(0).faces[1].colour, 0x1202u);
}

TEST_F(WorldTest, LoadSetsPlacementAndCountsFreeingLowersOnlyFromTheTop) {
    TempFile f(asc_text(one_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    for (int k = 0; k < 3; k++) ASSERT_EQ(load(f), k);
    expect_vec(world.slots[1].position, 1, 2, 3);
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int k = 0; k < 9; k++) EXPECT_EQ(world.slots[2].orientation.m[k], identity[k]);

    world_free_object(&world, 0);
    EXPECT_EQ(world.object_count, 3u);  // a hole below loaded objects
    EXPECT_EQ(mesh(0).vertices, nullptr);
    EXPECT_EQ(mesh(0).vertex_count, 0u);
    world_free_object(&world, 2);
    EXPECT_EQ(world.object_count, 2u);
    EXPECT_EQ(load(f), 2);  // the freed top slot is taken again
    world_free_object(&world, 2);
    world_free_object(&world, 1);
    EXPECT_EQ(world.object_count, 0u);  // slot 1 gone, and the hole at 0 with it
}

TEST_F(WorldTest, FailedLoadsLeaveTheCountAndSlotEmpty) {
    TempFile bad("Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\nVertex 0: X:0 Y:0 Z:0\n");
    EXPECT_EQ(load(bad), -1);
    EXPECT_EQ(world.object_count, 0u);
    EXPECT_EQ(mesh(0).vertices, nullptr);
    EXPECT_EQ(mesh(0).faces, nullptr);

    TempFile f(asc_text(one_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    for (int k = 0; k < 3; k++) ASSERT_EQ(load(f), k);
    EXPECT_EQ(load(f), -1);  // capacity reached
    EXPECT_EQ(world.object_count, 3u);
}

TEST_F(WorldTest, WorkMemoryIsSizedForTheLoadedObjectsAndThenFrozen) {
    TempFile tri(asc_text(one_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})));
    TempFile oct(asc_text(octahedron(1)));
    ASSERT_EQ(load(tri), 0);
    ASSERT_EQ(load(oct), 1);
    ASSERT_EQ(world_alloc_work(&world), 0);
    EXPECT_EQ(world.total_vertices, 9u);
    EXPECT_EQ(world.total_faces, 9u);
    EXPECT_NE(world.work_vertices, nullptr);
    EXPECT_EQ(load(tri), -1);  // would not fit the work memory
    EXPECT_EQ(world.object_count, 2u);
}

TEST(World, CreateKeepsPicturesAndRefusesImpossibleCapacities) {
    World world{};
    uint8_t pixels[1] = {};
    world.pictures[0].pixels = pixels;
    ASSERT_EQ(world_create(&world, 1), 0);
    EXPECT_EQ(world.pictures[0].pixels, pixels);
    EXPECT_EQ(world.object_count, 0u);
    world_destroy(&world);
    EXPECT_EQ(world.slots, nullptr);
    World too_many{};
    EXPECT_EQ(world_create(&too_many, 70000), -1);
    EXPECT_EQ(world_create(&too_many, -1), -1);
    world_destroy(&too_many);
}

}  // namespace
