// The readers take file names: each fuzz input goes into one scratch file per process, removed at
// exit.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string fuzz_scratch_path;

inline void remove_fuzz_scratch() { unlink(fuzz_scratch_path.c_str()); }

inline const char* fuzz_input_file(const uint8_t* data, size_t size) {
    if (fuzz_scratch_path.empty()) {
        const char* tmp = getenv("TMPDIR");
        std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/tenfold-fuzz-XXXXXX";
        int fd = mkstemp(p.data());
        if (fd < 0) {
            perror("mkstemp");
            abort();
        }
        close(fd);
        fuzz_scratch_path = p;
        atexit(remove_fuzz_scratch);
    }
    int fd = open(fuzz_scratch_path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0 || (size && write(fd, data, size) != ssize_t(size)) || close(fd) != 0) {
        perror(fuzz_scratch_path.c_str());
        abort();
    }
    return fuzz_scratch_path.c_str();
}
