#include "scenes/steps.h"

#include <cstdint>

#include "video/framebuffer.h"

void init_scene_camera(Camera* camera, float centre_x, float centre_y) {
    camera_init(camera, 400, centre_x, centre_y, 1.0f, 0.9375f, 0, SCREEN_WIDTH, 0, SCREEN_HEIGHT);
}

void light_from_viewer(World* world) { vec3_set_normalised(&world->light, 0, 0, -1); }

void fade_toward_black(Palette* palette, int step) {
    static const uint8_t black[768] = {};
    fade_palette_step(palette->rgb, black, 256, step);
    set_palette(palette);
}
