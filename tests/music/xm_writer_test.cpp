// The XM writer: what it writes reads back the same through libxmp, an independent reader, and
// what it cannot write it refuses.
#include <gtest/gtest.h>
#include <mikmod.h>
#include <unistd.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "music/music.h"
#include "support/run.h"
#include "support/virtual_audio.h"
#include "xm_writer.h"

namespace {

// Steps that overflow 16 bits between neighbours check that the deltas wrap as the reader's sum.
xm::Sample ramp(size_t n, int step) {
    xm::Sample s;
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
    xm::Pattern a{3, std::vector<xm::Cell>(12)}, b{64, std::vector<xm::Cell>(256)};
    a.cells[0] = {49, 1, 0x30, 0x0F, 0x07};
    a.cells[5] = {61, 0, 0, 0, 0};
    a.cells[10] = {0, 0, 0, 0x08, 0x40};
    a.cells[11] = {xm::KEY_OFF, 0, 0, 0, 0};
    b.cells[63 * 4 + 3] = {37, 2, 0x50, 0, 0};
    m.patterns = {a, b};

    xm::Instrument one, two;
    one.name = "looped";
    xm::Sample s = ramp(1000, 7);
    s.loop = xm::Loop::forward, s.loop_start = 100, s.loop_length = 800;
    s.relative_note = -12, s.finetune = 40, s.volume = 50, s.panning = 200;
    one.samples = {s};
    one.volume_envelope = {{{0, 0}, {10, 64}, {30, 40}, {60, 0}}, 2, -1, -1};
    one.fadeout = 1024;
    one.vibrato_depth = 5, one.vibrato_rate = 9;
    two.name = "two samples";
    xm::Sample high = ramp(32, -1234);
    high.loop = xm::Loop::pingpong, high.loop_start = 0, high.loop_length = 32;
    two.samples = {ramp(64, 3000), high};
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
    // note, instrument, volume, effect, parameter
    std::tuple<int, int, int, int, int> event(int pattern, int row, int ch) const {
        const xmp_module& m = *info.mod;
        const xmp_event& e = m.xxt[m.xxp[pattern]->index[ch]]->event[row];
        return {e.note, e.ins, e.vol, e.fxt, e.fxp};
    }
};

TEST(XmWriter, ModuleReadsBackThroughAnIndependentReader) {
    xm::Module m = sample_module();
    Loaded x(xm::encode(m));
    ASSERT_TRUE(x.ok);
    const xmp_module& r = *x.info.mod;
    EXPECT_STREQ(r.name, "round trip");
    EXPECT_EQ(std::make_tuple(r.chn, r.spd, r.bpm, r.len, r.xxo[0], r.xxo[1]), std::make_tuple(4, 5, 140, 3, 1, 0));
    EXPECT_EQ(r.xxp[0]->rows, 3);
    EXPECT_EQ(r.xxp[1]->rows, 64);
    // libxmp numbers notes one octave higher and volumes from 1.
    EXPECT_EQ(x.event(0, 0, 0), std::make_tuple(49 + 12, 1, 0x30 - 0x10 + 1, 0x0F, 0x07));
    EXPECT_EQ(x.event(0, 1, 1), std::make_tuple(61 + 12, 0, 0, 0, 0));
    EXPECT_EQ(x.event(0, 2, 1), std::make_tuple(0, 0, 0, 0, 0));
    EXPECT_EQ(x.event(0, 2, 2), std::make_tuple(0, 0, 0, 0x08, 0x40));
    EXPECT_EQ(std::get<0>(x.event(0, 2, 3)), XMP_KEY_OFF);
    EXPECT_EQ(x.event(1, 63, 3), std::make_tuple(37 + 12, 2, 0x50 - 0x10 + 1, 0, 0));

    ASSERT_EQ(r.ins, 2);
    const xmp_instrument& one = r.xxi[0];
    EXPECT_STREQ(one.name, "looped");
    ASSERT_EQ(one.nsm, 1);
    EXPECT_EQ(std::make_tuple(one.aei.npt, one.aei.sus, one.aei.data[2], one.aei.data[3]), std::make_tuple(4, 2, 10, 64));
    EXPECT_EQ(one.aei.flg & (XMP_ENVELOPE_ON | XMP_ENVELOPE_SUS), XMP_ENVELOPE_ON | XMP_ENVELOPE_SUS);
    EXPECT_FALSE(one.pei.flg & XMP_ENVELOPE_ON);
    const xmp_subinstrument& sub = one.sub[0];
    // libxmp keeps vibrato depth in quarter steps.
    EXPECT_EQ(std::make_tuple(sub.vol, sub.xpo, sub.fin, sub.pan, sub.vde, sub.vra),
              std::make_tuple(50, -12, 40, 200, 5 * 4, 9));
    ASSERT_EQ(r.xxi[1].nsm, 2);
    EXPECT_EQ(r.xxi[1].map[47 + 12].ins, 0);
    EXPECT_EQ(r.xxi[1].map[48 + 12].ins, 1);

    // Samples: lengths and loops in frames, the 16-bit data as it went in (what lies after a
    // loop's end is never played; libxmp reuses it for the loop's wrap).
    const xm::Sample* in[] = {&m.instruments[0].samples[0], &m.instruments[1].samples[0], &m.instruments[1].samples[1]};
    const int sid[] = {one.sub[0].sid, r.xxi[1].sub[0].sid, r.xxi[1].sub[1].sid};
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        const xmp_sample& s = r.xxs[sid[i]];
        bool looped = in[i]->loop != xm::Loop::none;
        ASSERT_EQ(s.len, int(in[i]->data.size()));
        EXPECT_TRUE(s.flg & XMP_SAMPLE_16BIT);
        EXPECT_EQ(bool(s.flg & XMP_SAMPLE_LOOP), looped);
        EXPECT_EQ(bool(s.flg & XMP_SAMPLE_LOOP_BIDIR), in[i]->loop == xm::Loop::pingpong);
        if (looped) {
            EXPECT_EQ(s.lps, int(in[i]->loop_start));
            EXPECT_EQ(s.lpe, int(in[i]->loop_start + in[i]->loop_length));
        }
        size_t heard = looped ? in[i]->loop_start + in[i]->loop_length : in[i]->data.size();
        const int16_t* d = reinterpret_cast<const int16_t*>(s.data);
        EXPECT_TRUE(std::equal(d, d + heard, in[i]->data.begin()));
    }
}

