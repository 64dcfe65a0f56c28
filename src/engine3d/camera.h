// The viewer, and turning and stepping the viewer or an object.
#pragma once

#include <cstdint>

#include "engine3d/matrix.h"
#include "engine3d/world.h"

struct Camera {
    Vec3 position;
    float focal;     // screen offset = coordinate × focal / depth
    float centre_x;  // screen position of the view axis, before scaling
    float centre_y;
    float scale_x;   // applied after centring
    float scale_y;
    int32_t clip_left;  // screen window: first column, one past the last column,
    int32_t clip_right; // first row, one past the last row
    int32_t clip_top;
    int32_t clip_bottom;
    Matrix3 orientation;
};

// Identity orientation, position (0, 0, −600).
void camera_init(Camera* camera, float focal, float centre_x, float centre_y, float scale_x,
                 float scale_y, int32_t clip_left, int32_t clip_right, int32_t clip_top,
                 int32_t clip_bottom);
// orientation <- orientation × R(angles); then position += step along the new orientation's rows.
void camera_rotate_move(Camera* camera, float angle_x, float angle_y, float angle_z, float dx,
                        float dy, float dz);
void object_rotate_move(World* world, int index, float angle_x, float angle_y, float angle_z,
                        float dx, float dy, float dz);
