// Poly1305 in radix 2^64: h (up to 131 bits) in three words, r in two, and
// 64 x 64 -> 128-bit products. Clamping leaves r1 divisible by 4, so the
// r1 * 2^128 terms fold back as r1 + r1 / 4 (2^130 = 5 mod p).
//
// Processors with AVX2 take long runs of whole blocks eight at a time in
// radix 2^26 (five 26-bit limbs per lane, 32 x 32 -> 64-bit products): each
// of eight lanes takes every eighth block, multiplying by r^8 in between,
// and the last eight blocks are multiplied by r^8 ... r before the lanes are
// summed. This is the same polynomial evaluated in a
// different order, so the accumulator it hands back is the one the
// one-block-at-a-time path would have reached, up to multiples of p.
#include "hash/poly1305.h"


#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#endif

#include "core/block_buffer.h"
#include "core/cpu.h"
#include "core/wipe.h"
#include "core/endian.h"


namespace {

using u128 = unsigned __int128;

// The 128-bit product of a and b as two words.
inline void mul64(uint64_t a, uint64_t b, uint64_t& lo, uint64_t& hi) noexcept {
    const u128 p = static_cast<u128>(a) * b;
    lo = static_cast<uint64_t>(p);
    hi = static_cast<uint64_t>(p >> 64);
}

// out = a + b + carry_in; returns the carry out. On x86-64 this is one add
// with carry (GCC otherwise turns the comparisons into branches).
inline uint64_t addc(uint64_t a, uint64_t b, uint64_t carry_in, uint64_t& out) noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    unsigned long long r;
    const unsigned char c = _addcarry_u64(static_cast<unsigned char>(carry_in), a, b, &r);
    out = r;
    return c;
#else
    const uint64_t t = a + carry_in;
    uint64_t c = t < carry_in ? 1 : 0;
    out = t + b;
    c += out < b ? 1 : 0;
    return c;
#endif
}

// (hi:lo) += (ahi:alo); the sums here never pass 128 bits.
inline void add128(uint64_t& lo, uint64_t& hi, uint64_t alo, uint64_t ahi) noexcept {
    const uint64_t c = addc(lo, alo, 0, lo);
    addc(hi, ahi, c, hi);
}

void poly1305_blocks(Poly1305State* st, const uint8_t* p, std::size_t nblocks, uint64_t hibit) noexcept {
    const uint64_t r0 = st->r0, r1 = st->r1, s1 = st->s1;
    uint64_t h0 = st->h0, h1 = st->h1, h2 = st->h2;
    while (nblocks--) {
        // h += m, with the 2^128 bit of a whole block
        uint64_t c = addc(h0, load_le64(p), 0, h0);
        c = addc(h1, load_le64(p + 8), c, h1);
        h2 += c + hibit;

        // h *= r (mod 2^130 - 5, partially reduced); h2 is at most 7, so
        // h2 * s1 and h2 * r0 fit one word.
        uint64_t d0l, d0h, d1l, d1h, tl, th;
        mul64(h0, r0, d0l, d0h);
        mul64(h1, s1, tl, th);
        add128(d0l, d0h, tl, th);
        mul64(h0, r1, d1l, d1h);
        mul64(h1, r0, tl, th);
        add128(d1l, d1h, tl, th);
        add128(d1l, d1h, h2 * s1, 0);
        add128(d1l, d1h, d0h, 0);
        const uint64_t d2 = h2 * r0 + d1h;

        // bits 130 and up, times 5, go back to the bottom
        c = (d2 >> 2) + (d2 & ~static_cast<uint64_t>(3));
        h2 = d2 & 3;
        c = addc(d0l, c, 0, h0);
        c = addc(d1l, 0, c, h1);
        h2 += c;
        p += 16;
    }
    st->h0 = h0;
    st->h1 = h1;
    st->h2 = h2;
}

}  // namespace

// Built where the 256-bit paths are (TESSALIB_WIDE_VECTORS, core/cpu.h: in
// the Windows build too, whose assembler writes the spills as unaligned
// moves).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && defined(TESSALIB_WIDE_VECTORS)
#define POLY1305_HAVE_AVX2 1

