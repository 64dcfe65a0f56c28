// The module player: start, stop, the song position that several scenes take their cues from,
// and the wait that keeps the music playing.
#pragma once

#include <mikmod.h>
#include <sys/time.h>

#include <cstddef>

constexpr char MUSIC_FILE[] = "data/music.xm";
extern MODULE* music_module;  // null until audio_init loaded MUSIC_FILE

void audio_init();
void audio_shutdown();
// Loads MUSIC_FILE and starts it from its beginning (audio_init does, once the player runs).
void start_module();
// The module from its beginning again, for a start of the show again: unloaded, the mixer's
// player ticks started afresh, loaded and started.
void audio_start_again();
// Before any sound device is opened: loads MUSIC_FILE with the player's settings and frees it
// again. 1 if the player takes it; else 0, with why not ("missing", the player's reason) in why.
int check_music(char* why, size_t size);

// sngpos * 65536 + patpos, as of the last MikMod_Update().
long song_position();
// A cue counts as reached once the song is at or after it; so a row skipped between two updates,
// or a song that ended early, cannot hang the show. Without a module every cue counts as reached.
bool song_reached(long position);

extern struct timeval wait_start;  // start of the current wait_seconds (scene 5 uses it as its clock)
extern struct timeval wait_now;    // latest reading of that wait

// Waits n whole seconds of the clock while the music plays.
void wait_seconds(int n);
