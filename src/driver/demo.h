// Start-up, the timeline of scenes, and shutdown.
#pragma once

#include <sys/time.h>

extern struct timeval wait_start;  // start of the current wait_seconds (scene 5 uses it as its clock)
extern struct timeval wait_now;    // latest reading of that wait

extern const char banner[];

void demo_init();
// The whole run: start-up, the ten scenes, shutdown. Returns the show's exit status: 1, or 3 if
// the run could not write its outputs or remove its unpacked copy.
int demo_main();
// Waits n whole seconds of the clock while the music plays.
void wait_seconds(int n);
