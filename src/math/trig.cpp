// x is reduced to y = x − n·π/2 with |y| ≤ π/4, y carried as a sum of two doubles, and the
// quadrant n picks ±sin or ±cos of y, computed from a table of sixty-fourths and two minimax
// polynomials. Moderate arguments subtract n·π/2 in three pieces whose products with n are
// exact; large ones multiply by 2/π held to 1536 bits in integer arithmetic. Compiled with
// -ffp-contract=off: a fused multiply-add would change the last bit on one platform only.
#include "math/trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// sin(y + t) − y on |y| ≤ 1/128, t a tail far below y's last bit: a minimax polynomial whose
// error is below 2^-58 even on [−π/4, π/4].
double sin_tail(double y, double t) {
    constexpr double S1 = -0x1.5555555555549p-3, S2 = 0x1.111111110f8a6p-7, S3 = -0x1.a01a019c161d5p-13,
                     S4 = 0x1.71de357b1fe7dp-19, S5 = -0x1.ae5e68a2b9cebp-26, S6 = 0x1.5d93a5acfd57cp-33;
    double z = y * y;
    double v = z * y;
    double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
    return -((z * (0.5 * t - v * r) - t) - v * S1);
}

// cos(y + t) − 1 on |y| ≤ 1/128.
double cos_tail(double y, double t) {
    constexpr double C1 = 0x1.555555555554cp-5, C2 = -0x1.6c16c16c15177p-10, C3 = 0x1.a01a019cb159p-16,
                     C4 = -0x1.27e4f809c52adp-22, C5 = 0x1.1ee9ebdb4b1c4p-29, C6 = -0x1.8fae9be8838d4p-37;
    double z = y * y;
    double w = z * z;
    double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    return (z * r - y * t) - 0.5 * z;
}

