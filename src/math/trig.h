// Sine and cosine of doubles that give the same result on every platform: the show's own
// argument reduction and polynomials in plain IEEE double operations (no fused multiply-add, no
// extended precision), accurate to well under one unit in the last place. The show calls these
// instead of the C library's, whose last bit differs between libraries and versions.
#pragma once

double trig_sin(double x);
double trig_cos(double x);
