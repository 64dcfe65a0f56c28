#include "music/music.h"

#include <cstdio>

#include "console/console.h"

MODULE* music_module = nullptr;
struct timeval wait_start;
struct timeval wait_now;

void audio_init() {
    con_audio_register();
    MikMod_RegisterAllDrivers();
    MikMod_RegisterLoader(&load_xm);
    md_mixfreq = 44100;
    md_device = 0;
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    int failed = MikMod_Init("");
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
    music_module = Player_Load("data/music.xm", 16, 0);
    if (music_module) {
        music_module->extspd = 1;
        music_module->panflag = 1;
        music_module->wrap = 0;
        music_module->loop = 0;
        music_module->fadeout = 0;
        Player_Start(music_module);
    }
}

void audio_shutdown() {
    Player_Stop();
    Player_Free(music_module);
    music_module = nullptr;
    MikMod_Exit();
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