namespace {

constexpr uint64_t kMask26 = 0x3FFFFFF;

// A field element in five 26-bit limbs (each may run a little over 26 bits
// between carries).
struct Limbs26 {
    uint64_t l[5];
};

Limbs26 limbs_from_words(uint64_t h0, uint64_t h1, uint64_t h2) noexcept {
    return Limbs26{{h0 & kMask26, (h0 >> 26) & kMask26, ((h0 >> 52) | (h1 << 12)) & kMask26, (h1 >> 14) & kMask26,
                    (h1 >> 40) | (h2 << 24)}};
}

// Carries every limb into the next, the top one back into the bottom times 5
// (2^130 = 5 mod p), leaving each limb at most 26 bits (the second limb may
// keep one more bit).
void carry26(uint64_t l[5]) noexcept {
    uint64_t c;
    c = l[0] >> 26; l[0] &= kMask26; l[1] += c;
    c = l[1] >> 26; l[1] &= kMask26; l[2] += c;
    c = l[2] >> 26; l[2] &= kMask26; l[3] += c;
    c = l[3] >> 26; l[3] &= kMask26; l[4] += c;
    c = l[4] >> 26; l[4] &= kMask26; l[0] += c * 5;
    c = l[0] >> 26; l[0] &= kMask26; l[1] += c;
}

// a * b mod 2^130 - 5, both in 26-bit limbs; the result's limbs are at most
// 26 bits except the second, which may have a few more (still far below the
// 2^32 / 5 that the vector products need of a multiplier limb).
Limbs26 mul26(const Limbs26& a, const Limbs26& b) noexcept {
    const uint64_t* x = a.l;
    const uint64_t* y = b.l;
    const uint64_t y1 = 5 * y[1], y2 = 5 * y[2], y3 = 5 * y[3], y4 = 5 * y[4];
    Limbs26 d{{x[0] * y[0] + x[1] * y4 + x[2] * y3 + x[3] * y2 + x[4] * y1,
               x[0] * y[1] + x[1] * y[0] + x[2] * y4 + x[3] * y3 + x[4] * y2,
               x[0] * y[2] + x[1] * y[1] + x[2] * y[0] + x[3] * y4 + x[4] * y3,
               x[0] * y[3] + x[1] * y[2] + x[2] * y[1] + x[3] * y[0] + x[4] * y4,
               x[0] * y[4] + x[1] * y[3] + x[2] * y[2] + x[3] * y[1] + x[4] * y[0]}};
    carry26(d.l);
    return d;
}

bool cpu_has_avx2() noexcept { return cpu_features().avx2; }

#define POLY_AVX2 __attribute__((target("avx2")))

// The four powers of one limb in the lanes, lane j holding the limb of p[j].
POLY_AVX2 inline __m256i lanes(const Limbs26 p[4], int limb) noexcept {
    return _mm256_set_epi64x(static_cast<long long>(p[3].l[limb]), static_cast<long long>(p[2].l[limb]),
                             static_cast<long long>(p[1].l[limb]), static_cast<long long>(p[0].l[limb]));
}

// Four blocks of 16 bytes as 26-bit limbs, block j in lane j, each with its
// 2^128 bit.
POLY_AVX2 inline void load4(const uint8_t* p, __m256i m[5]) noexcept {
    const __m256i mask = _mm256_set1_epi64x(kMask26);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));       // b0 lo hi, b1 lo hi
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));  // b2 lo hi, b3 lo hi
    // unpack works inside 128-bit halves: lanes come out as b0 b2 b1 b3;
    // the permutation puts them back in order.
    const __m256i lo = _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(a, b), 0xD8);
    const __m256i hi = _mm256_permute4x64_epi64(_mm256_unpackhi_epi64(a, b), 0xD8);
    m[0] = _mm256_and_si256(lo, mask);
    m[1] = _mm256_and_si256(_mm256_srli_epi64(lo, 26), mask);
    m[2] = _mm256_and_si256(_mm256_or_si256(_mm256_srli_epi64(lo, 52), _mm256_slli_epi64(hi, 12)), mask);
    m[3] = _mm256_and_si256(_mm256_srli_epi64(hi, 14), mask);
    m[4] = _mm256_or_si256(_mm256_srli_epi64(hi, 40), _mm256_set1_epi64x(1 << 24));
}

