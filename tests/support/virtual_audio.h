// The show's audio path under the virtual clock, for tests: a fresh folder holding data/music.xm
// (none when module_bytes is empty) becomes the working directory, the console starts with the
// virtual clock writing the mix to wav ("" for nowhere), the clock runs delay_us as start-up work
// would take it, and audio_init loads the module as the show does. The destructor shuts the audio
// down (closing the WAV), goes back to the old folder and removes the new one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VirtualAudio {
    VirtualAudio(const std::vector<uint8_t>& module_bytes, const std::string& wav, unsigned delay_us = 0);
    ~VirtualAudio();
    VirtualAudio(const VirtualAudio&) = delete;
    VirtualAudio& operator=(const VirtualAudio&) = delete;
    std::string old_dir, dir;
};

// One presented frame as the show makes it: the player mixes, then the retrace passes.
void present_frame();

// A file's bytes (empty if it cannot be read).
std::vector<uint8_t> read_bytes(const std::string& path);

struct Wav {
    int rate = 0, channels = 0;
    std::vector<int16_t> samples;  // interleaved
};
// Reads a 16-bit PCM WAV file; rate 0 if it is not one.
Wav read_wav(const std::string& path);
