// The browser backend. The page (web/page.js) keeps its side in Module.tenfold: the canvas, the
// audio context, the keys pressed, and what it shows and tells the tests.
#include "console/browser.h"

#include <emscripten.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/internal.h"

// The page's audio context is the only sound device; there are no other libraries to quieten.
int con_audio_init() { return MikMod_Init(""); }

// ---- the page's side ----------------------------------------------------------------------------

EM_JS(void, page_draw, (const uint8_t* rgba), { Module.tenfold.draw(rgba); });
EM_JS(void, page_picture, (const uint8_t* rgba, double target, int tick), { Module.tenfold.picture(rgba, target, tick); });
EM_JS(int, page_take_refreshes, (int* counts, double* times, int max), { return Module.tenfold.takeRefreshes(counts, times, max); });
EM_JS(double, page_pause_since_ms, (), { return Module.tenfold.pauseSince(); });
EM_JS(double, page_output_latency, (), { return Module.tenfold.outputLatency(); });
EM_JS(void, page_progress, (double done), { Module.tenfold.progress(done); });
EM_JS(void, page_scene, (int scene), { Module.tenfold.scene(scene); });
EM_JS(void, page_frame, (int tick, int scene, uint32_t ih, uint32_t il, uint32_t dh, uint32_t dl),
      { Module.tenfold.frame(tick, scene, ih, il, dh, dl); });
EM_JS(int, page_take_quit, (), { return Module.tenfold.takeQuit(); });
EM_JS(double, page_clock_ms, (), { return Module.tenfold.clockMs(); });
EM_JS(int, page_audio_running, (), { return Module.tenfold.audioRunning(); });
EM_JS(void, page_audio_start, (), { Module.tenfold.audioStart(); });
EM_JS(double, page_audio_lead, (), { return Module.tenfold.audioLead(); });
EM_JS(void, page_audio_play, (const int16_t* samples, int frames), { Module.tenfold.audioPlay(samples, frames); });
EM_JS(void, page_song, (int position), { Module.tenfold.song(position); });
// The browser's own gzip decoder. On success *out is a malloc'd block of *out_size bytes.
EM_ASYNC_JS(int, page_gunzip, (const uint8_t* data, int size, uint8_t** out, int* out_size), {
    try {
        const input = HEAPU8.slice(data, data + size);
        const stream = new Blob([input]).stream().pipeThrough(new DecompressionStream('gzip'));
        const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
        const p = _malloc(bytes.length || 1);
        HEAPU8.set(bytes, p);
        HEAPU32[out >> 2] = p;
        HEAP32[out_size >> 2] = bytes.length;
        return 0;
    } catch (e) {
        return 1;
    }
});

namespace con {

void restore_terminal_now() {}  // a page has no terminal to put back

namespace {

constexpr double AUDIO_LEAD_SECONDS = 0.12;  // music queued ahead of what has been played
constexpr int AUDIO_BLOCK = 2048;            // sample frames per Web Audio buffer, at most
constexpr double REAL_BREATHE_MS = 4;        // a waiting show gives the page its turn this often
constexpr double VIRTUAL_BREATHE_MS = 40;    // a show in virtual time, as fast as it can

double last_yield_ms = 0;
int64_t last_clock_ns = 0;

void yield_ms(int ms) {
    emscripten_sleep(unsigned(ms));
    last_yield_ms = page_clock_ms();
}

// Every tick of a run in virtual time, hashed as the tests hash the native run's frames.
void report_frame(const ScanFrame& f) {
    uint64_t i = con_hash_bytes(f.indices, SCAN_WIDTH * SCAN_HEIGHT), d = con_hash_bytes(f.dac, 768);
    page_frame(int(f.tick), con_current_scene(), uint32_t(i >> 32), uint32_t(i), uint32_t(d >> 32), uint32_t(d));
}

// The pictures of the real clock wait in the page for their refresh: one tick after their tick
// starts (console/pacing.h), and later by the music queued ahead and the device's latency, so
// that a picture is seen when the music it goes with is heard. The delay is taken once, when the
// first picture goes out, so that it cannot change the pictures' cadence.
struct BrowserDisplay : Display {
    std::vector<uint32_t> rgba = std::vector<uint32_t>(SCAN_WIDTH * SCAN_HEIGHT);
    int scene = -1;
    int64_t delay_ticks = -1;

    // The canvas takes red, green, blue, alpha bytes: 0xAABBGGRR as a little-endian word.
    void show_indexed(const uint8_t* indices, const uint32_t* colours, int64_t tick) override {
        for (int p = 0; p < SCAN_WIDTH * SCAN_HEIGHT; p++) {
            uint32_t c = colours[indices[p]];
            rgba[p] = 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
        }
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(rgba.data());
        if (settings.virtual_clock) return page_draw(bytes);
        if (delay_ticks < 0) delay_ticks = std::llround((AUDIO_LEAD_SECONDS + page_output_latency()) * RETRACE_RATE);
        page_picture(bytes, double(refresh_target_for(tick + delay_ticks)), int(tick));
    }

    bool poll() override {
        int counts[64];
        double times[64];
        for (int i = 0, n = page_take_refreshes(counts, times, 64); i < n; i++)
            note_refresh(counts[i], int64_t(times[i] * 1e6));
        if (con_current_scene() != scene) {
            scene = con_current_scene();
            page_scene(scene);
        }
        if (MODULE* m = Player_GetModule()) page_song(int(m->sngpos) * 65536 + m->patpos);
        if (page_take_quit()) request_quit(1);
        return false;
    }
};

// ---- unpacking ------------------------------------------------------------------------------------

bool all_zero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; i++)
        if (p[i]) return false;
    return true;
}

