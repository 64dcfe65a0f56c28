#include "assets/sprite.h"

#include <cstdio>
#include <cstdlib>

Sprite* new_sprite() {
    Sprite* sprite = static_cast<Sprite*>(calloc(1, sizeof(Sprite)));
    if (!sprite) printf("Error allocating %i bytes for sprite structure.\n", int(sizeof(Sprite)));
    return sprite;
}

Sprite* load_sprite(const char* path) {
    Image* image = read_image(path);
    if (!image) return nullptr;
    Sprite* sprite = new_sprite();
    if (sprite) {
        sprite->pixels = image->pixels;  // the sprite takes the block over
        sprite->width = image->width;
        sprite->height = image->height;
        sprite->key = 0;
    } else {
        free(image->pixels);
    }
    free(image);
    return sprite;
}

Palette* load_palette(const char* path) {
    PaletteFile* file = read_pal(path);
    if (!file) return nullptr;
    Palette* pal = new_palette();
    if (pal) {
        pal->rgb = file->rgb;  // the palette takes the table over
        pal->first = file->first;
        pal->count = file->count;
        pal->mode = 0;
    } else {
        free(file->rgb);
    }
    free(file);
    return pal;
}

void free_sprite(Sprite* sprite) {
    if (!sprite) {
        printf("Cannot free NULL sprite\n");
        return;
    }
    free(sprite->pixels);
    free(sprite);
}

Sprite* sprite_from_image(Image* image) {
    if (!image) {
        printf("Invalid data supplied to function sprite_from_image()\n");
        return nullptr;
    }
    Sprite* sprite = new_sprite();
    if (!sprite) return nullptr;
    sprite->pixels = image->pixels;  // shared: the image keeps its pointer
    sprite->width = image->width;
    sprite->height = image->height;
    sprite->key = 0;
    return sprite;
}

Sprite* make_sprite(uint8_t* pixels, int32_t width, int32_t height, uint8_t key) {
    Sprite* sprite = static_cast<Sprite*>(calloc(1, sizeof(Sprite)));
    if (!sprite) return nullptr;
    sprite->pixels = pixels;
    sprite->width = width;
    sprite->height = height;
    sprite->key = key;
    return sprite;
}
