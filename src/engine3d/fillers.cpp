// Triangle fillers: the corners are ordered top to bottom and two edge walkers go down the
// triangle one row at a time, the long one along the top-to-bottom edge, the short one along the
// two others; every row between them is drawn by a span step.
#include <utility>

#include "engine3d/fillers.h"
#include "video/framebuffer.h"

namespace {

// Position on an edge in 16.16, and its change per row.
struct EdgeWalker {
    int32_t x, u, v;
    int32_t dx, du, dv;
};

// A flat face's picture coordinates are all 0: no division for them.
int32_t edge_slope(int32_t from, int32_t to, int32_t rows) { return to == from ? 0 : (to - from) * 65536 / rows; }

EdgeWalker walker_along(const ScreenPoint& p, const ScreenPoint& q) {
    int32_t rows = q.y - p.y;
    return EdgeWalker{p.x * 65536,
                      p.u * 65536,
                      p.v * 65536,
                      edge_slope(p.x, q.x, rows),
                      edge_slope(p.u, q.u, rows),
                      edge_slope(p.v, q.v, rows)};
}

void advance(EdgeWalker* w) {
    w->x += w->dx;
    w->u += w->du;
    w->v += w->dv;
}

struct Flat {
    FrameBuffer* target;
    uint8_t colour;
    void row(const EdgeWalker& s, const EdgeWalker& l, int y) const {
        draw_flat_span(target, s.x >> 16, l.x >> 16, y, colour);
    }
};

struct Mapped {
    FrameBuffer* target;
    const uint8_t* picture;
    void row(const EdgeWalker& s, const EdgeWalker& l, int y) const {
        draw_mapped_span(target, s.x >> 16, l.x >> 16, y, s.u, l.u, s.v, l.v, picture);
    }
};

template <typename Span>
void walk_rows(EdgeWalker* shorter, EdgeWalker* longer, int from, int to, const Span& span) {
    for (int y = from; y <= to; y++) {
        // Where the two edges share a column neither span step draws anything (a quarter of the
        // rows the show's objects take).
        if (y >= 0 && y < SCREEN_HEIGHT && (shorter->x >> 16) != (longer->x >> 16))
            span.row(*shorter, *longer, y);
        advance(shorter);
        advance(longer);
    }
}

template <typename Span>
void fill_triangle(ScreenPoint a, ScreenPoint b, ScreenPoint c, const Span& span) {
    if (b.y > c.y) std::swap(b, c);
    if (a.y > c.y) std::swap(a, c);
    if (a.y > b.y) std::swap(a, b);
    if (a.y == c.y) return;

    const EdgeWalker start = walker_along(a, c);
    EdgeWalker longer = start;
    if (b.y != a.y) {
        EdgeWalker shorter = walker_along(a, b);
        walk_rows(&shorter, &longer, a.y, b.y - 1, span);
    }
    if (c.y != b.y) {
        int32_t rows = b.y - a.y;
        longer.x = start.x + rows * start.dx;
        longer.u = start.u + rows * start.du;
        longer.v = start.v + rows * start.dv;
        EdgeWalker shorter = walker_along(b, c);
        walk_rows(&shorter, &longer, b.y, c.y, span);
    }
}

}  // namespace

void fill_triangle_flat(FrameBuffer* target, const ScreenPoint* p0, const ScreenPoint* p1,
                        const ScreenPoint* p2) {
    fill_triangle(*p0, *p1, *p2, Flat{target, uint8_t(p0->shade & 255)});
}

void fill_triangle_mapped(FrameBuffer* target, const ScreenPoint* p0, const ScreenPoint* p1,
                          const ScreenPoint* p2, const uint8_t* picture) {
    fill_triangle(*p0, *p1, *p2, Mapped{target, picture});
}
