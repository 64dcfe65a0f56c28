#include "engine3d/transform.h"

// Every intermediate is stored as a float; only the perspective factor keeps double precision.
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

    const Vec3 view = slot->view_position;
    Vec3* out = world->work_vertices + world->vertex_cursor;
    for (uint32_t i = 0; i < mesh->vertex_count; i++) {
        Vec3 p;
        vec3_times_matrix(mesh->vertices[i].x, mesh->vertices[i].y, mesh->vertices[i].z, &p, &a);
        p.x += view.x;
        p.y += view.y;
        p.z += view.z;
        float depth = p.z == 0.0f ? -1.0f : p.z;
        double f = double(camera->focal) / double(depth);
        float sx = (float(double(p.x) * f) + camera->centre_x) * camera->scale_x;
        float sy = (float(double(p.y) * f) + camera->centre_y) * camera->scale_y;
        out[i] = Vec3{sx, sy, p.z};
    }
    slot->vertex_base = world->vertex_cursor;
    world->vertex_cursor += mesh->vertex_count;
}
