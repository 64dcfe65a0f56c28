#include "assets/pcx.h"

#include <sys/stat.h>

#include <cstdio>

#include "assets/fileio.h"

namespace {

constexpr long PCX_HEADER = 128;
constexpr long PCX_PALETTE = 768;

// Run-length decoding of the data after the header. The output position is a 16-bit counter, so
// a run or a row that passes the end of the block carries on at its start.
int decode_pcx(FILE* f, const uint8_t* head, uint8_t* pixels) {
    int rows = get_le16(head + 10) - get_le16(head + 6) + 1;
    uint16_t line = uint16_t(head[65] * get_le16(head + 66));
    uint16_t padding = line <= 255 ? uint16_t(256 - line) : 0;
    uint16_t o = 0;
    for (int y = 0; y < rows; y++) {
        for (uint32_t n = 0; n < line;) {
            int b = getc(f);
            if (b == EOF) return -1;
            int count = 1;
            if (b >= 0xC0) {  // a run: count in the low six bits, then the value
                count = b & 0x3F;
                b = getc(f);
                if (b == EOF) return -1;
            }
            for (int k = 0; k < count; k++) pixels[o++] = uint8_t(b);
            n += uint32_t(count);
        }
        o = uint16_t(o + padding);
    }
    return 0;
}

}  // namespace

int read_pcx(const char* path, uint8_t* palette, uint8_t* pixels) {
    FILE* f = fopen(path, "rb");
    if (!f) return -1;
    uint8_t head[PCX_HEADER];
    struct stat st;
    int ok = fstat(fileno(f), &st) == 0 && st.st_size >= PCX_HEADER + PCX_PALETTE &&
             fread(head, 1, PCX_HEADER, f) == size_t(PCX_HEADER) && head[64] == 0 &&
             fseek(f, long(st.st_size) - PCX_PALETTE, SEEK_SET) == 0 &&
             fread(palette, 1, PCX_PALETTE, f) == size_t(PCX_PALETTE) &&
             fseek(f, PCX_HEADER, SEEK_SET) == 0 && decode_pcx(f, head, pixels) == 0;
    fclose(f);
    return ok ? 0 : -1;
}
