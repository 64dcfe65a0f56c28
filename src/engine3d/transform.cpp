#include "engine3d/transform.h"

#include <cstdint>

#include "base/kernel.h"

namespace {

// The vertices of one object through the turn a and the offset view, then onto the screen. Every
// intermediate is stored as a float, as vec3_times_matrix would store it; only the perspective
// factor keeps double precision. The depth 0 becomes -1 through an added -1 rather than a
// choice, which the compiler keeps in vectors.
PIXEL_KERNEL void project_vertices(const Vec3* in, Vec3* __restrict out, int n, Matrix3 a, Vec3 view, float focal,
                                   float centre_x, float centre_y, float scale_x, float scale_y) {
    for (int i = 0; i < n; i++) {
        float x = in[i].x, y = in[i].y, z = in[i].z;
        float px = x * a.m[0] + y * a.m[3] + z * a.m[6] + view.x;
        float py = x * a.m[1] + y * a.m[4] + z * a.m[7] + view.y;
        float pz = x * a.m[2] + y * a.m[5] + z * a.m[8] + view.z;
        uint32_t zero = (__builtin_bit_cast(uint32_t, pz) << 1) == 0;  // +0 or -0
        float depth = pz + __builtin_bit_cast(float, -zero & 0xBF800000u);  // -1.0f where zero
        double f = double(focal) / double(depth);
        out[i] = Vec3{(float(double(px) * f) + centre_x) * scale_x, (float(double(py) * f) + centre_y) * scale_y, pz};
    }
}

}  // namespace

void object_transform(World* world, int index, const Camera* camera) {
    if (index < 0 || uint32_t(index) >= world->object_count) return;
    ObjectSlot* slot = &world->slots[index];
    const Mesh* mesh = &slot->mesh;
    if (!mesh->vertices ||
        uint64_t(world->vertex_cursor) + mesh->vertex_count > world->total_vertices)
        return;

    Matrix3 a = slot->orientation;
    matrix_multiply(&a, &camera->orientation);
    Vec3 offset{slot->position.x - camera->position.x, slot->position.y - camera->position.y,
                slot->position.z - camera->position.z};
    vec3_times_matrix(offset.x, offset.y, offset.z, &slot->view_position, &camera->orientation);
    slot->untransformed = 0;

    pixel_kernel<project_vertices>(mesh->vertices, world->work_vertices + world->vertex_cursor, int(mesh->vertex_count), a,
                                   slot->view_position, camera->focal, camera->centre_x, camera->centre_y,
                                   camera->scale_x, camera->scale_y);
    slot->vertex_base = world->vertex_cursor;
    world->vertex_cursor += mesh->vertex_count;
}
