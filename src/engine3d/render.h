// The renderer: culling, flat lighting, depth sort and drawing into frame_buf.
#pragma once

#include "engine3d/camera.h"
#include "engine3d/world.h"

// Marks every object untransformed and empties the work array; once per frame.
void world_begin_frame(World* world);
// Draws every transformed object's visible faces, far to near. The camera supplies only its
// screen window. Makes no heap allocation.
void world_render(World* world, const Camera* camera);
// 1 when the screen corners run counter-clockwise (screen y down) or lie on one line.
int is_front_facing(int x0, int y0, int x1, int y1, int x2, int y2);
