// The show's audio path in virtual time: the module player, the song position that the scenes
// read, the mix written to a WAV file, and the waits without a module.
#include <gtest/gtest.h>
#include <mikmod.h>

#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "console/hooks.h"
#include "console/run.h"
#include "console/sound.h"
#include "console/system.h"
#include "music/music.h"
#include "support/virtual_audio.h"
#include "xm_writer.h"

namespace {

// Orders 0, 1, 0 of two 16-row patterns at speed 3 and 125 BPM (96 ticks, 1.92 s), a looped sine
// struck every fourth row.
xm::Module tiny_module() {
    xm::Module m;
    m.name = "tiny";
    m.channels = 2;
    m.speed = 3;
    m.bpm = 125;
    m.orders = {0, 1, 0};
    for (int p = 0; p < 2; p++) {
        m.patterns.push_back(xm::Pattern{16, std::vector<xm::Cell>(32)});
        for (int r = 0; r < 16; r += 4) m.patterns[p].cells[size_t(r * 2 + p)] = {uint8_t(49 + r + p), 1, 0x40, 0, 0};
    }
    xm::Sample s;
    for (int i = 0; i < 4410; i++) s.data.push_back(int16_t(8000 * std::sin(i * 2 * M_PI / 441)));
    s.loop = xm::Loop::forward, s.loop_start = 441, s.loop_length = 3969;
    xm::Instrument ins;
    ins.name = "sine";
    ins.samples = {s};
    ins.volume_envelope = {{{0, 64}, {20, 32}, {30, 0}}, 1, -1, -1};
    m.instruments = {ins};
    return m;
}

// The song position after each presented frame until the song has ended.
std::vector<long> positions_per_frame(unsigned delay_us) {
    VirtualAudio audio(xm::encode(tiny_module()), "", delay_us);
    std::vector<long> out;
    if (!music_module) return out;
    out.push_back(song_position());
    while (Player_Active() && out.size() < 10000) present_frame(), out.push_back(song_position());
    return out;
}

TEST(MusicPlayback, PositionStartsAtZeroGrowsThroughEveryRowAndRepeatsExactly) {
    std::vector<long> pos = positions_per_frame(0);
    ASSERT_GT(pos.size(), 2u) << "the module did not load";
    EXPECT_EQ(pos[0], 0);
    EXPECT_TRUE(std::is_sorted(pos.begin(), pos.end()));
    EXPECT_GE(std::unique(pos.begin(), pos.end()) - pos.begin(), 48) << "frames are shorter than rows";
    EXPECT_GE(pos.back(), 3 * 65536L);
    pos = positions_per_frame(0);
    EXPECT_EQ(positions_per_frame(0), pos);
    // Time that passes before audio_init does not move the song: it starts with the player.
    EXPECT_EQ(positions_per_frame(1500000), pos);
}

TEST(MusicPlayback, WavHoldsTheSongsLength) {
    const std::string wav = TENFOLD_BUILD_DIR "/music-playback-test.wav";
    {
        VirtualAudio audio(xm::encode(tiny_module()), wav);
        ASSERT_NE(music_module, nullptr);
        while (Player_Active()) MikMod_Update(), con_usleep(1000);
    }
    Wav w = read_wav(wav);
    ASSERT_EQ(w.rate, 44100);
    ASSERT_EQ(w.channels, 2);
    const double tick = 44100 * 2.5 / 125;
    EXPECT_NEAR(double(w.samples.size() / 2), 48 * 3 * tick, tick);
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 1000) << "the mix is silent";
}

TEST(MusicPlayback, WithoutModuleTheWaitsStillReturn) {
    VirtualAudio audio({}, "");
    EXPECT_EQ(music_module, nullptr);
    EXPECT_EQ(song_position(), -1);
    EXPECT_TRUE(song_reached(0x50002));
    double before = con_seconds();
    wait_seconds(2);
    EXPECT_GT(con_seconds() - before, 1.0);
    present_frame();
}

// Where no sound device works, the silent driver keeps the song moving in real time.
TEST(MusicPlayback, SilentDriverKeepsTheSongMovingInRealTime) {
    ConsoleSettings s;
    s.video = "none";
    console_start(s);
    std::string path = std::string(TENFOLD_BUILD_DIR) + "/silent-driver-test.xm";
    ASSERT_TRUE(xm::write_file(tiny_module(), path, nullptr));
    con_audio_register();
    MikMod_RegisterLoader(&load_xm);
    md_mixfreq = 44100;
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    ASSERT_EQ(con_audio_fallback(), 0) << MikMod_strerror(MikMod_errno);
    EXPECT_STREQ(md_driver->Alias, "tenfold-silent");
    MODULE* m = Player_Load(path.c_str(), 16, 0);
    ASSERT_NE(m, nullptr);
    Player_Start(m);
    for (int i = 0; i < 60 && m->sngpos == 0 && m->patpos < 4; i++) {
        MikMod_Update();
        con_usleep(20000);
    }
    EXPECT_TRUE(m->sngpos > 0 || m->patpos >= 4) << "row " << m->patpos;  // a row lasts 60 ms
    // After a stall without updates the song catches up with the clock in one update.
    ULONG before = m->sngtime;  // 1/1024 s
    usleep(600000);
    MikMod_Update();
    EXPECT_GE(m->sngtime - before, 500u * 1024 / 1000) << "the song stays behind the clock";
    Player_Stop();
    Player_Free(m);
    MikMod_Exit();
    remove(path.c_str());
}

// The console's drivers count time in its own sample format: a player set to another is refused
// with a message, where a virtual clock would otherwise run at the wrong pace.
TEST(MusicPlayback, TheConsolesDriversRefuseAnotherSampleFormat) {
    struct Case {
        unsigned rate;
        UWORD mode;
        const char* named;
    } cases[] = {{48000, DMODE_16BITS | DMODE_STEREO, "48000 Hz, 16-bit stereo"},
                 {AUDIO_RATE, DMODE_16BITS, "44100 Hz, 16-bit mono"},
                 {AUDIO_RATE, DMODE_STEREO, "44100 Hz, 8-bit"}};
    for (const Case& c : cases) {
        md_mixfreq = UWORD(c.rate);
        md_mode = c.mode | DMODE_SOFT_MUSIC;
        testing::internal::CaptureStderr();
        EXPECT_NE(con_audio_fallback(), 0) << c.named;
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.named), std::string::npos) << c.named;
    }
    md_mixfreq = AUDIO_RATE;
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    EXPECT_EQ(con_audio_fallback(), 0);
    MikMod_Exit();
}

}  // namespace
