#include <gtest/gtest.h>

#include <string>

#include "engine3d/world.h"
#include "support/asc_text.h"

namespace {

const TestMesh triangle{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}};

struct WorldTest : ::testing::Test {
    World world{};
    void SetUp() override { ASSERT_EQ(world_create(&world, 3), 0); }
    void TearDown() override { world_destroy(&world); }
    int load(const TestMesh& m, int32_t mode = 16, uint8_t r = 50, uint8_t g = 50, uint8_t b = 50) {
        TempFile file(asc_text(m));
        return world_load_object(&world, file.path.c_str(), 1.0f, 1, 2, 3, mode, r, g, b);
    }
    const Mesh& mesh(int index) const { return world.slots[index].mesh; }
};

void expect_vec(const Vec3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST_F(WorldTest, NormalsFollowTheWindingAndVertexNormalsAreNormalisedSums) {
    ASSERT_EQ(load(triangle), 0);
    ASSERT_EQ(load(TestMesh{{{0, 0, 0}, {0, 1, 0}, {1, 0, 0}}, {{0, 1, 2}}}), 1);
    expect_vec(mesh(0).faces[0].normal, 0, 0, 1);
    expect_vec(mesh(1).faces[0].normal, 0, 0, -1);
    expect_vec(mesh(1).normals[2], 0, 0, -1);
    EXPECT_FLOAT_EQ(mesh(1).map_coords[2].x, 0);

    // A bent pair: the shared edge gets the mean direction; picture coordinates are the normal's x, y.
    ASSERT_EQ(load(TestMesh{{{0, 0, 0}, {0, 1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 1, 1}, {5, 5, 5}},
                            {{0, 1, 2}, {0, 3, 1}, {2, 1, 4}, {5, 5, 5}}}),
              2);
    const float h = 0.70710677f;
    expect_vec(mesh(2).faces[0].normal, h, 0, -h);
    expect_vec(mesh(2).faces[1].normal, -h, 0, -h);
    expect_vec(mesh(2).normals[0], 0, 0, -1);
    expect_vec(mesh(2).normals[3], -h, 0, -h);
    EXPECT_FLOAT_EQ(mesh(2).map_coords[3].x, -h);
    expect_vec(mesh(2).faces[3].normal, 0, 0, 0);  // degenerate: zero, and adds nothing
    expect_vec(mesh(2).normals[4], h, 0, -h);
    expect_vec(mesh(2).normals[5], 0, 0, 0);
}

TEST_F(WorldTest, ColourWordTakesTheBytesOnlyForModesWithLowBitsClear) {
    TestMesh two{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}}};
    ASSERT_EQ(load(two, 16, 50, 50, 50), 0);
    ASSERT_EQ(load(two, 18, 32, 32, 32), 1);
    ASSERT_EQ(load(two, 0, 255, 255, 255), 2);
    for (int face = 0; face < 2; face++) {
        EXPECT_EQ(mesh(0).faces[face].colour, 0x32323210u);
        EXPECT_EQ(mesh(1).faces[face].colour, 0x12u);
        EXPECT_EQ(mesh(2).faces[face].colour, 0xFFFFFF00u);
    }
}

TEST_F(WorldTest, LoadPlacesAndCountsAndFreeingLowersOnlyFromTheTop) {
    for (int k = 0; k < 3; k++) ASSERT_EQ(load(triangle), k);
    expect_vec(world.slots[1].position, 1, 2, 3);
    EXPECT_EQ(world.slots[2].orientation.m[4], 1.0f);
    EXPECT_EQ(load(triangle), -1);  // capacity reached
    world_free_object(&world, 0);
    EXPECT_EQ(world.object_count, 3u);
    EXPECT_EQ(mesh(0).vertices, nullptr);
    world_free_object(&world, 2);
    EXPECT_EQ(world.object_count, 2u);
    EXPECT_EQ(load(triangle), 2);
    world_free_object(&world, 2);
    world_free_object(&world, 1);
    EXPECT_EQ(world.object_count, 0u);  // slot 1 gone, and the hole at 0 with it
}

TEST_F(WorldTest, FailedLoadsLeaveTheCountAndSlotEmptyAndWorkMemoryFreezesTheWorld) {
    TempFile bad("Tri-mesh, Vertices: 3 Faces: 1\nVertex list:\nVertex 0: X:0 Y:0 Z:0\n");
    EXPECT_EQ(world_load_object(&world, bad.path.c_str(), 1, 0, 0, 0, 16, 0, 0, 0), -1);
    EXPECT_EQ(world.object_count, 0u);
    EXPECT_TRUE(mesh(0).vertices == nullptr && mesh(0).faces == nullptr);

    ASSERT_EQ(load(triangle), 0);
    ASSERT_EQ(load(octahedron(1)), 1);
    ASSERT_EQ(world_alloc_work(&world), 0);
    EXPECT_EQ(world.total_vertices, 9u);
    EXPECT_EQ(world.total_faces, 9u);
    EXPECT_EQ(load(triangle), -1);
    EXPECT_EQ(world.object_count, 2u);
}

TEST(World, CreateKeepsPicturesAndRefusesImpossibleCapacities) {
    World world{};
    uint8_t pixels[1] = {};
    world.pictures[0].pixels = pixels;
    ASSERT_EQ(world_create(&world, 1), 0);
    EXPECT_EQ(world.pictures[0].pixels, pixels);
    world_destroy(&world);
    EXPECT_EQ(world.slots, nullptr);
    EXPECT_EQ(world_create(&world, 70000), -1);
    EXPECT_EQ(world_create(&world, -1), -1);
    world_destroy(&world);
}

}  // namespace
