// Scene 5: a picture seen through rippling water, two drops circling over it and a spinning star
// on top that lifts the water wherever it is drawn. The spin reverses on rows of the music's
// patterns; two captions come in at the edges and the palette fades out, timed by whole seconds.
// The picture is composed in aux_buf2; frame_buf is only the renderer's target.
#include <mikmod.h>

#include <cstring>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/water.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "math/trig.h"
#include "music/music.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

Camera scene5_camera;

namespace {

// The star's spin after a frame shown at this row of the pattern.
float spin_for_row(unsigned row, float spin) {
    switch (row) {
    case 0: case 10: case 16: case 26: case 32: case 42: case 48: case 58: return -0.05f;
    case 6: case 14: case 24: case 30: case 38: case 46: case 56: case 62: return 0.05f;
    default: return spin;
    }
}

// Where the star was drawn, its pixels replace the water picture and hold the water up at 170;
// frame_buf is left blank for the next frame's render.
void stamp_star(uint8_t* render, uint8_t* out, int32_t* heights) {
    for (int p = 0; p < FRAME_BYTES; p++) {
        if (!render[p]) continue;
        heights[p] = 170;
        out[p] = render[p];
        render[p] = 0;
    }
}

}  // namespace

void scene5(FrameBuffer* frame_buf, FrameBuffer*, FrameBuffer* aux_buf2) {
    set_palette(pal_wapal);
    Palette* scene_palette = palette_from_dac();
    World* world = &world_scene5;
    light_from_viewer(world);
    con_gettimeofday(&wait_start);
    init_scene_camera(&scene5_camera, 160, 120);
    memset(water_heights, 0, sizeof water_heights);
    memcpy(water_background - FRAME_BYTES, water_background, FRAME_BYTES);
    memcpy(water_background + FRAME_BYTES, water_background, FRAME_BYTES);
    memcpy(aux_buf2, water_background, FRAME_BYTES);

    int page = 0;
    float phase_a = 10.0f, phase_b = 10.0f;
    float spin = 0.05f;
    int bottom_row = 240, top_row = -19;
    bool done = false;
    do {
        draw_sprite_centered(img_wbd, water_background, SCREEN_WIDTH, SCREEN_HEIGHT);
        int x1 = int(140 * trig_cos(double(phase_b)) + 160);
        int y1 = int(100 * trig_sin(double(phase_b)) + 120);
        int x2 = int(140 * trig_cos(double(phase_a)) + 160);
        int y2 = int(100 * trig_sin(double(phase_a)) + 120);
        phase_b = float(phase_b + 0.024);
        phase_a = float(phase_a - 0.024);
        water_add_drop(x1, y1, 2, -1000, page);
        water_add_drop(x2, y2, 2, -1000, page);
        water_render(page, 0, aux_buf2);
        page ^= 1;
        water_step(page, 4);

        world_begin_frame(world);
        object_rotate_move(world, obj_star, spin, -spin, -spin, 40 * spin, 40 * spin, 0);
        object_transform(world, obj_star, &scene5_camera);
        world_render(world, &scene5_camera);
        stamp_star(frame_buf->pixels, aux_buf2->pixels, water_heights[page]);

        con_gettimeofday(&wait_now);
        long elapsed = wait_now.tv_sec - wait_start.tv_sec;
        if (elapsed > 8) {
            draw_sprite_keyed(img_lose, aux_buf2->pixels, 1, bottom_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (bottom_row > 224) {
                bottom_row--;
                memset(aux_buf2->pixels + 239 * SCREEN_WIDTH, 0, SCREEN_WIDTH);
            }
        }
        if (elapsed > 12) {
            draw_sprite_keyed(img_sense, aux_buf2->pixels, 140, top_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (top_row < 0) {
                top_row++;
                memset(aux_buf2, 0, SCREEN_WIDTH);
            }
            if (elapsed > 16) {
                fade_toward_black(scene_palette, 2);
                con_gettimeofday(&wait_now);
                if (wait_now.tv_sec - wait_start.tv_sec > 19) done = true;
            }
        }
        show_frame(aux_buf2);
        if (music_module) spin = spin_for_row(music_module->patpos, spin);
    } while (!done);

    free_palette(scene_palette);
}
