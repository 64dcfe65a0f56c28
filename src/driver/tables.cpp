#include "driver/tables.h"

#include <cstdlib>

#include "math/trig.h"

float* cos_table = nullptr;
float* sin_table = nullptr;

int precalc_tables() {
    cos_table = static_cast<float*>(calloc(3600, sizeof(float)));
    if (!cos_table) return 0;
    sin_table = static_cast<float*>(calloc(3600, sizeof(float)));
    if (!sin_table) return 0;
    double angle = 0.0;
    for (int k = 0; k < 3600; k++, angle += 0.01) cos_table[k] = float(trig_cos(angle));
    angle = 0.0;
    for (int k = 0; k < 3600; k++, angle += 0.01) sin_table[k] = float(trig_sin(angle));
    return 1;
}

static int wave_index(int n) {
    int r = n % 3600;
    return r < 0 ? -r : r;
}

float wave_cos(int n) { return cos_table[wave_index(n)]; }
float wave_sin(int n) { return sin_table[wave_index(n)]; }
