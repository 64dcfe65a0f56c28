// Writes tracker modules in the XM format (version 0x0104): header, order list, packed pattern
// data, instruments with volume and panning envelopes and fade-out, and 16-bit samples stored as
// deltas, with loops.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr uint8_t NO_NOTE = 0;
constexpr uint8_t KEY_OFF = 97;  // notes are 1 (C-0) to 96 (B-7)
constexpr int MAX_CHANNELS = 32;
constexpr int MAX_ROWS = 256;
constexpr int MAX_ORDERS = 256;
constexpr int MAX_ENVELOPE_POINTS = 12;

// One entry of a pattern. Zero in a field means "nothing there" (volume: 0x10 to 0x50 set the
// volume 0 to 64, higher values are volume-column effects).
struct Cell {
    uint8_t note = NO_NOTE;
    uint8_t instrument = 0;  // 1-based, 0 = none
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
    bool operator==(const Cell&) const = default;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells;  // rows x channels, row-major; sized by the writer's user
    bool operator==(const Pattern&) const = default;
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0 to 64
};

struct Envelope {
    std::vector<EnvelopePoint> points;  // empty: envelope off
    int sustain = -1;                   // point index, -1: none
    int loop_start = -1, loop_end = -1; // point indices, -1: no loop
};

enum class Loop : uint8_t { none = 0, forward = 1, pingpong = 2 };

struct Sample {
    std::string name;
    std::vector<int16_t> data;
    Loop loop = Loop::none;
    uint32_t loop_start = 0, loop_length = 0;  // in sample frames
    uint8_t volume = 64;
    int8_t finetune = 0;    // 1/128 semitone
    uint8_t panning = 128;
    int8_t relative_note = 0;
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples;
    std::array<uint8_t, 96> keymap{};  // sample index for each note
    Envelope volume_envelope;
    Envelope panning_envelope;
    uint16_t fadeout = 0;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
};

struct Module {
    std::string name;
    std::string tracker = "tenfold xm writer";
    int channels = 8;
    int speed = 6;
    int bpm = 125;
    int restart = 0;
    bool linear_frequencies = true;
    std::vector<uint8_t> orders;  // pattern index per song position
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// The problem that keeps a module from being written, or "" if there is none.
std::string check(const Module& m);
// The module as XM bytes; empty if check() finds a problem.
std::vector<uint8_t> encode(const Module& m);
// Writes encode(m) to path; false (with the reason in *error) if the module is invalid or the
// file cannot be written.
bool write_file(const Module& m, const std::string& path, std::string* error);

}  // namespace xm
