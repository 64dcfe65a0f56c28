// The show's music: sections, chords, drum grooves, bass lines and melodies, put into patterns
// whose timing meets the show's cues (see compose.cpp for the plan of sections).
#pragma once

#include "xm_writer.h"

xm::Module compose_music();
