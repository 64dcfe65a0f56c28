#include "engine3d/matrix.h"

#include <cmath>

void matrix_identity(Matrix3* m) {
    for (int k = 0; k < 9; k++) m->m[k] = (k % 4 == 0) ? 1.0f : 0.0f;
}

void matrix_multiply(Matrix3* m, const Matrix3* n) {
    Matrix3 t;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            t.m[3 * r + c] = m->m[3 * r] * n->m[c] + m->m[3 * r + 1] * n->m[3 + c] +
                             m->m[3 * r + 2] * n->m[6 + c];
    *m = t;
}

void vec3_times_matrix(float x, float y, float z, Vec3* out, const Matrix3* m) {
    const float* a = m->m;
    out->x = x * a[0] + y * a[3] + z * a[6];
    out->y = x * a[1] + y * a[4] + z * a[7];
    out->z = x * a[2] + y * a[5] + z * a[8];
}

void matrix_from_angles(Matrix3* m, float s1, float s2, float s3, float c1, float c2, float c3) {
    float* a = m->m;
    a[0] = c2 * c3;
    a[1] = c2 * s3;
    a[2] = -s2;
    a[3] = s1 * s2 * c3 - c1 * s3;
    a[4] = s1 * s2 * s3 + c1 * c3;
    a[5] = s1 * c2;
    a[6] = c1 * s2 * c3 + s1 * s3;
    a[7] = c1 * s2 * s3 - s1 * c3;
    a[8] = c1 * c2;
}

void vec3_set_normalised(Vec3* out, float x, float y, float z) {
    float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        *out = Vec3{0.0f, 0.0f, 0.0f};
        return;
    }
    *out = Vec3{x / length, y / length, z / length};
}
