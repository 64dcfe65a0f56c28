// The module player: start, stop, and the song position that several scenes take their cues from.
#pragma once

#include <mikmod.h>

extern MODULE* music_module;  // null until audio_init loaded "data/music.xm"

void audio_init();
void audio_shutdown();

// sngpos * 65536 + patpos, as of the last MikMod_Update().
long song_position();
// A cue counts as reached once the song is at or after it; so a row skipped between two updates,
// or a song that ended early, cannot hang the show. Without a module every cue counts as reached.
bool song_reached(long position);
