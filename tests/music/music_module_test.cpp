// The show's module as the build packs it: two independent players read it alike, and played
// through the show's own audio path in virtual time it meets the show's cues and mixes cleanly.
#include <gtest/gtest.h>
#include <mikmod.h>
#include <unistd.h>
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "console/hooks.h"
#include "console/system.h"
#include "music/music.h"
#include "support/virtual_audio.h"

namespace {

// Each test process mixes into its own file; the last one done leaves music-test.wav to listen to.
const std::string WAV_KEPT = TENFOLD_BUILD_DIR "/music-test.wav";
const std::string WAV_FILE = WAV_KEPT + "." + std::to_string(getpid());

struct ShowRun {
    std::map<long, double> reached;  // cue position -> first clock time at or past it
    std::set<int> scene5_orders;     // song positions seen while scene 5 runs
    int numpat_used = 0;             // distinct patterns in libmikmod's order list
    double show_end = 0, song_end = 0;
    int numpos = 0, numchn = 0, numpat = 0;
};

// Plays the module through the show's audio path while the scenes' timing skeleton runs in
// virtual time: what each scene waits for (waits, fades, frame counts, whole clock seconds and
// song positions), without drawing anything.
ShowRun play_show(const std::vector<uint8_t>& bytes) {
    ShowRun r;
    VirtualAudio audio(bytes, WAV_FILE);
    if (!music_module) return r;
    r.numpos = music_module->numpos, r.numchn = music_module->numchn, r.numpat = music_module->numpat;
    r.numpat_used = int(std::set<int>(music_module->positions, music_module->positions + r.numpos).size());
    auto frame = [&] {
        present_frame();
        for (long c : {0x20004, 0x30005, 0x40006, 0x4002A, 0x50000, 0x50002})
            if (song_reached(c) && !r.reached.count(c)) r.reached[c] = con_seconds();
    };
    auto fade_pass = [] { MikMod_Update(), con_usleep(10000); };
    timeval start;
    auto elapsed = [&] {
        timeval now;
        con_gettimeofday(&now);
        return now.tv_sec - start.tv_sec;
    };
    auto timed_scene = [&](long seconds, bool flash) {  // its flash frame, the start time, its frames
        if (flash) present_frame();
        con_gettimeofday(&start);
        do frame();
        while (elapsed() <= seconds);
    };

    // Scene 1: frame, first fade (two passes), title frame, wait 3, frame, second fade, wait 2.
    frame();
    fade_pass(), fade_pass();
    frame();
    wait_seconds(3);
    frame();
    for (int i = 0; i < 18; i++) fade_pass();
    wait_seconds(2);
    // Scene 2: the title holds until order 2 row 4, a flash, the scene ends at order 5 row 2.
    MikMod_Update();
    while (!song_reached(0x20004)) frame();
    frame();
    do frame();
    while (!song_reached(0x50002));
    timed_scene(17, true);  // scene 3
    timed_scene(22, true);  // scene 4
    con_gettimeofday(&start);  // scene 5: no flash, the row read after every frame
    do {
        frame();
        r.scene5_orders.insert(music_module->sngpos);
    } while (elapsed() <= 19);
    for (int i = 0; i < 452 + 1445; i++) frame();  // scenes 6 and 7
    timed_scene(16, true);                         // scene 8: flash, then 121 fade frames from 17 s
    for (int i = 0; i < 121; i++) frame();
    timed_scene(27, true);  // scene 9
    timed_scene(24, true);  // scene 10
    r.show_end = con_seconds();
    while (Player_Active()) frame();
    r.song_end = con_seconds();
    return r;
}

struct XmpModule {
    xmp_context ctx = xmp_create_context();
    xmp_module_info info{};
    bool loaded = false;
    explicit XmpModule(std::vector<uint8_t>& bytes) {
        loaded = xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())) == 0;
        if (loaded) xmp_get_module_info(ctx, &info);
    }
    ~XmpModule() {
        if (loaded) xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
};

