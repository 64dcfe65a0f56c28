// Vectors and 3x3 matrices in 32-bit floats. Points are row vectors: v' = v · M.
#pragma once

struct Vec3 {
    float x, y, z;
};

// Row-major: element (r, c) at index 3r + c.
struct Matrix3 {
    float m[9];
};

void matrix_identity(Matrix3* m);
// m <- m × n; m and n may be the same matrix.
void matrix_multiply(Matrix3* m, const Matrix3* n);
// out = (x, y, z) · m
void vec3_times_matrix(float x, float y, float z, Vec3* out, const Matrix3* m);
// Turn about x, then y, then z: Rx(a1) · Ry(a2) · Rz(a3) from the sines and cosines of the angles.
void matrix_from_angles(Matrix3* m, float s1, float s2, float s3, float c1, float c2, float c3);
// out = (x, y, z) / |(x, y, z)|; the zero vector stays zero.
void vec3_set_normalised(Vec3* out, float x, float y, float z);
