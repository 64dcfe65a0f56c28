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

struct Window {
    int x_low, x_high, y_low, y_high;
};

// Bits of ScreenCorner::flags: a face may show if all three corners lie within the coordinate
// limits and in front of the camera, and one of them lies inside the window's columns and one
// inside its rows.
constexpr uint32_t IN_LIMITS = 1, IN_FRONT = 2, ALL_CORNERS = IN_LIMITS | IN_FRONT;
constexpr uint32_t INSIDE_X = 4, INSIDE_Y = 8, ANY_CORNER = INSIDE_X | INSIDE_Y;

// Every vertex of the object once, rather than three times per face.
void find_corners(World* world, const ObjectSlot* slot, const Window& w) {
    const Vec3* work = world->work_vertices + slot->vertex_base;
    ScreenCorner* corners = world->corners + slot->vertex_base;
    for (uint32_t i = 0; i < slot->mesh.vertex_count; i++) {
        int x = trunc_to_int(work[i].x), y = trunc_to_int(work[i].y), z = trunc_to_int(work[i].z);
        bool in_limits = x >= -COORD_LIMIT && x <= COORD_LIMIT && y >= -COORD_LIMIT && y <= COORD_LIMIT;
        corners[i] = ScreenCorner{x, y, z,
                                  uint32_t(in_limits) * IN_LIMITS | uint32_t(z > 0) * IN_FRONT |
                                      uint32_t(x > w.x_low && x < w.x_high) * INSIDE_X |
                                      uint32_t(y > w.y_low && y < w.y_high) * INSIDE_Y};
    }
}

bool face_may_show(const ScreenCorner& a, const ScreenCorner& b, const ScreenCorner& c, uint32_t colour) {
    if ((a.flags & b.flags & c.flags & ALL_CORNERS) != ALL_CORNERS) return false;
    if (((a.flags | b.flags | c.flags) & ANY_CORNER) != ANY_CORNER) return false;
    return !(colour & COLOUR_CULL) || is_front_facing(a.x, a.y, b.x, b.y, c.x, c.y);
}

void collect_faces(World* world, const Window& w) {
    for (uint32_t s = 0; s < world->object_count; s++) {
        const ObjectSlot* slot = &world->slots[s];
        if (slot->untransformed) continue;
        find_corners(world, slot, w);
        const ScreenCorner* corners = world->corners + slot->vertex_base;
        for (uint32_t f = 0; f < slot->mesh.face_count; f++) {
            const MeshFace* face = &slot->mesh.faces[f];
            const ScreenCorner &a = corners[face->a], &b = corners[face->b], &c = corners[face->c];
            if (!face_may_show(a, b, c, face->colour)) continue;
            world->visible_faces[world->visible_count++] =
                VisibleFace{float(int64_t(a.z) + b.z + c.z), int32_t(f), uint16_t(s)};
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
    const int32_t index[3] = {face->a, face->b, face->c};
    ScreenPoint p[3] = {};
    for (int n = 0; n < 3; n++) {
        const ScreenCorner& k = world->corners[slot->vertex_base + index[n]];
        p[n] = ScreenPoint{k.x, k.y, k.z, 0, 0, 0};
    }

    switch (face->colour & COLOUR_MODE_MASK) {
    case 0:
        p[0].shade = flat_shade(world, slot, face);
        fill_triangle_flat(frame_buf, &p[0], &p[1], &p[2]);
        break;
    case 2: {
        uint32_t picture = face->colour >> 8;
        if (picture >= WORLD_PICTURES || !world->pictures[picture].pixels) break;
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
    sort_faces_by_depth(world->visible_faces, 0, int(world->visible_count) - 1);
    for (uint32_t n = 0; n < world->visible_count; n++) draw_face(world, &world->visible_faces[n]);
}
