#include "engine3d/camera.h"

#include "math/trig.h"

namespace {

// orientation <- orientation × R(angles), then a step along the rows of the new orientation.
void rotate_move(Matrix3* orientation, Vec3* position, float angle_x, float angle_y,
                 float angle_z, float dx, float dy, float dz) {
    Matrix3 r;
    // Sines and cosines in double precision, each rounded to float.
    const double a1 = angle_x, a2 = angle_y, a3 = angle_z;
    matrix_from_angles(&r, float(trig_sin(a1)), float(trig_sin(a2)), float(trig_sin(a3)),
                       float(trig_cos(a1)), float(trig_cos(a2)), float(trig_cos(a3)));
    matrix_multiply(orientation, &r);
    const float* m = orientation->m;
    position->x += dx * m[0] + dy * m[1] + dz * m[2];
    position->y += dx * m[3] + dy * m[4] + dz * m[5];
    position->z += dx * m[6] + dy * m[7] + dz * m[8];
}

}  // namespace

void camera_init(Camera* camera, float focal, float centre_x, float centre_y, float scale_x,
                 float scale_y, int32_t clip_left, int32_t clip_right, int32_t clip_top,
                 int32_t clip_bottom) {
    camera->focal = focal;
    camera->centre_x = centre_x;
    camera->centre_y = centre_y;
    camera->scale_x = scale_x;
    camera->scale_y = scale_y;
    camera->clip_left = clip_left;
    camera->clip_right = clip_right;
    camera->clip_top = clip_top;
    camera->clip_bottom = clip_bottom;
    matrix_identity(&camera->orientation);
    camera->position = Vec3{0.0f, 0.0f, -600.0f};
}

void camera_rotate_move(Camera* camera, float angle_x, float angle_y, float angle_z, float dx,
                        float dy, float dz) {
    rotate_move(&camera->orientation, &camera->position, angle_x, angle_y, angle_z, dx, dy, dz);
}

void object_rotate_move(World* world, int index, float angle_x, float angle_y, float angle_z,
                        float dx, float dy, float dz) {
    if (index < 0 || uint32_t(index) >= world->object_count) return;
    ObjectSlot* slot = &world->slots[index];
    rotate_move(&slot->orientation, &slot->position, angle_x, angle_y, angle_z, dx, dy, dz);
}
