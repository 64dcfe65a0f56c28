#include <cstdlib>

#include "assets/pcx.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Blocks of exactly the sizes the decoder is given, on the heap so that any overrun shows.
    uint8_t* palette = static_cast<uint8_t*>(malloc(768));
    uint8_t* pixels = static_cast<uint8_t*>(malloc(65536));
    read_pcx(fuzz_input_file(data, size), palette, pixels);
    free(palette);
    free(pixels);
    return 0;
}
