// Anti-aliased shapes on a canvas.
#pragma once

#include "art.h"

void disc(Canvas& c, float cx, float cy, float r, float value);
void ring(Canvas& c, float cx, float cy, float r, float width, float value);
void segment(Canvas& c, float x0, float y0, float x1, float y1, float width, float value);
// A soft glow: value added with weight falling off as a Gaussian of radius r.
void glow(Canvas& c, float cx, float cy, float r, float strength);
// A one-pixel frame of the given brightness around the canvas.
void frame(Canvas& c, float value);
