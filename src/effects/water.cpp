#include "effects/water.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/kernel.h"
#include "math/tables.h"

#ifdef KERNEL_FORMS
#include <immintrin.h>
#endif

int32_t water_heights[2][FRAME_BYTES];

namespace {

uint8_t background_with_bands[3 * FRAME_BYTES];

constexpr int W = SCREEN_WIDTH;
constexpr int FIRST_ROW = 1, LAST_ROW = SCREEN_HEIGHT - 2;  // the interior rows
constexpr int FIRST_COL = 1, INTERIOR_COLS = SCREEN_WIDTH - 2;

int clamp_shift(int shift) { return std::clamp(shift, 0, 31); }

// The interior is processed as one flat run from (1, 1) to (318, 238), which vectorises better
// than 238 short rows; the run crosses the border pixels between two rows (column 319 of one,
// column 0 of the next), and these keep their values by being put back afterwards.
constexpr int RUN_FIRST = FIRST_ROW * W + FIRST_COL;
constexpr int RUN_END = LAST_ROW * W + FIRST_COL + INTERIOR_COLS;

template <typename T>
struct Border {
    T left[SCREEN_HEIGHT], right[SCREEN_HEIGHT];
};

template <typename T>
void save_border(const T* page, Border<T>* border) {
    for (int y = FIRST_ROW; y <= LAST_ROW; y++) {
        border->left[y] = page[y * W];
        border->right[y] = page[y * W + W - 1];
    }
}

template <typename T>
void restore_border(T* page, const Border<T>& border) {
    for (int y = FIRST_ROW; y <= LAST_ROW; y++) {
        page[y * W] = border.left[y];
        page[y * W + W - 1] = border.right[y];
    }
}

PIXEL_KERNEL void step_run(int32_t* __restrict d, const int32_t* __restrict s, int n, int shift) {
    for (int i = 0; i < n; i++) {
        int32_t sum = s[i - W - 1] + s[i - W] + s[i - W + 1] + s[i - 1] + s[i + 1] + s[i + W - 1] + s[i + W] + s[i + W + 1];
        int32_t v = (sum >> 2) - d[i];
        d[i] = v - (v >> shift);
    }
}

// The exact sample of one pixel, for any heights: 64-bit slopes, 0 outside the picture.
uint8_t render_pixel(const int32_t* h, const uint8_t* b, int p, int shift) {
    int64_t dx = int64_t(h[p]) - h[p + 1];
    int64_t dy = int64_t(h[p]) - h[p + W];
    int64_t q = p + (dy >> 3) * W + (dx >> 3);
    int64_t k = (q >= 0 && q < FRAME_BYTES ? b[q] : 0) - (dx >> shift);
    return uint8_t(std::clamp<int64_t>(k, 0, 255));
}

// n pixels from h[0] and b[0] on, those whose sample is the pixel itself, its left neighbour or
// one of the two above them (slopes in -8 .. 7): all four inside the picture for every interior
// pixel. far[i] is set for the others (a slope outside -8 .. 7, or a height so large that a 32-bit
// difference could wrap), which get a value here that render_pixel replaces.
PIXEL_KERNEL void render_near(const int32_t* h, const uint8_t* b, uint8_t* __restrict dst, uint8_t* __restrict far, int n,
                              int shift) {
    for (int i = 0; i < n; i++) {
        uint32_t a = uint32_t(h[i]);
        uint32_t dx = a - uint32_t(h[i + 1]), dy = a - uint32_t(h[i + W]);  // wrapping differences
        // Zero exactly when both slopes lie in -8 .. 7 and |a| < 2^30 (so that they did not wrap).
        uint32_t off = ((dx + 8) | (dy + 8)) >> 4 | (a + (1u << 30)) >> 31;
        int32_t b00 = b[i], b01 = b[i - 1], b10 = b[i - W], b11 = b[i - W - 1];
        int32_t here = int32_t(dx) < 0 ? b01 : b00;
        int32_t above = int32_t(dx) < 0 ? b11 : b10;
        int32_t k = (int32_t(dy) < 0 ? above : here) - (int32_t(dx) >> shift);
        k = k < 0 ? 0 : k;
        dst[i] = uint8_t(k > 255 ? 255 : k);
        far[i] = off != 0;
    }
}

// Redoes count pixels from p on with render_pixel.
void redo_pixels(const int32_t* h, const uint8_t* b, uint8_t* dst, int p, int count, int shift) {
    for (int x = p; x < p + count; x++) dst[x] = render_pixel(h, b, x, shift);
}

#ifdef KERNEL_FORMS
// The fast forms redo eight pixels at once, with one gather of their samples, where the heights
// of the eight and of their right and lower neighbours lie within +-2^22: then no slope, shade or
// sample place leaves 32 bits. Others go to render_pixel.
AVX2_FORM void redo_pixels_gathered(const int32_t* h, const uint8_t* b, uint8_t* dst, int p, int count, int shift) {
    const __m256i bias = _mm256_set1_epi32(1 << 22);
    __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + p));
    __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + p + 1));
    __m256i below = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + p + W));
    __m256i outside = _mm256_or_si256(_mm256_or_si256(_mm256_add_epi32(here, bias), _mm256_add_epi32(right, bias)),
                                      _mm256_add_epi32(below, bias));
    if (count < 8 || !_mm256_testz_si256(outside, _mm256_set1_epi32(-1 << 23))) return redo_pixels(h, b, dst, p, count, shift);
    __m256i dx = _mm256_sub_epi32(here, right), dy = _mm256_sub_epi32(here, below);
    __m256i q = _mm256_add_epi32(_mm256_add_epi32(_mm256_set1_epi32(p), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)),
                                 _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(dy, 3), _mm256_set1_epi32(W)),
                                                  _mm256_srai_epi32(dx, 3)));
    __m256i inside = _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), q),
                                         _mm256_cmpgt_epi32(_mm256_set1_epi32(FRAME_BYTES), q));
    // Four bytes from each sample on: the band after the picture is there to be read.
    __m256i sample = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(b), q, inside, 1);
    __m256i k = _mm256_sub_epi32(_mm256_and_si256(sample, _mm256_set1_epi32(255)),
                                 _mm256_sra_epi32(dx, _mm_cvtsi32_si128(shift)));
    k = _mm256_min_epi32(_mm256_max_epi32(k, _mm256_setzero_si256()), _mm256_set1_epi32(255));
    __m128i words = _mm_packus_epi32(_mm256_castsi256_si128(k), _mm256_extracti128_si256(k, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + p), _mm_packus_epi16(words, words));
}
#endif

