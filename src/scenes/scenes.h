// The ten scenes of the timeline, in play order. Each runs its own frame loop over the three work
// buffers (frame_buf, aux_buf1, aux_buf2) and returns once its cue has come. Scenes 2, 3, 4, 9 and
// 10 free their world, and scenes 2 and 4 the sprites no later scene draws, emptying the slots;
// the rest stays loaded until unload_data.
#pragma once

#include "engine3d/camera.h"
#include "video/framebuffer.h"

void scene1(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene2(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene3(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene4(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
extern Camera scene5_camera;  // scene 5's viewer, a process-wide record
void scene5(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene6(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene7(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene8(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene9(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
void scene10(FrameBuffer* frame_buf, FrameBuffer* aux_buf1, FrameBuffer* aux_buf2);
