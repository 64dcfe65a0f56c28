#include "music/music.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/sound.h"
#include "console/system.h"

MODULE* music_module = nullptr;
struct timeval wait_start;
struct timeval wait_now;

namespace {

// The library keeps its lists of drivers and loaders for the whole process, and a loader
// registered twice turns its list into a loop: once per process.
void register_player() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    con_audio_register();
    MikMod_RegisterAllDrivers();
    MikMod_RegisterLoader(&load_xm);
}

void player_settings() {
    md_mixfreq = AUDIO_RATE;
    md_device = 0;
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
}

}  // namespace

void audio_init() {
    register_player();
    player_settings();
    int failed = con_audio_init();
    int reason = MikMod_errno;
    if (!failed && con_audio_driver_is_mute()) {
        // Autodetection fell through to a driver that neither sounds nor keeps time.
        MikMod_Exit();
        failed = 1;
        reason = MMERR_DETECTING_DEVICE;
    }
    if (failed) {
        fprintf(stderr, "audio-init fucked up, reason: %s\n", MikMod_strerror(reason));
        if (con_audio_fallback()) return;
    }
    MikMod_EnableOutput();  // updates mix (and move the clock) even without a module
    start_module();
}

void start_module() {
    music_module = Player_Load(MUSIC_FILE, 16, 0);
    if (music_module) {
        music_module->extspd = 1;
        music_module->panflag = 1;
        music_module->wrap = 0;
        music_module->loop = 0;
        music_module->fadeout = 0;
        Player_Start(music_module);
    }
}

void audio_start_again() {
    Player_Stop();
    Player_Free(music_module);
    // Output off and on again starts the mixer's first player tick afresh, as at start-up.
    MikMod_DisableOutput();
    MikMod_EnableOutput();
    start_module();
}

void audio_shutdown() {
    Player_Stop();
    Player_Free(music_module);
    music_module = nullptr;
    MikMod_Exit();
}

int check_music(char* why, size_t size) {
    struct stat st;
    if (stat(MUSIC_FILE, &st) != 0) {
        snprintf(why, size, "%s", errno == ENOENT ? "missing" : strerror(errno));
        return 0;
    }
    register_player();
    player_settings();
    // The silent driver mixes in software as audio_init's drivers do, and opens no device.
    if (con_audio_fallback() != 0) {
        snprintf(why, size, "the module player does not start: %s", MikMod_strerror(MikMod_errno));
        return 0;
    }
    MODULE* module = Player_Load(MUSIC_FILE, 16, 0);
    if (!module) snprintf(why, size, "the module player refuses it: %s", MikMod_strerror(MikMod_errno));
    Player_Free(module);
    MikMod_Exit();
    return module != nullptr;
}

long song_position() {
    if (!music_module) return -1;
    return long(music_module->sngpos) * 65536 + music_module->patpos;
}

bool song_reached(long position) { return !music_module || song_position() >= position; }

void wait_seconds(int n) {
    con_gettimeofday(&wait_start);
    do {
        MikMod_Update();
        con_gettimeofday(&wait_now);
    } while (wait_now.tv_sec - wait_start.tv_sec < n);
}
