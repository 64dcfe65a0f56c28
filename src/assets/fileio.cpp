#include "assets/fileio.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "console/system.h"

size_t read_upto(int fd, void* buf, size_t n) {
    uint8_t* p = static_cast<uint8_t*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t r = read(fd, p + done, n - done);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += size_t(r);
    }
    return done;
}

int write_file(const char* path, const uint8_t* head, size_t head_size, const uint8_t* body,
               size_t body_size) {
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        printf("Error creating file: %s\n", path);
        return 0;
    }
    int ok = con_write_all(fd, head, head_size) && con_write_all(fd, body, body_size);
    if (close(fd) != 0) ok = 0;
    if (!ok) printf("Error writing file: %s\n", path);
    return ok;
}
