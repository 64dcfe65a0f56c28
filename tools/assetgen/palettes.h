// The scene palettes: brightness ramps from black whose hue changes along the way, so that one
// scene holds several colours while averaging, smearing and fading still work on brightness.
// Flat-shaded objects take indices 0 to their shade range; each ramp gives that stretch a hue of
// its own and rises steeply through it, and the pictures keep mostly to the dark end and to the
// highlights above it, so that the objects stand out from what is behind them.
#pragma once

#include "art.h"

Ramp ramp_b();       // scene 1's first palette: pale, so the title flashes in bleached
Ramp ramp_intro();   // scenes 1 and 2: indigo, teal to aqua at 50 (the objects), then gold, white
Ramp ramp_gb();      // scene 3: navy, blue, cyan to ice white at 112, pale gold, white
Ramp ramp_white();   // no scene
Ramp ramp_grey();    // scene 4: dusk blue at 49 (its ground), red-brown, ochre, sand from 106, cream at 128
Ramp ramp_wapal();   // scenes 5, 9, 10: navy and blue to 72 (water, tiles), violet, rose, orange, gold at 200, white
Ramp ramp_cspal();   // scene 7: dark violet to 70, steeply to magenta and pink at 124, peach, white
Ramp ramp_golden();  // scene 8: dark plum, steeply to copper at 32, gold, cream

void write_palettes(const std::string& dir);
