#include <cstdlib>

#include "assets/image.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PaletteFile* pal = read_pal(fuzz_input_file(data, size));
    if (pal) {
        // Touch both ends of the table so a wrong size shows.
        size_t n = size_t(pal->count) * 3;
        if (n) pal->rgb[0] = uint8_t(pal->rgb[n - 1] + 1);
        free(pal->rgb);
        free(pal);
    }
    return 0;
}
