// Scene 1, opening: the title picture on a plain background, its palette faded in.
#include <mikmod.h>

#include <cstring>

#include "assets/catalogue.h"
#include "console/system.h"
#include "effects/blit.h"
#include "music/music.h"
#include "scenes/scenes.h"
#include "video/palette.h"
#include "video/present.h"

// Steps cur towards target until nothing changes, uploading shown after every step; each pass
// pumps the music and sleeps 10 ms. The pass whose step changes nothing still uploads and sleeps.
static void fade_until_equal(Palette* cur, const Palette* target, int step, const Palette* shown) {
    int changed;
    do {
        changed = fade_palette_step(cur->rgb, target->rgb, 256, step);
        set_palette(shown);
        MikMod_Update();
        con_usleep(10000);
    } while (changed);
}

void scene1(FrameBuffer* frame_buf, FrameBuffer*, FrameBuffer*) {
    show_frame(frame_buf);
    set_palette(pal_b);
    Palette* scene_palette = palette_from_dac();
    fade_until_equal(scene_palette, pal_b, 10, pal_b);
    set_palette(pal_intro);
    memset(frame_buf, 7, FRAME_BYTES);
    show_frame(frame_buf);
    draw_sprite_centered(img_intro, frame_buf->pixels, SCREEN_WIDTH, SCREEN_HEIGHT);
    wait_seconds(3);
    show_frame(frame_buf);
    fade_until_equal(scene_palette, pal_intro, 15, scene_palette);
    free_palette(scene_palette);
    wait_seconds(2);
}