// sin and cos of k/64 for k = 0 … 50, each as the sum of two doubles.
struct SinCos {
    double sin_hi, sin_lo, cos_hi, cos_lo;
};
constexpr SinCos SIXTY_FOURTHS[] = {
    {0.0, 0.0, 0x1.0000000000000p+0, 0.0},
    {0x1.fffaaaaeeeed5p-7, -0x1.2ab639a9f0776p-63, 0x1.fff000155549fp-1, 0x1.28a28a03a5ef3p-55},
    {0x1.ffeaaaeeee86fp-6, -0x1.cd406fb224ae2p-60, 0x1.ffc00155527d3p-1, -0x1.3b54492d89b5bp-55},
    {0x1.7fdc01032fba9p-5, -0x1.599bdf46e997ap-59, 0x1.ff7006bfdf99fp-1, -0x1.8b3b560648d5fp-56},
    {0x1.ffaaaeeed4edbp-5, -0x1.2d16d32684b69p-59, 0x1.ff0015549f4d3p-1, 0x1.328387b99426fp-55},
    {0x1.3facb12d1755bp-4, -0x1.921915299468bp-58, 0x1.fe7034129ef6fp-1, -0x1.cbf4337c96f97p-57},
    {0x1.7f701032550e4p-4, 0x1.afc2d1800501ap-60, 0x1.fdc06bf7e6b9bp-1, 0x1.31902b535f8dbp-55},
    {0x1.bf1b78568391dp-4, 0x1.e91841dea4cc8p-58, 0x1.fcf0c800e99b1p-1, 0x1.ea3d786d186acp-57},
    {0x1.feaaeee86ee36p-4, -0x1.afcb2bcc6f03bp-59, 0x1.fc015527d5bd3p-1, 0x1.b68f35094efb8p-55},
    {0x1.1f0d3d7afceafp-3, -0x1.6ef95099769a5p-57, 0x1.faf22263c4bd3p-1, -0x1.52ace133a2769p-58},
    {0x1.3eb312c5d66cbp-3, 0x1.47d666b66cb91p-57, 0x1.f9c340a7cc428p-1, 0x1.c5b6b063b7462p-55},
    {0x1.5e44fcfa126f3p-3, -0x1.6f443063f89b6p-57, 0x1.f874c2e1eecf6p-1, -0x1.c6514e1332b16p-55},
    {0x1.7dc102fbaf2b5p-3, 0x1.5ab50e23c97c3p-59, 0x1.f706bdf9ece1cp-1, -0x1.698c80c36dcb4p-55},
    {0x1.9d252d0cec312p-3, 0x1.9c43d80b1137dp-58, 0x1.f57948cff6797p-1, 0x1.e3a0d3e03b1d4p-57},
    {0x1.bc6f84edc6199p-3, 0x1.9c1a56a7b0cabp-57, 0x1.f3cc7c3b3d16ep-1, -0x1.21a3ad28a3494p-57},
    {0x1.db9e15fb5a5d0p-3, -0x1.32e20d6cc6fc2p-57, 0x1.f20073086649fp-1, 0x1.b940416c1984bp-56},
    {0x1.faaeed4f31577p-3, -0x1.15d88508e32b8p-57, 0x1.f01549f7deea1p-1, 0x1.d3c1e99e5cafdp-55},
    {0x1.0cd00cef36436p-2, -0x1.9fb0a0c93e2b4p-56, 0x1.ee0b1fbc0f11cp-1, -0x1.bfd2380bbc3b1p-59},
    {0x1.1c37d64c6b876p-2, 0x1.46076fe0dcff4p-56, 0x1.ebe214f76efa8p-1, -0x1.02f9f12ba543ep-55},
    {0x1.2b8ddc43eb49fp-2, 0x1.1553899f2d807p-57, 0x1.e99a4c3a7cd83p-1, -0x1.2264b1bc53ce8p-55},
    {0x1.3ad129769d3d8p-2, 0x1.03d550487839ap-63, 0x1.e733ea0193d40p-1, -0x1.6428b3546ce13p-55},
    {0x1.4a00c9b0f3d20p-2, 0x1.823ba6bb08eadp-56, 0x1.e4af14b2a449cp-1, -0x1.68ca02e8a6833p-55},
    {0x1.591bc9fa2f597p-2, 0x1.7c74bac3fe0cbp-57, 0x1.e20bf49acd6c1p-1, -0x1.660aec7ef636bp-58},
    {0x1.682138a38d7f7p-2, -0x1.d889202444aadp-56, 0x1.df4ab3ebd875ep-1, -0x1.e2d8a7e6736c4p-55},
    {0x1.7710255764214p-2, -0x1.6ead7314bb6cep-57, 0x1.dc6b7eb995912p-1, 0x1.4b364776dcd35p-58},
    {0x1.85e7a12826949p-2, 0x1.8a40e9b5face0p-56, 0x1.d96e82f71a9dcp-1, 0x1.ff61bd5d2039dp-55},
    {0x1.94a6be9f546c5p-2, -0x1.69ce13e683f58p-56, 0x1.d653f073e4040p-1, -0x1.76236434bec37p-55},
    {0x1.a34c91cc50ccap-2, -0x1.a310e3b50cecdp-58, 0x1.d31bf8d8d7c06p-1, 0x1.e60dd3089cbddp-56},
    {0x1.b1d8305321617p-2, -0x1.ae242cb99f519p-56, 0x1.cfc6cfa52ad9fp-1, 0x1.8b5b5508f2a0dp-55},
    {0x1.c048b17b140a3p-2, 0x1.19fe6757e9fa7p-57, 0x1.cc54aa2b2972ep-1, 0x1.4ee162ba83a98p-57},
    {0x1.ce9d2e3d4a51fp-2, -0x1.2fc8a12dae298p-57, 0x1.c8c5bf8ce1a84p-1, 0x1.ab3d1a1590123p-56},
    {0x1.dcd4c15329c9ap-2, 0x1.0d4c6e171fd9ap-56, 0x1.c51a48b8b175ep-1, -0x1.1bbb43b9aa880p-57},
    {0x1.eaee8744b05f0p-2, -0x1.789b43c9b027dp-58, 0x1.c1528065b7d50p-1, -0x1.892111312e828p-55},
    {0x1.f8e99e76abc97p-2, 0x1.9d950af2d00a3p-58, 0x1.bd6ea310294f5p-1, 0x1.31bbcc88c109dp-56},
    {0x1.0362939c69955p-1, -0x1.2d8cd78397b01p-55, 0x1.b96eeef58840ep-1, 0x1.45a3cc78fade0p-58},
    {0x1.0a4021e9e1001p-1, -0x1.6f643a13914f6p-55, 0x1.b553a410c104ep-1, 0x1.8ff7947027a15p-58},
    {0x1.110d0c4b69c3bp-1, 0x1.d918998809981p-55, 0x1.b11d04162a4c6p-1, 0x1.1dd561efbc0c2p-56},
    {0x1.17c8e5f2eedb0p-1, 0x1.35e57102e2488p-57, 0x1.accb526f69de5p-1, 0x1.8fb6a8dd6b6ccp-55},
    {0x1.1e7343236574cp-1, 0x1.22a3fa4f41d5ap-56, 0x1.a85ed4373e02dp-1, 0x1.9be06385ec792p-57},
    {0x1.250bb93788bbbp-1, 0x1.ea3d02457bccep-56, 0x1.a3d7d0352bdcfp-1, -0x1.68dbaeca19669p-55},
    {0x1.2b91dea88421ep-1, -0x1.fa371db216ab0p-55, 0x1.9f368ed912f85p-1, -0x1.1d200c5791606p-55},
    {0x1.32054b148bc4fp-1, 0x1.f6b42095a135bp-55, 0x1.9a7b5a36a6514p-1, 0x1.722cfcc9fa7a9p-55},
    {0x1.386597456282bp-1, -0x1.10fada93b07a8p-56, 0x1.95a67e00cb1fdp-1, -0x1.0befda21f862dp-55},
    {0x1.3eb25d36cd53ap-1, -0x1.be570e1570fc0p-58, 0x1.90b84784ddaf7p-1, -0x1.0feb10ab93b87p-56},
    {0x1.44eb381cf386bp-1, -0x1.3ed6c1e6a5505p-55, 0x1.8bb105a5dc900p-1, 0x1.863e03e9474c1p-55},
    {0x1.4b0fc46aab761p-1, 0x1.0da05738cc59cp-61, 0x1.869108d77a6c6p-1, 0x1.338ffe2bfe9ddp-56},
    {0x1.511f9fd7b351cp-1, -0x1.5c0e861c48831p-55, 0x1.8158a31916d5dp-1, -0x1.de8b90b8228dep-57},
    {0x1.571a6966d59b3p-1, 0x1.c843b4d0fb197p-58, 0x1.7c0827f09e54fp-1, -0x1.c73d6d72aee68p-57},
    {0x1.5cffc16bf8f0dp-1, 0x1.96cb370eb578ap-55, 0x1.769fec655211fp-1, -0x1.827d5cf8c68c5p-57},
    {0x1.62cf49921ac79p-1, -0x1.edd9855b6241ap-55, 0x1.712046fa77678p-1, 0x1.425b0a5029c81p-55},
    {0x1.6888a4e134b2fp-1, -0x1.6b7d37644d5e6p-55, 0x1.6b898fa9efb5dp-1, 0x1.15ac786ccf4b2p-56},
};

