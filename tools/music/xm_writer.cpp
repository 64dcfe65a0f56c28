#include "xm_writer.h"

#include <cstdio>

namespace xm {

namespace {

constexpr uint16_t VERSION = 0x0104;
constexpr uint32_t HEADER_SIZE = 276;       // from the header-size field to the end of the order table
constexpr uint32_t INSTRUMENT_SIZE = 263;   // instrument header with its sample map, as trackers write it
constexpr uint32_t SAMPLE_HEADER_SIZE = 40;

struct Out {
    std::vector<uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(uint8_t(v)); }
    void u16(unsigned v) { u8(v & 0xFF), u8(v >> 8 & 0xFF); }
    void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void text(const std::string& s, size_t width, char pad) {
        for (size_t i = 0; i < width; i++) u8(i < s.size() ? uint8_t(s[i]) : uint8_t(pad));
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

std::string check_envelope(const Envelope& e, const char* which) {
    int n = int(e.points.size());
    if (n > MAX_ENVELOPE_POINTS) return std::string(which) + " envelope has more than 12 points";
    for (int i = 0; i < n; i++) {
        if (e.points[i].value > 64) return std::string(which) + " envelope value above 64";
        if (i > 0 && e.points[i].tick <= e.points[i - 1].tick)
            return std::string(which) + " envelope ticks do not increase";
    }
    if (e.sustain >= n || (e.sustain < -1)) return std::string(which) + " envelope sustain point out of range";
    bool loop = e.loop_start >= 0 || e.loop_end >= 0;
    if (loop && (e.loop_start < 0 || e.loop_end < e.loop_start || e.loop_end >= n))
        return std::string(which) + " envelope loop out of range";
    return "";
}

std::string check_sample(const Sample& s) {
    if (s.loop == Loop::none) return "";
    if (s.loop_length == 0 || s.loop_start + uint64_t(s.loop_length) > s.data.size())
        return "sample loop '" + s.name + "' lies outside its data";
    return "";
}

std::string check_instrument(const Instrument& ins) {
    if (ins.samples.empty() || ins.samples.size() > 16) return "instrument '" + ins.name + "' needs 1 to 16 samples";
    for (uint8_t k : ins.keymap)
        if (k >= ins.samples.size()) return "instrument '" + ins.name + "' maps a note to a missing sample";
    for (const Sample& s : ins.samples)
        if (std::string e = check_sample(s); !e.empty()) return e;
    if (std::string e = check_envelope(ins.volume_envelope, "volume"); !e.empty()) return e;
    return check_envelope(ins.panning_envelope, "panning");
}

std::string check_pattern(const Pattern& p, int channels) {
    if (p.rows < 1 || p.rows > MAX_ROWS) return "pattern rows out of range (1 to 256)";
    if (p.cells.size() != size_t(p.rows) * size_t(channels)) return "pattern cells do not match rows x channels";
    for (const Cell& c : p.cells)
        if (c.note > KEY_OFF) return "note out of range";
    return "";
}

void put_pattern(Out& out, const Pattern& p) {
    Out data;
    for (const Cell& c : p.cells) {
        const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
        unsigned mask = 0;
        for (int i = 0; i < 5; i++)
            if (fields[i]) mask |= 1u << i;
        if (mask == 0x1F) {  // all five present: stored unpacked
            for (uint8_t f : fields) data.u8(f);
            continue;
        }
        data.u8(0x80 | mask);
        for (int i = 0; i < 5; i++)
            if (mask & (1u << i)) data.u8(fields[i]);
    }
    out.u32(9);  // pattern header length
    out.u8(0);   // packing type
    out.u16(unsigned(p.rows));
    out.u16(unsigned(data.bytes.size()));
    out.bytes.insert(out.bytes.end(), data.bytes.begin(), data.bytes.end());
}

void put_envelope_points(Out& out, const Envelope& e) {
    for (int i = 0; i < MAX_ENVELOPE_POINTS; i++) {
        bool used = i < int(e.points.size());
        out.u16(used ? e.points[i].tick : 0);
        out.u16(used ? e.points[i].value : 0);
    }
}

unsigned envelope_type(const Envelope& e) {
    if (e.points.empty()) return 0;
    return 1u | (e.sustain >= 0 ? 2u : 0u) | (e.loop_start >= 0 ? 4u : 0u);
}

void put_instrument(Out& out, const Instrument& ins) {
    out.u32(INSTRUMENT_SIZE);
    out.text(ins.name, 22, 0);
    out.u8(0);  // type
    out.u16(unsigned(ins.samples.size()));
    out.u32(SAMPLE_HEADER_SIZE);
    for (uint8_t k : ins.keymap) out.u8(k);
    put_envelope_points(out, ins.volume_envelope);
    put_envelope_points(out, ins.panning_envelope);
    const Envelope& v = ins.volume_envelope;
    const Envelope& p = ins.panning_envelope;
    out.u8(unsigned(v.points.size()));
    out.u8(unsigned(p.points.size()));
    out.u8(unsigned(v.sustain < 0 ? 0 : v.sustain));
    out.u8(unsigned(v.loop_start < 0 ? 0 : v.loop_start));
    out.u8(unsigned(v.loop_end < 0 ? 0 : v.loop_end));
    out.u8(unsigned(p.sustain < 0 ? 0 : p.sustain));
    out.u8(unsigned(p.loop_start < 0 ? 0 : p.loop_start));
    out.u8(unsigned(p.loop_end < 0 ? 0 : p.loop_end));
    out.u8(envelope_type(v));
    out.u8(envelope_type(p));
    out.u8(ins.vibrato_type);
    out.u8(ins.vibrato_sweep);
    out.u8(ins.vibrato_depth);
    out.u8(ins.vibrato_rate);
    out.u16(ins.fadeout);
    out.zeros(22);  // reserved

    for (const Sample& s : ins.samples) {
        bool looped = s.loop != Loop::none;
        out.u32(uint32_t(s.data.size() * 2));  // lengths are in bytes
        out.u32(looped ? s.loop_start * 2 : 0);
        out.u32(looped ? s.loop_length * 2 : 0);
        out.u8(s.volume);
        out.u8(uint8_t(s.finetune));
        out.u8(unsigned(s.loop) | 0x10);  // 16-bit data
        out.u8(s.panning);
        out.u8(uint8_t(s.relative_note));
        out.u8(0);
        out.text(s.name, 22, 0);
    }
    for (const Sample& s : ins.samples) {
        int16_t previous = 0;
        for (int16_t v : s.data) {
            out.u16(uint16_t(v - previous));  // wraps like the reader's 16-bit sum
            previous = v;
        }
    }
}

}  // namespace

std::string check(const Module& m) {
    if (m.channels < 1 || m.channels > MAX_CHANNELS) return "channel count out of range (1 to 32)";
    if (m.channels % 2) return "channel count must be even";
    if (m.orders.empty() || m.orders.size() > MAX_ORDERS) return "order list must have 1 to 256 entries";
    if (m.patterns.empty() || m.patterns.size() > 256) return "pattern count out of range (1 to 256)";
    if (m.instruments.empty() || m.instruments.size() > 128) return "instrument count out of range (1 to 128)";
    if (m.restart < 0 || size_t(m.restart) >= m.orders.size()) return "restart position outside the order list";
    if (m.speed < 1 || m.speed > 31 || m.bpm < 32 || m.bpm > 255) return "speed or tempo out of range";
    for (uint8_t o : m.orders)
        if (o >= m.patterns.size()) return "order list names a missing pattern";
    for (const Pattern& p : m.patterns) {
        if (std::string e = check_pattern(p, m.channels); !e.empty()) return e;
        for (const Cell& c : p.cells)
            if (c.instrument > m.instruments.size()) return "pattern names a missing instrument";
    }
    for (const Instrument& ins : m.instruments)
        if (std::string e = check_instrument(ins); !e.empty()) return e;
    return "";
}

std::vector<uint8_t> encode(const Module& m) {
    if (!check(m).empty()) return {};
    Out out;
    out.text("Extended Module: ", 17, ' ');
    out.text(m.name, 20, ' ');
    out.u8(0x1A);
    out.text(m.tracker, 20, ' ');
    out.u16(VERSION);
    out.u32(HEADER_SIZE);
    out.u16(unsigned(m.orders.size()));
    out.u16(unsigned(m.restart));
    out.u16(unsigned(m.channels));
    out.u16(unsigned(m.patterns.size()));
    out.u16(unsigned(m.instruments.size()));
    out.u16(m.linear_frequencies ? 1 : 0);
    out.u16(unsigned(m.speed));
    out.u16(unsigned(m.bpm));
    for (int i = 0; i < MAX_ORDERS; i++) out.u8(i < int(m.orders.size()) ? m.orders[i] : 0);
    // At most 256 rows x 32 channels x 5 bytes: a packed pattern always fits its 16-bit size.
    for (const Pattern& p : m.patterns) put_pattern(out, p);
    for (const Instrument& ins : m.instruments) put_instrument(out, ins);
    return out.bytes;
}

bool write_file(const Module& m, const std::string& path, std::string* error) {
    std::string problem = check(m);
    if (!problem.empty()) {
        if (error) *error = problem;
        return false;
    }
    std::vector<uint8_t> bytes = encode(m);
    FILE* f = fopen(path.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && fclose(f) != 0) ok = false;
    if (!ok && error) *error = "cannot write " + path;
    return ok;
}

}  // namespace xm