// h = h * r lane by lane (r and 5r given per limb), partially carried: every
// limb ends below 2^26 plus a little, which is room enough for the next
// message addition and multiplication.
POLY_AVX2 inline void mul_carry(__m256i h[5], const __m256i r[5], const __m256i r5[5]) noexcept {
    const __m256i mask = _mm256_set1_epi64x(kMask26);
    __m256i d0 = _mm256_mul_epu32(h[0], r[0]);
    __m256i d1 = _mm256_mul_epu32(h[0], r[1]);
    __m256i d2 = _mm256_mul_epu32(h[0], r[2]);
    __m256i d3 = _mm256_mul_epu32(h[0], r[3]);
    __m256i d4 = _mm256_mul_epu32(h[0], r[4]);
    d0 = _mm256_add_epi64(d0, _mm256_mul_epu32(h[1], r5[4]));
    d1 = _mm256_add_epi64(d1, _mm256_mul_epu32(h[1], r[0]));
    d2 = _mm256_add_epi64(d2, _mm256_mul_epu32(h[1], r[1]));
    d3 = _mm256_add_epi64(d3, _mm256_mul_epu32(h[1], r[2]));
    d4 = _mm256_add_epi64(d4, _mm256_mul_epu32(h[1], r[3]));
    d0 = _mm256_add_epi64(d0, _mm256_mul_epu32(h[2], r5[3]));
    d1 = _mm256_add_epi64(d1, _mm256_mul_epu32(h[2], r5[4]));
    d2 = _mm256_add_epi64(d2, _mm256_mul_epu32(h[2], r[0]));
    d3 = _mm256_add_epi64(d3, _mm256_mul_epu32(h[2], r[1]));
    d4 = _mm256_add_epi64(d4, _mm256_mul_epu32(h[2], r[2]));
    d0 = _mm256_add_epi64(d0, _mm256_mul_epu32(h[3], r5[2]));
    d1 = _mm256_add_epi64(d1, _mm256_mul_epu32(h[3], r5[3]));
    d2 = _mm256_add_epi64(d2, _mm256_mul_epu32(h[3], r5[4]));
    d3 = _mm256_add_epi64(d3, _mm256_mul_epu32(h[3], r[0]));
    d4 = _mm256_add_epi64(d4, _mm256_mul_epu32(h[3], r[1]));
    d0 = _mm256_add_epi64(d0, _mm256_mul_epu32(h[4], r5[1]));
    d1 = _mm256_add_epi64(d1, _mm256_mul_epu32(h[4], r5[2]));
    d2 = _mm256_add_epi64(d2, _mm256_mul_epu32(h[4], r5[3]));
    d3 = _mm256_add_epi64(d3, _mm256_mul_epu32(h[4], r5[4]));
    d4 = _mm256_add_epi64(d4, _mm256_mul_epu32(h[4], r[0]));
    // Two carry chains side by side: 0 -> 1 -> 2 -> 3 -> 4 and 3 -> 4 -> 0 -> 1.
    __m256i c;
    c = _mm256_srli_epi64(d0, 26); d0 = _mm256_and_si256(d0, mask); d1 = _mm256_add_epi64(d1, c);
    c = _mm256_srli_epi64(d3, 26); d3 = _mm256_and_si256(d3, mask); d4 = _mm256_add_epi64(d4, c);
    c = _mm256_srli_epi64(d1, 26); d1 = _mm256_and_si256(d1, mask); d2 = _mm256_add_epi64(d2, c);
    c = _mm256_srli_epi64(d4, 26); d4 = _mm256_and_si256(d4, mask);
    d0 = _mm256_add_epi64(d0, _mm256_add_epi64(c, _mm256_slli_epi64(c, 2)));  // + 5c
    c = _mm256_srli_epi64(d2, 26); d2 = _mm256_and_si256(d2, mask); d3 = _mm256_add_epi64(d3, c);
    c = _mm256_srli_epi64(d0, 26); d0 = _mm256_and_si256(d0, mask); d1 = _mm256_add_epi64(d1, c);
    c = _mm256_srli_epi64(d3, 26); d3 = _mm256_and_si256(d3, mask); d4 = _mm256_add_epi64(d4, c);
    h[0] = d0;
    h[1] = d1;
    h[2] = d2;
    h[3] = d3;
    h[4] = d4;
}

// The powers of r the vector path multiplies by, with their multiples by 5.
struct Avx2Powers {
    __m256i r8[5], r8x5[5];  // r^8 in every lane
    __m256i ra[5], rax5[5];  // r^8 ... r^5
    __m256i rb[5], rbx5[5];  // r^4 ... r
};

