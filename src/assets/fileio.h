// Whole-buffer reads on file descriptors and whole files written, for the asset readers and
// writers (con_write_all is the console's).
#pragma once

#include <cstddef>
#include <cstdint>

// Reads up to n bytes, stopping early only at the end of the file or on an error; returns the
// number of bytes read. What is not read is left as it was.
size_t read_upto(int fd, void* buf, size_t n);
// Writes head and then body to path, creating the file if needed and replacing what it held.
// Returns 1, or 0 after "Error creating file: %s\n" when it cannot be opened or
// "Error writing file: %s\n" when a write fails.
int write_file(const char* path, const uint8_t* head, size_t head_size, const uint8_t* body,
               size_t body_size);

inline uint16_t get_le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline void put_le16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
