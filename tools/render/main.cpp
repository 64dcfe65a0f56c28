// tenfold-render OUTPUT [options]: the show, played in virtual time, as a video, a lossless master
// or an animated picture (render.h).
#include <unistd.h>

#include "driver/demo.h"
#include "render.h"

int main(int argc, char** argv) {
    RenderOptions o;
    bool help = false;
    if (!parse_render_args(argc, argv, o, &help)) return 2;
    if (help) return 0;
    o.progress = isatty(STDERR_FILENO);
    return render_show(o, demo_main);
}
