// Start-up, the timeline of scenes, and shutdown.
#pragma once

extern const char banner[];

void demo_init();
// The whole run: start-up, the ten scenes, shutdown. Returns 1, the show's exit status.
int demo_main();