// a · b = p + e exactly (Dekker's product: no fused multiply-add needed).
void exact_product(double a, double b, double* p, double* e) {
    constexpr double SPLIT = 0x1p27 + 1;
    double ca = SPLIT * a, cb = SPLIT * b;
    double ah = ca - (ca - a), al = a - ah;
    double bh = cb - (cb - b), bl = b - bh;
    *p = a * b;
    *e = ((ah * bh - *p) + ah * bl + al * bh) + al * bl;
}

// sin or cos of y + t, |y| ≤ π/4: y = k/64 + d with |d| ≤ 1/128, and the angle-sum formulas
// with the table's values. The large terms are summed exactly, so only the last rounding and a
// few parts in 2^60 remain.
double sin_or_cos(double y, double t, bool want_cos) {
    int k = int(y * 64 + (y < 0 ? -0.5 : 0.5));
    int m = k < 0 ? -k : k;
    double d = y - k / 64.0;  // exact
    double sin_d = sin_tail(d, t), cos_d = cos_tail(d, t);  // sin(d + t) = d + sin_d
    if (k == 0) return want_cos ? 1.0 + cos_d : d + sin_d;
    double sign = k < 0 ? -1.0 : 1.0;
    double sh = sign * SIXTY_FOURTHS[m].sin_hi, sl = sign * SIXTY_FOURTHS[m].sin_lo;
    double ch = SIXTY_FOURTHS[m].cos_hi, cl = SIXTY_FOURTHS[m].cos_lo;
    double p, e;
    if (want_cos) {  // cos a − sin a · (d + sin_d) + cos a · cos_d
        exact_product(sh, d, &p, &e);
        double s = ch - p;
        double err = (ch - s) - p;
        return s + (err - e + cl - sl * d - sh * sin_d + ch * cos_d);
    }
    // sin a + cos a · (d + sin_d) + sin a · cos_d
    exact_product(ch, d, &p, &e);
    double s = sh + p;
    double err = p - (s - sh);
    return s + (err + e + sl + cl * d + ch * sin_d + sh * cos_d);
}

