#include "engine3d/world.h"

#include <cstdlib>

#include "engine3d/normals.h"

namespace {

// Slots are named by 16 bits in the visible-face list.
constexpr int MAX_OBJECTS = 65536;

uint32_t colour_word(int32_t mode, uint8_t r, uint8_t g, uint8_t b) {
    uint32_t word = uint32_t(mode);
    if ((word & COLOUR_MODE_MASK) != 0) return word;
    return word + uint32_t(r) * 256u + uint32_t(g) * 65536u + uint32_t(b) * 16777216u;
}

void release_work(World* world) {
    free(world->work_vertices);
    free(world->visible_faces);
    free(world->corners);
    world->work_vertices = nullptr;
    world->visible_faces = nullptr;
    world->corners = nullptr;
    world->total_vertices = 0;
    world->total_faces = 0;
}

}  // namespace

int world_create(World* world, int capacity) {
    world->object_count = 0;
    world->capacity = 0;
    world->work_vertices = nullptr;
    world->visible_faces = nullptr;
    world->corners = nullptr;
    world->total_vertices = 0;
    world->total_faces = 0;
    world->vertex_cursor = 0;
    world->visible_count = 0;
    world->slots = nullptr;
    if (capacity < 0 || capacity > MAX_OBJECTS) return -1;
    world->slots = static_cast<ObjectSlot*>(calloc(capacity ? capacity : 1, sizeof(ObjectSlot)));
    if (!world->slots) return -1;
    world->capacity = uint32_t(capacity);
    return 0;
}

int world_load_object(World* world, const char* path, float scale, float x, float y, float z,
                      int32_t mode, uint8_t r, uint8_t g, uint8_t b) {
    if (world->object_count >= world->capacity || world->work_vertices) return -1;
    int index = int(world->object_count);
    ObjectSlot* slot = &world->slots[index];
    if (read_asc_mesh(path, &slot->mesh, scale) < 0) {
        world_free_object(world, index);
        return -1;
    }
    mesh_prepare_normals(world, index);
    mesh_set_colour(&slot->mesh, mode, r, g, b);
    slot->position = Vec3{x, y, z};
    matrix_identity(&slot->orientation);
    slot->untransformed = 1;
    world->object_count++;
    return index;
}

int world_alloc_work(World* world) {
    uint64_t vertices = 0, faces = 0;
    for (uint32_t s = 0; s < world->object_count; s++) {
        vertices += world->slots[s].mesh.vertex_count;
        faces += world->slots[s].mesh.face_count;
    }
    release_work(world);
    if (vertices > INT32_MAX || faces > INT32_MAX) return -1;
    world->work_vertices = static_cast<Vec3*>(malloc((vertices ? vertices : 1) * sizeof(Vec3)));
    world->visible_faces =
        static_cast<VisibleFace*>(malloc((faces ? faces : 1) * sizeof(VisibleFace)));
    world->corners = static_cast<ScreenCorner*>(malloc((vertices ? vertices : 1) * sizeof(ScreenCorner)));
    if (!world->work_vertices || !world->visible_faces || !world->corners) {
        release_work(world);
        return -1;
    }
    world->total_vertices = uint32_t(vertices);
    world->total_faces = uint32_t(faces);
    return 0;
}

void world_free_object(World* world, int index) {
    if (index < 0 || uint32_t(index) >= world->capacity) return;
    mesh_free_arrays(&world->slots[index].mesh);
    while (world->object_count > 0 && !world->slots[world->object_count - 1].mesh.vertices)
        world->object_count--;
}

void world_destroy(World* world) {
    for (uint32_t s = 0; s < world->object_count; s++) mesh_free_arrays(&world->slots[s].mesh);
    free(world->slots);
    world->slots = nullptr;
    world->object_count = 0;
    world->capacity = 0;
    release_work(world);
}

void mesh_set_colour(Mesh* mesh, int32_t mode, uint8_t r, uint8_t g, uint8_t b) {
    uint32_t word = colour_word(mode, r, g, b);
    for (uint32_t f = 0; f < mesh->face_count; f++) mesh->faces[f].colour = word;
}
