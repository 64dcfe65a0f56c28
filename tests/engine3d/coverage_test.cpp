#include <gtest/gtest.h>

#include <string>

#include "engine3d/camera.h"
#include "support/asc_text.h"
#include "support/coverage.h"

namespace {

// With culling a closed convex mesh covers the same pixels as without (but for single pixels beside
// outline corners, where the filler's truncated edge steps let a back face add one). A mesh wound
// outward shows its near side, one wound inward its far side.
TEST(CulledCoverage, ClosedConvexMeshesOfBothWindings) {
    const struct {
        const char* name;
        TestMesh mesh;
        float z;
    } subjects[] = {{"octahedron", octahedron(90), 0},
                    {"sphere", uv_sphere(100, 12, 20), 0},
                    {"small far sphere", uv_sphere(60, 17, 30), 600},
                    {"sphere near the camera", uv_sphere(100, 9, 14), -380}};
    for (const auto& s : subjects)
        for (bool outward : {true, false}) {
            SCOPED_TRACE(std::string(s.name) + (outward ? ", outward" : ", inward"));
            TempFile file(asc_text(outward ? s.mesh : reversed(s.mesh)));
            World world{};
            ASSERT_EQ(world_create(&world, 1), 0);
            ASSERT_EQ(world_load_object(&world, file.path.c_str(), 1, 0, 0, s.z, 16, 200, 0, 0), 0);
            ASSERT_EQ(world_alloc_work(&world), 0);
            vec3_set_normalised(&world.light, 0.3f, -0.2f, -1);
            Camera cam;
            camera_init(&cam, 400, 160, 120, 1, 1, 0, 320, 0, 240);
            CoverageResult r = check_culled_coverage(&world, 0, &cam);
            EXPECT_GT(r.covered, 7 * 500);
            EXPECT_EQ(r.mismatched, 0);
            EXPECT_LT(r.corner_pixels, r.covered / 200);
            double near_share = r.near_area / (r.near_area + r.far_area);
            EXPECT_TRUE(outward ? near_share > 0.9 : near_share < 0.1) << near_share;
            world_destroy(&world);
        }
}

}  // namespace
