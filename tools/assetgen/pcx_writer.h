// Writes an 8-bit, one-plane PCX picture with its 256-colour palette at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Each scanline is run-length encoded on its own: runs of at most 63, and every value of 192 or
// more written as a run (of one if need be) so that it cannot be read as a run marker.
std::vector<uint8_t> encode_pcx(int w, int h, const std::vector<uint8_t>& pixels, const uint8_t* palette);
void write_pcx(const std::string& path, int w, int h, const std::vector<uint8_t>& pixels, const uint8_t* palette);
