#include "support/coverage.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "video/framebuffer.h"

namespace {

constexpr uint8_t BACKGROUND = 255;
constexpr uint8_t SHADE_RANGE = 254;  // faces never take the background's index

const float turns[][3] = {{0, 0, 0},      {0.5f, 0.3f, 0.1f}, {1.2f, -0.7f, 2.0f},
                          {2.5f, 1.9f, -0.4f}, {-1.1f, 0.2f, 3.0f}, {0, 3.14159f, 0},
                          {1.5708f, 0, 0}};

std::vector<uint8_t> render_covered(World* world, int index, const Camera* camera, int32_t mode) {
    mesh_set_colour(&world->slots[index].mesh, mode, SHADE_RANGE, 0, 0);
    memset(frame_buf, BACKGROUND, FRAME_BYTES);
    world_begin_frame(world);
    object_transform(world, index, camera);
    world_render(world, camera);
    std::vector<uint8_t> covered(FRAME_BYTES);
    for (int p = 0; p < FRAME_BYTES; p++) covered[p] = frame_buf[p] != BACKGROUND;
    return covered;
}

// Marks the pixel just left of every projected corner of the object.
std::vector<uint8_t> corner_neighbours(const World* world, int index) {
    const ObjectSlot* slot = &world->slots[index];
    const Vec3* screen = world->work_vertices + slot->vertex_base;
    std::vector<uint8_t> marks(FRAME_BYTES);
    for (uint32_t i = 0; i < slot->mesh.vertex_count; i++) {
        if (!(screen[i].x >= 1 && screen[i].x < SCREEN_WIDTH + 1 && screen[i].y >= 0 &&
              screen[i].y < SCREEN_HEIGHT))
            continue;
        int x = int(screen[i].x) - 1, y = int(screen[i].y);
        if (x < SCREEN_WIDTH) marks[y * SCREEN_WIDTH + x] = 1;
    }
    return marks;
}

Vec3 to_view(const Vec3& v, const Matrix3& a, const Vec3& offset) {
    Vec3 p;
    vec3_times_matrix(v.x, v.y, v.z, &p, &a);
    return Vec3{p.x + offset.x, p.y + offset.y, p.z + offset.z};
}

double dot(const Vec3& a, const Vec3& b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

// Sorts the faces of the last render into the near and far side of the mesh: a face is on the
// near side when the outward one of its two normals points toward the eye (the view origin).
void measure_sides(const World* world, int index, const Camera* camera, CoverageResult* result) {
    const ObjectSlot* slot = &world->slots[index];
    const Mesh* mesh = &slot->mesh;
    Matrix3 a = slot->orientation;
    matrix_multiply(&a, &camera->orientation);
    Vec3 centre{0, 0, 0};
    std::vector<Vec3> view(mesh->vertex_count);
    for (uint32_t i = 0; i < mesh->vertex_count; i++) {
        view[i] = to_view(mesh->vertices[i], a, slot->view_position);
        centre = Vec3{centre.x + view[i].x, centre.y + view[i].y, centre.z + view[i].z};
    }
    float n = float(mesh->vertex_count);
    centre = Vec3{centre.x / n, centre.y / n, centre.z / n};
    const Vec3* screen = world->work_vertices + slot->vertex_base;
    for (uint32_t k = 0; k < world->visible_count; k++) {
        const MeshFace* f = &mesh->faces[world->visible_faces[k].face];
        Vec3 pa = view[f->a], pb = view[f->b], pc = view[f->c];
        Vec3 e1{pb.x - pa.x, pb.y - pa.y, pb.z - pa.z};
        Vec3 e2{pc.x - pa.x, pc.y - pa.y, pc.z - pa.z};
        Vec3 normal{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z,
                    e1.x * e2.y - e1.y * e2.x};
        Vec3 mid{(pa.x + pb.x + pc.x) / 3, (pa.y + pb.y + pc.y) / 3, (pa.z + pb.z + pc.z) / 3};
        Vec3 outward{mid.x - centre.x, mid.y - centre.y, mid.z - centre.z};
        bool wound_outward = dot(normal, outward) > 0;
        bool toward_eye = dot(normal, mid) < 0;
        const Vec3 &sa = screen[f->a], &sb = screen[f->b], &sc = screen[f->c];
        double area = std::fabs(double(sb.x - sa.x) * (sc.y - sa.y) -
                                double(sb.y - sa.y) * (sc.x - sa.x)) / 2;
        if (wound_outward == toward_eye) result->near_area += area;
        else result->far_area += area;
    }
}

}  // namespace

CoverageResult check_culled_coverage(World* world, int index, const Camera* camera) {
    CoverageResult result;
    ObjectSlot* slot = &world->slots[index];
    const Matrix3 saved_orientation = slot->orientation;
    std::vector<uint32_t> saved_colours(slot->mesh.face_count);
    for (uint32_t f = 0; f < slot->mesh.face_count; f++) saved_colours[f] = slot->mesh.faces[f].colour;
    FrameBuffer* saved_screen = frame_buf;
    std::vector<uint8_t> screen(FRAME_BYTES);
    frame_buf = screen.data();

    for (const auto& t : turns) {
        slot->orientation = saved_orientation;
        object_rotate_move(world, index, t[0], t[1], t[2], 0, 0, 0);
        std::vector<uint8_t> all = render_covered(world, index, camera, 0);
        std::vector<uint8_t> culled = render_covered(world, index, camera, COLOUR_CULL);
        measure_sides(world, index, camera, &result);
        std::vector<uint8_t> corners = corner_neighbours(world, index);
        for (int p = 0; p < FRAME_BYTES; p++) {
            result.covered += all[p];
            if (all[p] == culled[p]) continue;
            if (all[p] && corners[p]) result.corner_pixels++;
            else result.mismatched++;
        }
        result.orientations++;
    }

    frame_buf = saved_screen;
    slot->orientation = saved_orientation;
    for (uint32_t f = 0; f < slot->mesh.face_count; f++) slot->mesh.faces[f].colour = saved_colours[f];
    return result;
}
