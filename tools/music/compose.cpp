// The plan, at 125 BPM and speed 6 (a row is 0.12 s, a bar of 16 rows 1.92 s), set against the
// show's scenes as they fall in a run in virtual time:
//
//   order  rows        time (s)       section                  scene
//   0      32          0.0 - 3.8      intro: pads and bells    1 (title)
//   1      24          3.8 - 6.7      build: roll and riser    2 waits with the title
//   2      68          6.7 - 14.9     beat one of the fill, then the flash at row 4 and theme A
//   3-4    64 each    14.9 - 30.2     theme A; order 4 rows 42-63 break down (scene 2's fade)
//   5-7    64,64,16   30.2 - 47.5     B: plucked arpeggios    3 (from order 5 row 2)
//   8-10   64 each    47.5 - 70.6     C: half time, darker    4
//   11-13  64 each    70.6 - 93.6     D: the star's groove    5 (accents on its spin rows)
//   14     32          93.6 - 98.4    breakdown at 100 BPM    6
//   15-17  64,64,72   98.4 - 122.4    E: melody               7
//   18-20  64,64,24  122.4 - 140.6    F: dreamy, half time    8
//   21-24  64x3,40   140.6 - 168.5    G: theme A again, full  9
//   25-26  64 each   168.5 - 183.9    H: finale               10
//   27-29  64 each   183.9 - 207.0    ending: cadence, last chord under scene 10's fade-out
//
// The loudness follows the story: the intro, the breakdowns (order 4 from row 42, order 14, and
// F under scene 8) have no drums and sit well below the choruses, so the song breathes. The
// closed hats play eighths with ghost notes and open off-beats, and every fourth bar ends in a
// fill. The leads breathe: long notes swell into vibrato and fall away with a volume slide, and
// some notes slide into the next by portamento; the second theme (E) has a lead sound of its own.
//
// Every pattern that scene 5 can meet (70 to 92 s, allowing for the whole-second clocks of
// scenes 3 and 4) has 64 rows, and from order 10 to 13 the kick falls on rows 0, 6, 10, 14,
// 16, 24, 26, 30, 32, 38, 42, 46, 48, 56, 58, 62, where the star's spin flips.
#include "compose.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "synth.h"