uint64_t bits_of(double x) {
    uint64_t b;
    memcpy(&b, &x, sizeof b);
    return b;
}

int exponent_of(double x) { return int((bits_of(x) >> 52) & 0x7FF); }

struct Reduced {
    int n;        // quadrant, mod 4
    double y, t;  // x − n·π/2 = y + t
};

// π/2 in pieces: each leading piece has 33 significant bits, so n·piece is exact for n < 2^20.
constexpr double INV_PIO2 = 0x1.45f306dc9c883p-1;
constexpr double PIO2_1 = 0x1.921fb544p+0, PIO2_1T = 0x1.0b4611a626331p-34;
constexpr double PIO2_2 = 0x1.0b4611a6p-34, PIO2_2T = 0x1.3198a2e037073p-69;
constexpr double PIO2_3 = 0x1.3198a2ep-69, PIO2_3T = 0x1.b839a252049c1p-104;
constexpr double MEDIUM_LIMIT = 0x1p20 * 1.5707963267948966;

Reduced reduce_medium(double x) {
    constexpr double ROUND = 0x1.8p52;  // adding and subtracting it rounds to the nearest integer
    double fn = (x * INV_PIO2 + ROUND) - ROUND;
    double r = x - fn * PIO2_1;
    double w = fn * PIO2_1T;
    double y = r - w;
    int ex = exponent_of(x);
    // Each further piece is needed only when the previous subtraction cancelled many bits.
    if (ex - exponent_of(y) > 16) {
        double t = r;
        w = fn * PIO2_2;
        r = t - w;
        w = fn * PIO2_2T - ((t - r) - w);
        y = r - w;
        if (ex - exponent_of(y) > 49) {
            t = r;
            w = fn * PIO2_3;
            r = t - w;
            w = fn * PIO2_3T - ((t - r) - w);
            y = r - w;
        }
    }
    return Reduced{int(fn) & 3, y, (r - y) - w};
}

// 2/π in 32-bit words, most significant first: 2/π = Σ TWO_OVER_PI[i] · 2^(−32(i+1)).
constexpr uint32_t TWO_OVER_PI[] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
    0xA9E39161, 0x5EE61B08, 0x6599855F, 0x14A06840, 0x8DFFD880, 0x4D732731, 0x06061556, 0xCA73A8C9};
// π/2 · 2^127, rounded: two 64-bit halves.
constexpr uint64_t PIO2_HI = 0xc90fdaa22168c234, PIO2_LO = 0xc4c6628b80dc1cd1;

constexpr int WORDS = 8;           // words of 2/π that reach the fraction: ≥ 222 bits of it
constexpr int LIMBS = WORDS + 2;   // the product with a 53-bit integer

// Bit k (from the least significant) of a little-endian array of 32-bit limbs.
int bit_at(const uint32_t* p, int k) { return k < 0 ? 0 : (p[k / 32] >> (k % 32)) & 1; }

// 64 bits of p whose lowest is bit k; bits below 0 read as zero.
uint64_t bits64(const uint32_t* p, int k) {
    uint64_t v = 0;
    for (int i = 63; i >= 0; i--) v = v << 1 | uint64_t(bit_at(p, k + i));
    return v;
}

// High 128 bits of the 256-bit product of two 128-bit numbers (hi, lo halves).
void mul_high128(uint64_t ah, uint64_t al, uint64_t bh, uint64_t bl, uint64_t* hi, uint64_t* lo) {
    using u128 = unsigned __int128;
    u128 ll = u128(al) * bl, lh = u128(al) * bh, hl = u128(ah) * bl, hh = u128(ah) * bh;
    u128 mid = (ll >> 64) + uint64_t(lh) + uint64_t(hl);
    u128 top = hh + (lh >> 64) + (hl >> 64) + (mid >> 64);
    *hi = uint64_t(top >> 64);
    *lo = uint64_t(top);
}

