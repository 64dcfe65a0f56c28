#include "math/tables.h"

#include <cstdlib>

#include "math/trig.h"

float* cos_table = nullptr;
float* sin_table = nullptr;

// The angle is summed in long double: a double sum of 0.01 drifts far enough by the end of the
// table (about 3e-13) to round a few entries to the neighbouring float. The sine and cosine are the
// show's own, so every platform gets the same tables.
static void fill_table(float* table, double (*wave)(double)) {
    long double angle = 0.0L;
    for (int k = 0; k < 3600; k++, angle += 0.01L) table[k] = float(wave(double(angle)));
}

int precalc_tables() {
    cos_table = static_cast<float*>(calloc(3600, sizeof(float)));
    if (!cos_table) return 0;
    sin_table = static_cast<float*>(calloc(3600, sizeof(float)));
    if (!sin_table) return 0;
    fill_table(cos_table, trig_cos);
    fill_table(sin_table, trig_sin);
    return 1;
}

static int wave_index(int n) {
    int r = n % 3600;
    return r < 0 ? -r : r;
}

float wave_cos(int n) { return cos_table[wave_index(n)]; }
float wave_sin(int n) { return sin_table[wave_index(n)]; }