TEST(XmWriter, RefusesModulesItCannotWrite) {
    std::vector<std::pair<const char*, void (*)(xm::Module&)>> broken = {
        {"order names a missing pattern", [](xm::Module& m) { m.orders.push_back(2); }},
        {"cells do not fill the pattern", [](xm::Module& m) { m.patterns[0].cells.pop_back(); }},
        {"too many rows", [](xm::Module& m) { m.patterns[1].rows = 257, m.patterns[1].cells.resize(257 * 4); }},
        {"note beyond the release", [](xm::Module& m) { m.patterns[0].cells[1].note = 98; }},
        {"missing instrument", [](xm::Module& m) { m.patterns[0].cells[1].instrument = 3; }},
        {"too many channels",
         [](xm::Module& m) {
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
    ASSERT_EQ(xm::check(sample_module()), "");
    for (auto& [what, spoil] : broken) {
        SCOPED_TRACE(what);
        xm::Module m = sample_module();
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
    const std::string tool = TENFOLD_BUILD_DIR "/tools/music/tenfold-music";
    std::filesystem::path dir = make_temp_dir("music-twice");
    std::vector<std::vector<uint8_t>> runs;
    for (const char* sub : {"a", "b"}) {
        std::filesystem::create_directories(dir / sub);
        ASSERT_EQ(std::system((tool + " " + (dir / sub).string()).c_str()), 0);
        runs.push_back(read_bytes(dir / sub / "music.xm"));
    }
    remove_tree(dir);
    EXPECT_FALSE(runs[0].empty());
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_NE(std::system((tool + " /nonexistent/folder 2>/dev/null").c_str()), 0);
}

// The pitch (from zero crossings) and loudness of a mono signal over [from, to) samples.
struct Sound {
    double hz, rms;
};
Sound measure(const std::vector<double>& x, size_t from, size_t to) {
    int crossings = 0;
    double sum = 0;
    for (size_t i = from; i < to && i < x.size(); i++) {
        crossings += i > from && (x[i] >= 0) != (x[i - 1] >= 0);
        sum += x[i] * x[i];
    }
    double n = double(to - from);
    return {crossings * 44100.0 / (2 * n), std::sqrt(sum / n)};
}

// The effects the music gives its leads (vibrato, portamento, volume slide) sound alike through
// the show's player and through libxmp: row by row the same pitch, the same swing of the vibrato
// and the same fall of the volume, relative to the first note.
TEST(XmWriter, LeadEffectsPlayAlikeInBothPlayers) {
    xm::Module m;
    m.channels = 2;
    xm::Pattern p{24, std::vector<xm::Cell>(48)};
    auto cell = [&](int row) -> xm::Cell& { return p.cells[size_t(row) * 2]; };
    cell(0) = {61, 1, 0x50, 0, 0};                                // C-5
    for (int r = 2; r < 8; r++) cell(r) = {0, 0, 0, 0x4, 0x43};   // vibrato
    cell(8) = {65, 0, 0x50, 0x3, 0x18};                           // slide to E-5
    for (int r = 12; r < 16; r++) cell(r) = {0, 0, 0, 0xA, 0x03};  // volume down
    cell(16) = {68, 1, 0x50, 0, 0};                               // G-5 struck anew
    cell(20) = {xm::KEY_OFF, 0, 0, 0, 0};
    m.patterns = {p};
    m.orders = {0};
    xm::Instrument tone;
    tone.name = "sine";
    xm::Sample s;
    for (int i = 0; i < 64; i++) s.data.push_back(int16_t(12000 * std::sin(i * 2 * M_PI / 32)));
    s.loop = xm::Loop::forward, s.loop_length = 64;
    tone.samples = {s};
    m.instruments = {tone};
    std::vector<uint8_t> bytes = xm::encode(m);
    ASSERT_FALSE(bytes.empty());

    const std::string wav = TENFOLD_BUILD_DIR "/effects-test.wav." + std::to_string(getpid());
    {
        VirtualAudio audio(bytes, wav);
        ASSERT_NE(music_module, nullptr);
        for (int i = 0; i < 600 && Player_Active(); i++) present_frame();
    }
    Wav w = read_wav(wav);
    std::remove(wav.c_str());
    std::vector<double> mikmod, xmp;
    for (size_t i = 0; i + 1 < w.samples.size(); i += 2) mikmod.push_back(w.samples[i] + w.samples[i + 1]);
    Loaded x(bytes);
    ASSERT_TRUE(x.ok);
    ASSERT_EQ(xmp_start_player(x.ctx, 44100, 0), 0);
    xmp_set_player(x.ctx, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
    std::vector<int16_t> buf(4096);
    while (xmp_play_buffer(x.ctx, buf.data(), int(buf.size() * 2), 1) == 0 && xmp.size() < mikmod.size())
        for (size_t i = 0; i < buf.size(); i += 2) xmp.push_back(buf[i] + buf[i + 1]);
    xmp_end_player(x.ctx);

    const size_t row = 44100 * 6 * 10 / 4 / 125;  // samples per row at speed 6, 125 BPM
    ASSERT_GE(std::min(mikmod.size(), xmp.size()), 20 * row);
    Sound first_a = measure(mikmod, row / 10, row), first_b = measure(xmp, row / 10, row);
    for (size_t r = 0; r < 20; r++) {
        SCOPED_TRACE("row " + std::to_string(r));
        Sound a = measure(mikmod, r * row + row / 10, (r + 1) * row), b = measure(xmp, r * row + row / 10, (r + 1) * row);
        EXPECT_NEAR(a.hz / b.hz, 1.0, 0.03) << a.hz << " Hz and " << b.hz << " Hz";
        EXPECT_NEAR(a.rms / first_a.rms, b.rms / first_b.rms, 0.08);
        if (r >= 3 && r < 8) {  // the vibrato's swing, window by window
            double lo_a = 1e9, hi_a = 0, lo_b = 1e9, hi_b = 0;
            for (size_t k = r * row; k + row / 8 <= (r + 1) * row; k += row / 8) {
                double fa = measure(mikmod, k, k + row / 8).hz, fb = measure(xmp, k, k + row / 8).hz;
                lo_a = std::min(lo_a, fa), hi_a = std::max(hi_a, fa), lo_b = std::min(lo_b, fb), hi_b = std::max(hi_b, fb);
            }
            EXPECT_GT(hi_a - lo_a, 10) << "the vibrato is heard";
            EXPECT_NEAR(hi_a - lo_a, hi_b - lo_b, 0.35 * (hi_b - lo_b) + 8);
        }
    }
    EXPECT_GT(measure(mikmod, 9 * row, 10 * row).hz, 1.2 * first_a.hz) << "the slide reaches E";
    EXPECT_LT(measure(mikmod, 15 * row, 16 * row).rms, 0.6 * first_a.rms) << "the volume falls";
}

}  // namespace