// Redoes the FAR pixels of a chunk of n pixels from p0 on. They are rare and come in clusters
// (round the object and the drops), so the scan skips eight pixels at a time, and all eight
// pixels of a word with a FAR one among them are redone (redo_pixels is exact for any pixel).
template <void (*Redo)(const int32_t*, const uint8_t*, uint8_t*, int, int, int)>
void render_far(const int32_t* h, const uint8_t* b, uint8_t* dst, const uint8_t* far, int p0, int n, int shift) {
    for (int i = 0; i < n; i += 8) {
        uint64_t word;
        memcpy(&word, far + i, 8);
        if (word) Redo(h, b, dst, p0 + i, std::min(8, n - i), shift);
    }
}

}  // namespace

uint8_t* const water_background = background_with_bands + FRAME_BYTES;

void water_add_drop(int cx, int cy, int radius, int amplitude, int page) {
    if (radius <= 0) return;
    int32_t* h = water_heights[page & 1];
    int64_t r = radius;
    float scale = float((1024.0 / radius) * (1024.0 / radius));
    int64_t xs = cx - r <= 0 ? 1 - int64_t(cx) : -r;
    int64_t xe = cx + r > W - 1 ? W - 1 - int64_t(cx) : r;
    int64_t ys = cy - r <= 0 ? 1 - int64_t(cy) : -r;
    int64_t ye = cy + r > SCREEN_HEIGHT - 1 ? SCREEN_HEIGHT - 1 - int64_t(cy) : r;
    for (int64_t y = ys; y < ye; y++) {
        for (int64_t x = xs; x < xe; x++) {
            int64_t d2 = x * x + y * y;
            if (d2 >= r * r) continue;
            int n = int(std::sqrt(double(scale) * double(d2)));
            double w = (double(wave_sin(n)) + 65535.0) * amplitude;
            h[(cy + y) * W + cx + x] += int32_t(std::clamp(w, double(INT_MIN), double(INT_MAX))) >> 19;
        }
    }
}

void water_step(int page, int damping_shift) {
    int32_t* d = water_heights[page & 1];
    const int32_t* s = water_heights[(page & 1) ^ 1];
    int shift = clamp_shift(damping_shift);
    Border<int32_t> border;
    save_border(d, &border);
    pixel_kernel<step_run>(d + RUN_FIRST, s + RUN_FIRST, RUN_END - RUN_FIRST, shift);
    restore_border(d, border);
}

void water_render(int page, int shade_shift, FrameBuffer* frame) {
    uint8_t* dst = frame->pixels;
    const int32_t* h = water_heights[page & 1];
    const uint8_t* b = water_background;
    int shift = clamp_shift(shade_shift);
    Border<uint8_t> border;
    save_border(dst, &border);
    // In chunks that keep the work arrays in the first-level cache.
    constexpr int CHUNK = 1024;
    uint8_t far[CHUNK + 8];
    auto render_far_pixels = render_far<redo_pixels>;
#ifdef KERNEL_FORMS
    if (kernel_form != KernelForm::plain) render_far_pixels = render_far<redo_pixels_gathered>;
#endif
    for (int p0 = RUN_FIRST; p0 < RUN_END; p0 += CHUNK) {
        int n = std::min(CHUNK, RUN_END - p0);
        pixel_kernel<render_near>(h + p0, b + p0, dst + p0, far, n, shift);
        memset(far + n, 0, 8);  // render_far reads up to 7 entries past n
        render_far_pixels(h, b, dst, far, p0, n, shift);
    }
    restore_border(dst, border);
}

void water_smooth(int page) {
    int32_t* d = water_heights[page & 1];
    const int32_t* s = water_heights[(page & 1) ^ 1];
    for (int y = FIRST_ROW; y <= LAST_ROW; y++) {
        for (int p = y * W + FIRST_COL; p < y * W + FIRST_COL + INTERIOR_COLS; p++) {
            // In 64 bits: eight heights anywhere in the 32-bit range cannot overflow the sum.
            int64_t sum = int64_t(s[p - W - 1]) + s[p - W] + s[p - W + 1] + s[p - 1] + s[p + 1] + s[p + W - 1] + s[p + W] +
                          s[p + W + 1];
            d[p] = int32_t(((sum >> 3) + d[p]) >> 1);
        }
    }
}
