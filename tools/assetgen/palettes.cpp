#include "palettes.h"

Ramp ramp_b() { return make_ramp({{0, 0, 0, 0}, {24, 150, 170, 200}, {80, 230, 235, 250}, {255, 255, 255, 255}}); }

Ramp ramp_intro() {
    return make_ramp({{0, 0, 0, 0}, {8, 22, 10, 52}, {24, 40, 70, 110}, {50, 120, 230, 225}, {60, 255, 196, 80},
                      {120, 255, 215, 110}, {200, 255, 240, 180}, {255, 255, 255, 240}});
}

Ramp ramp_gb() {
    return make_ramp({{0, 0, 0, 0}, {10, 5, 8, 36}, {40, 10, 36, 105}, {60, 16, 66, 150}, {78, 30, 110, 190},
                      {92, 70, 170, 225}, {104, 140, 225, 245}, {112, 185, 240, 255}, {130, 250, 235, 165},
                      {190, 255, 242, 190}, {255, 255, 250, 235}});
}

Ramp ramp_white() { return make_ramp({{0, 0, 0, 0}, {255, 255, 255, 255}}); }

Ramp ramp_grey() {
    return make_ramp({{0, 0, 0, 0}, {20, 14, 16, 40}, {49, 36, 46, 100}, {74, 90, 48, 110}, {92, 160, 70, 50},
                      {104, 215, 130, 36}, {114, 248, 188, 64}, {122, 255, 225, 125}, {128, 255, 242, 180},
                      {200, 255, 250, 220}, {255, 255, 255, 240}});
}

Ramp ramp_wapal() {
    return make_ramp({{0, 0, 0, 0}, {36, 2, 14, 48}, {72, 20, 50, 120}, {100, 90, 55, 150}, {130, 190, 80, 140},
                      {165, 245, 140, 70}, {200, 255, 200, 100}, {228, 255, 238, 180}, {255, 255, 255, 255}});
}

Ramp ramp_cspal() {
    return make_ramp({{0, 0, 0, 0}, {30, 20, 6, 48}, {70, 60, 20, 110}, {100, 215, 70, 185}, {124, 255, 140, 225},
                      {190, 255, 205, 200}, {255, 255, 250, 240}});
}

Ramp ramp_golden() {
    return make_ramp({{0, 0, 0, 0}, {6, 40, 10, 34}, {32, 215, 95, 40}, {110, 255, 180, 60}, {200, 255, 225, 130},
                      {255, 255, 250, 230}});
}

void write_palettes(const std::string& dir) {
    save_palette(dir, "b.pal", ramp_b());
    save_palette(dir, "intro.pal", ramp_intro());
    save_palette(dir, "gb.pal", ramp_gb());
    save_palette(dir, "white.pal", ramp_white());
    save_palette(dir, "grey.pal", ramp_grey());
    save_palette(dir, "wapal.pal", ramp_wapal());
    save_palette(dir, "cspal.pal", ramp_cspal());
    save_palette(dir, "golden.pal", ramp_golden());
}
