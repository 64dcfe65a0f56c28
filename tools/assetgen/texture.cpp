// temp.pcx: the torus's 256 x 256 picture in the golden ramp. The renderer maps a vertex to
// (120 + 120 nx, 120 + 120 ny) from its normal, so the picture lives in the disc of radius 120
// round (120, 120): bright where normals face along the axis, ornament towards the rim, all of it
// in the ramp's gold and cream, far above the dark ground of scene 8's background.
#include <cmath>

#include "pcx_writer.h"
#include "pictures.h"
#include "shapes.h"

void write_texture(const std::string& dir) {
    const int n = 256;
    Canvas c(n, n);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float dx = (float(x) - 120) / 120, dy = (float(y) - 120) / 120;
            float rr = std::fmin(dx * dx + dy * dy, 1.0f), r = std::sqrt(rr), a = std::atan2(dy, dx);
            float nz = std::sqrt(1 - rr);
            float petals = std::pow(0.5f + 0.5f * std::cos(a * 8 + 4 * r), 2.0f);
            float rings = std::pow(0.5f + 0.5f * std::cos(r * 16), 6.0f);
            c.at(x, y) = 0.84f + 0.08f * nz * nz + 0.06f * petals * r + 0.08f * rings * r;
        }
    glow(c, 92, 88, 26, 0.1f);
    Ramp golden = ramp_golden();
    write_pcx(dir + "/temp.pcx", n, n, to_indices(c, golden, false), golden.rgb);
}
