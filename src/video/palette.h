// Palettes: capture from the DAC, upload, inversion and fade steps.
#pragma once

#include <cstdint>

struct Palette {
    uint8_t* rgb;    // count x 3 bytes; 8-bit in modes 0 and 1, 6-bit in modes 2 and 3
    uint16_t first;  // DAC index of entry 0 (low 8 bits reach the hardware)
    uint16_t count;
    uint8_t mode;    // 0: r,g,b >> 2   1: b,g,r >> 2   2: r,g,b as is   3: b,g,r as is
};

Palette* new_palette();
void free_palette(Palette* palette);
// Frees the copies of the DAC (palette_from_dac) not freed yet: the scene's own, for a start of
// the show again.
void free_dac_copies();

void set_palette(const Palette* pal);
Palette* palette_from_dac();
void invert_palette(Palette* pal);
// Moves each byte of cur by step towards target; 1 if any byte differed before the step.
int fade_palette_step(uint8_t* cur, const uint8_t* target, int count, int step);
