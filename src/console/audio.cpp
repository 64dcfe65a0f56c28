// Sound drivers of our own for the module player. Both mix with the library's software mixer;
// the player moves on only as samples are mixed, so mixing is what moves the song.
//  - virtual: under the virtual clock, mixes exactly the samples of the elapsed virtual time and
//    hands them to the WAV file (TENFOLD_AUDIO_OUT) and the audio hook;
//  - silent: under the real clock where no sound device works, mixes into nothing at real-time
//    pace, so the song and its cues keep their timing.
#include <mikmod.h>
#include <time.h>

#include <cstdio>
#include <vector>

#include "console/internal.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

namespace con {

std::function<void(const int16_t*, size_t)> audio_hook;
bool in_driver_update = false;

namespace {

constexpr int64_t IDLE_STEP = MIX_RATE / 300;  // an update with nothing to mix moves time this far
constexpr int64_t MAX_BLOCK = 4096;            // samples per mixing call

int64_t mixed = 0;  // samples mixed since the driver started
FILE* wav = nullptr;
int64_t wav_frames = 0;
timespec silent_last{};

void put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

void write_wav_header(FILE* f, int64_t frames) {
    uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                     16, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 16, 0,
                     'd', 'a', 't', 'a', 0, 0, 0, 0};
    uint32_t data = uint32_t(frames * 4);
    put_u32(h + 4, 36 + data);
    put_u32(h + 24, MIX_RATE);
    put_u32(h + 28, MIX_RATE * 4);
    put_u32(h + 40, data);
    fseek(f, 0, SEEK_SET);
    fwrite(h, 1, sizeof h, f);
    fseek(f, 0, SEEK_END);
}

// Mixes n stereo sample frames with the library's mixer and passes them on.
void mix(int64_t n, bool keep) {
    static std::vector<int16_t> buf(MAX_BLOCK * 2);
    while (n > 0) {
        int64_t k = n < MAX_BLOCK ? n : MAX_BLOCK;
        VC_WriteBytes(reinterpret_cast<SBYTE*>(buf.data()), ULONG(k * 4));
        if (keep && wav) {
            fwrite(buf.data(), 4, size_t(k), wav);
            wav_frames += k;
        }
        if (keep && audio_hook) audio_hook(buf.data(), size_t(k));
        mixed += k;
        n -= k;
    }
}

}  // namespace

void close_audio_output() {
    if (!wav) return;
    write_wav_header(wav, wav_frames);
    fclose(wav);
    wav = nullptr;
}

namespace {

bool silent_wanted = false;  // set by con_audio_fallback: autodetection never picks the silent driver

BOOL virtual_present() { return con_virtual_clock(); }
BOOL silent_present() { return silent_wanted; }

// The mixer keeps its voice count across MikMod_Exit while it frees the voices; until a module
// sets the count again, a second start-up without a module would mix voices that are gone.
int start_mixer() {
    if (int failed = VC_Init()) return failed;
    return VC_SetNumVoices();
}

int virtual_init() {
    mixed = virtual_samples();  // the song starts now, not at the clock's start
    if (!settings.audio_out.empty()) {
        wav = fopen(settings.audio_out.c_str(), "wb");
        if (!wav) {
            fprintf(stderr, "tenfold: cannot write %s\n", settings.audio_out.c_str());
        } else {
            wav_frames = 0;
            write_wav_header(wav, 0);
        }
    }
    return start_mixer();
}

void virtual_update() {
    in_driver_update = true;
    int64_t target = virtual_samples();
    if (target <= mixed) {
        advance_virtual(mixed + IDLE_STEP);
        target = virtual_samples();
    }
    mix(target - mixed, true);
    in_driver_update = false;
}

int silent_init() {
    clock_gettime(CLOCK_MONOTONIC, &silent_last);
    return start_mixer();
}

void silent_update() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ns = (now.tv_sec - silent_last.tv_sec) * 1000000000LL + (now.tv_nsec - silent_last.tv_nsec);
    int64_t n = ns * MIX_RATE / 1000000000LL;
    if (n <= 0) return;
    // Whole samples only: the remainder stays in the next interval.
    int64_t used = n * 1000000000LL / MIX_RATE;
    silent_last.tv_nsec += long(used % 1000000000LL);
    silent_last.tv_sec += time_t(used / 1000000000LL);
    if (silent_last.tv_nsec >= 1000000000L) {
        silent_last.tv_nsec -= 1000000000L;
        silent_last.tv_sec++;
    }
    // After a stall the song catches up with the clock, as it would on a sound card that kept
    // playing; mix() works through it in blocks.
    mix(n, false);
}

