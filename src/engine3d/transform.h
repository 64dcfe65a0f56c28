// Carries one object's vertices into screen space for the current frame.
#pragma once

#include "engine3d/camera.h"
#include "engine3d/world.h"

// Writes screen x, screen y and camera-space depth of every vertex of object index into the
// world's work array and marks it for drawing. Call after world_begin_frame. An object that is
// not loaded, or that would overrun the work array (transformed twice in one frame), is left
// untransformed.
void object_transform(World* world, int index, const Camera* camera);
