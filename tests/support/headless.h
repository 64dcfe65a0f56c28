// The console as the tests and benchmarks want it: no picture, the virtual clock.
#pragma once

#include "console/run.h"

inline void start_headless_console() {
    ConsoleSettings s;
    s.video = "none";
    s.virtual_clock = true;
    console_start(s);
}