struct MusicModule : ::testing::Test {
    static void SetUpTestSuite() {
        bytes_ = read_bytes(TENFOLD_BUILD_DIR "/pack/data/music.xm");
        if (!bytes_.empty()) run_ = play_show(bytes_);
    }
    static void TearDownTestSuite() { std::rename(WAV_FILE.c_str(), WAV_KEPT.c_str()); }
    static std::vector<uint8_t> bytes_;
    static ShowRun run_;
};
std::vector<uint8_t> MusicModule::bytes_;
ShowRun MusicModule::run_;

TEST_F(MusicModule, TwoPlayersReadTheSameSongAndMeetTheShowsCues) {
    ASSERT_GT(run_.numpos, 0) << "libmikmod did not load the module";
    XmpModule x(bytes_);
    ASSERT_TRUE(x.loaded);
    const xmp_module& m = *x.info.mod;
    EXPECT_EQ(m.len, run_.numpos);
    EXPECT_EQ(m.chn, run_.numchn);
    // libxmp adds a blank pattern of its own; the patterns the order list plays are the file's.
    EXPECT_EQ(int(std::set<int>(m.xxo, m.xxo + m.len).size()), run_.numpat);
    EXPECT_EQ(run_.numpat_used, run_.numpat);
    EXPECT_LE(run_.numchn, 16);
    EXPECT_NEAR(x.info.seq_data[0].duration / 1000.0, run_.song_end, 1.0);

    ASSERT_EQ(run_.reached.size(), 6u) << "the song did not reach every cue";
    EXPECT_GE(run_.reached[0x20004], 6.5);
    EXPECT_LE(run_.reached[0x20004], 12.0);
    EXPECT_GE(run_.reached[0x40006] - run_.reached[0x30005], 5.5) << "slide needs 315 frames";
    EXPECT_GE(run_.reached[0x50000] - run_.reached[0x4002A], 2.5) << "fade to black needs its time";
    EXPECT_GE(run_.song_end, run_.show_end + 10.0);
}

TEST_F(MusicModule, HasSixtyFourRowsAndSpinAccentsWhileTheStarTurns) {
    ASSERT_FALSE(run_.scene5_orders.empty());
    XmpModule x(bytes_);
    ASSERT_TRUE(x.loaded);
    const xmp_module& m = *x.info.mod;
    for (int order : run_.scene5_orders) {
        ASSERT_TRUE(order >= 0 && order < m.len) << order;
        const xmp_pattern* p = m.xxp[m.xxo[order]];
        ASSERT_EQ(p->rows, 64) << "order " << order;
        for (int row : {0, 6, 10, 14, 16, 24, 26, 30, 32, 38, 42, 46, 48, 56, 58, 62}) {  // where the spin flips
            bool drum = false;
            for (int ch = 0; ch < m.chn; ch++) {
                const xmp_event& e = m.xxt[p->index[ch]]->event[row];
                if (e.note && e.note <= XMP_MAX_KEYS && e.ins > 0 && e.ins <= m.ins)
                    drum |= std::string(m.xxi[e.ins - 1].name).find("drum") != std::string::npos;
            }
            EXPECT_TRUE(drum) << "order " << order << " row " << row << " has no drum hit";
        }
    }
}

TEST_F(MusicModule, MixesWithoutClippingOrLongSilence) {
    Wav w = read_wav(WAV_FILE);
    ASSERT_EQ(w.rate, 44100);
    ASSERT_EQ(w.channels, 2);
    ASSERT_FALSE(w.samples.empty());
    int peak = 0;
    for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_LT(peak, 32767) << "the mix reaches full scale";
    // Silence: both sides below -60 dBFS. The run after the last sound may end the file.
    size_t run = 0, longest = 0;
    for (size_t i = 0; i + 1 < w.samples.size(); i += 2) {
        bool silent = std::abs(int(w.samples[i])) < 33 && std::abs(int(w.samples[i + 1])) < 33;
        longest = silent ? longest : std::max(longest, run);
        run = silent ? run + 1 : 0;
    }
    EXPECT_LE(double(longest) / 44100.0, 2.0);
}

}  // namespace
