// tenfold-music FOLDER: writes the show's module, FOLDER/music.xm.
#include <cstdio>
#include <string>

#include "compose.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: tenfold-music FOLDER\n");
        return 2;
    }
    std::string error;
    if (!xm::write_file(compose_music(), std::string(argv[1]) + "/music.xm", &error)) {
        fprintf(stderr, "tenfold-music: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
