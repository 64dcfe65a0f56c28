#include "console/png.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace {

// Writes the rows that row(y, out) makes (the picture's own rows, each scale times over).
template <typename Row>
bool write_png(const std::string& path, int width, int height, int scale, int colour_type, const uint8_t* palette,
               Row row) {
    if (width <= 0 || height <= 0 || scale < 1) {
        errno = EINVAL;
        return false;
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    int channels = colour_type == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<uint8_t> line(size_t(width) * scale * channels);
    bool written = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(width * scale), png_uint_32(height * scale), 8, colour_type,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (palette) {
            png_color colours[256];
            for (int i = 0; i < 256; i++) colours[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
            png_set_PLTE(png, info, colours, 256);
        }
        png_write_info(png, info);
        for (int y = 0; y < height; y++) {
            row(y, line.data());
            for (int k = 0; k < scale; k++) png_write_row(png, line.data());
        }
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    int saved = written ? 0 : EIO;
    if (fflush(f) != 0 || ferror(f)) written = false, saved = errno ? errno : EIO;
    if (fclose(f) != 0 && written) written = false, saved = errno;
    if (!written) {
        unlink(path.c_str());
        errno = saved;
    }
    return written;
}

// One row of pixels of `bytes` bytes each, every pixel repeated scale times.
void widen(const uint8_t* in, int width, int bytes, int scale, uint8_t* out) {
    for (int x = 0; x < width; x++)
        for (int k = 0; k < scale; k++)
            for (int b = 0; b < bytes; b++) *out++ = in[x * bytes + b];
}

}  // namespace

bool png_write_rgb(const std::string& path, const uint8_t* rgb, int width, int height, int scale) {
    return write_png(path, width, height, scale, PNG_COLOR_TYPE_RGB, nullptr, [&](int y, uint8_t* out) {
        widen(rgb + size_t(y) * width * 3, width, 3, scale, out);
    });
}

bool png_write_indexed(const std::string& path, const uint8_t* indices, const uint8_t* palette, int width,
                       int height, int scale) {
    return write_png(path, width, height, scale, PNG_COLOR_TYPE_PALETTE, palette, [&](int y, uint8_t* out) {
        widen(indices + size_t(y) * width, width, 1, scale, out);
    });
}
