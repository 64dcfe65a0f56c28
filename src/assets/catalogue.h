// The asset catalogue: every picture, palette, mesh and the PCX texture of the show, loaded once at
// start-up from the unpacked data/ into process-wide slots that the scenes use by name.
#pragma once

#include <cstddef>

#include "assets/sprite.h"
#include "engine3d/world.h"
#include "video/palette.h"

// Prints "loading data ...\n", then loads the catalogue in order (load_catalogue). A file that fails
// leaves its slot null (-1 for an object) after its reader's message; loading goes on.
void load_data();
void load_catalogue();
// Frees whatever is still loaded, once, and empties every slot: sprites, palettes and pictures
// null, worlds without objects or work memory, object indices -1. load_data may then load the
// catalogue again.
void unload_data();
// Frees the sprite in a slot and empties the slot; an empty slot is left as it is. The scenes free
// the sprites they are the last to use through this.
void free_sprite_slot(Sprite** slot);
// Fills picture slot index of world from a PCX file: the path, a 768-byte palette and a 256 x 256
// pixel block, 0 where a smaller picture leaves it. 0, or -1 after "file (%s) not found.\n" with
// the slot left empty.
int load_picture(World* world, int index, const char* path);
// Releases the slot's palette and pixel blocks (either may be null) and empties the slot.
void free_picture(World* world, int index);

// After load_data: writes every file that a scene needs but that did not load or has a shape the
// scenes cannot use (a palette that a scene fades or sets whole holds 256 colours from index 0),
// each as "path (why)", separated by ", ", into buf (always terminated, cut short if it does not
// fit); returns how many there are.
int list_bad_assets(char* buf, size_t size);

constexpr int GALLERY_PICTURES = 16;
constexpr int CS_PICTURES = 6;

extern Palette* pal_b;
extern Palette* pal_intro;
extern Palette* pal_gb;
extern Palette* pal_white;
extern Palette* pal_grey;
extern Palette* pal_wapal;
extern Palette* pal_cspal;
extern Palette* pal_golden;

extern Sprite* img_intro;
extern Sprite* img_vlemb;
extern Sprite* img_lights;
extern Sprite* img_radbd;
extern Sprite* img_chaos;
extern Sprite* img_osiris;
extern Sprite* img_cu;
extern Sprite* img_oibg;
extern Sprite* img_hth;
extern Sprite* img_wbd;
extern Sprite* img_lose;
extern Sprite* img_sense;
extern Sprite* img_gallery[GALLERY_PICTURES];
extern Sprite* img_worms;
extern Sprite* img_csbd;
extern Sprite* img_cs[CS_PICTURES];
extern Sprite* img_gbd;
extern Sprite* img_snatural;
extern Sprite* img_natural;
extern Sprite* img_ess;
extern Sprite* img_soul;
extern Sprite* img_good;

extern World world_scene2;
extern World world_scene3;
extern World world_scene4;
extern World world_scene5;
extern World world_scene7;
extern World world_scene8;
extern World world_scene9;
extern World world_scene10;

extern int obj_pentagon;
extern int obj_pyramid_a;
extern int obj_pyramid_b;
extern int obj_sphere3;
extern int obj_osiris;
extern int obj_star;
extern int obj_vl;
extern int obj_sphere7;
extern int obj_toorus;
extern int obj_eo;
extern int obj_sphere10;
