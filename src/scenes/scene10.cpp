// Scene 10: two objects turn at the centre over smeared and softened trails of themselves and of
// the captions; then the palette fades to black while the music's volume falls.
#include <sys/time.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/filters.h"
#include "effects/smear.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "music/music.h"
#include "scenes/elapsed.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

void scene10(FrameBuffer* main_buf, FrameBuffer* aux1, FrameBuffer*) {
    memset(main_buf, 0, FRAME_BYTES);
    set_palette(pal_wapal);
    // The flash with one record: inverting it twice restores its colours and the DAC, and it
    // then serves as the scene palette.
    Palette* scene_palette = palette_from_dac();
    invert_palette(scene_palette);
    show_frame(main_buf);
    invert_palette(scene_palette);
    draw_sprite_keyed(img_ess, main_buf->pixels, 0, 20, SCREEN_WIDTH, SCREEN_HEIGHT);

    timeval start;
    con_gettimeofday(&start);
    Camera camera;
    light_from_viewer(&world_scene10);
    init_scene_camera(&camera, 160, 200);

    // The output of one frame is the input of the next. The renderer always draws into the main
    // buffer, so the objects are seen only in the frames in which it is the current one.
    FrameBuffer* current = main_buf;
    FrameBuffer* other = aux1;
    int bottom_row = 240;
    int top_row = -14;
    bool done = false;
    do {
        world_begin_frame(&world_scene10);
        object_rotate_move(&world_scene10, obj_eo, 0.0157f, 0.0157f, 0.0157f, 0, 0, 0);
        object_rotate_move(&world_scene10, obj_sphere10, -0.0157f, -0.0157f, 0.0157f, 0, 0, 0);
        object_transform(&world_scene10, obj_eo, &camera);
        object_transform(&world_scene10, obj_sphere10, &camera);
        world_render(&world_scene10, &camera);

        radial_smear(current, 160, 195, 4500, 200);
        average4_filter(current, other, FRAME_BYTES);
        std::swap(current, other);
        draw_sprite_keyed(img_ess, current->pixels, 0, 20, SCREEN_WIDTH, SCREEN_HEIGHT);

        long elapsed = seconds_since(start);
        if (elapsed > 5) {
            draw_sprite_keyed(img_soul, current->pixels, 1, bottom_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (bottom_row != 225) bottom_row--;
        }
        if (elapsed > 8) {
            draw_sprite_keyed(img_good, current->pixels, 1, top_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (top_row != 1) top_row++;
        }
        if (elapsed > 20) {
            fade_toward_black(scene_palette, 2);
            // Without a module there is no music to fade.
            if (music_module && music_module->volume != 0) music_module->volume--;
            if (seconds_since(start) > 24) done = true;
        }
        show_frame(current);
    } while (!done);

    world_free_object(&world_scene10, obj_eo);
    world_free_object(&world_scene10, obj_sphere10);
    world_destroy(&world_scene10);
    free_palette(scene_palette);
}
