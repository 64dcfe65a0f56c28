#include "pcx_writer.h"

#include <cstdio>
#include <cstdlib>

namespace {

void put16(std::vector<uint8_t>& out, size_t at, int v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

}  // namespace

std::vector<uint8_t> encode_pcx(int w, int h, const std::vector<uint8_t>& pixels, const uint8_t* palette) {
    std::vector<uint8_t> out(128, 0);
    out[0] = 10;  // manufacturer
    out[1] = 5;   // version with a 256-colour palette
    out[2] = 1;   // run-length encoding
    out[3] = 8;   // bits per pixel
    put16(out, 8, w - 1);
    put16(out, 10, h - 1);
    put16(out, 12, 72);
    put16(out, 14, 72);
    out[65] = 1;  // planes
    put16(out, 66, w + (w & 1));  // bytes per line, even
    put16(out, 68, 1);            // colour palette
    int line = w + (w & 1);
    for (int y = 0; y < h; y++) {
        const uint8_t* row = &pixels[size_t(y) * size_t(w)];
        for (int x = 0; x < line;) {
            uint8_t v = x < w ? row[x] : 0;
            int run = 1;
            while (x + run < line && run < 63 && (x + run < w ? row[x + run] : 0) == v) run++;
            if (run > 1 || v >= 192) out.push_back(uint8_t(0xC0 | run));
            out.push_back(v);
            x += run;
        }
    }
    out.push_back(12);  // palette marker
    out.insert(out.end(), palette, palette + 768);
    return out;
}

void write_pcx(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels, const uint8_t* palette) {
    std::vector<uint8_t> data = encode_pcx(w, h, pixels, palette);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data.data(), 1, data.size(), f) != data.size() || fclose(f) != 0) {
        fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        exit(1);
    }
}