namespace {

enum Instrument { KICK = 1, SNARE, CLAP, CLOSED_HAT, OPEN_HAT, CRASH, TOM, IMPACT, BASS, PAD, LEAD, PLUCK, BELL, RISER, LEAD_TWO };
enum Channel { KICK_CH, SNARE_CH, HAT_CH, PERC_CH, BASS_CH, PAD_CH, LEAD_CH = PAD_CH + 6, ECHO_CH, ARP_CH, BELL_CH, FX_CH, CHANNELS };

constexpr int BAR = 16;
constexpr int SPEED = 6;
constexpr int BPM = 125;
constexpr int BREAK_BPM = 100;

// Stereo placement of each channel; the two pad groups spread their three voices.
constexpr std::array<uint8_t, CHANNELS> PAN = {128, 118, 160, 140, 128, 80, 128, 176, 88, 128, 168, 112, 184, 84, 172, 128};

// The accent rows of scene 5's spin, bar by bar: even bars 0, 6, 10, 14 and odd bars 0, 8, 10, 14.
constexpr std::array<int, 4> ACCENT_EVEN = {0, 6, 10, 14};
constexpr std::array<int, 4> ACCENT_ODD = {0, 8, 10, 14};

struct Chord {
    int root;  // pitch class, 0 = C
    bool minor;
};

Chord chord(const std::string& name) {
    static const int letter[] = {9, 11, 0, 2, 4, 5, 7};  // A to G
    int pc = letter[name[0] - 'A'];
    size_t i = 1;
    if (i < name.size() && name[i] == '#') pc = (pc + 1) % 12, i++;
    return {pc, i < name.size() && name[i] == 'm'};
}

std::vector<Chord> chords(const std::string& names) {
    std::vector<Chord> out;
    std::istringstream in(names);
    for (std::string n; in >> n;) out.push_back(chord(n));
    return out;
}

// The lowest note at or above `low` with pitch class pc.
int place(int pc, int low) { return low + ((pc - low) % 12 + 12) % 12; }

std::array<int, 3> tones(Chord c) { return {c.root, (c.root + (c.minor ? 3 : 4)) % 12, (c.root + 7) % 12}; }

// Note names as in trackers, octave 4 holding A 440: "A4", "C#5". Notes count from C-0 = 0.
int note_named(const std::string& s) {
    static const int letter[] = {9, 11, 0, 2, 4, 5, 7};
    int n = letter[s[0] - 'A'];
    size_t i = 1;
    if (s[i] == '#') n++, i++;
    return n + 12 * (s[i] - '0');
}

struct Pat {
    xm::Pattern p;
    explicit Pat(int rows) {
        p.rows = rows;
        p.cells.resize(size_t(rows) * CHANNELS);
    }
    xm::Cell* at(int row, int ch) { return row >= 0 && row < p.rows ? &p.cells[size_t(row) * CHANNELS + ch] : nullptr; }
    void note(int row, int ch, int n, int ins, int vol) {
        xm::Cell* c = at(row, ch);
        if (!c) return;
        c->note = uint8_t(n + 1);
        c->instrument = uint8_t(ins);
        if (ins >= BASS) vol = vol * 6 / 5;  // the tonal parts sit a little forward of the drums
        c->volume = uint8_t(0x10 + std::clamp(vol, 0, 64));
        if (c->effect == 0 && c->param == 0) c->effect = 8, c->param = PAN[ch];
    }
    void off(int row, int ch) {
        if (xm::Cell* c = at(row, ch)) *c = xm::Cell{xm::KEY_OFF, 0, 0, c->effect, c->param};
    }
    void fx(int row, int ch, int effect, int param) {
        if (xm::Cell* c = at(row, ch)) c->effect = uint8_t(effect), c->param = uint8_t(param);
    }
};

struct Song {
    std::vector<xm::Pattern> patterns;
    std::vector<uint8_t> orders;
    int pad_group = 0;
    bool pad_sounding = false;

    // A pattern without a melody releases the last one, which would otherwise hold on.
    void add(Pat& p) {
        bool melody = false;
        for (int r = 0; r < p.p.rows; r++) melody |= p.at(r, LEAD_CH)->note != xm::NO_NOTE;
        if (!melody) p.off(0, LEAD_CH), p.off(0, ECHO_CH);
        for (size_t i = 0; i < patterns.size(); i++)
            if (patterns[i] == p.p) {
                orders.push_back(uint8_t(i));
                return;
            }
        orders.push_back(uint8_t(patterns.size()));
        patterns.push_back(p.p);
    }

