// A full 256-entry palette (first 0, mode 0) for tests: byte j of its table is byte(j).
#pragma once

#include <cstdlib>
#include <functional>

#include "video/palette.h"

inline Palette* test_palette(const std::function<uint8_t(int j)>& byte) {
    Palette* p = new_palette();
    p->rgb = static_cast<uint8_t*>(malloc(768));
    for (int j = 0; j < 768; j++) p->rgb[j] = byte(j);
    p->first = 0;
    p->count = 256;
    p->mode = 0;
    return p;
}
