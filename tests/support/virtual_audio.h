// The show's audio path under the virtual clock, for tests: a fresh folder holding data/music.xm
// (or no module at all) becomes the working directory, the console starts with the virtual clock
// writing the mix to a WAV file, and audio_init loads the module as the show does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class VirtualAudio {
public:
    // module_bytes empty: no module file. wav: where the mix goes ("" for nowhere). The virtual
    // clock runs for delay_us before audio_init, as start-up work would take it.
    VirtualAudio(const std::vector<uint8_t>& module_bytes, const std::string& wav, unsigned delay_us = 0);
    ~VirtualAudio();  // audio_shutdown (which closes the WAV), back to the old folder, folder removed
    VirtualAudio(const VirtualAudio&) = delete;
    VirtualAudio& operator=(const VirtualAudio&) = delete;

private:
    std::string old_dir_, dir_;
};

// One presented frame as the show makes it: the player mixes, then the retrace passes.
void present_frame();

// A file's bytes (empty if it cannot be read).
std::vector<uint8_t> read_bytes(const std::string& path);

struct Wav {
    int rate = 0, channels = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
};
// Reads a 16-bit PCM WAV file; rate 0 if it is not one.
Wav read_wav(const std::string& path);
