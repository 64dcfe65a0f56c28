// The console layer in a web browser (the WebAssembly build): the picture in the page's canvas,
// the music through Web Audio, the real clock taken from the audio clock, and the page kept
// responsive while the show's loops block (Asyncify: waits sleep and hand the page its turn).
// The page itself is web/; the hooks below are called from the console's own files.
#pragma once

#include <mikmod.h>

#include <cstdint>
#include <memory>

namespace con {

struct Display;

// The canvas display; also tells the page the scene shown and, under the virtual clock, the
// hashes of every tick's frame. It reads the page's refreshes, which the real clock's ticks follow.
std::unique_ptr<Display> open_browser_display();
// Nanoseconds of the page's monotonic clock, the one its refreshes are timed by; never goes back.
int64_t browser_clock_ns();
// When the page paused the show (Space, or the tab hidden) and stopped its sound, on that clock;
// -1 while it plays.
int64_t browser_pause_since_ns();
// Sleeps this long, letting the page run meanwhile.
void browser_sleep_ns(int64_t ns);
// Lets the page run if the show has kept it waiting for a while; cheap when it has not.
void browser_breathe();
// The module player's driver for Web Audio (its record is made in audio.cpp): there when the page
// has a running audio context and the clock is real; mixes ahead of the audio clock.
BOOL browser_audio_present();
void browser_audio_start();
void browser_audio_update();
// How far a seek has come (0 ... 1), or -1 when it is over.
void browser_progress(double done);
// Unpacks a gzip-compressed tar into dir, as tar -xzf would; 0 on success.
int browser_untar(const char* archive, const char* dir);

}  // namespace con
