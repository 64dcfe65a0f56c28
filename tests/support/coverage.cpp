#include "support/coverage.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "support/frames.h"

namespace {

constexpr uint8_t BACKGROUND = 255;  // faces never take it: their shade range is 254

std::vector<uint8_t> render_covered(World* world, int index, const Camera* camera, int32_t mode) {
    mesh_set_colour(&world->slots[index].mesh, mode, BACKGROUND - 1, 0, 0);
    memset(frame_buf, BACKGROUND, FRAME_BYTES);
    world_begin_frame(world);
    object_transform(world, index, camera);
    world_render(world, camera);
    std::vector<uint8_t> covered(FRAME_BYTES);
    for (int p = 0; p < FRAME_BYTES; p++) covered[p] = frame_buf->pixels[p] != BACKGROUND;
    return covered;
}

Vec3 sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const Vec3& a, const Vec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }

// Adds the screen area of each face of the last (culled) render to the near or the far side: a face
// is on the near side when the outward one of its two normals points toward the eye (the view origin).
void measure_sides(const World* world, int index, const Camera* camera, CoverageResult* result) {
    const ObjectSlot* slot = &world->slots[index];
    const Mesh* mesh = &slot->mesh;
    Matrix3 a = slot->orientation;
    matrix_multiply(&a, &camera->orientation);
    std::vector<Vec3> view(mesh->vertex_count);
    Vec3 centre{0, 0, 0};
    float n = float(mesh->vertex_count);
    for (uint32_t i = 0; i < mesh->vertex_count; i++) {
        vec3_times_matrix(mesh->vertices[i].x, mesh->vertices[i].y, mesh->vertices[i].z, &view[i], &a);
        view[i] = Vec3{view[i].x + slot->view_position.x, view[i].y + slot->view_position.y, view[i].z + slot->view_position.z};
        centre = Vec3{centre.x + view[i].x / n, centre.y + view[i].y / n, centre.z + view[i].z / n};
    }
    const Vec3* screen = world->work_vertices + slot->vertex_base;
    for (uint32_t k = 0; k < world->visible_count; k++) {
        const MeshFace* f = &mesh->faces[world->visible_faces[k].face];
        Vec3 e1 = sub(view[f->b], view[f->a]), e2 = sub(view[f->c], view[f->a]);
        Vec3 normal{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
        Vec3 mid{(view[f->a].x + view[f->b].x + view[f->c].x) / 3, (view[f->a].y + view[f->b].y + view[f->c].y) / 3,
                 (view[f->a].z + view[f->b].z + view[f->c].z) / 3};
        bool wound_outward = dot(normal, sub(mid, centre)) > 0, toward_eye = dot(normal, mid) < 0;
        Vec3 s1 = sub(screen[f->b], screen[f->a]), s2 = sub(screen[f->c], screen[f->a]);
        double area = std::fabs(double(s1.x) * s2.y - double(s1.y) * s2.x) / 2;
        (wound_outward == toward_eye ? result->near_area : result->far_area) += area;
    }
}

}  // namespace

CoverageResult check_culled_coverage(World* world, int index, const Camera* camera) {
    const float turns[][3] = {{0, 0, 0},           {0.5f, 0.3f, 0.1f},  {1.2f, -0.7f, 2.0f}, {2.5f, 1.9f, -0.4f},
                              {-1.1f, 0.2f, 3.0f}, {0, 3.14159f, 0}, {1.5708f, 0, 0}};
    CoverageResult result;
    ObjectSlot* slot = &world->slots[index];
    const Matrix3 saved_orientation = slot->orientation;
    std::vector<uint32_t> saved_colours(slot->mesh.face_count);
    for (uint32_t f = 0; f < slot->mesh.face_count; f++) saved_colours[f] = slot->mesh.faces[f].colour;
    FrameBuffer* saved_screen = frame_buf;
    std::vector<uint8_t> screen(FRAME_BYTES);
    frame_buf = fb(screen);
    for (const auto& t : turns) {
        slot->orientation = saved_orientation;
        object_rotate_move(world, index, t[0], t[1], t[2], 0, 0, 0);
        std::vector<uint8_t> all = render_covered(world, index, camera, 0);
        std::vector<uint8_t> culled = render_covered(world, index, camera, COLOUR_CULL);
        measure_sides(world, index, camera, &result);
        std::vector<uint8_t> corners(FRAME_BYTES);  // the pixel just left of every projected corner
        const Vec3* v = world->work_vertices + slot->vertex_base;
        for (uint32_t i = 0; i < slot->mesh.vertex_count; i++)
            if (v[i].x >= 1 && v[i].x < SCREEN_WIDTH + 1 && v[i].y >= 0 && v[i].y < SCREEN_HEIGHT)
                corners[int(v[i].y) * SCREEN_WIDTH + int(v[i].x) - 1] = 1;
        for (int p = 0; p < FRAME_BYTES; p++) {
            result.covered += all[p];
            if (all[p] != culled[p]) (all[p] && corners[p] ? result.corner_pixels : result.mismatched)++;
        }
    }
    frame_buf = saved_screen;
    slot->orientation = saved_orientation;
    for (uint32_t f = 0; f < slot->mesh.face_count; f++) slot->mesh.faces[f].colour = saved_colours[f];
    return result;
}
