#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace synth {

namespace {

constexpr double RATE = 44100.0;
constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
constexpr int C4 = 48;

struct Noise {
    uint32_t state;
    double next() {  // white noise in [-1, 1)
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }
};

struct OnePole {  // low-pass; high-pass is the input minus this
    double a, y = 0;
    explicit OnePole(double cutoff, double rate = RATE) : a(1.0 - std::exp(-TWO_PI * cutoff / rate)) {}
    double low(double x) { return y += a * (x - y); }
    double high(double x) { return x - low(x); }
};

struct Svf {  // state-variable filter, band-pass output
    double low = 0, band = 0;
    double run(double x, double cutoff, double q, double rate = RATE) {
        double f = 2.0 * std::sin(PI * std::min(cutoff, rate / 6) / rate);
        low += f * band;
        double high = x - low - q * band;
        band += f * high;
        return band;
    }
};

// Scales to the given peak and converts to 16 bits.
std::vector<int16_t> to_pcm(const std::vector<double>& x, double peak = 0.95) {
    double m = 1e-9;
    for (double v : x) m = std::max(m, std::fabs(v));
    std::vector<int16_t> out(x.size());
    for (size_t i = 0; i < x.size(); i++) out[i] = int16_t(std::lround(x[i] / m * peak * 32767.0));
    return out;
}

xm::Instrument one_sample(const char* name, xm::Sample s) {
    xm::Instrument ins;
    ins.name = name;
    s.name = name;
    ins.samples.push_back(std::move(s));
    return ins;
}

xm::Sample one_shot(std::vector<double> x, double rate = RATE, int base_note = C4) {
    // A drum's swept sine leaves more of one sign than the other; this takes the offset out.
    OnePole dc(20.0, rate);
    for (double& v : x) v = dc.high(v);
    xm::Sample s;
    s.data = to_pcm(x);
    tune(s, rate, base_note);
    return s;
}

double decay(double t, double seconds) { return std::exp(-t / seconds); }

// A looped tone: partials of voices whose cycle counts fit the loop exactly, so the loop is
// seamless. The loops are long enough that the base note plays them at about twice the output
// rate: the player picks the nearest frame without interpolating, and oversampled data halves
// the error that makes. amp(h, t) gives the amplitude of harmonic h at time t (seconds) of voice frequency;
// the first `attack` frames may change with t, the loop after them holds t = attack's end.
struct Voice {
    int cycles;  // per loop
    double gain;
    double phase;
};

xm::Sample looped_tone(int base_note, int loop_frames, int attack_frames, const std::vector<Voice>& voices,
                       double max_hz, const std::function<double(int, double)>& amp) {
    double f0 = note_frequency(base_note);
    // The rate at which the first voice's cycles per loop sound at the base note's frequency.
    double rate = f0 * loop_frames / voices[0].cycles;
    int n = attack_frames + loop_frames;
    std::vector<double> x(size_t(n), 0.0);
    for (const Voice& v : voices) {
        double fv = double(v.cycles) * rate / loop_frames;
        for (int h = 1; h * fv <= max_hz; h++) {
            int64_t step = int64_t(h) * v.cycles;  // phase step in 1/loop_frames cycles per frame
            for (int i = 0; i < n; i++) {
                double t = double(std::min(i, attack_frames)) / rate;
                double a = amp(h, t);
                if (a == 0.0) continue;
                int64_t ph = (step * i) % loop_frames;
                x[size_t(i)] += v.gain * a * std::sin(TWO_PI * double(ph) / loop_frames + v.phase * h);
            }
        }
    }
    xm::Sample s;
    s.data = to_pcm(x);
    s.loop = xm::Loop::forward;
    s.loop_start = uint32_t(attack_frames);
    s.loop_length = uint32_t(loop_frames);
    tune(s, rate, base_note);
    return s;
}

// Gentle low-pass curve on the harmonic spectrum.
double rolloff(double hz, double cutoff) { return 1.0 / std::sqrt(1.0 + std::pow(hz / cutoff, 4.0)); }

}  // namespace

double note_frequency(int note) { return 440.0 * std::pow(2.0, (note - 57) / 12.0); }

void tune(xm::Sample& s, double rate, int note) {
    double semis = 12.0 * std::log2(rate / 8363.0) + 48 - note;
    int rel = int(std::floor(semis));
    int fine = int(std::lround((semis - rel) * 128.0));
    if (fine >= 128) rel++, fine -= 128;
    s.relative_note = int8_t(rel);
    s.finetune = int8_t(fine);
}

xm::Instrument kick() {
    int n = int(0.42 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    double phase = 0;
    Noise noise{0x1234567};
    OnePole click(3000);
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        double f = 46.0 + 130.0 * std::exp(-t / 0.035);
        phase += TWO_PI * f / RATE;
        double body = std::sin(phase) * decay(t, 0.17);
        double snap = click.low(noise.next()) * decay(t, 0.004);
        x[size_t(i)] = std::tanh(1.6 * body) + 1.5 * snap;
    }
    return one_sample("kick drum", one_shot(x));
}

