// Scene 6's strip along the bottom edge, drawn while DAC entries 1 to 225 hold the 15 x 15 colour
// cells of the grid effect and roll every frame. Like the grid maps, each pixel names a cell,
// 1 + 15 x group + cell; the two coordinates run smoothly (with wriggles) so the tile crawls
// along the strip as the colours roll.
#include <cmath>

#include "pictures.h"

void write_worms(const std::string& dir) {
    const int w = 321, h = 20;
    std::vector<uint8_t> px(size_t(w) * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float fx = float(x), fy = float(y);
            float group = -fx / 2 + 2.5f * std::sin(fy / 3.2f + fx / 23);
            float cell = fy * 0.75f + 3 * std::sin(fx / 14);
            int g = ((int(std::floor(group)) % 15) + 15) % 15;
            int e = ((int(std::floor(cell)) % 15) + 15) % 15;
            px[size_t(y) * w + size_t(x)] = uint8_t(1 + 15 * g + e);
        }
    save_indices(dir, "worms.img", w, h, px);
}
