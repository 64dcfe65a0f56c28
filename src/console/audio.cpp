// Sound drivers of our own for the module player. Both mix with the library's software mixer;
// the player moves on only as samples are mixed, so mixing is what moves the song.
//  - virtual: under the virtual clock, mixes exactly the samples of the elapsed virtual time and
//    hands them to the WAV file (TENFOLD_AUDIO_OUT; a pipe gets a header for a stream) and the
//    audio hook;
//  - silent: under the real clock where no sound device works, mixes into nothing at real-time
//    pace, so the song and its cues keep their timing.
#include <fcntl.h>
#include <mikmod.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "console/internal.h"
#ifdef __EMSCRIPTEN__
#include "console/browser.h"
#endif

namespace con {

std::function<void(const int16_t*, size_t)> audio_hook;
bool in_driver_update = false;

namespace {

constexpr int64_t IDLE_STEP = AUDIO_RATE / 300;  // an update with nothing to mix moves time this far
constexpr int64_t MAX_BLOCK = 4096;            // samples per mixing call

// A pipe's reader takes a WAV header at its word: these data sizes (sox's own for a pipe) make
// sox and ffmpeg read on to the end of the stream.
constexpr uint32_t STREAM_DATA_BYTES = 0x7ffff000;

int64_t mixed = 0;  // samples mixed since the driver started
// Mixed samples are handed on (to the WAV file and the hook) from this one on; a seek hides the
// ones before the moment it goes to.
int64_t heard_from = 0;
MDRIVER* driver_before_seek = nullptr;  // the run's own driver while ours mixes a seek
int wav = -1;       // the WAV file, -1 when none is written
bool wav_streaming = false;  // not seekable (a pipe): the header keeps the stream sizes
int64_t wav_frames = 0;
int64_t silent_last_ns = 0;  // the clock's time mixed up to

void put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

// Writes all n bytes at offset at (-1: where the file is); 0, or the errno value of the failure.
int write_fully(int fd, const void* data, size_t n, off_t at = -1) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = at < 0 ? write(fd, p, n) : pwrite(fd, p, n, at);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return w < 0 ? errno : EIO;
        p += w;
        n -= size_t(w);
        if (at >= 0) at += w;
    }
    return 0;
}

// The header for frames stereo frames: at the start of the file once they are written, or
// before them on a stream. 0, or the errno value of the failure.
int write_wav_header(int64_t frames, bool at_start) {
    uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                     16, 0, 0, 0, 1, 0, AUDIO_CHANNELS, 0, 0, 0, 0, 0, 0, 0, 0, 0, AUDIO_FRAME_BYTES, 0, 16, 0,
                     'd', 'a', 't', 'a', 0, 0, 0, 0};
    uint32_t data = wav_streaming ? STREAM_DATA_BYTES : uint32_t(frames * AUDIO_FRAME_BYTES);
    put_u32(h + 4, 36 + data);
    put_u32(h + 24, AUDIO_RATE);
    put_u32(h + 28, AUDIO_RATE * AUDIO_FRAME_BYTES);
    put_u32(h + 40, data);
    return write_fully(wav, h, sizeof h, at_start ? 0 : -1);
}

// The WAV file cannot be written: reported, and the run ends (a reader that went away wants no
// more, a full disk takes no more).
void wav_failed(int error) {
    close(wav);
    wav = -1;
    report_output_failure(settings.audio_out, error);
    request_quit(1);
}

void open_wav() {
    wav = open(settings.audio_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (wav < 0) {
        report_output_failure(settings.audio_out, errno);
        request_quit(1);
        return;
    }
    wav_streaming = lseek(wav, 0, SEEK_CUR) < 0;
    wav_frames = 0;
    if (int error = write_wav_header(0, false)) wav_failed(error);
}

// Mixes n stereo sample frames with the library's mixer and passes on those from sample
// keep_from on.
void mix(int64_t n, int64_t keep_from) {
    static std::vector<int16_t> buf(MAX_BLOCK * 2);
    while (n > 0) {
        int64_t k = n < MAX_BLOCK ? n : MAX_BLOCK;
        if (mixed < keep_from && mixed + k > keep_from) k = keep_from - mixed;
        bool keep = mixed >= keep_from;
        VC_WriteBytes(reinterpret_cast<SBYTE*>(buf.data()), ULONG(k * AUDIO_FRAME_BYTES));
        if (keep && wav >= 0) {
            if (int error = write_fully(wav, buf.data(), size_t(k) * AUDIO_FRAME_BYTES)) wav_failed(error);
            else wav_frames += k;
        }
        if (keep && audio_hook) audio_hook(buf.data(), size_t(k));
        mixed += k;
        n -= k;
    }
}

}  // namespace