xm::Instrument snare() {
    int n = int(0.3 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    Noise noise{0x2468ACE};
    OnePole hp(1200), lp(9000);
    double p1 = 0, p2 = 0;
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        p1 += TWO_PI * (185.0 + 60.0 * decay(t, 0.01)) / RATE;
        p2 += TWO_PI * 330.0 / RATE;
        double tone = (0.7 * std::sin(p1) + 0.35 * std::sin(p2)) * decay(t, 0.045);
        double hiss = lp.low(hp.high(noise.next())) * decay(t, 0.085);
        x[size_t(i)] = tone + 1.3 * hiss;
    }
    return one_sample("snare drum", one_shot(x));
}

xm::Instrument clap() {
    int n = int(0.32 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    Noise noise{0x13579BD};
    Svf bp;
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        // Three quick bursts, then the tail.
        double env = 0;
        for (double start : {0.0, 0.011, 0.022})
            if (t >= start) env = std::max(env, decay(t - start, 0.006) * (t < 0.03 ? 1.0 : 0.0));
        env = std::max(env, 0.6 * decay(std::max(0.0, t - 0.022), 0.07) * (t >= 0.022 ? 1.0 : 0.0));
        x[size_t(i)] = bp.run(noise.next(), 1300, 0.9) * env;
    }
    return one_sample("clap drum", one_shot(x));
}

namespace {

std::vector<double> metal_noise(int n, double decay_s, uint32_t seed, double hp_cutoff) {
    std::vector<double> x(static_cast<size_t>(n));
    Noise noise{seed};
    OnePole hp1(hp_cutoff), hp2(hp_cutoff);
    // Square-wave partials at inharmonic ratios add the metallic ring.
    const double freqs[] = {3450, 4870, 5720, 6810, 8200, 9310};
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        double ring = 0;
        for (double f : freqs) ring += std::sin(TWO_PI * f * t) > 0 ? 1.0 : -1.0;
        double v = hp2.high(hp1.high(noise.next() + 0.12 * ring));
        x[size_t(i)] = v * decay(t, decay_s);
    }
    return x;
}

}  // namespace

xm::Instrument closed_hat() { return one_sample("closed hat drum", one_shot(metal_noise(int(0.09 * RATE), 0.018, 0xACE1, 6500))); }
xm::Instrument open_hat() { return one_sample("open hat drum", one_shot(metal_noise(int(0.5 * RATE), 0.12, 0xBEEF, 5500))); }

xm::Instrument crash() {
    std::vector<double> x = metal_noise(int(1.6 * RATE), 0.45, 0xC0FFEE, 3500);
    for (size_t i = 0; i < 60; i++) x[i] *= double(i) / 60.0;  // soften the edge
    return one_sample("crash drum", one_shot(x));
}

xm::Instrument tom() {
    int n = int(0.45 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    double phase = 0;
    Noise noise{0x7777};
    OnePole lp(2500);
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        phase += TWO_PI * (92.0 + 70.0 * decay(t, 0.06)) / RATE;
        x[size_t(i)] = std::sin(phase) * decay(t, 0.16) + 0.3 * lp.low(noise.next()) * decay(t, 0.02);
    }
    return one_sample("low tom drum", one_shot(x));
}

xm::Instrument impact() {
    int n = int(2.2 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    double phase = 0;
    Noise noise{0x5151};
    OnePole lp(900);
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        phase += TWO_PI * (38.0 + 90.0 * decay(t, 0.08)) / RATE;
        double boom = std::tanh(1.4 * std::sin(phase)) * decay(t, 0.6);
        x[size_t(i)] = boom + 0.5 * lp.low(noise.next()) * decay(t, 0.25);
    }
    return one_sample("impact drum", one_shot(x));
}

xm::Instrument bass() {
    // Saw and sub sine at C-2; the attack opens bright and closes within a tenth of a second.
    const int base = 24;
    double f0 = note_frequency(base);
    xm::Instrument ins = one_sample(
        "bass", looped_tone(base, 16384, 10000, {{12, 1.0, 0.0}}, 7000.0, [f0](int h, double t) {
            double cutoff = 380.0 + 2600.0 * std::exp(-t / 0.05);
            double saw = rolloff(h * f0, cutoff) / h;
            return (h == 1 ? 0.9 : 0.0) + saw * 0.8;
        }));
    ins.volume_envelope = {{{0, 64}, {4, 58}, {40, 46}, {46, 0}}, 2, -1, -1};
    ins.fadeout = 2048;
    return ins;
}

