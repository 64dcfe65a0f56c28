#include "assets/image.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/fileio.h"

namespace {

constexpr size_t IMAGE_HEADER = 9;  // "IMAGE", width, height

Image* fail_image(Image* image, int fd) {
    free(image->pixels);
    free(image);
    close(fd);
    return nullptr;
}

}  // namespace

Image* new_image() {
    Image* image = static_cast<Image*>(calloc(1, sizeof(Image)));
    if (!image) printf("Error allocating %i bytes for image structure\n", int(sizeof(Image)));
    return image;
}

Image* read_image(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        printf("Error opening image: %s\n", path);
        return nullptr;
    }
    Image* image = new_image();
    if (!image) {
        close(fd);
        return nullptr;
    }
    uint8_t head[IMAGE_HEADER] = {};
    read_upto(fd, head, IMAGE_HEADER);
    if (memcmp(head, "IMAGE", 5) != 0) return fail_image(image, fd);
    image->width = get_le16(head + 5);
    image->height = get_le16(head + 7);
    // Up to 65535 x 65535 bytes: counted in size_t, never in int.
    size_t size = size_t(image->width) * image->height;
    image->pixels = static_cast<uint8_t*>(calloc(size ? size : 1, 1));
    if (!image->pixels) {
        printf("Error allocating %zu bytes for image data\n", size);
        return fail_image(image, fd);
    }
    read_upto(fd, image->pixels, size);  // a short file leaves the rest 0
    close(fd);
    return image;
}

int write_image(const Image* image, const char* path) {
    size_t size = image ? size_t(image->width) * image->height : 0;
    if (!image || (size && !image->pixels)) {
        printf("Invalid image data\n");
        return 0;
    }
    uint8_t head[IMAGE_HEADER];
    memcpy(head, "IMAGE", 5);
    put_le16(head + 5, image->width);
    put_le16(head + 7, image->height);
    return write_file(path, head, IMAGE_HEADER, image->pixels, size);
}
