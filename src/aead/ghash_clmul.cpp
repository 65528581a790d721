// GHASH on the processor's carry-less multiply (PCLMULQDQ; VPCLMULQDQ on
// 256-bit registers where the build has the 256-bit paths, core/cpu.h). Blocks are taken byte-reversed, which
// turns GCM's bit order into the instruction's, up to one shift of the
// product; the products of several blocks with the powers of H are added
// unreduced, and one reduction modulo x^128 + x^7 + x^2 + x + 1 follows for
// the lot (8 blocks on 128-bit registers, 16 on 256-bit ones). No branch and
// no memory address depends on H or on the data.
#include "aead/ghash.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define CLMUL_TARGET __attribute__((target("pclmul,ssse3,sse4.1")))
#define CLMUL_INLINE inline __attribute__((always_inline, target("pclmul,ssse3,sse4.1")))

namespace {

CLMUL_INLINE __m128i swap_block() noexcept {
    return _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}
CLMUL_INLINE __m128i load_block(const uint8_t* p) noexcept {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), swap_block());
}
CLMUL_INLINE __m128i load_power(const GhashPowers* p, int i) noexcept {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p->pow[i]));
}

// An unreduced 256-bit product as its low, high and middle parts.
struct Wide {
    __m128i lo, hi, mid;
};

CLMUL_INLINE Wide mul(__m128i a, __m128i b) noexcept {
    return {_mm_clmulepi64_si128(a, b, 0x00), _mm_clmulepi64_si128(a, b, 0x11),
            _mm_xor_si128(_mm_clmulepi64_si128(a, b, 0x01), _mm_clmulepi64_si128(a, b, 0x10))};
}

CLMUL_INLINE void add(Wide& acc, const Wide& p) noexcept {
    acc.lo = _mm_xor_si128(acc.lo, p.lo);
    acc.hi = _mm_xor_si128(acc.hi, p.hi);
    acc.mid = _mm_xor_si128(acc.mid, p.mid);
}

// The 256-bit product <hi:lo> of two byte-reversed elements, shifted left by
// one bit (the bit-reflected product), reduced to the byte-reversed result.
CLMUL_INLINE __m128i reduce(const Wide& w) noexcept {
    __m128i lo = _mm_xor_si128(w.lo, _mm_slli_si128(w.mid, 8));
    __m128i hi = _mm_xor_si128(w.hi, _mm_srli_si128(w.mid, 8));
    // <hi:lo> <<= 1
    __m128i c_lo = _mm_srli_epi32(lo, 31), c_hi = _mm_srli_epi32(hi, 31);
    lo = _mm_slli_epi32(lo, 1);
    hi = _mm_slli_epi32(hi, 1);
    const __m128i carry = _mm_srli_si128(c_lo, 12);
    c_hi = _mm_slli_si128(c_hi, 4);
    c_lo = _mm_slli_si128(c_lo, 4);
    lo = _mm_or_si128(lo, c_lo);
    hi = _mm_or_si128(_mm_or_si128(hi, c_hi), carry);
    // The first phase: lo times x^127 + x^126 + x^121 folded into its own words.
    __m128i t = _mm_xor_si128(_mm_xor_si128(_mm_slli_epi32(lo, 31), _mm_slli_epi32(lo, 30)), _mm_slli_epi32(lo, 25));
    const __m128i spill = _mm_srli_si128(t, 4);
    lo = _mm_xor_si128(lo, _mm_slli_si128(t, 12));
    // The second phase.
    t = _mm_xor_si128(_mm_xor_si128(_mm_srli_epi32(lo, 1), _mm_srli_epi32(lo, 2)), _mm_srli_epi32(lo, 7));
    t = _mm_xor_si128(t, spill);
    lo = _mm_xor_si128(lo, t);
    return _mm_xor_si128(hi, lo);
}

CLMUL_INLINE __m128i gf_mul(__m128i a, __m128i b) noexcept { return reduce(mul(a, b)); }

CLMUL_INLINE __m128i load_y(const GhashWords* y) noexcept {
    return _mm_set_epi64x(static_cast<long long>(y->hi), static_cast<long long>(y->lo));
}
CLMUL_INLINE void store_y(GhashWords* y, __m128i v) noexcept {
    y->lo = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
    y->hi = static_cast<uint64_t>(_mm_extract_epi64(v, 1));
}

