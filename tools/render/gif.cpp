#include "gif.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

void put16(std::vector<uint8_t>& out, int v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t(v >> 8 & 0xFF));
}

// LZW-compressed image data of 8-bit indices (minimum code size 8) in sub-blocks, as GIF wants.
void put_lzw(std::vector<uint8_t>& out, const uint8_t* data, size_t n) {
    constexpr int CLEAR = 256, END = 257, MAX_CODES = 4096;
    static std::vector<uint16_t> child(size_t(MAX_CODES) * 256);  // code and byte -> code, 0 for none
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int nbits = 0, width = 9, next = END + 1;
    auto put = [&](int code) {
        bits |= uint32_t(code) << nbits;
        nbits += width;
        while (nbits >= 8) {
            bytes.push_back(uint8_t(bits));
            bits >>= 8;
            nbits -= 8;
        }
    };
    auto reset = [&] {
        std::fill(child.begin(), child.end(), 0);
        width = 9;
        next = END + 1;
    };
    reset();
    put(CLEAR);
    if (n > 0) {
        int code = data[0];
        for (size_t i = 1; i < n; i++) {
            uint16_t& c = child[size_t(code) * 256 + data[i]];
            if (c) {
                code = c;
                continue;
            }
            put(code);
            if (next < MAX_CODES) {
                if (next == 1 << width) width++;
                c = uint16_t(next++);
            } else {
                put(CLEAR);
                reset();
            }
            code = data[i];
        }
        put(code);
    }
    put(END);
    if (nbits > 0) bytes.push_back(uint8_t(bits));
    out.push_back(8);
    for (size_t at = 0; at < bytes.size(); at += 255) {
        size_t k = std::min<size_t>(255, bytes.size() - at);
        out.push_back(uint8_t(k));
        out.insert(out.end(), bytes.begin() + long(at), bytes.begin() + long(at + k));
    }
    out.push_back(0);
}

void write_bytes(GifWriter& g, const std::vector<uint8_t>& b) {
    if (!g.failed && fwrite(b.data(), 1, b.size(), g.file) != b.size()) g.failed = true;
}

void write_pending(GifWriter& g) {
    if (!g.pending) return;
    std::vector<uint8_t> b = {0x21, 0xF9, 4, 1 << 2};  // graphic control: leave the picture in place
    put16(b, g.delay);
    b.insert(b.end(), {0, 0, 0x2C});
    put16(b, g.left);
    put16(b, g.top);
    put16(b, g.w);
    put16(b, g.h);
    b.push_back(g.local ? 0x87 : 0);  // a local table of 256 colours, or none
    if (g.local) b.insert(b.end(), g.palette, g.palette + 768);
    put_lzw(b, g.indices.data(), g.indices.size());
    write_bytes(g, b);
    g.pending = false;
    g.pictures++;
}

}  // namespace

bool gif_open(GifWriter& g, const std::string& path, int width, int height) {
    g = GifWriter{};
    g.file = fopen(path.c_str(), "wb");
    if (!g.file) return false;
    g.width = width;
    g.height = height;
    g.canvas.assign(size_t(width) * height, 0xFFFFFFFF);  // no colour: the first picture is drawn whole
    return true;
}

void gif_add(GifWriter& g, const uint8_t* indices, const uint8_t* palette, int delay) {
    std::vector<uint32_t> colour(256);
    for (int i = 0; i < 256; i++)
        colour[size_t(i)] = uint32_t(palette[3 * i]) << 16 | uint32_t(palette[3 * i + 1]) << 8 | palette[3 * i + 2];
    int x0 = g.width, y0 = g.height, x1 = -1, y1 = -1;  // the rectangle that changes
    for (int y = 0; y < g.height; y++) {
        const uint8_t* row = indices + size_t(y) * g.width;
        uint32_t* shown = g.canvas.data() + size_t(y) * g.width;
        for (int x = 0; x < g.width; x++) {
            if (shown[x] == colour[row[x]]) continue;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    }
    if (x1 < 0 && g.pending) {  // nothing changed: the picture before stays longer
        g.delay += delay;
        return;
    }
    if (x1 < 0) x0 = y0 = x1 = y1 = 0;
    write_pending(g);
    if (g.pictures == 0) {
        memcpy(g.global, palette, 768);
        std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
        put16(b, g.width);
        put16(b, g.height);
        b.insert(b.end(), {0xF7, 0, 0});  // a global table of 256 colours
        b.insert(b.end(), g.global, g.global + 768);
        b.insert(b.end(), {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
        write_bytes(g, b);
    }
    g.pending = true;
    g.left = x0, g.top = y0, g.w = x1 - x0 + 1, g.h = y1 - y0 + 1;
    g.delay = delay;
    g.local = memcmp(palette, g.global, 768) != 0;
    memcpy(g.palette, palette, 768);
    g.indices.resize(size_t(g.w) * g.h);
    for (int y = y0; y <= y1; y++) {
        memcpy(&g.indices[size_t(y - y0) * g.w], indices + size_t(y) * g.width + x0, size_t(g.w));
        for (int x = x0; x <= x1; x++) g.canvas[size_t(y) * g.width + x] = colour[indices[size_t(y) * g.width + x]];
    }
}

bool gif_close(GifWriter& g) {
    write_pending(g);
    write_bytes(g, {0x3B});
    bool ok = !g.failed && fflush(g.file) == 0 && !ferror(g.file);
    int saved = errno;
    if (fclose(g.file) != 0) ok = false, saved = errno;
    g.file = nullptr;
    if (!ok) errno = saved ? saved : EIO;
    return ok;
}
