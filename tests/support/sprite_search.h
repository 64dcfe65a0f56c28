// Looking for sprites in frames, and the 3D objects of a frame drawn apart.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/sprite.h"
#include "engine3d/world.h"

// A copy of a sprite's pixels: the show frees some sprites when their scene ends.
struct SpriteCopy {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};
SpriteCopy copy_sprite(const Sprite* sprite);

// Where a sprite drawn at (x, y) is looked for: only frame rows row_lo to row_hi, skipping its
// pixels of value 0 when keyed, the frame pixels where a mask (if given) is non-zero, and its
// pixels that equal a known background (if given) there, which would match without it.
struct SpriteLook {
    bool keyed = false;
    int row_lo = 0, row_hi = 239;
    const uint8_t* mask = nullptr;
    const uint8_t* background = nullptr;
};

// True when every compared pixel of the sprite drawn at (x, y) equals the frame and at least
// min_pixels were compared.
bool sprite_shown(const uint8_t* frame, const SpriteCopy& s, int x, int y, const SpriteLook& look,
                  int min_pixels = 1);
// How many pixels of the sprite drawn at (x, y) land on screen and differ from background there.
int pixels_apart(const SpriteCopy& s, int x, int y, const uint8_t* background);
// The first position where the sprite is shown with at least min_pixels compared, looking row by
// row from y_lo to y_hi and in each row from x_lo to x_hi; false if there is none.
bool find_sprite(const uint8_t* frame, const SpriteCopy& s, int x_lo, int x_hi, int y_lo, int y_hi,
                 const SpriteLook& look, int* x, int* y, int min_pixels = 1);

// Draws the objects that were transformed this frame into out (320 x 240, first filled with
// background), the way the scene's own render did: the renderer's target is swapped for it.
void render_objects(World* world, uint8_t* out, uint8_t background);

// The rotation between two orientations of an object: from^T × to (rows orthonormal).
void rotation_between(const float* from, const float* to, float* r);
