#include "support/virtual_audio.h"

#include <mikmod.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "console/run.h"
#include "console/system.h"
#include "console/vga.h"
#include "music/music.h"
#include "support/run.h"

VirtualAudio::VirtualAudio(const std::vector<uint8_t>& module_bytes, const std::string& wav, unsigned delay_us)
    : old_dir(std::filesystem::current_path()), dir(make_temp_dir("audio")) {
    std::filesystem::create_directories(dir + "/data");
    if (!module_bytes.empty()) write_file(dir + "/data/music.xm", std::string(module_bytes.begin(), module_bytes.end()));
    if (chdir(dir.c_str()) != 0) perror("chdir");
    ConsoleSettings s;
    s.video = "none";
    s.virtual_clock = true;
    s.audio_out = wav;
    console_start(s);
    if (delay_us) con_usleep(delay_us);
    audio_init();
}

VirtualAudio::~VirtualAudio() {
    audio_shutdown();
    if (chdir(old_dir.c_str()) != 0) perror("chdir");
    remove_tree(dir);
}

void present_frame() {
    MikMod_Update();
    vga_waitretrace();
    vga_setdisplaystart(0);
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::string s = read_file(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

Wav read_wav(const std::string& path) {
    std::vector<uint8_t> b = read_bytes(path);
    Wav w;
    auto u16 = [&](size_t i) { return unsigned(b[i]) | unsigned(b[i + 1]) << 8; };
    auto u32 = [&](size_t i) { return u16(i) | u16(i + 2) << 16; };
    if (b.size() < 44 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "WAVE", 4) != 0 || u16(20) != 1 ||
        u16(34) != 16 || memcmp(b.data() + 36, "data", 4) != 0 || 44 + u32(40) > b.size())
        return w;
    w.channels = int(u16(22));
    w.rate = int(u32(24));
    w.samples.resize(u32(40) / 2);
    memcpy(w.samples.data(), b.data() + 44, w.samples.size() * 2);
    return w;
}
