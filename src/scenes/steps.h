// Set-up and per-frame steps that most scenes take alike.
#pragma once

#include "engine3d/camera.h"
#include "engine3d/world.h"
#include "video/palette.h"

// camera_init with focal 400, the centre given, scale 1.0 x 0.9375 and the whole screen as window.
void init_scene_camera(Camera* camera, float centre_x, float centre_y);
// The world's light shines from the viewer: direction (0, 0, -1).
void light_from_viewer(World* world);
// One step of a fade to black: every byte of the palette's 256 colours moves by step toward 0,
// then the palette is uploaded.
void fade_toward_black(Palette* palette, int step);
