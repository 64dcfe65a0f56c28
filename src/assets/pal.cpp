#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/fileio.h"
#include "assets/image.h"

namespace {

constexpr size_t PAL_HEADER = 6;  // "PAL", first, count

}  // namespace

PaletteFile* new_palette_file() {
    PaletteFile* pal = static_cast<PaletteFile*>(calloc(1, sizeof(PaletteFile)));
    if (!pal) printf("Error allocating %i bytes for palette structure\n", int(sizeof(PaletteFile)));
    return pal;
}

PaletteFile* read_pal(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        printf("Error opening palette: %s\n", path);
        return nullptr;
    }
    PaletteFile* pal = new_palette_file();
    if (!pal) {
        close(fd);
        return nullptr;
    }
    uint8_t head[PAL_HEADER] = {};
    read_upto(fd, head, PAL_HEADER);  // the magic is not checked: any three bytes do
    pal->first = head[3];
    pal->count = get_le16(head + 4);
    size_t size = size_t(pal->count) * 3;
    pal->rgb = static_cast<uint8_t*>(calloc(size ? size : 1, 1));
    if (!pal->rgb) {
        printf("Error allocating %zu bytes for palette data\n", size);
        free(pal);
        close(fd);
        return nullptr;
    }
    read_upto(fd, pal->rgb, size);  // a short file leaves the rest 0
    close(fd);
    return pal;
}

int write_pal(const PaletteFile* palette_file, const char* path) {
    size_t size = palette_file ? size_t(palette_file->count) * 3 : 0;
    if (!palette_file || (size && !palette_file->rgb)) {
        printf("Invalid palette data\n");
        return 0;
    }
    uint8_t head[PAL_HEADER];
    memcpy(head, "PAL", 3);
    head[3] = palette_file->first;
    put_le16(head + 4, palette_file->count);
    return write_file(path, head, PAL_HEADER, palette_file->rgb, size);
}
