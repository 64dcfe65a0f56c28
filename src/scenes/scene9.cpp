// Scene 9: sixteen thumbnails fly in from the right and settle in two columns over a radially
// smeared background, a logo swings on top; then a fade to black.
#include <sys/time.h>

#include <cstdint>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "effects/smear.h"
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

constexpr int FLIGHT_START_X = 240;
constexpr int LEFT_COLUMN = 150;   // thumbnails 0 to 7
constexpr int RIGHT_COLUMN = 232;  // thumbnails 8 to 15
constexpr int FIRST_ROW = 5;
constexpr int ROW_SPACING = 30;
constexpr double SWING = 0.008975979010256551;  // pi / 350

struct Place {
    int x, y;
};

}  // namespace

void scene9(FrameBuffer* main_buf, FrameBuffer*, FrameBuffer*) {
    flash_frame(main_buf);  // over scene 8's last frame, in its faded palette

    timeval start;
    con_gettimeofday(&start);
    Camera camera;
    light_from_viewer(&world_scene9);
    init_scene_camera(&camera, 75, 130);
    object_rotate_move(&world_scene9, obj_vl, 3.14f, 0, 0, 0, 0, 0);
    set_palette(pal_wapal);
    Palette* scene_palette = palette_from_dac();
    draw_sprite_centered(img_wbd, main_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);

    Place places[GALLERY_PICTURES];
    for (int j = 0; j < GALLERY_PICTURES; j++) {
        int half = GALLERY_PICTURES / 2;
        places[j] = Place{j < half ? LEFT_COLUMN : RIGHT_COLUMN, FIRST_ROW + ROW_SPACING * (j % half)};
    }

    int placed = 0;  // also the index of the thumbnail in flight
    int x = FLIGHT_START_X, y = FIRST_ROW;
    int swing = 1;
    float x_phase = 1.0f, y_phase = 1.0f;
    bool done = false;
    do {
        radial_smear(main_buf, x, y, 40000, 205);  // the buffer holds only the background here

        if (placed < GALLERY_PICTURES) {
            draw_sprite_keyed(img_gallery[placed], main_buf->pixels, x, y, SCREEN_WIDTH, SCREEN_HEIGHT);
            x -= 2;
        }
        if (x == LEFT_COLUMN && placed <= 7) {
            placed++;
            x = FLIGHT_START_X;
            y += ROW_SPACING;
        }
        if (x == RIGHT_COLUMN && placed > 7) {
            x = FLIGHT_START_X;
            y += ROW_SPACING;
            placed++;
        }
        if (placed == 8) y = FIRST_ROW;  // the second column starts at the top
        if (placed >= GALLERY_PICTURES) {
            // Once all are placed the smear centre wanders on a Lissajous path.
            x = int(140 * wave_cos(int(x_phase)) + 160);
            y = int(100 * wave_sin(int(y_phase)) + 100);
            x_phase += 1.8;
            y_phase += 0.4;
        }
        // The wandering centre can land on column 232 and count one more arrival; the places
        // still end at 15.
        for (int j = 0; j < placed && j < GALLERY_PICTURES; j++)
            draw_sprite_keyed(img_gallery[j], main_buf->pixels, places[j].x, places[j].y, SCREEN_WIDTH, SCREEN_HEIGHT);

        float angle = float(wave_cos(swing) * SWING);
        swing++;
        object_rotate_move(&world_scene9, obj_vl, angle, angle, 0, 0, 0, 0);
        world_begin_frame(&world_scene9);
        object_transform(&world_scene9, obj_vl, &camera);
        world_render(&world_scene9, &camera);

        show_frame(main_buf);
        draw_sprite_centered(img_wbd, main_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);

        if (seconds_since(start) > 25) {
            fade_toward_black(scene_palette, 4);
            if (seconds_since(start) > 27) done = true;
        }
    } while (!done);

    world_free_object(&world_scene9, obj_vl);
    world_destroy(&world_scene9);
    free_palette(scene_palette);
}
