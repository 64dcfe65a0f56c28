// Cosine and sine tables in hundredths of a radian, 3600 entries (0 .. 35.99 radians).
#pragma once

extern float* cos_table;
extern float* sin_table;

int precalc_tables();  // 1 on success, 0 if an allocation failed
float wave_cos(int n);  // cos_table[|n mod 3600|]
float wave_sin(int n);  // sin_table[|n mod 3600|]: mirrored, not negated, for negative n
