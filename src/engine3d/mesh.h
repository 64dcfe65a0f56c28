// Triangle meshes and the reader for 3D Studio ASCII (".asc") mesh files.
#pragma once

#include <cstdint>

#include "engine3d/matrix.h"

struct MapCoord {
    float x, y;
};

struct MeshFace {
    int32_t a, b, c;  // vertex indices of the corners, in file order
    Vec3 normal;      // unit face normal
    uint32_t colour;  // colour word (see world.h)
};

struct Mesh {
    Vec3* vertices;        // vertex_count object-space positions, already scaled
    Vec3* normals;         // vertex_count unit vertex normals
    MapCoord* map_coords;  // vertex_count picture coordinates
    MeshFace* faces;       // face_count triangles
    uint32_t vertex_count;
    uint32_t face_count;
};

// Reads the first triangle mesh of an ".asc" file into mesh, every coordinate multiplied by
// scale. 0 on success; -1 on any failure, with the mesh left empty (nothing allocated).
// Prints nothing.
int read_asc_mesh(const char* path, Mesh* mesh, float scale);
// Releases the four arrays (any of them may be null) and zeroes the record.
void mesh_free_arrays(Mesh* mesh);