void close_audio_output() {
    if (wav < 0) return;
    int error = wav_streaming ? 0 : write_wav_header(wav_frames, true);
    if (close(wav) != 0 && !error) error = errno;
    wav = -1;
    if (error) report_output_failure(settings.audio_out, error);
}

namespace {

bool silent_wanted = false;  // set by con_audio_fallback: autodetection never picks the silent driver

BOOL virtual_present() { return settings.virtual_clock; }
BOOL silent_present() { return silent_wanted; }

// The mixer keeps its voice count across MikMod_Exit while it frees the voices; until a module
// sets the count again, a second start-up without a module would mix voices that are gone.
// The drivers of our own count time in the console's sample format: a player set to another is
// refused, since the virtual clock would run at the wrong pace.
int start_mixer() {
    if (md_mixfreq != AUDIO_RATE || (md_mode & (DMODE_16BITS | DMODE_STEREO)) != (DMODE_16BITS | DMODE_STEREO)) {
        fprintf(stderr, "tenfold: the module player is set to %u Hz, %s; the console mixes 16-bit stereo at %d Hz\n",
                unsigned(md_mixfreq), md_mode & DMODE_16BITS ? (md_mode & DMODE_STEREO ? "16-bit stereo" : "16-bit mono")
                                                             : "8-bit", AUDIO_RATE);
        MikMod_errno = MMERR_INITIALIZING_MIXER;
        return 1;
    }
    if (int failed = VC_Init()) return failed;
    return VC_SetNumVoices();
}

int virtual_init() {
    mixed = virtual_samples();  // the song starts now, not at the clock's start
    heard_from = seeking() ? INT64_MAX : 0;
    if (!settings.audio_out.empty()) open_wav();
    return start_mixer();
}

void virtual_update() {
    in_driver_update = true;
    int64_t target = virtual_samples();
    if (target <= mixed) {
        advance_virtual(mixed + IDLE_STEP);
        target = virtual_samples();
    }
    mix(target - mixed, heard_from);
    in_driver_update = false;
}

int silent_init() {
    silent_last_ns = show_ns();
    return start_mixer();
}

// Mixes the samples of the clock's time since the last update (a pause takes none); after a
// stall the song catches up with the clock, as it would on a sound card that kept playing.
void silent_update() {
    int64_t n = (show_ns() - silent_last_ns) * AUDIO_RATE / NS_PER_SECOND;
    if (n <= 0) return;
    silent_last_ns += n * NS_PER_SECOND / AUDIO_RATE;  // whole samples: the rest stays for the next
    mix(n, INT64_MAX);
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

// While the show seeks a moment our virtual driver mixes in place of the run's own (every one
// mixes with the library's software mixer, which holds the song), handing nothing on; a device
// hears nothing meanwhile. Taken over at the first console call after the player started.
void audio_follow_seek() {
    if (!seeking() || driver_before_seek || md_driver == &virtual_driver || md_driver == &drv_nos) return;
    driver_before_seek = md_driver;
    md_driver = &virtual_driver;
    mixed = virtual_samples();
    heard_from = INT64_MAX;
}

void audio_hear_from(int64_t sample) { heard_from = sample; }

void audio_mix_from_now() { mixed = virtual_samples(); }

void audio_seek_done() {
    if (driver_before_seek) md_driver = driver_before_seek;
    driver_before_seek = nullptr;
    silent_last_ns = show_ns();  // the silent driver mixes from the moment on
}

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
