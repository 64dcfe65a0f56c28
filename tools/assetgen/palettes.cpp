#include "palettes.h"

Ramp ramp_b() { return make_ramp({{0, 0, 0, 0}, {24, 150, 170, 200}, {80, 230, 235, 250}, {255, 255, 255, 255}}); }

Ramp ramp_intro() {
    return make_ramp({{0, 0, 0, 0}, {4, 16, 8, 40}, {14, 90, 24, 96}, {30, 205, 50, 70}, {50, 255, 130, 40},
                      {120, 255, 196, 90}, {200, 255, 238, 170}, {255, 255, 255, 240}});
}

Ramp ramp_gb() {
    return make_ramp({{0, 0, 0, 0}, {10, 5, 8, 36}, {40, 10, 36, 105}, {60, 16, 66, 150}, {78, 30, 110, 190},
                      {92, 70, 170, 225}, {104, 140, 225, 245}, {112, 185, 240, 255}, {130, 250, 235, 165},
                      {190, 255, 242, 190}, {255, 255, 250, 235}});
}

Ramp ramp_white() { return make_ramp({{0, 0, 0, 0}, {255, 255, 255, 255}}); }

Ramp ramp_grey() {
    return make_ramp({{0, 0, 0, 0}, {20, 14, 16, 40}, {49, 40, 52, 100}, {64, 82, 52, 72}, {80, 118, 72, 60},
                      {96, 160, 105, 75}, {108, 200, 145, 100}, {118, 232, 190, 140}, {124, 248, 220, 175},
                      {128, 255, 240, 210}, {200, 255, 245, 220}, {255, 255, 252, 240}});
}

Ramp ramp_wapal() {
    return make_ramp({{0, 0, 0, 0}, {40, 0, 12, 45}, {100, 6, 30, 90}, {135, 15, 60, 140}, {147, 30, 110, 175},
                      {160, 200, 180, 100}, {185, 250, 215, 120}, {220, 255, 238, 185}, {255, 255, 255, 255}});
}

Ramp ramp_cspal() {
    return make_ramp({{0, 0, 0, 0}, {30, 24, 6, 50}, {80, 110, 30, 150}, {124, 230, 90, 200}, {190, 255, 180, 170},
                      {255, 255, 248, 235}});
}

Ramp ramp_golden() {
    return make_ramp({{0, 0, 0, 0}, {50, 60, 14, 20}, {130, 200, 90, 30}, {200, 255, 200, 70}, {255, 255, 252, 225}});
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
