// Scene 4: a statue rocking back and forth (the turn reverses every three seconds), smeared
// radially under two fixed pictures; one caption slides in from the left and drops out at the
// bottom, a second rises from the bottom, then the palette fades out. Timed by whole seconds.
#include <mikmod.h>
#include <sys/time.h>

#include <cstring>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/smear.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "scenes/elapsed.h"
#include "scenes/flash.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

void scene4(FrameBuffer* frame_buf, FrameBuffer*, FrameBuffer*) {
    set_palette(pal_grey);
    flash_frame(frame_buf);
    draw_sprite_centered(img_osiris, frame_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);
    MikMod_Update();
    Palette* scene_palette = palette_from_dac();
    timeval start;
    con_gettimeofday(&start);
    World* world = &world_scene4;
    light_from_viewer(world);
    Camera camera;
    init_scene_camera(&camera, 160, 200);
    object_rotate_move(world, obj_osiris, -0.25f, -0.6f, 3.14f, -157, 130, 0);

    float direction = 1.0f;
    long next_reversal = 1;
    int column = -111;    // both captions' column
    int falling_row = 199;  // first caption, once it drops out
    int rising_row = 240;   // second caption
    long elapsed = 0;
    bool done = false;
    do {
        world_begin_frame(world);
        object_rotate_move(world, obj_osiris, float(0.015 * direction), float(-0.01 * direction), 0, 0, 0, 0);
        object_transform(world, obj_osiris, &camera);
        elapsed = seconds_since(start);
        if (elapsed > next_reversal) {
            direction = -direction;
            next_reversal += 3;
        }
        world_render(world, &camera);
        radial_smear(frame_buf, 140, 180, 3500, 150);
        draw_sprite(img_osiris, frame_buf->pixels, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
        draw_sprite(img_cu, frame_buf->pixels, 120, 160, SCREEN_WIDTH, SCREEN_HEIGHT);

        elapsed = seconds_since(start);
        if (elapsed > 5 && column != 3) column++;
        if (column != -111 && elapsed <= 12) draw_sprite(img_oibg, frame_buf->pixels, column, 199, SCREEN_WIDTH, SCREEN_HEIGHT);
        if (elapsed > 12) {
            if (column != 3) column++;
            if (falling_row != 241) {
                draw_sprite(img_oibg, frame_buf->pixels, 3, falling_row, SCREEN_WIDTH, SCREEN_HEIGHT);
                falling_row++;
            }
        }
        if (elapsed > 15) {
            draw_sprite(img_hth, frame_buf->pixels, column, rising_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (rising_row != 159) rising_row--;
        }
        if (elapsed > 20) {
            fade_toward_black(scene_palette, 5);
            if (seconds_since(start) > 22) done = true;
        }
        show_frame(frame_buf);
        memset(frame_buf, 49, FRAME_BYTES);
    } while (!done);

    world_destroy(world);
    free_sprite_slot(&img_osiris);
    free_sprite_slot(&img_cu);
    free_sprite_slot(&img_hth);
    free_sprite_slot(&img_oibg);
    free_palette(scene_palette);
}