int reset_mixer() {
    VC_Exit();
    return VC_Init();
}

void virtual_exit() {
    VC_Exit();
    close_audio_output();
}

MDRIVER make_driver(const char* name, const char* alias, BOOL (*present)(), int (*init)(), void (*exit)(),
                    void (*update)()) {
    MDRIVER d{};
    d.Name = name;
    d.Version = "tenfold 1.0";
    d.HardVoiceLimit = 0;
    d.SoftVoiceLimit = 255;
    d.Alias = alias;
    d.IsPresent = present;
    d.SampleLoad = VC_SampleLoad;
    d.SampleUnload = VC_SampleUnload;
    d.FreeSampleSpace = VC_SampleSpace;
    d.RealSampleLength = VC_SampleLength;
    d.Init = init;
    d.Exit = exit;
    d.Reset = reset_mixer;
    d.SetNumVoices = VC_SetNumVoices;
    d.PlayStart = VC_PlayStart;
    d.PlayStop = VC_PlayStop;
    d.Update = update;
    d.Pause = update;
    d.VoiceSetVolume = VC_VoiceSetVolume;
    d.VoiceGetVolume = VC_VoiceGetVolume;
    d.VoiceSetFrequency = VC_VoiceSetFrequency;
    d.VoiceGetFrequency = VC_VoiceGetFrequency;
    d.VoiceSetPanning = VC_VoiceSetPanning;
    d.VoiceGetPanning = VC_VoiceGetPanning;
    d.VoicePlay = VC_VoicePlay;
    d.VoiceStop = VC_VoiceStop;
    d.VoiceStopped = VC_VoiceStopped;
    d.VoiceGetPosition = VC_VoiceGetPosition;
    d.VoiceRealVolume = VC_VoiceRealVolume;
    return d;
}

MDRIVER virtual_driver = make_driver("tenfold virtual-clock mixer", "tenfold-virtual", virtual_present,
                                     virtual_init, virtual_exit, virtual_update);
MDRIVER silent_driver = make_driver("tenfold silent real-time mixer", "tenfold-silent", silent_present,
                                    silent_init, VC_Exit, silent_update);
#ifdef __EMSCRIPTEN__
MDRIVER browser_driver = make_driver("tenfold Web Audio mixer", "tenfold-browser", browser_audio_present,
                                     [] { browser_audio_start(); return start_mixer(); }, VC_Exit,
                                     browser_audio_update);
#endif
bool registered = false;

}  // namespace

}  // namespace con

using namespace con;

void con_set_audio_hook(std::function<void(const int16_t*, size_t)> hook) { audio_hook = std::move(hook); }

void con_audio_register() {
    if (registered) return;  // the library keeps its driver list for the whole process
    registered = true;
    MikMod_RegisterDriver(&virtual_driver);
#ifdef __EMSCRIPTEN__
    MikMod_RegisterDriver(&browser_driver);
#endif
    MikMod_RegisterDriver(&silent_driver);
}

int con_audio_fallback() {
    con_audio_register();
    md_device = UWORD(MikMod_DriverFromAlias("tenfold-silent"));
    silent_wanted = true;  // the library asks a driver it was told to use whether it is there
    int failed = MikMod_Init("");
    silent_wanted = false;
    return failed;
}

bool con_audio_driver_is_mute() {
    MDRIVER* d = md_driver;
    return d == &drv_nos || d == &drv_wav || d == &drv_aiff || d == &drv_raw || d == &drv_pipe ||
           d == &drv_stdout;
}
