// Scene 6: two grid pictures animated by rotating the colours of DAC entries 1 to 226, with the
// worms strip along the bottom. Runs 450 frames, then one frame of the inverse rotation.
#include "assets/catalogue.h"
#include "effects/blit.h"
#include "effects/grid.h"
#include "scenes/scenes.h"
#include "video/present.h"

void scene6(FrameBuffer* main_buf, FrameBuffer*, FrameBuffer*) {
    int phase = 0;
    int frame = 1;
    int ended = 0;

    draw_grid_picture(main_buf);
    upload_grid_palette();
    show_frame(main_buf);
    do {
        if (frame > 450) {
            phase++;
            ended++;
            frame = 0;
        }
        if (phase == 0) {
            roll_palette_groups_down();
            roll_palette_cells_up();
            frame++;
        }
        if (phase == 1) {
            roll_palette_groups_up();
            roll_palette_cells_down();
            frame++;
        }
        draw_grid_picture(main_buf);
        draw_sprite(img_worms, main_buf->pixels, -1, 220, SCREEN_WIDTH, SCREEN_HEIGHT);
        show_frame(main_buf);
        upload_grid_palette();  // after the presentation: the colours change on screen at once
    } while (ended <= 0);
}