// Fills pw from st's r: two vector products after one scalar one,
//   (r, r^2, r, r^2) * (1, 1, r^2, r^2) = (r, r^2, r^3, r^4) = lo,
//   lo * (r^4, r^4, r^4, r^4) = (r^5, r^6, r^7, r^8) = hi.
// Its own copies of the powers are wiped before it returns.
POLY_AVX2 void avx2_powers(const Poly1305State* st, Avx2Powers* pw) noexcept {
    struct {
        Limbs26 r1, r2, first[4], by[4];
        __m256i lo[5], hi[5], t[5], t5[5];
    } w;
    const Limbs26 one{{1, 0, 0, 0, 0}};
    w.r1 = limbs_from_words(st->r0, st->r1, 0);
    w.r2 = mul26(w.r1, w.r1);
    w.first[0] = w.first[2] = w.r1;
    w.first[1] = w.first[3] = w.r2;
    w.by[0] = w.by[1] = one;
    w.by[2] = w.by[3] = w.r2;
    for (int i = 0; i < 5; ++i) {
        w.lo[i] = lanes(w.first, i);
        w.t[i] = lanes(w.by, i);
        w.t5[i] = _mm256_add_epi64(w.t[i], _mm256_slli_epi64(w.t[i], 2));
    }
    mul_carry(w.lo, w.t, w.t5);
    for (int i = 0; i < 5; ++i) {
        w.hi[i] = w.lo[i];
        w.t[i] = _mm256_permute4x64_epi64(w.lo[i], 0xFF);  // r^4 in every lane
        w.t5[i] = _mm256_add_epi64(w.t[i], _mm256_slli_epi64(w.t[i], 2));
    }
    mul_carry(w.hi, w.t, w.t5);
    // r^8 in every lane between groups; for the last group lane j of the
    // first vector takes r^(8 - j) and lane j of the second r^(4 - j).
    for (int i = 0; i < 5; ++i) {
        pw->r8[i] = _mm256_permute4x64_epi64(w.hi[i], 0xFF);
        pw->r8x5[i] = _mm256_add_epi64(pw->r8[i], _mm256_slli_epi64(pw->r8[i], 2));
        pw->ra[i] = _mm256_permute4x64_epi64(w.hi[i], 0x1B);
        pw->rax5[i] = _mm256_add_epi64(pw->ra[i], _mm256_slli_epi64(pw->ra[i], 2));
        pw->rb[i] = _mm256_permute4x64_epi64(w.lo[i], 0x1B);
        pw->rbx5[i] = _mm256_add_epi64(pw->rb[i], _mm256_slli_epi64(pw->rb[i], 2));
    }
    secure_wipe_obj(w);
}

// Absorbs 8k blocks (k >= 1) in two vectors of four lanes: in each group of
// eight, block j goes to lane j of the first vector and block 4 + j to lane j
// of the second. Both vectors are multiplied by r^8 between groups (two
// independent chains the processor can overlap); the last group is
// multiplied by r^8 ... r^5 and r^4 ... r, and all lanes are summed.
POLY_AVX2 void poly1305_blocks_avx2(Poly1305State* st, const uint8_t* p, std::size_t nblocks) noexcept {
    Avx2Powers pw;
    avx2_powers(st, &pw);
    __m256i ha[5], hb[5], m[5];
    load4(p, ha);
    load4(p + 64, hb);
    const Limbs26 h0 = limbs_from_words(st->h0, st->h1, st->h2);
    for (int i = 0; i < 5; ++i)
        ha[i] = _mm256_add_epi64(ha[i], _mm256_set_epi64x(0, 0, 0, static_cast<long long>(h0.l[i])));
    p += 128;
    for (std::size_t left = nblocks - 8; left >= 8; left -= 8, p += 128) {
        mul_carry(ha, pw.r8, pw.r8x5);
        mul_carry(hb, pw.r8, pw.r8x5);
        load4(p, m);
        for (int i = 0; i < 5; ++i) ha[i] = _mm256_add_epi64(ha[i], m[i]);
        load4(p + 64, m);
        for (int i = 0; i < 5; ++i) hb[i] = _mm256_add_epi64(hb[i], m[i]);
    }
    mul_carry(ha, pw.ra, pw.rax5);
    mul_carry(hb, pw.rb, pw.rbx5);

    uint64_t l[5];
    for (int i = 0; i < 5; ++i) {
        alignas(32) uint64_t v[4];
        _mm256_store_si256(reinterpret_cast<__m256i*>(v), _mm256_add_epi64(ha[i], hb[i]));
        l[i] = v[0] + v[1] + v[2] + v[3];
    }
    carry26(l);
    carry26(l);
    const u128 w0 = static_cast<u128>(l[0]) + (static_cast<u128>(l[1]) << 26) + (static_cast<u128>(l[2]) << 52);
    const u128 w1 = (w0 >> 64) + (static_cast<u128>(l[3]) << 14) + (static_cast<u128>(l[4]) << 40);
    st->h0 = static_cast<uint64_t>(w0);
    st->h1 = static_cast<uint64_t>(w1);
    st->h2 = static_cast<uint64_t>(w1 >> 64);
    // The powers of r and the accumulators are key material: wiped here, as
    // poly1305_finish wipes the state.
    secure_wipe_obj(pw);
    secure_wipe_obj(ha);
    secure_wipe_obj(hb);
    secure_wipe_obj(l);
}

}  // namespace
#endif

