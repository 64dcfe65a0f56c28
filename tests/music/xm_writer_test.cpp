// The XM writer: what it writes reads back the same through libxmp, an independent reader, and
// what it cannot write it refuses.
#include <gtest/gtest.h>
#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/virtual_audio.h"
#include "xm_writer.h"

namespace {

xm::Sample ramp(size_t n, int step) {
    xm::Sample s;
    // Steps that overflow 16 bits between neighbours check that the deltas wrap as the reader's sum.
    for (size_t i = 0; i < n; i++) s.data.push_back(int16_t((i * step) & 0xFFFF));
    return s;
}

xm::Module sample_module() {
    xm::Module m;
    m.name = "round trip";
    m.channels = 4;
    m.speed = 5;
    m.bpm = 140;
    m.orders = {1, 0, 1};
    xm::Pattern a;
    a.rows = 3;
    a.cells.resize(12);
    a.cells[0] = {49, 1, 0x30, 0x0F, 0x07};        // all five fields
    a.cells[5] = {61, 0, 0, 0, 0};                  // note only
    a.cells[10] = {0, 0, 0, 0x08, 0x40};            // effect and parameter only
    a.cells[11] = {xm::KEY_OFF, 0, 0, 0, 0};        // release
    xm::Pattern b;
    b.rows = 64;
    b.cells.resize(256);
    b.cells[63 * 4 + 3] = {37, 2, 0x50, 0, 0};      // last cell of the pattern
    m.patterns = {a, b};

    xm::Instrument one;
    one.name = "looped";
    xm::Sample s = ramp(1000, 7);
    s.loop = xm::Loop::forward, s.loop_start = 100, s.loop_length = 800;
    s.relative_note = -12, s.finetune = 40, s.volume = 50, s.panning = 200;
    one.samples = {s};
    one.volume_envelope = {{{0, 0}, {10, 64}, {30, 40}, {60, 0}}, 2, -1, -1};
    one.fadeout = 1024;
    one.vibrato_depth = 5, one.vibrato_rate = 9;
    xm::Instrument two;
    two.name = "two samples";
    xm::Sample low = ramp(64, 3000), high = ramp(32, -1234);
    high.loop = xm::Loop::pingpong, high.loop_start = 0, high.loop_length = 32;
    two.samples = {low, high};
    for (int k = 48; k < 96; k++) two.keymap[size_t(k)] = 1;
    m.instruments = {one, two};
    return m;
}

struct Loaded {
    xmp_context ctx = xmp_create_context();
    xmp_module_info info{};
    bool ok;
    explicit Loaded(std::vector<uint8_t> bytes) {
        ok = !bytes.empty() && xmp_load_module_from_memory(ctx, bytes.data(), long(bytes.size())) == 0;
        if (ok) xmp_get_module_info(ctx, &info);
    }
    ~Loaded() {
        if (ok) xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
    const xmp_event& event(int pattern, int row, int ch) const {
        const xmp_module& m = *info.mod;
        return m.xxt[m.xxp[pattern]->index[ch]]->event[row];
    }
};

TEST(XmWriter, ModuleReadsBackThroughAnIndependentReader) {
    xm::Module m = sample_module();
    Loaded x(xm::encode(m));
    ASSERT_TRUE(x.ok);
    const xmp_module& r = *x.info.mod;
    EXPECT_STREQ(r.name, "round trip");
    EXPECT_EQ(r.chn, 4);
    EXPECT_EQ(r.spd, 5);
    EXPECT_EQ(r.bpm, 140);
    ASSERT_EQ(r.len, 3);
    EXPECT_EQ(r.xxo[0], 1);
    EXPECT_EQ(r.xxo[1], 0);
    EXPECT_EQ(r.xxp[0]->rows, 3);
    EXPECT_EQ(r.xxp[1]->rows, 64);

    // Notes are one octave higher in libxmp's numbering.
    const xmp_event& full = x.event(0, 0, 0);
    EXPECT_EQ(full.note, 49 + 12);
    EXPECT_EQ(full.ins, 1);
    EXPECT_EQ(full.vol, 0x30 - 0x10 + 1);
    EXPECT_EQ(full.fxt, 0x0F);
    EXPECT_EQ(full.fxp, 0x07);
    EXPECT_EQ(x.event(0, 1, 1).note, 61 + 12);
    EXPECT_EQ(x.event(0, 1, 1).ins, 0);
    EXPECT_EQ(x.event(0, 2, 2).note, 0);
    EXPECT_EQ(x.event(0, 2, 2).fxt, 0x08);
    EXPECT_EQ(x.event(0, 2, 2).fxp, 0x40);
    EXPECT_EQ(x.event(0, 2, 3).note, XMP_KEY_OFF);
    EXPECT_EQ(x.event(0, 2, 1).note, 0);
    EXPECT_EQ(x.event(1, 63, 3).note, 37 + 12);
    EXPECT_EQ(x.event(1, 63, 3).ins, 2);

    ASSERT_EQ(r.ins, 2);
    const xmp_instrument& one = r.xxi[0];
    EXPECT_STREQ(one.name, "looped");
    ASSERT_EQ(one.nsm, 1);
    EXPECT_EQ(one.aei.npt, 4);
    EXPECT_TRUE(one.aei.flg & XMP_ENVELOPE_ON);
    EXPECT_TRUE(one.aei.flg & XMP_ENVELOPE_SUS);
    EXPECT_EQ(one.aei.sus, 2);
    EXPECT_EQ(one.aei.data[2], 10);  // tick, value pairs
    EXPECT_EQ(one.aei.data[3], 64);
    EXPECT_FALSE(one.pei.flg & XMP_ENVELOPE_ON);
    EXPECT_EQ(one.sub[0].vol, 50);
    EXPECT_EQ(one.sub[0].xpo, -12);
    EXPECT_EQ(one.sub[0].fin, 40);
    EXPECT_EQ(one.sub[0].pan, 200);
    EXPECT_EQ(one.sub[0].vde, 5 * 4);  // libxmp keeps vibrato depth in quarter steps
    EXPECT_EQ(one.sub[0].vra, 9);
    const xmp_instrument& two = r.xxi[1];
    ASSERT_EQ(two.nsm, 2);
    EXPECT_EQ(two.map[47 + 12].ins, 0);
    EXPECT_EQ(two.map[48 + 12].ins, 1);

    // Samples: lengths and loops in frames, the 16-bit data as it went in.
    const xm::Sample* in[] = {&m.instruments[0].samples[0], &m.instruments[1].samples[0], &m.instruments[1].samples[1]};
    for (int i = 0; i < 3; i++) {
        const xmp_sample& s = r.xxs[x.info.mod->xxi[i ? 1 : 0].sub[i ? i - 1 : 0].sid];
        SCOPED_TRACE(i);
        ASSERT_EQ(s.len, int(in[i]->data.size()));
        EXPECT_TRUE(s.flg & XMP_SAMPLE_16BIT);
        EXPECT_EQ(bool(s.flg & XMP_SAMPLE_LOOP), in[i]->loop != xm::Loop::none);
        EXPECT_EQ(bool(s.flg & XMP_SAMPLE_LOOP_BIDIR), in[i]->loop == xm::Loop::pingpong);
        if (in[i]->loop != xm::Loop::none) {
            EXPECT_EQ(s.lps, int(in[i]->loop_start));
            EXPECT_EQ(s.lpe, int(in[i]->loop_start + in[i]->loop_length));
        }
        const int16_t* d = reinterpret_cast<const int16_t*>(s.data);
        // What lies after a loop's end is never played; libxmp reuses it for the loop's wrap.
        size_t heard = in[i]->loop == xm::Loop::none ? in[i]->data.size() : in[i]->loop_start + in[i]->loop_length;
        EXPECT_EQ(std::vector<int16_t>(d, d + heard), std::vector<int16_t>(in[i]->data.begin(), in[i]->data.begin() + long(heard)));
    }
}

TEST(XmWriter, RefusesModulesItCannotWrite) {
    std::vector<std::pair<const char*, void (*)(xm::Module&)>> broken = {
        {"order names a missing pattern", [](xm::Module& m) { m.orders.push_back(2); }},
        {"cells do not fill the pattern", [](xm::Module& m) { m.patterns[0].cells.pop_back(); }},
        {"too many rows", [](xm::Module& m) { m.patterns[1].rows = 257, m.patterns[1].cells.resize(257 * 4); }},
        {"note beyond the release", [](xm::Module& m) { m.patterns[0].cells[1].note = 98; }},
        {"missing instrument", [](xm::Module& m) { m.patterns[0].cells[1].instrument = 3; }},
        {"too many channels", [](xm::Module& m) {
             m.channels = 34;
             for (auto& p : m.patterns) p.cells.resize(size_t(p.rows) * 34);
         }},
        {"loop past the data", [](xm::Module& m) { m.instruments[0].samples[0].loop_length = 901; }},
        {"sustain past the points", [](xm::Module& m) { m.instruments[0].volume_envelope.sustain = 4; }},
        {"envelope ticks go back", [](xm::Module& m) { m.instruments[0].volume_envelope.points[2].tick = 5; }},
        {"keymap names a missing sample", [](xm::Module& m) { m.instruments[0].keymap[10] = 1; }},
        {"no orders", [](xm::Module& m) { m.orders.clear(); }},
    };
    std::string path = std::filesystem::temp_directory_path() / "tenfold-refused.xm";
    for (auto& [what, spoil] : broken) {
        SCOPED_TRACE(what);
        xm::Module m = sample_module();
        ASSERT_EQ(xm::check(m), "");
        spoil(m);
        EXPECT_NE(xm::check(m), "");
        EXPECT_TRUE(xm::encode(m).empty());
        std::string error;
        std::filesystem::remove(path);
        EXPECT_FALSE(xm::write_file(m, path, &error));
        EXPECT_EQ(error, xm::check(m));
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(XmWriter, MusicToolWritesTheSameBytesEveryTime) {
    const std::string tool = std::string(TENFOLD_BUILD_DIR) + "/tools/music/tenfold-music";
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tenfold-music-twice";
    std::vector<std::vector<uint8_t>> runs;
    for (const char* sub : {"a", "b"}) {
        std::filesystem::create_directories(dir / sub);
        ASSERT_EQ(std::system((tool + " " + (dir / sub).string()).c_str()), 0);
        runs.push_back(read_bytes(dir / sub / "music.xm"));
    }
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(runs[0].empty());
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_NE(std::system((tool + " /nonexistent/folder 2>/dev/null").c_str()), 0);
}

}  // namespace
