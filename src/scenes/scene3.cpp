// Scene 3: a tumbling sphere over a picture streaked by a radial smear whose centre wanders on a
// Lissajous path; a title rises after five seconds, the palette fades out from the fifteenth.
// Timed by whole seconds of the clock.
#include <sys/time.h>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/smear.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "math/tables.h"
#include "scenes/elapsed.h"
#include "scenes/flash.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

void scene3(FrameBuffer* frame_buf, FrameBuffer*, FrameBuffer*) {
    flash_frame(frame_buf);
    timeval start;
    con_gettimeofday(&start);
    int prev_x = int(140 * wave_cos(1) + 160);
    int prev_y = int(100 * wave_sin(1) + 100);
    World* world = &world_scene3;
    light_from_viewer(world);
    Camera camera;
    init_scene_camera(&camera, 160, 200);
    object_rotate_move(world, obj_sphere3, 0, 0, 0, float(290 - prev_x), float(150 - prev_y), 0);
    set_palette(pal_gb);
    Palette* scene_palette = palette_from_dac();
    draw_sprite_centered(img_radbd, frame_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);

    float phase_x = 1.0f, phase_y = 1.0f;
    int title_row = 241;
    bool done = false;
    do {
        int x = int(140 * wave_cos(int(phase_x)) + 160);
        int y = int(100 * wave_sin(int(phase_y)) + 100);
        phase_x += 1.8f;
        phase_y += 0.4f;
        world_begin_frame(world);
        // The sphere drifts with the spot: half its horizontal step, its vertical step mirrored.
        object_rotate_move(world, obj_sphere3, 0.0157f, 0.0157f, 0.0157f, float((x - prev_x) / 2),
                           float(prev_y - y), 0);
        object_transform(world, obj_sphere3, &camera);
        world_render(world, &camera);
        radial_smear(frame_buf, x, y, 4500, 215);
        draw_sprite_keyed(img_chaos, frame_buf->pixels, 5, title_row, SCREEN_WIDTH, SCREEN_HEIGHT);
        show_frame(frame_buf);
        draw_sprite_centered(img_radbd, frame_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);
        if (seconds_since(start) > 5) {
            if (title_row != 214) title_row--;
            if (seconds_since(start) > 14) {
                fade_toward_black(scene_palette, 2);
                if (seconds_since(start) > 17) done = true;
            }
        }
        prev_x = x;
        prev_y = y;
    } while (!done);

    world_free_object(world, obj_sphere3);
    world_destroy(world);
    free_palette(scene_palette);
}
