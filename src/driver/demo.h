// Start-up, the timeline of scenes, and shutdown.
#pragma once

extern const char banner[];

void demo_init();
// The whole run: start-up, the ten scenes, shutdown. Returns the show's exit status: 1, or 3 if
// the run could not write its outputs or remove its unpacked copy.
int demo_main();
