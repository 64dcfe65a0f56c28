#include "engine3d/normals.h"

#include <cmath>

namespace {

// Length rounded to float; a zero length becomes -1 so the division leaves a zero vector.
float length_or_minus_one(Vec3 v) {
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length == 0.0f ? -1.0f : length;
}

Vec3 divided(Vec3 v, float d) { return Vec3{v.x / d, v.y / d, v.z / d}; }

void add_to(Vec3* sum, Vec3 v) {
    sum->x += v.x;
    sum->y += v.y;
    sum->z += v.z;
}

}  // namespace

Vec3 triangle_normal(Vec3 a, Vec3 b, Vec3 c) {
    Vec3 e1{b.x - a.x, b.y - a.y, b.z - a.z};
    Vec3 e2{c.x - a.x, c.y - a.y, c.z - a.z};
    return Vec3{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
}

// Vertex normals are the normalised sum of the unit normals of the faces that use the vertex;
// the picture coordinates are the vertex normal's x and y, fixed in object orientation.
void mesh_prepare_normals(World* world, int index) {
    Mesh* mesh = &world->slots[index].mesh;
    for (uint32_t i = 0; i < mesh->vertex_count; i++) {
        mesh->normals[i] = Vec3{0.0f, 0.0f, 0.0f};
        mesh->map_coords[i] = MapCoord{0.0f, 0.0f};
    }
    for (uint32_t f = 0; f < mesh->face_count; f++) {
        MeshFace* face = &mesh->faces[f];
        Vec3 n = triangle_normal(mesh->vertices[face->a], mesh->vertices[face->b],
                                 mesh->vertices[face->c]);
        n = divided(n, length_or_minus_one(n));
        face->normal = n;
        add_to(&mesh->normals[face->a], n);
        add_to(&mesh->normals[face->b], n);
        add_to(&mesh->normals[face->c], n);
    }
    for (uint32_t i = 0; i < mesh->vertex_count; i++) {
        Vec3 n = divided(mesh->normals[i], length_or_minus_one(mesh->normals[i]));
        mesh->normals[i] = n;
        mesh->map_coords[i] = MapCoord{n.x, n.y};
    }
}
