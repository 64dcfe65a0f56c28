// Worlds: a fixed set of 3D objects drawn together, with the per-frame work memory.
//
// Calling order: world_create; world_load_object per object; world_alloc_work once; per frame
// world_begin_frame, object_transform per object, world_render (render.h); at the end
// world_free_object per object and world_destroy.
#pragma once

#include <cstdint>

#include "engine3d/mesh.h"

constexpr int WORLD_PICTURES = 8;

// A 256 x 256 picture that mapped faces draw from; filled by the asset catalogue.
struct PictureSlot {
    const char* path;
    uint8_t* palette;  // 768 bytes
    uint8_t* pixels;   // 256 rows of 256 palette indices
    uint32_t extra;    // passed along by the picture loader
};

struct ObjectSlot {
    Mesh mesh;
    uint32_t vertex_base;  // first vertex of the object in work_vertices this frame
    Vec3 position;         // world coordinates
    Matrix3 orientation;   // identity after loading
    Vec3 view_position;    // position relative to the camera, in camera orientation, this frame
    int32_t untransformed; // 1: not transformed since world_begin_frame, so not drawn
};

// A transformed vertex as world_render uses it: screen position and depth truncated to integers,
// and what the face tests need to know of it (bits of render.cpp).
struct ScreenCorner {
    int32_t x, y, z;
    uint32_t flags;
};

// One face that survived culling in the current frame.
struct VisibleFace {
    float depth;        // sum of the corners' depths: the sort key
    int32_t face;       // face index within its mesh
    uint16_t slot;      // object slot
};

struct World {
    ObjectSlot* slots;
    Vec3 light;          // unit light direction in world orientation
    Vec3* work_vertices; // per frame: screen x, screen y, camera-space depth
    uint32_t object_count;
    uint32_t total_faces;
    uint32_t total_vertices;
    PictureSlot pictures[WORLD_PICTURES];
    uint32_t vertex_cursor;
    uint32_t visible_count;
    // Scratch memory of world_render, reserved by world_alloc_work for total_faces entries (the
    // corners: total_vertices).
    VisibleFace* visible_faces;
    ScreenCorner* corners;
    uint32_t capacity;   // number of slots
};

// The colour word of a face:
//   bits 0-3   draw mode: 0 flat shaded, 2 picture-mapped, anything else never drawn
//   bit 4      1: back faces culled
//   bits 8-15  flat: shade range (largest palette index)
//   bits 8-31  mapped: picture slot index
constexpr uint32_t COLOUR_MODE_MASK = 15;
constexpr uint32_t COLOUR_CULL = 16;

// Allocates the slot array; 0, or -1 if it cannot be allocated. The pictures are not touched.
int world_create(World* world, int capacity);
// Loads an ".asc" mesh into slot object_count. Returns the slot index, or -1 (mesh unreadable,
// no free slot, or work memory already reserved).
int world_load_object(World* world, const char* path, float scale, float x, float y, float z,
                      int32_t mode, uint8_t r, uint8_t g, uint8_t b);
// Sums the loaded objects' counts and reserves the frame work memory; 0, or -1 if it cannot.
int world_alloc_work(World* world);
void world_free_object(World* world, int index);
// Releases every object still loaded, the slot array and the work memory.
void world_destroy(World* world);
void mesh_set_colour(Mesh* mesh, int32_t mode, uint8_t r, uint8_t g, uint8_t b);
