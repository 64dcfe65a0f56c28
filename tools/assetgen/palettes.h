// The scene palettes: brightness ramps from black, each in a hue of its own. Flat-shaded objects
// take indices 0 to their shade range, so each ramp reaches a bright tone at that index and keeps
// the rest for highlights.
#pragma once

#include "art.h"

Ramp ramp_b();       // scene 1's first palette: pale, so the title flashes in bleached
Ramp ramp_intro();   // scenes 1 and 2: embers, bright at 50
Ramp ramp_gb();      // scene 3: sea green, bright at 112
Ramp ramp_white();   // no scene
Ramp ramp_grey();    // scene 4: warm grey stone, bright at 128
Ramp ramp_wapal();   // scenes 5, 9, 10: deep water, bright at 220 to 230
Ramp ramp_cspal();   // scene 7: violet, bright at 124
Ramp ramp_golden();  // scene 8: gold

void write_palettes(const std::string& dir);