// 8 blocks per reduction, then one at a time.
CLMUL_TARGET void blocks_128(const GhashPowers* p, GhashWords* y, const uint8_t* data, std::size_t n) noexcept {
    __m128i acc = load_y(y);
    for (; n >= 8; n -= 8, data += 128) {
        Wide w = mul(_mm_xor_si128(acc, load_block(data)), load_power(p, kGhashPowers - 8));
        for (int j = 1; j < 8; ++j) add(w, mul(load_block(data + 16 * j), load_power(p, kGhashPowers - 8 + j)));
        acc = reduce(w);
    }
    if (n != 0) {  // the last 1 to 7 blocks, by H^n down to H, one reduction
        Wide w = mul(_mm_xor_si128(acc, load_block(data)), load_power(p, kGhashPowers - static_cast<int>(n)));
        for (std::size_t j = 1; j < n; ++j)
            add(w, mul(load_block(data + 16 * j), load_power(p, kGhashPowers - static_cast<int>(n - j))));
        acc = reduce(w);
    }
    store_y(y, acc);
}

}  // namespace

CLMUL_TARGET void ghash_clmul_init(GhashPowers* p, const uint8_t h[16]) noexcept {
    const __m128i h1 = load_block(h);
    __m128i power = h1;
    for (int i = kGhashPowers - 1; i >= 0; --i) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p->pow[i]), power);
        power = gf_mul(power, h1);
    }
}

#if defined(TESSALIB_WIDE_VECTORS)
#define VCLMUL_TARGET __attribute__((target("vpclmulqdq,avx2,pclmul,ssse3,sse4.1")))
#define VCLMUL_INLINE inline __attribute__((always_inline, target("vpclmulqdq,avx2,pclmul,ssse3,sse4.1")))

namespace {

// 16 blocks per reduction with two blocks per 256-bit register: pair j
// (blocks 2j and 2j + 1) meets the powers pow[2j] and pow[2j + 1], that is
// H^(16 - 2j) and H^(15 - 2j).
VCLMUL_TARGET std::size_t blocks_256(const GhashPowers* p, GhashWords* y, const uint8_t* data, std::size_t n) noexcept {
    const __m256i swap = _mm256_broadcastsi128_si256(swap_block());
    __m128i acc = load_y(y);
    std::size_t done = 0;
    for (; n - done >= 16; done += 16, data += 256) {
        __m256i lo = _mm256_setzero_si256(), hi = lo, mid = lo;
        for (int j = 0; j < 8; ++j) {
            __m256i x = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32 * j)), swap);
            if (j == 0) x = _mm256_xor_si256(x, _mm256_zextsi128_si256(acc));
            const __m256i pw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p->pow[2 * j]));
            lo = _mm256_xor_si256(lo, _mm256_clmulepi64_epi128(x, pw, 0x00));
            hi = _mm256_xor_si256(hi, _mm256_clmulepi64_epi128(x, pw, 0x11));
            mid = _mm256_xor_si256(mid, _mm256_xor_si256(_mm256_clmulepi64_epi128(x, pw, 0x01),
                                                         _mm256_clmulepi64_epi128(x, pw, 0x10)));
        }
        const Wide w{_mm_xor_si128(_mm256_castsi256_si128(lo), _mm256_extracti128_si256(lo, 1)),
                     _mm_xor_si128(_mm256_castsi256_si128(hi), _mm256_extracti128_si256(hi, 1)),
                     _mm_xor_si128(_mm256_castsi256_si128(mid), _mm256_extracti128_si256(mid, 1))};
        acc = reduce(w);
    }
    store_y(y, acc);
    _mm256_zeroupper();
    return done;
}

}  // namespace
#endif

void ghash_clmul_blocks(const GhashPowers* p, GhashWords* y, const uint8_t* data, std::size_t nblocks,
                        bool wide) noexcept {
#if defined(TESSALIB_WIDE_VECTORS)
    if (wide && nblocks >= 16) {
        const std::size_t done = blocks_256(p, y, data, nblocks);
        data += 16 * done, nblocks -= done;
    }
#else
    (void)wide;
#endif
    blocks_128(p, y, data, nblocks);
}

#else  // no carry-less multiply on this processor family: never chosen

void ghash_clmul_init(GhashPowers*, const uint8_t*) noexcept {}
void ghash_clmul_blocks(const GhashPowers*, GhashWords*, const uint8_t*, std::size_t, bool) noexcept {}

#endif
