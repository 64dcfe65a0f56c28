#include "video/framebuffer.h"

#include <cstdlib>
#include <cstring>

FrameBuffer* frame_buf = nullptr;
FrameBuffer* aux_buf1 = nullptr;
FrameBuffer* aux_buf2 = nullptr;

static FrameBuffer** const work_buffers[] = {&frame_buf, &aux_buf1, &aux_buf2};

int alloc_frame_buffers() {
    for (FrameBuffer** b : work_buffers) {
        *b = static_cast<FrameBuffer*>(calloc(1, sizeof(FrameBuffer)));
        if (*b) continue;
        free_frame_buffers();
        return 0;
    }
    return 1;
}

void clear_frame_buffers() {
    for (FrameBuffer** b : work_buffers) memset(*b, 0, FRAME_BYTES);
}

void free_frame_buffers() {
    for (FrameBuffer** b : work_buffers) {
        free(*b);
        *b = nullptr;
    }
}
