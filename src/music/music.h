// The module player: start, stop, the song position that several scenes take their cues from,
// and the wait that keeps the music playing.
#pragma once

#include <mikmod.h>
#include <sys/time.h>

extern MODULE* music_module;  // null until audio_init loaded "data/music.xm"

void audio_init();
void audio_shutdown();

// sngpos * 65536 + patpos, as of the last MikMod_Update().
long song_position();
// A cue counts as reached once the song is at or after it; so a row skipped between two updates,
// or a song that ended early, cannot hang the show. Without a module every cue counts as reached.
bool song_reached(long position);

extern struct timeval wait_start;  // start of the current wait_seconds (scene 5 uses it as its clock)
extern struct timeval wait_now;    // latest reading of that wait

// Waits n whole seconds of the clock while the music plays.
void wait_seconds(int n);
