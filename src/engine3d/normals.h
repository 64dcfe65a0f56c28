// Face normals, vertex normals and picture coordinates of a freshly read mesh.
#pragma once

#include "engine3d/world.h"

void mesh_prepare_normals(World* world, int index);
// (B − A) × (C − A)
Vec3 triangle_normal(Vec3 a, Vec3 b, Vec3 c);
