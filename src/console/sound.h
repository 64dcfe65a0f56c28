// The music player's side of the console: the sample format every part of the system mixes,
// writes and counts time in, and the player's drivers of the console's own.
#pragma once

#include <cstdint>

// 16-bit stereo at 44100 Hz; the virtual clock counts these samples, 735 to a 60 Hz tick.
constexpr int AUDIO_RATE = 44100;
constexpr int AUDIO_CHANNELS = 2;
constexpr int AUDIO_FRAME_BYTES = AUDIO_CHANNELS * 2;
constexpr int RETRACE_RATE = 60;
constexpr int64_t SAMPLES_PER_TICK = AUDIO_RATE / RETRACE_RATE;
static_assert(AUDIO_RATE % RETRACE_RATE == 0, "a retrace tick is a whole number of samples");

// Registers the console's own sound drivers ahead of the library's. Under the virtual clock ours
// is the only one that answers autodetection; under the real clock ours never does.
void con_audio_register();
// MikMod_Init(""): the library looks for a sound device. The sound library's own error lines
// (ALSA's) are kept off standard error meanwhile, and a runtime folder that the sound server's
// client library made for this look in the temporary folder and left empty is removed again.
int con_audio_init();
// Initialises the player with our silent driver, which mixes in software at real-time pace: where
// no sound device works, so the song (and every cue read from it) keeps its timing; and to load a
// module once before any device is opened. Returns MikMod_Init's result.
int con_audio_fallback();
// True if the library's driver makes no sound and does not keep time (its no-sound driver or a
// file writer that autodetection picked).
bool con_audio_driver_is_mute();