std::string text_field(const uint8_t* p, size_t n) {
    size_t len = 0;
    while (len < n && p[len]) len++;
    return std::string(reinterpret_cast<const char*>(p), len);
}

// An octal number field; -1 if it is not one.
long long octal_field(const uint8_t* p, size_t n) {
    long long v = 0;
    size_t i = 0;
    while (i < n && p[i] == ' ') i++;
    size_t digits = 0;
    for (; i < n && p[i] >= '0' && p[i] <= '7'; i++, digits++) {
        if (v > (1LL << 40)) return -1;
        v = v * 8 + (p[i] - '0');
    }
    for (; i < n; i++)
        if (p[i] != ' ' && p[i] != 0) return -1;
    return digits ? v : -1;
}

bool header_checksum_ok(const uint8_t* h) {
    long long want = octal_field(h + 148, 8);
    long long sum = 0;
    for (int i = 0; i < 512; i++) sum += (i >= 148 && i < 156) ? ' ' : h[i];
    return want == sum;
}

// A name that stays inside the directory: relative, no "..", no empty path.
bool safe_name(const std::string& name) {
    if (name.empty() || name[0] == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

bool make_parents(const std::string& path) {
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        std::string dir = path.substr(0, at);
        if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool write_file(const std::string& path, const uint8_t* data, size_t size) {
    if (!make_parents(path)) return false;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

// Writes the files and directories of a tar stream (ustar or GNU) under dir. Links and devices
// are skipped; a damaged header, a name leaving dir or a cut-off stream fail the whole unpack.
bool extract_tar(const uint8_t* tar, size_t size, const std::string& dir) {
    size_t at = 0;
    std::string long_name;
    while (at < size) {
        if (size - at < 512) return false;
        const uint8_t* h = tar + at;
        if (all_zero(h, 512)) return true;  // the end marker
        if (!header_checksum_ok(h)) return false;
        long long length = octal_field(h + 124, 12);
        at += 512;
        if (length < 0 || size_t(length) > size - at) return false;
        const uint8_t* data = tar + at;
        at += (size_t(length) + 511) / 512 * 512;
        if (at > size) at = size;
        std::string name = long_name.empty() ? text_field(h, 100) : long_name;
        if (long_name.empty() && memcmp(h + 257, "ustar", 6) == 0 && h[345])
            name = text_field(h + 345, 155) + "/" + name;  // POSIX ustar: prefix/name
        long_name.clear();
        char type = char(h[156]);
        if (type == 'L') {  // GNU: the next entry's long name
            long_name = text_field(data, size_t(length));
            continue;
        }
        while (name.size() > 1 && name.back() == '/') name.pop_back();
        if (type != '0' && type != '\0' && type != '7' && type != '5') continue;
        if (!safe_name(name)) return false;
        std::string path = dir + "/" + name;
        if (type == '5') {
            if (!make_parents(path + "/")) return false;
        } else if (!write_file(path, data, size_t(length))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<Display> open_browser_display() {
    if (settings.virtual_clock) con_set_frame_hook(report_frame);
    return std::make_unique<BrowserDisplay>();
}

int64_t browser_pause_since_ns() {
    double ms = page_pause_since_ms();
    return ms < 0 ? -1 : int64_t(ms * 1e6);
}

int64_t browser_clock_ns() {
    int64_t ns = int64_t(page_clock_ms() * 1e6);
    if (ns > last_clock_ns) last_clock_ns = ns;
    return last_clock_ns;
}

void browser_sleep_ns(int64_t ns) {
    yield_ms(ns > 0 ? int((ns + 999999) / 1000000) : 0);
}

void browser_breathe() {
    double limit = con_virtual_clock() ? VIRTUAL_BREATHE_MS : REAL_BREATHE_MS;
    if (page_clock_ms() - last_yield_ms >= limit) yield_ms(con_virtual_clock() ? 0 : 1);
}

BOOL browser_audio_present() { return !settings.virtual_clock && page_audio_running(); }

void browser_audio_start() { page_audio_start(); }

void browser_audio_update() {
    static std::vector<int16_t> block(AUDIO_BLOCK * 2);
    int frames = int((AUDIO_LEAD_SECONDS - page_audio_lead()) * AUDIO_RATE);
    while (frames > 0) {
        int n = frames < AUDIO_BLOCK ? frames : AUDIO_BLOCK;
        VC_WriteBytes(reinterpret_cast<SBYTE*>(block.data()), ULONG(n * AUDIO_FRAME_BYTES));
        page_audio_play(block.data(), n);
        frames -= n;
    }
}

void browser_progress(double done) { page_progress(done); }

int browser_untar(const char* archive, const char* dir) {
    FILE* f = fopen(archive, "rb");
    if (!f) return 1;
    std::vector<uint8_t> packed;
    uint8_t buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) packed.insert(packed.end(), buf, buf + n);
    fclose(f);
    uint8_t* tar = nullptr;
    int size = 0;
    if (page_gunzip(packed.data(), int(packed.size()), &tar, &size) != 0) return 1;
    bool ok = extract_tar(tar, size_t(size), dir);
    free(tar);
    return ok ? 0 : 1;
}

}  // namespace con