namespace {

// Below this many whole blocks the vector setup (the powers of r) costs more
// than it saves.
constexpr std::size_t kAvx2MinBlocks = 48;

// Whole blocks with their 2^128 bit: eight at a time in vector lanes where
// the processor has AVX2 and there are enough of them (unless portable_only),
// the rest one at a time.
void full_blocks(Poly1305State* st, const uint8_t* p, std::size_t nblocks, bool portable_only) noexcept {
#ifdef POLY1305_HAVE_AVX2
    static const bool use_avx2 = cpu_has_avx2();
    if (use_avx2 && !portable_only && nblocks >= kAvx2MinBlocks) {
        const std::size_t vec = nblocks & ~static_cast<std::size_t>(7);
        poly1305_blocks_avx2(st, p, vec);
        p += 16 * vec;
        nblocks -= vec;
    }
#else
    (void)portable_only;
#endif
    if (nblocks != 0) poly1305_blocks(st, p, nblocks, 1);
}

// Bytes through the one-block buffer; a completed buffer goes one block at
// a time, runs of whole blocks through full_blocks.
void update(Poly1305State* st, const uint8_t* data, std::size_t len, bool portable_only) noexcept {
    block_buffer_update(st->buf, st->buf_len, data, len,
                        [&](const uint8_t* p, std::size_t n) { full_blocks(st, p, n, portable_only); });
}

}  // namespace

void poly1305_init(Poly1305State* st, const uint8_t key[32]) noexcept {
    st->r0 = load_le64(key) & 0x0FFFFFFC0FFFFFFFull;
    st->r1 = load_le64(key + 8) & 0x0FFFFFFC0FFFFFFCull;
    st->s1 = st->r1 + (st->r1 >> 2);
    st->h0 = st->h1 = st->h2 = 0;
    st->pad0 = load_le64(key + 16);
    st->pad1 = load_le64(key + 24);
    st->buf_len = 0;
    st->reserved = 0;
}

void poly1305_update(Poly1305State* st, const uint8_t* data, std::size_t len) noexcept {
    update(st, data, len, false);
}

void poly1305_finish(Poly1305State* st, uint8_t tag[16]) noexcept {
    if (st->buf_len != 0) {
        // a short last block carries its 1 bit right after the message bytes
        st->buf[st->buf_len] = 1;
        for (std::size_t i = st->buf_len + 1; i < 16; ++i) st->buf[i] = 0;
        poly1305_blocks(st, st->buf, 1, 0);
    }
    uint64_t h0 = st->h0, h1 = st->h1;
    // h - p = h + 5 - 2^130; it is taken when h >= p (bit 130 of h + 5 set)
    u128 t = static_cast<u128>(h0) + 5;
    const uint64_t g0 = static_cast<uint64_t>(t);
    t = static_cast<u128>(h1) + static_cast<uint64_t>(t >> 64);
    const uint64_t g1 = static_cast<uint64_t>(t);
    const uint64_t g2 = st->h2 + static_cast<uint64_t>(t >> 64);
    const uint64_t mask = static_cast<uint64_t>(0) - (g2 >> 2);
    h0 = (h0 & ~mask) | (g0 & mask);
    h1 = (h1 & ~mask) | (g1 & mask);
    t = static_cast<u128>(h0) + st->pad0;
    h0 = static_cast<uint64_t>(t);
    h1 = h1 + st->pad1 + static_cast<uint64_t>(t >> 64);
    store_le64(tag, h0);
    store_le64(tag + 8, h1);
    secure_wipe_obj(*st);
}

void poly1305_bytes(uint8_t tag[16], const uint8_t* msg, std::size_t len, const uint8_t key[32]) noexcept {
    Poly1305State st;
    poly1305_init(&st, key);
    poly1305_update(&st, msg, len);
    poly1305_finish(&st, tag);
}

void poly1305_bytes_portable(uint8_t tag[16], const uint8_t* msg, std::size_t len, const uint8_t key[32]) noexcept {
    Poly1305State st;
    poly1305_init(&st, key);
    update(&st, msg, len, true);
    poly1305_finish(&st, tag);
}
