// The show for the tools that look at it: played once under the virtual clock with no display,
// every retrace tick handed to a function with the scene on screen and the seconds since that
// scene's first tick. The scan-out comes while the show is inside its presentation, so its state
// (assets, worlds, buffers) may be read then. Needs data.dat where the tool is started.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "console/hooks.h"

using TickFunction = std::function<void(const ScanFrame& frame, int scene, double seconds)>;

// Plays the whole show; what it prints goes to standard error. Returns its exit status (1 after a
// complete run).
int play_show(const TickFunction& tick);