// |x| ≥ MEDIUM_LIMIT, finite: x·2/π from enough words of 2/π to leave 222 bits of fraction.
Reduced reduce_large(double x) {
    uint64_t bits = bits_of(x);
    uint64_t m = (bits & ((uint64_t(1) << 52) - 1)) | (uint64_t(1) << 52);
    int e = exponent_of(x) - 1075;  // |x| = m · 2^e
    // Words whose products with m · 2^e are multiples of 4 do not change the quadrant: skip them.
    int first = e >= 2 ? (e - 2) / 32 : 0;
    uint32_t p[LIMBS] = {};
    for (int j = 0; j < WORDS; j++) {
        uint64_t w = TWO_OVER_PI[first + j];
        // Adds m · w at limb WORDS − 1 − j.
        uint64_t lo = (m & 0xFFFFFFFF) * w, hi = (m >> 32) * w;
        uint64_t carry = 0;
        for (int k = WORDS - 1 - j, part = 0; k < LIMBS; k++, part++) {
            uint64_t add = part == 0 ? (lo & 0xFFFFFFFF)
                         : part == 1 ? (lo >> 32) + (hi & 0xFFFFFFFF)
                         : part == 2 ? (hi >> 32) : 0;
            uint64_t s = uint64_t(p[k]) + add + carry;
            p[k] = uint32_t(s);
            carry = s >> 32;
        }
    }
    // x·2/π = p · 2^−point: the quadrant is the two bits above the point, the fraction below.
    int point = 32 * (first + WORDS) - e;
    int n = bit_at(p, point) | bit_at(p, point + 1) << 1;
    bool negative = bit_at(p, point - 1);  // fraction ≥ 1/2: take the next quadrant, y < 0
    if (negative) {
        n = (n + 1) & 3;
        uint64_t borrow = 1;  // fraction ← 2^point − fraction, as the two's complement below the point
        for (int k = 0; k < LIMBS; k++) {
            uint64_t s = uint64_t(uint32_t(~p[k])) + borrow;
            p[k] = uint32_t(s);
            borrow = s >> 32;
        }
    }
    int top = point - 1;
    while (top >= 0 && !bit_at(p, top)) top--;
    if (top < 0) return Reduced{n, 0.0, 0.0};
    // |fraction| = F · 2^(top + 1 − 128 − point) with F's leading bit set; |y| = fraction · π/2.
    uint64_t fh = bits64(p, top - 63), fl = bits64(p, top - 127);
    uint64_t hh, hl;
    mul_high128(fh, fl, PIO2_HI, PIO2_LO, &hh, &hl);
    int scale = top - 126 - point;  // |y| = (hh·2^64 + hl) · 2^scale, to 2^-125 relative
    double a = std::ldexp(double(hh >> 11), scale + 75);
    double b = std::ldexp(double((hh & 0x7FF) << 20 | hl >> 44), scale + 44);
    double y = a + b;
    double t = b - (y - a);
    if (negative != std::signbit(x)) {
        y = -y;
        t = -t;
    }
    return Reduced{std::signbit(x) ? -n & 3 : n, y, t};
}

Reduced reduce(double x) {
    if (std::fabs(x) <= 0x1.921fb54442d18p-1) return Reduced{0, x, 0.0};
    return std::fabs(x) < MEDIUM_LIMIT ? reduce_medium(x) : reduce_large(x);
}

}  // namespace

double trig_sin(double x) {
    if (!std::isfinite(x)) return x - x;  // NaN
    if (std::fabs(x) < 0x1p-27) return x;
    Reduced r = reduce(x);
    double v = sin_or_cos(r.y, r.t, r.n & 1);
    return r.n & 2 ? -v : v;
}

double trig_cos(double x) {
    if (!std::isfinite(x)) return x - x;
    if (std::fabs(x) < 0x1p-27) return 1.0;
    Reduced r = reduce(x);
    double v = sin_or_cos(r.y, r.t, !(r.n & 1));
    return (r.n + 1) & 2 ? -v : v;
}