    // Pads: each chord on the other group of three channels, so the last one rings out under it.
    void pad(Pat& p, int row, Chord c, int vol) {
        if (pad_sounding)
            for (int v = 0; v < 3; v++) p.off(row, PAD_CH + 3 * pad_group + v);
        pad_group ^= 1;
        std::array<int, 3> t = tones(c);
        for (int v = 0; v < 3; v++) p.note(row, PAD_CH + 3 * pad_group + v, place(t[v], 52), PAD, vol);
        pad_sounding = true;
    }
    void pads_release(Pat& p, int row) {
        if (!pad_sounding) return;
        for (int v = 0; v < 3; v++) p.off(row, PAD_CH + 3 * pad_group + v);
        pad_sounding = false;
    }
    void pads(Pat& p, int row0, const std::vector<Chord>& cs, int vol, int rows_per_chord = BAR) {
        for (size_t i = 0; i < cs.size(); i++) pad(p, row0 + int(i) * rows_per_chord, cs[i], vol);
    }
};

// ---- drums --------------------------------------------------------------------------------------

enum class Groove { four, half, accent, light };

// Closed hats on the eighths, louder off the beat, with ghost notes between; an open hat on an
// off-beat every other bar. The fourth bar of every four leaves its last beat to the fill.
void hats(Pat& p, int r, int bar) {
    bool fill = bar % 4 == 3;
    for (int k = 0; k < (fill ? 12 : 16); k += 2) p.note(r + k, HAT_CH, 48, CLOSED_HAT, k % 4 == 2 ? 32 : 20);
    for (int k : {7, 11, 15})
        if (!(fill && k > 11) && (k != 11 || bar % 2 == 0)) p.note(r + k, HAT_CH, 48, CLOSED_HAT, 9);
    if (bar % 2 == 1) p.note(r + (fill ? 6 : 14), HAT_CH, 48, OPEN_HAT, 26);
}

// The last beat of a bar: snare, a ghost, two toms falling.
void fill(Pat& p, int r) {
    p.note(r + 12, SNARE_CH, 48, SNARE, 50);
    p.note(r + 13, SNARE_CH, 48, SNARE, 28);
    p.note(r + 14, PERC_CH, 47, TOM, 44);
    p.note(r + 15, PERC_CH, 41, TOM, 46);
}

void drums(Pat& p, int row0, int bars, Groove g, int bar_offset = 0) {
    for (int b = 0; b < bars; b++) {
        int r = row0 + b * BAR;
        int bar = b + bar_offset;
        if (g != Groove::light && bar % 4 == 3) fill(p, r);
        switch (g) {
        case Groove::four:
            for (int k = 0; k < 16; k += 4) p.note(r + k, KICK_CH, 48, KICK, 64);
            p.note(r + 4, SNARE_CH, 48, CLAP, 46);
            p.note(r + 12, SNARE_CH, 48, SNARE, 50);
            hats(p, r, bar);
            break;
        case Groove::half:
            p.note(r, KICK_CH, 48, KICK, 62);
            p.note(r + 10, KICK_CH, 48, KICK, 50);
            p.note(r + 8, SNARE_CH, 48, SNARE, 50);
            hats(p, r, bar);
            break;
        case Groove::accent: {
            const auto& rows = bar % 2 == 0 ? ACCENT_EVEN : ACCENT_ODD;
            for (int k : rows) p.note(r + k, KICK_CH, 48, KICK, k == 0 ? 64 : 56);
            p.note(r + 4, SNARE_CH, 48, CLAP, 44);
            p.note(r + 12, SNARE_CH, 48, SNARE, 48);
            hats(p, r, bar);
            if (bar % 2 == 1 && bar % 4 != 3) p.note(r + 10, PERC_CH, 45, TOM, 36), p.note(r + 14, PERC_CH, 40, TOM, 40);
            break;
        }
        case Groove::light:
            p.note(r, KICK_CH, 48, KICK, 40);
            for (int k = 2; k < 16; k += 4) p.note(r + k, HAT_CH, 48, CLOSED_HAT, 20);
            break;
        }
    }
}

// A snare roll over `rows` rows, growing from vol_from to vol_to, with toms in its last beat.
void roll(Pat& p, int row0, int rows, int every, int vol_from, int vol_to) {
    for (int k = 0; k < rows; k += every) {
        int vol = vol_from + (vol_to - vol_from) * k / std::max(1, rows - 1);
        p.note(row0 + k, SNARE_CH, 48, SNARE, vol);
    }
    for (int k = std::max(0, rows - 4); k < rows; k++) p.note(row0 + k, PERC_CH, 52 - 3 * (k - rows + 4), TOM, 44);
}

void crash(Pat& p, int row, int vol = 40) { p.note(row, PERC_CH, 48, CRASH, vol); }

// A rising noise sweep of `rows` rows, cut at its end.
void riser(Pat& p, int row0, int rows, double semitones, int vol) {
    p.note(row0, FX_CH, 36, RISER, vol);
    int slide = std::max(1, int(std::lround(semitones * 16.0 / ((SPEED - 1) * rows))));
    for (int k = 1; k < rows; k++) p.fx(row0 + k, FX_CH, 0x1, slide);
    p.off(row0 + rows, FX_CH);
}

// ---- bass, arpeggios, bells, melodies -------------------------------------------------------------

enum class Bassline { pulse, offbeat, held, walk };

void bass(Pat& p, int row0, const std::vector<Chord>& cs, Bassline style, int vol = 46) {
    for (size_t b = 0; b < cs.size(); b++) {
        int r = row0 + int(b) * BAR;
        int root = place(cs[b].root, 19);
        switch (style) {
        case Bassline::pulse:
            for (int k = 0; k < 16; k += 2) p.note(r + k, BASS_CH, k % 4 == 2 ? root + 12 : root, BASS, k % 4 == 2 ? vol - 10 : vol);
            break;
        case Bassline::offbeat:
            p.note(r, BASS_CH, root, BASS, vol);
            for (int k = 2; k < 16; k += 4) p.note(r + k, BASS_CH, root + 12, BASS, vol - 6);
            for (int k = 3; k < 16; k += 4) p.off(r + k, BASS_CH);
            break;
        case Bassline::held:
            p.note(r, BASS_CH, root, BASS, vol);
            p.note(r + 10, BASS_CH, root, BASS, vol - 8);
            p.off(r + 15, BASS_CH);
            break;
        case Bassline::walk:
            p.note(r, BASS_CH, root, BASS, vol);
            p.note(r + 6, BASS_CH, root + 7, BASS, vol - 6);
            p.note(r + 8, BASS_CH, root + 12, BASS, vol - 4);
            p.note(r + 12, BASS_CH, root + 7, BASS, vol - 6);
            p.off(r + 15, BASS_CH);
            break;
        }
    }
}

// Plucked chord tones, up and down, one every `every` rows.
void arp(Pat& p, int row0, const std::vector<Chord>& cs, int every, int vol, int low = 60) {
    for (size_t b = 0; b < cs.size(); b++) {
        std::array<int, 3> t = tones(cs[b]);
        int n0 = place(t[0], low);
        const int seq[] = {n0, place(t[1], n0), place(t[2], n0), n0 + 12, place(t[2], n0), place(t[1], n0)};
        for (int k = 0, i = 0; k < BAR; k += every, i++)
            p.note(row0 + int(b) * BAR + k, ARP_CH, seq[i % 6], PLUCK, k % 4 == 0 ? vol : vol - 8);
    }
}

// A line of notes, one token per row: a note name, "." for nothing, "-" for a release. A note
// written "~A5" slides there from the note before (portamento) instead of striking anew. A note
// held for six rows or more breathes: vibrato from its third row, a volume slide down over its
// last two. With `echo`, the echo channel repeats the notes three rows later, softer.
void line(Pat& p, int row0, const std::string& tokens, int ch, int ins, int vol, bool echo) {
    std::istringstream in(tokens);
    std::vector<std::string> t;
    for (std::string s; in >> s;) t.push_back(s);
    for (size_t i = 0; i < t.size(); i++) {
        int row = row0 + int(i);
        if (t[i] == ".") continue;
        if (t[i] == "-") {
            p.off(row, ch);
            if (echo) p.off(row + 3, ECHO_CH);
            continue;
        }
        bool slide = t[i][0] == '~';
        int n = note_named(t[i].substr(slide ? 1 : 0));
        p.note(row, ch, n, ins, vol);
        xm::Cell* c = p.at(row, ch);
        if (slide && c) c->instrument = 0, p.fx(row, ch, 0x3, 0x40);
        if (echo) p.note(row + 3, ECHO_CH, n, ins, vol * 2 / 5);
        size_t held = 1;
        while (i + held < t.size() && t[i + held] == ".") held++;
        if (held < 6) continue;
        for (size_t k = 2; k + 2 < held; k++) p.fx(row + int(k), ch, 0x4, 0x43);
        for (size_t k = held - 2; k < held; k++) p.fx(row + int(k), ch, 0xA, 0x03);
    }
}

void lead(Pat& p, int row0, const std::string& tokens, int vol = 34) { line(p, row0, tokens, LEAD_CH, LEAD, vol, true); }
void lead_two(Pat& p, int row0, const std::string& tokens, int vol = 34) { line(p, row0, tokens, LEAD_CH, LEAD_TWO, vol, true); }
// The second lead on the bell channel, against the first.
void counter(Pat& p, int row0, const std::string& tokens, int vol = 24) { line(p, row0, tokens, BELL_CH, LEAD_TWO, vol, false); }
void bells(Pat& p, int row0, const std::string& tokens, int vol = 30) { line(p, row0, tokens, BELL_CH, BELL, vol, false); }

// ---- melodies (one token per row, 16 per bar) -----------------------------------------------------

const char* const THEME_A =
    "A4 . . . E5 . . . D5 . C5 . D5 . E5 . "
    "F5 . . . E5 . . . C5 . . . A4 . . . "
    "G4 . . . C5 . . . E5 . . . G5 . F5 . "
    "E5 . . . D5 . . . B4 . . . D5 . . . ";
const char* const THEME_A2 =
    "A4 . . . E5 . . . D5 . C5 . D5 . E5 . "
    "F5 . . . A5 . . . G5 . F5 . E5 . C5 . "
    "E5 . . . G5 . . . C6 . . . B5 . G5 . "
    "B5 . . . . . . . ~A5 . . . G5 . - . ";
const char* const THEME_DARK =
    "E5 . . . . . . . . . . . A5 . . . "
    "G5 . . . F5 . . . E5 . . . . . - . "
    "F5 . . . . . . . A5 . . . C6 . . . "
    "B5 . . . . . . . G#5 . . . . . - . ";
const char* const THEME_WATER =
    "A5 . . . . . C6 . . . A5 . . . G5 . "
    "G5 . . . . . . . B5 . D6 . . . B5 . "
    "B5 . . . . . G5 . . . E5 . . . G5 . "
    "A5 . . . . . . . E5 . A5 . . . C6 . ";
// The finale's own line: the water theme's leaps, higher, sliding between its long notes.
const char* const THEME_H =
    "C6 . . . . . A5 . ~C6 . . . D6 . E6 . "
    "D6 . . . . . . . B5 . ~D6 . . . G6 . "
    "E6 . . . . . C6 . . . A5 . . . C6 . "
    "E6 . . . . . . . ~D6 . . . C6 . B5 . ";
// Lines of the second lead against the themes of the last two scenes.
const char* const COUNTER_A =
    "C6 . . . . . . . . . . . B5 . A5 . "
    "A5 . . . . . . . . . . . C6 . . . "
    "G5 . . . . . . . . . . . E5 . G5 . "
    "B5 . . . . . . . ~D6 . . . . . - . ";
const char* const COUNTER_H =
    "A4 . . . . . . . C5 . . . . . . . "
    "B4 . . . . . . . D5 . . . . . . . "
    "C5 . . . . . . . E5 . . . . . . . "
    "C5 . . . . . . . ~B4 . . . . . - . ";
const char* const THEME_E =
    "C5 . . . F5 . . . A5 . . . G5 . F5 . "
    "E5 . . . . . . . G5 . . . C5 . . . "
    "D5 . . . G5 . . . B5 . . . A5 . G5 . "
    "A5 . . . . . . . . . . . - . . . ";
const char* const THEME_E2 =
    "C6 . . . A5 . . . F5 . . . A5 . C6 . "
    "C6 . . . G5 . . . E5 . . . G5 . . . "
    "D6 . . . B5 . . . G5 . . . B5 . D6 . "
    "E6 . . . . . . . ~C6 . . . A5 . - . ";
const char* const BELLS_INTRO =
    "E5 . . . A5 . . . C6 . . . B5 . . . "
    "A5 . . . E5 . . . . . . . . . . . ";
const char* const BELLS_DREAM =
    "E6 . . . . . . . B5 . . . . . . . "
    "G5 . . . . . . . B5 . . . . . . . "
    "A5 . . . . . . . C6 . . . . . . . "
    "G5 . . . . . . . E5 . . . . . . . ";
const char* const BELLS_B =
    ". . . . . . . . A5 . . . F5 . . . "
    ". . . . . . . . C6 . . . A5 . . . "
    ". . . . . . . . E5 . . . A5 . . . "
    ". . . . . . . . B5 . . . D6 . . . ";

// ---- the sections -----------------------------------------------------------------------------------

void intro(Song& s) {
    Pat p(32);
    s.pads(p, 0, chords("Am"), 26);
    bells(p, 0, BELLS_INTRO, 28);
    p.note(0, BASS_CH, place(9, 19), BASS, 30);
    p.off(28, BASS_CH);
    s.add(p);
}

void build(Song& s) {
    Pat p(24);
    s.pads(p, 0, chords("F G"), 30, 12);
    riser(p, 0, 28, 18.0, 44);  // runs on into the next pattern's first beat
    roll(p, 0, 12, 4, 22, 30);
    roll(p, 12, 8, 2, 32, 40);
    roll(p, 20, 4, 1, 42, 46);
    for (int k = 8; k < 24; k += 4) p.note(k, KICK_CH, 48, KICK, 36 + k);
    p.note(0, BASS_CH, place(5, 19), BASS, 36);
    p.note(12, BASS_CH, place(7, 19), BASS, 40);
    for (int k = 14; k < 24; k += 2) p.note(k, BASS_CH, place(7, 19) + 12 * (k % 4 == 2), BASS, 38);
    s.add(p);
}

// The groove of theme A over four bars from row0.
void theme_bars(Song& s, Pat& p, int row0, const char* melody, int bar_offset = 0) {
    std::vector<Chord> cs = chords("Am F C G");
    s.pads(p, row0, cs, 22);
    drums(p, row0, 4, Groove::four, bar_offset);
    bass(p, row0, cs, Bassline::pulse);
    arp(p, row0, cs, 2, 22);
    lead(p, row0, melody);
}

void flash_and_theme(Song& s) {
    Pat p(68);
    roll(p, 0, 4, 1, 48, 54);  // the build's last beat; the flash falls on row 4
    p.note(4, FX_CH, 48, IMPACT, 56);
    crash(p, 4, 44);
    theme_bars(s, p, 4, THEME_A);
    s.add(p);
}

void theme_and_break(Song& s) {
    Pat a(64);
    crash(a, 0, 36);
    theme_bars(s, a, 0, THEME_A2);
    s.add(a);

    // Scene 2 fades to black from row 42: the drums stop and a sweep leads into the next scene.
    Pat b(64);
    std::vector<Chord> cs = chords("Am F C G");
    s.pads(b, 0, cs, 24);
    drums(b, 0, 2, Groove::four);
    drums(b, 32, 1, Groove::four);
    bass(b, 0, chords("Am F C"), Bassline::pulse);
    b.off(42, BASS_CH);
    arp(b, 0, cs, 2, 22);
    lead(b, 0, "A4 . . . E5 . . . D5 . C5 . D5 . E5 . F5 . . . E5 . . . C5 . . . A4 . . . "
               "G4 . . . C5 . . . E5 . - . ");
    riser(b, 42, 22, 14.0, 48);
    roll(b, 56, 8, 1, 26, 48);
    bells(b, 48, "D6 . . . B5 . . . G5 . . . D5 . . .", 26);
    s.add(b);
}

void section_b(Song& s) {
    std::vector<Chord> cs = chords("Dm F Am G");
    for (int i = 0; i < 2; i++) {
        Pat p(64);
        if (i == 0) crash(p, 0, 40), p.note(0, FX_CH, 48, IMPACT, 40);
        s.pads(p, 0, cs, 20);
        drums(p, 0, 4, Groove::four);
        bass(p, 0, cs, Bassline::offbeat);
        arp(p, 0, cs, 1, 24, 62);
        if (i == 1) bells(p, 0, BELLS_B, 30), lead(p, 32, "E5 . . . . . . . D5 . . . C5 . . . D5 . . . . . . . . . . . - . . .", 30);
        s.add(p);
    }
    // One bar of fill into scene 4.
    Pat f(16);
    s.pad(f, 0, chord("E"), 24);
    bass(f, 0, chords("E"), Bassline::pulse, 42);
    roll(f, 0, 16, 1, 20, 50);
    riser(f, 0, 16, 12.0, 40);
    s.add(f);
}

void section_c(Song& s) {
    std::vector<Chord> cs = chords("Am Am F E");
    for (int i = 0; i < 3; i++) {
        Pat p(64);
        if (i == 0) crash(p, 0, 44), p.note(0, FX_CH, 48, IMPACT, 52);
        s.pads(p, 0, cs, 24);
        // The last pattern before the star takes up its groove already.
        drums(p, 0, 4, i == 2 ? Groove::accent : Groove::half);
        bass(p, 0, cs, i == 2 ? Bassline::walk : Bassline::held, 50);
        if (i >= 1) lead(p, 0, THEME_DARK, 34);
        if (i != 1) arp(p, 0, cs, 4, 20, 57);
        s.add(p);
    }
}

void section_d(Song& s) {
    std::vector<Chord> cs = chords("F G Em Am");
    for (int i = 0; i < 3; i++) {
        Pat p(64);
        if (i == 0) crash(p, 0, 40);
        s.pads(p, 0, cs, 20);
        drums(p, 0, 4, Groove::accent);
        bass(p, 0, cs, Bassline::walk, 46);
        arp(p, 0, cs, 2, 20, 64);
        if (i >= 1) lead(p, 0, THEME_WATER, i == 2 ? 36 : 30);
        if (i == 0) bells(p, 0, BELLS_DREAM, 26);
        s.add(p);
    }
}

void breakdown(Song& s) {
    Pat p(32);
    p.fx(0, HAT_CH, 0xF, BREAK_BPM);
    s.pads(p, 0, chords("Dm E"), 7);
    p.note(0, BASS_CH, place(2, 19), BASS, 26);
    p.note(16, BASS_CH, place(4, 19), BASS, 26);
    bells(p, 0, "F5 . . . A5 . . . D6 . . . A5 . . . G#5 . . . B5 . . . E6 . . . D6 . B5 .", 16);
    riser(p, 16, 16, 12.0, 24);
    s.add(p);
}

void section_e(Song& s) {
    std::vector<Chord> cs = chords("F C G Am");
    for (int i = 0; i < 3; i++) {
        Pat p(i == 2 ? 72 : 64);
        if (i == 0) p.fx(0, HAT_CH, 0xF, BPM), crash(p, 0, 42), p.note(0, FX_CH, 48, IMPACT, 44);
        s.pads(p, 0, cs, 20);
        drums(p, 0, 4, Groove::four);
        bass(p, 0, cs, i == 0 ? Bassline::offbeat : Bassline::pulse);
        arp(p, 0, cs, 2, 20, 60);
        lead_two(p, 0, i == 1 ? THEME_E2 : THEME_E, 36);
        if (i == 2) {  // half a bar of fill into scene 8
            s.pad(p, 64, chord("E"), 22);
            roll(p, 64, 8, 1, 30, 50);
        }
        s.add(p);
    }
}

// Under scene 8 the drums rest: pads, bells and the second lead, well below the choruses.
void section_f(Song& s) {
    std::vector<Chord> cs = chords("Am Em F C");
    for (int i = 0; i < 2; i++) {
        Pat p(64);
        s.pads(p, 0, cs, 9);
        bass(p, 0, cs, Bassline::held, 20);
        bells(p, 0, BELLS_DREAM, 16);
        arp(p, 0, cs, 4, 12, 64);
        if (i == 1) lead_two(p, 0, "E5 . . . . . . . . . . . - . . . B4 . . . . . . . . . . . - . . . "
                                    "C5 . . . . . . . ~A4 . . . - . . . G4 . . . . . . . . . . . - . . .", 20);
        s.add(p);
    }
    Pat f(24);
    s.pads(f, 0, chords("F G"), 24, 12);
    roll(f, 8, 16, 1, 20, 50);
    riser(f, 0, 24, 16.0, 40);
    f.note(0, BASS_CH, place(5, 19), BASS, 44);
    f.note(12, BASS_CH, place(7, 19), BASS, 44);
    s.add(f);
}

void section_g(Song& s) {
    const char* melodies[] = {THEME_A, THEME_A2, THEME_A};
    for (int i = 0; i < 3; i++) {
        Pat p(64);
        crash(p, 0, i == 0 ? 46 : 36);
        if (i == 0) p.note(0, FX_CH, 48, IMPACT, 50);
        theme_bars(s, p, 0, melodies[i]);
        counter(p, 0, i == 1 ? COUNTER_H : COUNTER_A, i == 2 ? 26 : 20);
        s.add(p);
    }
    Pat t(40);
    std::vector<Chord> cs = chords("Am F");
    s.pads(t, 0, cs, 22);
    drums(t, 0, 2, Groove::four);
    bass(t, 0, cs, Bassline::pulse);
    arp(t, 0, cs, 2, 22);
    lead(t, 0, THEME_A2);
    s.pad(t, 32, chord("G"), 24);
    roll(t, 32, 8, 1, 30, 52);
    s.add(t);
}

void section_h(Song& s) {
    std::vector<Chord> cs = chords("F G Am Am");
    for (int i = 0; i < 2; i++) {
        Pat p(64);
        if (i == 0) crash(p, 0, 46), p.note(0, FX_CH, 48, IMPACT, 50);
        s.pads(p, 0, cs, 24);
        drums(p, 0, 4, Groove::four);
        bass(p, 0, cs, i == 0 ? Bassline::pulse : Bassline::walk);
        arp(p, 0, cs, 1, 20, 60);
        lead(p, 0, THEME_H, 36);
        counter(p, 0, COUNTER_H, 24 + 4 * i);
        s.add(p);
    }
}

// The ending, from about 184 s of the show: a cadence over F, G and E, the last A minor chord from
// row 32 (about 188 s), which holds through scene 10's fade-out, then dies away.
void ending(Song& s) {
    Pat a(64);
    crash(a, 0, 36);
    s.pads(a, 0, chords("F G"), 24);
    s.pad(a, 24, chord("E"), 24);
    drums(a, 0, 2, Groove::light);
    bass(a, 0, chords("F G"), Bassline::held, 40);
    a.note(24, BASS_CH, place(4, 19), BASS, 40);
    lead(a, 0, "C6 . . . ~B5 . A5 . B5 . . . . . . . D6 . . . ~C6 . B5 . G#5 . . . . . . .", 32);
    roll(a, 26, 6, 1, 20, 40);
    crash(a, 32, 44);
    a.note(32, FX_CH, 48, IMPACT, 46);
    s.pad(a, 32, chord("Am"), 30);
    a.note(32, BASS_CH, place(9, 19), BASS, 46);
    a.note(32, KICK_CH, 48, KICK, 56);
    lead(a, 32, "A5 . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . -", 32);
    bells(a, 32, "E6 . . . . . . . C6 . . . . . . . A5", 24);
    s.add(a);

    Pat b(64);
    bells(b, 0, "E5 . . . . . . . . . . . . . . . A4", 18);
    arp(b, 0, chords("Am"), 4, 12, 57);
    s.pads_release(b, 40);
    s.add(b);

    Pat c(64);  // the pads' release runs out; the song stops well after the show
    s.add(c);
}

}  // namespace

xm::Module compose_music() {
    xm::Module m;
    m.name = "tenfold";
    m.tracker = "tenfold-music";
    m.channels = CHANNELS;
    m.speed = SPEED;
    m.bpm = BPM;
    m.instruments = {synth::kick(),  synth::snare(), synth::clap(),  synth::closed_hat(), synth::open_hat(),
                     synth::crash(), synth::tom(),   synth::impact(), synth::bass(),      synth::pad(),
                     synth::lead(),  synth::pluck(), synth::bell(),  synth::riser(), synth::lead_two()};
    Song s;
    intro(s);
    build(s);
    flash_and_theme(s);
    theme_and_break(s);
    section_b(s);
    section_c(s);
    section_d(s);
    breakdown(s);
    section_e(s);
    section_f(s);
    section_g(s);
    section_h(s);
    ending(s);
    m.patterns = std::move(s.patterns);
    m.orders = std::move(s.orders);
    return m;
}
