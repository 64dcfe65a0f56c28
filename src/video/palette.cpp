#include "video/palette.h"

#include <cstdio>
#include <cstdlib>

#include "console/vga.h"

namespace {

// The copies of the DAC that are alive: a scene holds one while it plays, which a start of the
// show again (a jump back) leaves behind.
Palette* dac_copies[8];

void forget_dac_copy(const Palette* p) {
    for (Palette*& c : dac_copies)
        if (c == p) c = nullptr;
}

}  // namespace

Palette* new_palette() {
    Palette* p = static_cast<Palette*>(calloc(1, sizeof(Palette)));
    if (!p) printf("Error allocating %i bytes for palette structure.\n", int(sizeof(Palette)));
    return p;
}

void free_palette(Palette* palette) {
    if (!palette) {
        printf("Cannot free NULL palette\n");
        return;
    }
    forget_dac_copy(palette);
    free(palette->rgb);
    free(palette);
}

void free_dac_copies() {
    for (Palette* c : dac_copies)
        if (c) free_palette(c);
}

void set_palette(const Palette* pal) {
    port_out(0x3C8, pal->first & 0xFF);
    if (pal->mode > 3) return;
    int shift = pal->mode < 2 ? 2 : 0;
    bool reversed = pal->mode & 1;
    for (int i = 0; i < pal->count; i++) {
        const uint8_t* e = pal->rgb + 3 * i;
        for (int c = 0; c < 3; c++) port_out(0x3C9, e[reversed ? 2 - c : c] >> shift);
    }
}

Palette* palette_from_dac() {
    Palette* p = new_palette();
    if (!p) return nullptr;
    p->rgb = static_cast<uint8_t*>(calloc(768, 1));
    if (!p->rgb) {
        free(p);
        return nullptr;
    }
    p->first = 0;
    p->count = 256;
    p->mode = 0;
    int dac[768];
    vga_getpalvec(0, 256, dac);
    for (int j = 0; j < 768; j++) p->rgb[j] = uint8_t(dac[j] << 2);
    for (Palette*& c : dac_copies)
        if (!c) {
            c = p;
            break;
        }
    return p;
}

void invert_palette(Palette* pal) {
    for (int j = 0; j < pal->count * 3; j++) pal->rgb[j] = uint8_t(~pal->rgb[j]);
    set_palette(pal);
}

int fade_palette_step(uint8_t* cur, const uint8_t* target, int count, int step) {
    int changed = 0;
    for (int j = 0; j < count * 3; j++) {
        int v = cur[j], t = target[j];
        if (v == t) continue;
        changed = 1;
        if (v < t) {
            v += step;
            if (v > t) v = t;
        } else {
            v -= step;
            if (v < t) v = t;
        }
        cur[j] = uint8_t(v);
    }
    return changed;
}
