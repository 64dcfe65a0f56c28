// Scene 8: a picture-mapped torus wanders over its own softened trails, cross-faded with a
// background by a factor that swings up and down; two captions slide in, then a fade to black.
#include <sys/time.h>

#include <cstdint>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/filters.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "math/tables.h"
#include "scenes/flash.h"
#include "scenes/elapsed.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

constexpr int FACTOR_TOP = 254;  // the cross-fade turns here and at 0; it never reaches 255
constexpr int FADE_FRAMES = 121;

}  // namespace

void scene8(FrameBuffer* main_buf, FrameBuffer* aux1, FrameBuffer* aux2) {
    set_palette(pal_golden);
    flash_frame(main_buf);  // over scene 7's background picture

    timeval start;
    con_gettimeofday(&start);
    Palette* scene_palette = palette_from_dac();

    float x = 160 + 140 * wave_cos(1);
    float y = 100 + 100 * wave_sin(3);
    Camera camera;
    light_from_viewer(&world_scene8);
    init_scene_camera(&camera, 30, -60);
    object_rotate_move(&world_scene8, obj_toorus, 0, 0, 0, 160, 120, 0);

    float x_phase = 1.0f;
    float y_phase = 3.0f;
    int factor = 0;
    bool rising = true;
    int bottom_row = 240;
    int top_row = -19;
    int fade = 0;
    bool done = false;
    do {
        draw_sprite_centered(img_gbd, aux1->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);

        float x0 = x, y0 = y;
        x = 160 + 140 * wave_cos(int(x_phase));
        y = 100 + 100 * wave_sin(int(y_phase));
        x_phase += 2.4;
        y_phase += 0.2;

        // Drawn over the previous frame's output, which is still in the main buffer.
        world_begin_frame(&world_scene8);
        object_rotate_move(&world_scene8, obj_toorus, 0.0209f, 0.0209f, 0.0209f, (x0 - x) * 0.5f, y - y0, 0);
        object_transform(&world_scene8, obj_toorus, &camera);
        world_render(&world_scene8, &camera);

        average4_filter(main_buf, aux2, FRAME_BYTES);
        blend_frames(aux2, aux1, main_buf, FRAME_BYTES, factor);
        factor += rising ? 1 : -1;
        if (factor == FACTOR_TOP) rising = false;
        if (factor == 0) rising = true;

        long elapsed = seconds_since(start);
        // The captions go on after the cross-fade, so they are sharp in the frame shown.
        if (elapsed > 8) {
            draw_sprite_keyed(img_natural, main_buf->pixels, 1, bottom_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (bottom_row > 224) bottom_row--;
        }
        if (elapsed > 12) {
            draw_sprite_keyed(img_snatural, main_buf->pixels, 46, top_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (top_row <= 0) top_row++;
            if (elapsed > 16) {
                fade_toward_black(scene_palette, 2);
                fade++;
                if (fade >= FADE_FRAMES) done = true;
            }
        }
        show_frame(main_buf);
    } while (!done);
    free_palette(scene_palette);
}
