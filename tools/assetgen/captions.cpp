// Titles and captions. Keyed ones are transparent around an outlined ink; opaque ones sit on a
// plate the size of the space the scene gives them.
#include "pictures.h"
#include "shapes.h"
#include "text.h"

namespace {

// Ink centred across box_w columns, `top` transparent rows above it, as tall as that.
Canvas keyed(const std::vector<std::string>& lines, const char* font, int px, int box_w, int box_h, int top = 0,
             float bright = 1.0f) {
    Mask m = set_text(lines, font, px, box_w, box_h);
    Canvas inked = ink(m, bright, bright * 0.78f, 0.04f);
    Canvas c(box_w, top + inked.h, 0, 0);
    paste(c, inked, (box_w - inked.w) / 2, top);
    return c;
}

// Ink on a plate of w x h, centred, or against the right edge when `right`; a framed plate when
// `framed`.
Canvas plate(const std::vector<std::string>& lines, const char* font, int px, int w, int h, float ground, bool framed,
             bool right = false) {
    Canvas c(w, h, ground);
    if (framed) frame(c, 0.55f);
    Mask m = set_text(lines, font, px, w - (framed ? 4 : 0), h - (framed ? 4 : 0));
    Canvas inked = ink(m, 1.0f, 0.7f, ground * 0.5f);
    paste(c, inked, right ? w - inked.w : (w - inked.w) / 2, (h - inked.h) / 2);
    return c;
}

}  // namespace

void write_captions(const std::string& dir) {
    Ramp intro = ramp_intro(), gb = ramp_gb(), grey = ramp_grey(), wapal = ramp_wapal(), golden = ramp_golden();
    // scene 2, along the bottom edge: lights from column 4, vlemb at column 176, rows 224 to 239;
    // their lettering keeps out of columns 116 to 205, where the pentagon's lower half turns
    save_image(dir, "lights.img", plate({"let there be light"}, FONT_SANS_BOLD, 13, 110, 16, 0, false), intro, false);
    save_image(dir, "vlemb.img", plate({"in ten movements"}, FONT_SERIF_ITALIC, 14, 140, 16, 0, false, true), intro,
               false);
    // scene 3: rises from the bottom to row 214 at column 5
    save_image(dir, "chaos.img", keyed({"order out of chaos"}, FONT_SANS_BOLD, 24, 310, 26), gb, true);
    // scene 4: oibg slides in from column -111 at row 199; hth rises to row 159
    save_image(dir, "oibg.img", plate({"carved", "in stone"}, FONT_SERIF_BOLD, 16, 111, 40, 0.12f, true), grey, false);
    save_image(dir, "hth.img", plate({"hold", "the", "horizon"}, FONT_SERIF_BOLD, 20, 114, 78, 0.12f, true), grey,
               false);
    // scene 5: lose rises to row 224 at column 1, sense drops to row 0 at column 140
    save_image(dir, "lose.img", keyed({"lose yourself in the ripples"}, FONT_SANS_BOLD, 14, 318, 16), wapal, true);
    save_image(dir, "sense.img", keyed({"make sense of it"}, FONT_SERIF_BOLD, 17, 180, 20), wapal, true);
    // scene 8: natural rises to row 224 at column 1, snatural comes down to row 1 at column 46
    save_image(dir, "natural.img", keyed({"nothing is more natural"}, FONT_SERIF_BOLD, 15, 318, 16), golden, true);
    save_image(dir, "snatural.img", keyed({"supernatural"}, FONT_SANS_BOLD, 19, 228, 20), golden, true);
    // scene 10: ess at (0, 20); soul rises to row 225, good comes down to row 1, both at column 1.
    // The title's lettering starts 30 rows down and is a shade less bright than the captions, so
    // that its smeared ghost, which trails upwards away from the smear's centre low in the screen,
    // has faded before the top caption's rows.
    save_image(dir, "ess.img", keyed({"so it ends"}, FONT_SERIF_BOLD, 38, 320, 50, 30, 0.82f), wapal, true);
    save_image(dir, "soul.img", keyed({"the soul keeps dancing"}, FONT_SANS_BOLD, 13, 318, 15), wapal, true);
    save_image(dir, "good.img", keyed({"good night, and goodbye"}, FONT_SANS_BOLD, 13, 318, 15), wapal, true);
}
