#include "palettes.h"

Ramp ramp_b() { return make_ramp({{0, 0, 0, 0}, {24, 150, 170, 200}, {80, 230, 235, 250}, {255, 255, 255, 255}}); }

Ramp ramp_intro() {
    return make_ramp({{0, 0, 0, 0}, {6, 18, 6, 26}, {20, 90, 20, 44}, {35, 190, 60, 34}, {50, 255, 140, 40},
                      {120, 255, 200, 90}, {200, 255, 240, 170}, {255, 255, 255, 240}});
}

Ramp ramp_gb() {
    return make_ramp({{0, 0, 0, 0}, {30, 0, 30, 42}, {70, 10, 100, 110}, {112, 70, 210, 180},
                      {180, 170, 250, 220}, {255, 245, 255, 250}});
}

Ramp ramp_white() { return make_ramp({{0, 0, 0, 0}, {255, 255, 255, 255}}); }

Ramp ramp_grey() {
    return make_ramp({{0, 0, 0, 0}, {49, 62, 57, 50}, {128, 190, 181, 164}, {200, 232, 226, 212}, {255, 255, 253, 246}});
}

Ramp ramp_wapal() {
    return make_ramp({{0, 0, 0, 0}, {50, 0, 22, 62}, {120, 10, 80, 160}, {190, 50, 160, 230}, {230, 150, 220, 255},
                      {255, 240, 252, 255}});
}

Ramp ramp_cspal() {
    return make_ramp({{0, 0, 0, 0}, {40, 40, 10, 62}, {90, 140, 40, 160}, {124, 230, 110, 220},
                      {190, 255, 190, 245}, {255, 255, 245, 255}});
}

Ramp ramp_golden() {
    return make_ramp({{0, 0, 0, 0}, {60, 70, 35, 5}, {140, 200, 130, 30}, {200, 255, 210, 80}, {255, 255, 250, 220}});
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
