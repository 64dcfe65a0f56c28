// Scene 7: a turning sphere smeared from the bottom-right corner, with six pictures that grow one
// after another as two translucent copies in the top corners; then a fade to black.
#include <cstdint>

#include "assets/catalogue.h"
#include "effects/blit.h"
#include "effects/scale.h"
#include "effects/smear.h"
#include "engine3d/camera.h"
#include "engine3d/render.h"
#include "engine3d/transform.h"
#include "scenes/flash.h"
#include "scenes/scenes.h"
#include "scenes/steps.h"
#include "video/palette.h"
#include "video/present.h"

namespace {

constexpr int ZOOM_MAX = 230;  // the pictures grow to 230 x 230
constexpr int FADE_FRAMES = 69;

}  // namespace

void scene7(FrameBuffer* main_buf, FrameBuffer* aux1, FrameBuffer*) {
    set_palette(pal_cspal);
    flash_frame(main_buf);  // over scene 6's last picture
    Palette* scene_palette = palette_from_dac();

    Camera camera;
    light_from_viewer(&world_scene7);
    init_scene_camera(&camera, 170, 290);
    object_rotate_move(&world_scene7, obj_sphere7, -0.25f, -0.6f, 3.14f, -157, 130, 0);

    int picture = 0;
    int size = 10;
    bool zoom = true;
    int fade = 0;
    bool done = false;
    do {
        world_begin_frame(&world_scene7);
        object_rotate_move(&world_scene7, obj_sphere7, 0.015f, -0.01f, 0, 0, 0, 0);
        object_transform(&world_scene7, obj_sphere7, &camera);
        world_render(&world_scene7, &camera);
        radial_smear(main_buf, 319, 239, 4000, 180);

        if (zoom) {
            const Sprite* p = img_cs[picture];
            scale_image(p->width, p->height, p->pixels, size, size, aux1->pixels);
            blend_blit(aux1->pixels, main_buf, size, size, 1, 1, size + 20);
            blend_blit(aux1->pixels, main_buf, size, size, SCREEN_WIDTH - size, 1, size + 25);
        }
        size++;
        if (size > ZOOM_MAX) {
            size = 0;
            picture++;
        }
        if (picture >= CS_PICTURES) {
            zoom = false;
            fade++;
            fade_toward_black(scene_palette, 5);
            if (fade >= FADE_FRAMES) done = true;
        }
        show_frame(main_buf);
        draw_sprite_centered(img_csbd, main_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);
    } while (!done);
    free_palette(scene_palette);
}
