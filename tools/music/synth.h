// The instruments of the show's music, synthesised: drums from noise and swept sines, tonal
// instruments from additive partials whose loops hold whole cycles, plucks by Karplus-Strong.
// Everything is computed from fixed seeds, so the same source gives the same samples.
#pragma once

#include "xm_writer.h"

namespace synth {

// Notes are XM note numbers less one: 0 is C-0, 48 is C-4 (261.63 Hz), 57 is A-4 (440 Hz).
double note_frequency(int note);

// Sets relative note and finetune so that `note` plays the sample at `rate` frames per second.
void tune(xm::Sample& s, double rate, int note);

xm::Instrument kick();
xm::Instrument snare();
xm::Instrument clap();
xm::Instrument closed_hat();
xm::Instrument open_hat();
xm::Instrument crash();
xm::Instrument tom();
xm::Instrument impact();
xm::Instrument bass();
xm::Instrument pad();
xm::Instrument lead();
xm::Instrument pluck();
xm::Instrument bell();
xm::Instrument riser();
xm::Instrument lead_two();

}  // namespace synth
