// Whole buffers out to file descriptors: for the asset writers and the terminal display.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "console/system.h"

int con_write_all(int fd, const void* buf, size_t n) {
    const uint8_t* p = static_cast<const uint8_t*>(buf);
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno == EAGAIN) {  // a descriptor that does not block, full for now
            pollfd pf{fd, POLLOUT, 0};
            poll(&pf, 1, 1000);
            continue;
        }
        if (w <= 0) return 0;
        p += w;
        n -= size_t(w);
    }
    return 1;
}
