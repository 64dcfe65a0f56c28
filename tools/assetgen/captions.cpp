// Titles and captions. Keyed ones are transparent around an outlined ink; opaque ones are plates.
// Where a scene puts a caption near an edge of the screen, its picture keeps its lettering that
// far inside, so that the lettering stays 6 pixels from every edge.
#include "pictures.h"
#include "shapes.h"
#include "text.h"

namespace {

// A picture of w x h whose lettering keeps clear of `left` columns, `top` rows and so on.
struct Space {
    int w, h;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Ink centred in the space, transparent round it.
Canvas keyed(const std::vector<std::string>& lines, const char* font, int px, const Space& s, float bright = 1.0f) {
    int w = s.w - s.left - s.right, h = s.h - s.top - s.bottom;
    Mask m = set_text(lines, font, px, w, h);
    Canvas inked = ink(m, bright, bright * 0.78f, 0.04f);
    Canvas c(s.w, s.h, 0, 0);
    paste(c, inked, s.left + (w - inked.w) / 2, s.top + (h - inked.h) / 2);
    return c;
}

// A plate of brightness `ground` filling the space (framed if asked), the picture's margins round
// it of brightness `margin`; the ink centred on the plate, or against its right edge.
Canvas plate(const std::vector<std::string>& lines, const char* font, int px, const Space& s, float margin, float ground,
             bool framed, bool right = false) {
    int w = s.w - s.left - s.right, h = s.h - s.top - s.bottom, inset = framed ? 2 : 0;
    Canvas c(s.w, s.h, margin);
    Canvas p(w, h, ground);
    if (framed) frame(p, 0.55f);
    Mask m = set_text(lines, font, px, w - 2 * inset, h - 2 * inset);
    Canvas inked = ink(m, 1.0f, 0.7f, ground * 0.5f);
    paste(p, inked, right ? w - inked.w : (w - inked.w) / 2, (h - inked.h) / 2);
    paste(c, p, s.left, s.top);
    return c;
}

}  // namespace

void write_captions(const std::string& dir) {
    Ramp intro = ramp_intro(), gb = ramp_gb(), grey = ramp_grey(), wapal = ramp_wapal(), golden = ramp_golden();
    // scene 2, along the bottom edge: lights from column 4, vlemb at column 176, rows 224 to 239;
    // their lettering keeps out of columns 116 to 205, where the pentagon's lower half turns
    save_image(dir, "lights.img", plate({"LET THERE BE LIGHT"}, FONT_SANS_BOLD, 14, {110, 16, 2, 0, 0, 6}, 0, 0, false),
               intro, false);
    save_image(dir, "vlemb.img", plate({"IN TEN MOVEMENTS"}, FONT_SANS_BOLD, 14, {138, 16, 0, 0, 0, 6}, 0, 0, false, true),
               intro, false);
    // scene 3: rises from the bottom to row 214 at column 5
    save_image(dir, "chaos.img", keyed({"order out of chaos"}, FONT_SANS_BOLD, 24, {310, 26, 0, 0, 0, 6}), gb, true);
    // scene 4: oibg slides in from column -111 at row 199 and rests at column 3; hth rises to row
    // 159 at column 3. Their margins are the scene's ground, index 49.
    float ground4 = grey.lum[49];
    save_image(dir, "oibg.img", plate({"carved", "in stone"}, FONT_SERIF_BOLD, 16, {111, 40, 3, 0, 0, 5}, ground4, 0.12f, true),
               grey, false);
    save_image(dir, "hth.img",
               plate({"hold", "the", "horizon"}, FONT_SERIF_BOLD, 20, {114, 78, 3, 0, 0, 3}, ground4, 0.12f, true), grey,
               false);
    // scene 5: lose rises to row 224 at column 1, sense drops to row 0 at column 140
    save_image(dir, "lose.img", keyed({"LOSE YOURSELF IN THE RIPPLES"}, FONT_SANS_BOLD, 14, {318, 16, 5, 0, 5, 6}), wapal,
               true);
    save_image(dir, "sense.img", keyed({"make sense of it"}, FONT_SERIF_BOLD, 17, {180, 20, 0, 6, 6, 0}), wapal, true);
    // scene 8: natural rises to row 224 at column 1, snatural comes down to row 1 at column 46
    save_image(dir, "natural.img", keyed({"NOTHING IS MORE NATURAL"}, FONT_SANS_BOLD, 14, {318, 16, 5, 0, 5, 6}), golden,
               true);
    save_image(dir, "snatural.img", keyed({"supernatural"}, FONT_SANS_BOLD, 19, {228, 20, 0, 5, 0, 0}), golden, true);
    // scene 10: ess at (0, 20); soul rises to row 225, good comes down to row 1, both at column 1.
    // The title's lettering starts 30 rows down and is a shade less bright than the captions, so
    // that its smeared ghost, which trails upwards away from the smear's centre low in the screen,
    // has faded before the top caption's rows.
    save_image(dir, "ess.img", keyed({"so it ends"}, FONT_SERIF_BOLD, 38, {320, 80, 0, 30, 0, 0}, 0.82f), wapal, true);
    save_image(dir, "soul.img", keyed({"THE SOUL KEEPS DANCING"}, FONT_SANS_BOLD, 14, {318, 15, 5, 0, 5, 6}), wapal, true);
    save_image(dir, "good.img", keyed({"GOOD NIGHT, AND GOODBYE"}, FONT_SANS_BOLD, 14, {318, 15, 5, 5, 5, 0}), wapal, true);
}
