// Scene 2: a pentagon spinning between two upside-down pyramids over the title picture; a sprite
// slides in along the bottom, a second one rises beside it, and the palette fades to black. Every
// cue comes from the song position.
#include <mikmod.h>

#include <cstring>

#include "assets/catalogue.h"
#include "effects/blit.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "math/tables.h"
#include "music/music.h"
#include "scenes/flash.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

constexpr long CUE_START = 0x20004;  // order 2, row 4
constexpr long CUE_SLIDE = 0x30005;  // order 3, row 5
constexpr long CUE_END = 0x50002;    // order 5, row 2

// Row above row and order position above order (the module's two fields tested separately).
bool past_row_and_order(unsigned row, int order) {
    return music_module && music_module->patpos > row && music_module->sngpos > order;
}

}  // namespace

void scene2(FrameBuffer* frame_buf, FrameBuffer*, FrameBuffer*) {
    Palette* scene_palette = palette_from_dac();
    World* world = &world_scene2;
    light_from_viewer(world);
    Camera camera;
    init_scene_camera(&camera, 160, 205);
    object_rotate_move(world, obj_pyramid_a, 3.14f, 0, 0, -135, -40, 0);
    object_rotate_move(world, obj_pyramid_b, 3.14f, 0, 0, 135, -40, 0);
    camera_rotate_move(&camera, 0, 0, 0, 0, 0, 0);
    MikMod_Update();
    while (!song_reached(CUE_START)) show_frame(frame_buf);
    flash_frame(frame_buf);

    float spin_speed = 100.0f;
    int frame_count = 0;
    int slide_state = 0;  // 0 not started, 1 sliding, 2 arrived
    int slide_step = 0;
    int rise_row = 240;
    for (;;) {
        object_rotate_move(world, obj_pentagon, float(spin_speed * 0.06283185307179587), 0, 0, 0, 0, 0);
        object_rotate_move(world, obj_pyramid_a, 0, float(-spin_speed * 0.07853981633974483), 0, 0, 0, 0);
        object_rotate_move(world, obj_pyramid_b, 0, float(spin_speed * 0.07853981633974483), 0, 0, 0, 0);
        world_begin_frame(world);
        object_transform(world, obj_pentagon, &camera);
        object_transform(world, obj_pyramid_a, &camera);
        object_transform(world, obj_pyramid_b, &camera);
        spin_speed = wave_cos(frame_count);
        world_render(world, &camera);
        show_frame(frame_buf);

        // The next frame's background and sprites; the objects will be drawn over them.
        draw_sprite_centered(img_intro, frame_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);
        if (slide_state == 0 && song_reached(CUE_SLIDE)) {
            slide_step = 1;
            slide_state = 1;
        }
        if (slide_state == 1) {
            draw_sprite(img_lights, frame_buf->pixels, 320 - slide_step, 224, SCREEN_WIDTH, SCREEN_HEIGHT);
            if (++slide_step == 316) slide_state = 2;
        }
        if (slide_state == 2) draw_sprite(img_lights, frame_buf->pixels, 4, 224, SCREEN_WIDTH, SCREEN_HEIGHT);
        if (slide_state == 2 && past_row_and_order(5, 3)) {
            if (rise_row > 223) draw_sprite(img_vlemb, frame_buf->pixels, 176, rise_row, SCREEN_WIDTH, SCREEN_HEIGHT);
            rise_row--;
            if (rise_row <= 224) draw_sprite(img_vlemb, frame_buf->pixels, 176, 224, SCREEN_WIDTH, SCREEN_HEIGHT);
        }
        if (past_row_and_order(41, 3)) fade_toward_black(scene_palette, 2);
        if (song_reached(CUE_END)) break;
        frame_count++;
    }

    world_free_object(world, obj_pentagon);
    world_free_object(world, obj_pyramid_a);
    world_free_object(world, obj_pyramid_b);
    world_destroy(world);
    free_sprite_slot(&img_lights);
    free_sprite_slot(&img_vlemb);
    memset(frame_buf, 0, FRAME_BYTES);
    free_palette(scene_palette);
}
