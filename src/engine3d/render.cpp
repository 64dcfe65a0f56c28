#include "engine3d/render.h"

#include <climits>

#include "engine3d/depth_sort.h"
#include "engine3d/fillers.h"
#include "video/framebuffer.h"

namespace {

// Screen coordinates beyond this are refused: the fillers' 16.16 edge steps need differences
// below 32768 pixels.
constexpr int COORD_LIMIT = 16383;

// Truncation toward zero; values with no int32 value (too large, NaN) give INT_MIN, as the x86
// conversion instruction does.
int trunc_to_int(float f) {
    if (f >= -2147483648.0f && f < 2147483648.0f) return int(f);
    return INT_MIN;
}

struct Corners {
    int x[3], y[3], z[3];
};

Corners face_corners(const World* world, const ObjectSlot* slot, const MeshFace* face) {
    const Vec3* work = world->work_vertices + slot->vertex_base;
    const int32_t index[3] = {face->a, face->b, face->c};
    Corners k;
    for (int n = 0; n < 3; n++) {
        const Vec3 v = work[index[n]];
        k.x[n] = trunc_to_int(v.x);
        k.y[n] = trunc_to_int(v.y);
        k.z[n] = trunc_to_int(v.z);
    }
    return k;
}

bool within_limits(const Corners& k) {
    for (int n = 0; n < 3; n++)
        if (k.x[n] < -COORD_LIMIT || k.x[n] > COORD_LIMIT || k.y[n] < -COORD_LIMIT ||
            k.y[n] > COORD_LIMIT)
            return false;
    return true;
}

bool any_inside(const int* c, int low, int high) {
    return (c[0] > low && c[0] < high) || (c[1] > low && c[1] < high) ||
           (c[2] > low && c[2] < high);
}

struct Window {
    int x_low, x_high, y_low, y_high;
};

bool face_may_show(const Corners& k, uint32_t colour, const Window& w) {
    if (!within_limits(k)) return false;
    if ((colour & COLOUR_CULL) && !is_front_facing(k.x[0], k.y[0], k.x[1], k.y[1], k.x[2], k.y[2]))
        return false;
    if (k.z[0] <= 0 || k.z[1] <= 0 || k.z[2] <= 0) return false;
    return any_inside(k.x, w.x_low, w.x_high) && any_inside(k.y, w.y_low, w.y_high);
}

void collect_faces(World* world, const Window& w) {
    for (uint32_t s = 0; s < world->object_count; s++) {
        const ObjectSlot* slot = &world->slots[s];
        if (slot->untransformed) continue;
        for (uint32_t f = 0; f < slot->mesh.face_count; f++) {
            const MeshFace* face = &slot->mesh.faces[f];
            Corners k = face_corners(world, slot, face);
            if (!face_may_show(k, face->colour, w)) continue;
            uint32_t n = world->visible_count++;
            world->visible_faces[n] = VisibleFace{int32_t(n), int32_t(f), uint16_t(s)};
            world->depth_keys[n] = float(int64_t(k.z[0]) + k.z[1] + k.z[2]);
        }
    }
}

// Palette index from the angle between the turned face normal and the light: 0 .. shade range.
int flat_shade(const World* world, const ObjectSlot* slot, const MeshFace* face) {
    Vec3 n;
    vec3_times_matrix(face->normal.x, face->normal.y, face->normal.z, &n, &slot->orientation);
    float i = world->light.x * n.x + world->light.y * n.y + world->light.z * n.z;
    if (!(i >= 0.0f)) i = 0.0f;
    return trunc_to_int(i * float((face->colour >> 8) & 255));
}

// Picture coordinate 0 .. 240 from a unit-normal component (clamped for broken normals).
int picture_coord(float c) {
    int t = trunc_to_int(c * 120.0f + 120.0f);
    return t < 0 ? 0 : t > 255 ? 255 : t;
}

void draw_face(const World* world, const VisibleFace* entry) {
    const ObjectSlot* slot = &world->slots[entry->slot];
    const MeshFace* face = &slot->mesh.faces[entry->face];
    Corners k = face_corners(world, slot, face);
    ScreenPoint p[3] = {};
    for (int n = 0; n < 3; n++) p[n] = ScreenPoint{k.x[n], k.y[n], k.z[n], 0, 0, 0};

    switch (face->colour & COLOUR_MODE_MASK) {
    case 0:
        p[0].shade = flat_shade(world, slot, face);
        fill_triangle_flat(frame_buf, &p[0], &p[1], &p[2]);
        break;
    case 2: {
        uint32_t picture = face->colour >> 8;
        if (picture >= WORLD_PICTURES || !world->pictures[picture].pixels) break;
        const int32_t index[3] = {face->a, face->b, face->c};
        for (int n = 0; n < 3; n++) {
            p[n].u = picture_coord(slot->mesh.map_coords[index[n]].x);
            p[n].v = picture_coord(slot->mesh.map_coords[index[n]].y);
        }
        fill_triangle_mapped(frame_buf, &p[0], &p[1], &p[2], world->pictures[picture].pixels);
        break;
    }
    default:
        break;
    }
}

}  // namespace

void world_begin_frame(World* world) {
    for (uint32_t s = 0; s < world->object_count; s++) world->slots[s].untransformed = 1;
    world->vertex_cursor = 0;
}

int is_front_facing(int x0, int y0, int x1, int y1, int x2, int y2) {
    int64_t cross = (int64_t(x1) - x0) * (int64_t(y2) - y0) - (int64_t(y1) - y0) * (int64_t(x2) - x0);
    return cross <= 0 ? 1 : 0;
}

void world_render(World* world, const Camera* camera) {
    const Window w{camera->clip_left - 5, camera->clip_right + 4, camera->clip_top - 5,
                   camera->clip_bottom + 4};
    world->visible_count = 0;
    if (!world->visible_faces) return;
    collect_faces(world, w);
    sort_faces_by_depth(world->visible_faces, world->depth_keys, 0, int(world->visible_count) - 1);
    for (uint32_t n = 0; n < world->visible_count; n++) draw_face(world, &world->visible_faces[n]);
}
