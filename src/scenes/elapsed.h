// Whole seconds of the clock, the unit that the timed scenes take their cues in.
#pragma once

#include <sys/time.h>

// Reads the clock anew; returns its whole seconds minus those of start (microseconds ignored).
long seconds_since(const timeval& start);