xm::Instrument pad() {
    // Five slightly detuned saws at C-4; the loop holds whole cycles of each, so it beats evenly.
    const int base = C4;
    double f0 = note_frequency(base);
    std::vector<Voice> voices = {{193, 1.0, 0.0}, {192, 0.8, 1.3}, {194, 0.8, 2.1}, {191, 0.5, 0.7}, {195, 0.5, 2.9}};
    xm::Instrument ins = one_sample("pad", looped_tone(base, 65536, 0, voices, 9000.0, [f0](int h, double) {
        return rolloff(h * f0, 1800.0) / h;
    }));
    ins.volume_envelope = {{{0, 0}, {30, 40}, {70, 52}, {190, 0}}, 2, -1, -1};
    ins.fadeout = 300;
    ins.vibrato_type = 0, ins.vibrato_sweep = 60, ins.vibrato_depth = 2, ins.vibrato_rate = 6;
    return ins;
}

xm::Instrument lead() {
    // A hollow square with a touch of saw at C-5, a little brighter at the start, with vibrato.
    const int base = 60;
    double f0 = note_frequency(base);
    std::vector<Voice> voices = {{96, 1.0, 0.0}, {97, 0.35, 1.0}};
    xm::Instrument ins = one_sample("lead", looped_tone(base, 16384, 6000, voices, 11000.0, [f0](int h, double t) {
        double cutoff = 2200.0 + 3000.0 * std::exp(-t / 0.04);
        double odd = h % 2 ? 1.0 : 0.3;
        return odd * rolloff(h * f0, cutoff) / h;
    }));
    ins.volume_envelope = {{{0, 64}, {5, 54}, {60, 44}, {80, 0}}, 2, -1, -1};
    ins.fadeout = 1200;
    return ins;
}

xm::Instrument lead_two() {
    // The second theme's voice: two detuned saws at C-5, mellow, that swell in rather than strike.
    const int base = 60;
    double f0 = note_frequency(base);
    std::vector<Voice> voices = {{96, 1.0, 0.0}, {97, 0.6, 2.0}};
    xm::Instrument ins = one_sample("lead two", looped_tone(base, 16384, 0, voices, 9000.0, [f0](int h, double) {
        return rolloff(h * f0, 1600.0) / h;
    }));
    ins.volume_envelope = {{{0, 12}, {8, 56}, {14, 64}, {70, 50}, {90, 0}}, 3, -1, -1};
    ins.fadeout = 900;
    return ins;
}

xm::Instrument pluck() {
    // Karplus-Strong string at C-5: a delay line of whole frames plus the averaging filter's half.
    const int base = 60;
    const int period = 84;
    int n = int(0.9 * RATE);
    std::vector<double> line(static_cast<size_t>(period));
    Noise noise{0x9E3779B9};
    OnePole soften(6000);
    for (double& v : line) v = soften.low(noise.next());
    std::vector<double> x(static_cast<size_t>(n));
    double last = 0;
    for (int i = 0; i < n; i++) {
        double& d = line[size_t(i % period)];
        double out = d;
        d = 0.996 * 0.5 * (d + last);
        last = out;
        x[size_t(i)] = out;
    }
    return one_sample("pluck", one_shot(x, note_frequency(base) * (period + 0.5), base));
}

xm::Instrument bell() {
    // Inharmonic partials at C-5 that die away at their own speeds.
    const int base = 60;
    double f0 = note_frequency(base);
    int n = int(1.8 * RATE);
    std::vector<double> x(static_cast<size_t>(n));
    const double ratio[] = {1.0, 2.0, 2.76, 4.07, 5.4};
    const double gain[] = {1.0, 0.5, 0.35, 0.2, 0.12};
    const double life[] = {0.9, 0.6, 0.4, 0.25, 0.15};
    for (int i = 0; i < n; i++) {
        double t = i / RATE;
        double v = 0;
        for (int k = 0; k < 5; k++) v += gain[k] * std::sin(TWO_PI * f0 * ratio[k] * t) * decay(t, life[k]);
        x[size_t(i)] = v * std::min(1.0, t / 0.002);
    }
    return one_sample("bell", one_shot(x, RATE, base));
}

xm::Instrument riser() {
    // Band-passed noise in a seamless loop (cross-faded ends); pitch slides turn it into a sweep.
    const int loop = 16384, fade = 2048;
    std::vector<double> raw(static_cast<size_t>(loop + fade));
    Noise noise{0xFEED};
    Svf bp;
    for (double& v : raw) v = bp.run(noise.next(), 900, 0.5);
    std::vector<double> x(static_cast<size_t>(loop));
    for (int i = 0; i < loop; i++) {
        x[size_t(i)] = raw[size_t(i)];
        if (i < fade) {  // the loop's start blends into the noise that followed its end
            double w = double(i) / fade;
            x[size_t(i)] = w * raw[size_t(i)] + (1.0 - w) * raw[size_t(loop + i)];
        }
    }
    xm::Sample s;
    s.data = to_pcm(x);
    s.loop = xm::Loop::forward;
    s.loop_start = 0;
    s.loop_length = loop;
    tune(s, RATE, C4);
    xm::Instrument ins = one_sample("riser", s);
    ins.volume_envelope = {{{0, 4}, {120, 40}, {180, 64}, {190, 0}}, 2, -1, -1};
    ins.fadeout = 3000;
    return ins;
}

}  // namespace synth
