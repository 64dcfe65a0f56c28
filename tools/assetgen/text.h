// Text set with FreeType from the Debian DejaVu fonts, anti-aliased, as coverage masks; and the
// captions made from them.
#pragma once

#include <string>
#include <vector>

#include "art.h"

extern const char* const FONT_SANS_BOLD;
extern const char* const FONT_SERIF_BOLD;

struct Mask {
    int w = 0, h = 0;
    std::vector<float> c;  // coverage 0 to 1
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : c[size_t(y) * size_t(w) + size_t(x)];
    }
};

// The lines, each centred, tightly boxed; the largest size up to px whose box (plus a pixel of
// outline all round) fits max_w x max_h.
Mask set_text(const std::vector<std::string>& lines, const char* font, int px, int max_w, int max_h);

// Ink of a mask: fill brightness running from top to bottom over the rows, a one-pixel outline of
// brightness `outline` around it; transparent elsewhere. One pixel larger than the mask all round.
Canvas ink(const Mask& m, float top, float bottom, float outline);

// Lays src over dst with src's coverage, src's top-left at (x, y).
void paste(Canvas& dst, const Canvas& src, int x, int y);
