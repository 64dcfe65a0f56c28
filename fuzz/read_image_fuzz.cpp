#include <cstdlib>

#include "assets/image.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image* image = read_image(fuzz_input_file(data, size));
    if (image) {
        // Touch both ends of the block so a wrong size shows.
        size_t n = size_t(image->width) * image->height;
        if (n) image->pixels[0] = uint8_t(image->pixels[n - 1] + 1);
        free(image->pixels);
        free(image);
    }
    return 0;
}
