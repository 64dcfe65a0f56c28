// The ffmpeg program as the encoder: raw frames go to it on one pipe (file descriptor 3 in
// ffmpeg), raw 16-bit stereo samples on another (4). Neither pipe can hold up the other: samples
// are sent as they come, frames queue up to a backlog (two seconds of them, or 256 MB), and
// while the show waits for ffmpeg to take frames, the samples queued meanwhile keep flowing.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Bytes on their way into one pipe.
struct PipeQueue {
    int fd = -1;                              // our end
    std::deque<std::vector<uint8_t>> chunks;  // in order; the first partly sent
    size_t sent = 0;                          // of the first chunk
    size_t bytes = 0;                         // not yet sent
    std::vector<std::vector<uint8_t>> spare;  // chunks to reuse
};

struct Encoder {
    pid_t pid = -1;
    PipeQueue video, audio;
    size_t frame_bytes = 0;
    size_t backlog = 0;   // video bytes queued before the show waits
    int log = -1;         // what ffmpeg printed
    bool broken = false;  // ffmpeg stopped reading
};

// The ffmpeg program on PATH, or an empty string.
std::string find_ffmpeg();
// Starts ffmpeg with these arguments (without the program's name), which read the video from
// pipe:3 and, if `audio`, the samples from pipe:4. False if it cannot.
bool encoder_start(Encoder& e, const std::string& ffmpeg, const std::vector<std::string>& args, size_t frame_bytes,
                   bool audio);
// Queues a frame of frame_bytes; waits while ffmpeg is the backlog behind.
void encoder_frame(Encoder& e, const uint8_t* frame);
// Queues sample frames (left, right) and sends what ffmpeg takes now.
void encoder_audio(Encoder& e, const int16_t* samples, size_t frames);
// Sends everything queued, closes the pipes and waits for ffmpeg. True if it wrote the file.
bool encoder_finish(Encoder& e);
// Stops ffmpeg at once (a failed or interrupted render).
void encoder_kill(Encoder& e);
// The last line ffmpeg printed, for messages.
std::string encoder_last_words(const Encoder& e);
