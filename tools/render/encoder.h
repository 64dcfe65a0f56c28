// The ffmpeg program as the video encoder: raw RGB frames go to it on one pipe, raw 16-bit stereo
// samples on another. Neither pipe can hold up the other: samples are sent as they come, frames
// queue up to a backlog of two seconds, and while the show waits for ffmpeg to take frames, the
// samples queued meanwhile keep flowing.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

struct Encoder {
    pid_t pid = -1;
    int video = -1, audio = -1;   // our ends of the two pipes
    int log = -1;                 // what ffmpeg printed
    std::string video_pending, audio_pending;
    bool broken = false;          // ffmpeg stopped reading
};

// The ffmpeg program on PATH, or an empty string.
std::string find_ffmpeg();
// Starts ffmpeg writing an mp4 (H.264 at twice the size, AAC) to out_path. False if it cannot.
bool encoder_start(Encoder& e, const std::string& ffmpeg, const std::string& out_path);
// Queues a frame of 320 x 240 x (red, green, blue); waits while ffmpeg is two seconds behind.
void encoder_frame(Encoder& e, const uint8_t* rgb);
// Queues sample frames (left, right) and sends what ffmpeg takes now.
void encoder_audio(Encoder& e, const int16_t* samples, size_t frames);
// Sends everything queued, closes the pipes and waits for ffmpeg. True if it wrote the file.
bool encoder_finish(Encoder& e);
// Stops ffmpeg at once (a failed or interrupted render).
void encoder_kill(Encoder& e);
// The last line ffmpeg printed, for messages.
std::string encoder_last_words(const Encoder& e);
