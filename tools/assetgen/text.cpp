#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>

const char* const FONT_SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const FONT_SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";

namespace {

struct Glyphs {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -(1 << 30), y1 = -(1 << 30);
    struct Piece {
        int x, y, w, h;
        std::vector<float> c;
    };
    std::vector<Piece> pieces;
};

void fail(const char* what, const char* font) {
    fprintf(stderr, "assetgen: %s (%s)\n", what, font);
    exit(1);
}

// One line, its baseline at y = 0, pen starting at x = 0.
Glyphs layout_line(FT_Face face, const std::string& text) {
    Glyphs g;
    int pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(face, ch);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k);
            pen += int(k.x >> 6);
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER)) fail("cannot render a glyph", "");
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        Glyphs::Piece p{pen + slot->bitmap_left, -slot->bitmap_top, int(bm.width), int(bm.rows), {}};
        for (int y = 0; y < p.h; y++)
            for (int x = 0; x < p.w; x++) p.c.push_back(bm.buffer[y * bm.pitch + x] / 255.0f);
        if (p.w > 0 && p.h > 0) {
            g.x0 = std::min(g.x0, p.x);
            g.y0 = std::min(g.y0, p.y);
            g.x1 = std::max(g.x1, p.x + p.w);
            g.y1 = std::max(g.y1, p.y + p.h);
            g.pieces.push_back(std::move(p));
        }
        pen += int(slot->advance.x >> 6);
        previous = index;
    }
    return g;
}

Mask set_at_size(const std::vector<std::string>& lines, const char* font, int px) {
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib)) fail("cannot start FreeType", font);
    if (FT_New_Face(lib, font, 0, &face)) fail("cannot open the font", font);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
    int line_height = int(face->size->metrics.height >> 6) * 9 / 10;
    std::vector<Glyphs> laid;
    int w = 0;
    for (const std::string& line : lines) {
        laid.push_back(layout_line(face, line));
        w = std::max(w, laid.back().x1 - laid.back().x0);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    // Lines stack by the font's line height; the box is cut to the ink.
    int top = laid.front().y0, bottom = laid.back().y1 + line_height * int(lines.size() - 1);
    Mask m;
    m.w = w;
    m.h = bottom - top;
    m.c.assign(size_t(m.w) * size_t(m.h), 0.0f);
    for (size_t l = 0; l < laid.size(); l++) {
        const Glyphs& g = laid[l];
        int dx = (w - (g.x1 - g.x0)) / 2 - g.x0;
        int dy = int(l) * line_height - top;
        for (const Glyphs::Piece& p : g.pieces)
            for (int y = 0; y < p.h; y++)
                for (int x = 0; x < p.w; x++) {
                    int tx = p.x + x + dx, ty = p.y + y + dy;
                    if (tx < 0 || ty < 0 || tx >= m.w || ty >= m.h) continue;
                    float& c = m.c[size_t(ty) * size_t(m.w) + size_t(tx)];
                    c = std::min(1.0f, c + p.c[size_t(y) * size_t(p.w) + size_t(x)]);
                }
    }
    return m;
}

}  // namespace

Mask set_text(const std::vector<std::string>& lines, const char* font, int px, int max_w, int max_h) {
    for (; px > 4; px--) {
        Mask m = set_at_size(lines, font, px);
        if (m.w + 2 <= max_w && m.h + 2 <= max_h) return m;
    }
    fail("text does not fit", font);
    return {};
}

Canvas ink(const Mask& m, float top, float bottom, float outline) {
    Canvas c(m.w + 2, m.h + 2, 0, 0);
    for (int y = 0; y < c.h; y++) {
        float fill = top + (bottom - top) * float(y) / float(std::max(1, c.h - 1));
        for (int x = 0; x < c.w; x++) {
            float cover = m.at(x - 1, y - 1);
            float around = 0;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) around = std::max(around, m.at(x - 1 + dx, y - 1 + dy));
            if (around < 0.3f) continue;
            c.at(x, y) = outline + (fill - outline) * cover;
            c.alpha(x, y) = 1;
        }
    }
    return c;
}

void paste(Canvas& dst, const Canvas& src, int x, int y) {
    for (int sy = 0; sy < src.h; sy++)
        for (int sx = 0; sx < src.w; sx++)
            dst.blend(x + sx, y + sy, src.v[size_t(sy) * size_t(src.w) + size_t(sx)],
                      src.a[size_t(sy) * size_t(src.w) + size_t(sx)]);
}
