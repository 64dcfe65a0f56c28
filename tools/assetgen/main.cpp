// assetgen DIR: writes every file of the show's asset catalogue into DIR (the build packs DIR's
// parent into data.dat). The same source always gives byte-identical files. assetgen --icons DIR:
// the desktop's icon (icon.cpp).
#include <cstdio>

#include "pictures.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icons") return write_icons(argv[2]);
    if (argc != 2) {
        fprintf(stderr, "usage: assetgen DIR | assetgen --icons DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    write_palettes(dir);
    write_backgrounds(dir);
    write_captions(dir);
    write_panels(dir);
    write_worms(dir);
    write_texture(dir);
    write_meshes(dir);
    return 0;
}
