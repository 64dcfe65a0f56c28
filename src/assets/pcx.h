// PCX pictures: run-length-encoded 8-bit indices with a 256-colour palette at the end of the file.
// The picture goes into a 65536-byte block with a row stride of 256 when a scanline fits in 256
// bytes (the rest of each row is left untouched); longer scanlines follow each other with no gap.
#pragma once

#include <cstdint>

// Decodes path into palette (768 bytes: red, green, blue for 256 colours, as in the file) and
// pixels (65536 bytes; writes wrap around inside the block). Returns 0, or -1 if the file cannot
// be opened, is shorter than its header and palette, has a non-zero reserved byte (offset 64), or
// ends before its picture data does.
int read_pcx(const char* path, uint8_t* palette, uint8_t* pixels);
