// SHA-512 compression of up to eight independent states at once: state i
// takes block i. With AVX-512 each 64-bit lane of a register holds one
// state's word, so one pass of the 80 rounds compresses eight blocks; the
// rotations are native and the three-input functions (Ch, Maj, the XOR of
// three rotations) are one ternary-logic instruction each. Unused lanes are
// left out: their states and blocks are neither read nor written.
//
// The Windows build leaves the 512-bit path out: GCC for mingw-w64 does not
// align the stack for 512-bit values it spills, so spilled registers would
// fault. There every block goes through sha512_blocks.

#include "core/cpu.h"
#include "core/wipe.h"
#include "hash/sha512.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#include <immintrin.h>
#define SHA512_HAVE_X8 1

// GCC 12's intrinsics make the "undefined" source operand of the rotations
// and shuffles from a variable initialised with itself, which the
// uninitialised-variable warnings report at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

#define SHA512_X8 __attribute__((target("avx512f,avx512bw,avx512vl")))

// Ternary-logic truth tables: x ^ y ^ z, (x & y) ^ (~x & z), majority.
#define X8_XOR3(x, y, z) _mm512_ternarylogic_epi64(x, y, z, 0x96)
#define X8_CH(x, y, z) _mm512_ternarylogic_epi64(x, y, z, 0xCA)
#define X8_MAJ(x, y, z) _mm512_ternarylogic_epi64(x, y, z, 0xE8)
#define X8_ROR(x, n) _mm512_ror_epi64(x, n)
#define X8_S0(x) X8_XOR3(X8_ROR(x, 28), X8_ROR(x, 34), X8_ROR(x, 39))
#define X8_S1(x) X8_XOR3(X8_ROR(x, 14), X8_ROR(x, 18), X8_ROR(x, 41))
#define X8_s0(x) X8_XOR3(X8_ROR(x, 1), X8_ROR(x, 8), _mm512_srli_epi64(x, 7))
#define X8_s1(x) X8_XOR3(X8_ROR(x, 19), X8_ROR(x, 61), _mm512_srli_epi64(x, 6))

// Round r + k (k a constant 0..15, r a multiple of 16) on the schedule ring w.
#define X8_RND(a, b, c, d, e, f, g, h, k)                                                              \
    {                                                                                                  \
        const __m512i t1 = _mm512_add_epi64(                                                           \
            _mm512_add_epi64(h, _mm512_add_epi64(w[k], _mm512_set1_epi64(static_cast<long long>(kr[k])))), \
            _mm512_add_epi64(X8_S1(e), X8_CH(e, f, g)));                                               \
        d = _mm512_add_epi64(d, t1);                                                                   \
        h = _mm512_add_epi64(t1, _mm512_add_epi64(X8_S0(a), X8_MAJ(a, b, c)));                         \
    }

// W[r + k] for rounds 16 to 79, in place of W[r + k - 16] in the ring.
#define X8_SCHED(k)                                                                       \
    w[k] = _mm512_add_epi64(_mm512_add_epi64(w[k], w[((k) + 9) & 15]),                   \
                            _mm512_add_epi64(X8_s0(w[((k) + 1) & 15]), X8_s1(w[((k) + 14) & 15])));

#define X8_16(R)                                  \
    R(a, b, c, d, e, f, g, h, 0)                  \
    R(h, a, b, c, d, e, f, g, 1)                  \
    R(g, h, a, b, c, d, e, f, 2)                  \
    R(f, g, h, a, b, c, d, e, 3)                  \
    R(e, f, g, h, a, b, c, d, 4)                  \
    R(d, e, f, g, h, a, b, c, 5)                  \
    R(c, d, e, f, g, h, a, b, 6)                  \
    R(b, c, d, e, f, g, h, a, 7)                  \
    R(a, b, c, d, e, f, g, h, 8)                  \
    R(h, a, b, c, d, e, f, g, 9)                  \
    R(g, h, a, b, c, d, e, f, 10)                 \
    R(f, g, h, a, b, c, d, e, 11)                 \
    R(e, f, g, h, a, b, c, d, 12)                 \
    R(d, e, f, g, h, a, b, c, 13)                 \
    R(c, d, e, f, g, h, a, b, 14)                 \
    R(b, c, d, e, f, g, h, a, 15)

#define X8_SCHED_RND(a, b, c, d, e, f, g, h, k) \
    X8_SCHED(k)                                 \
    X8_RND(a, b, c, d, e, f, g, h, k)

// Turns eight rows of eight 64-bit words into eight columns: afterwards
// r[j] holds word j of every row (lane i from row i).
SHA512_X8 inline void transpose8(__m512i r[8]) noexcept {
    __m512i t[8], u[8];
    for (int i = 0; i < 8; i += 2) {
        t[i] = _mm512_unpacklo_epi64(r[i], r[i + 1]);
        t[i + 1] = _mm512_unpackhi_epi64(r[i], r[i + 1]);
    }
    for (int i = 0; i < 8; i += 4) {
        for (int j = 0; j < 2; ++j) {
            u[i + j] = _mm512_shuffle_i64x2(t[i + j], t[i + j + 2], 0x88);
            u[i + j + 2] = _mm512_shuffle_i64x2(t[i + j], t[i + j + 2], 0xDD);
        }
    }
    // u[j] holds words j and j + 4 of rows 0 to 3, u[j + 4] of rows 4 to 7.
    for (int j = 0; j < 4; ++j) {
        r[j] = _mm512_shuffle_i64x2(u[j], u[j + 4], 0x88);
        r[j + 4] = _mm512_shuffle_i64x2(u[j], u[j + 4], 0xDD);
    }
}

// Lanes 0 .. count-1 (count 1 to 8): each lane's state and block are loaded
// as rows and turned into columns, a word of every lane per register; the
// unused lanes compute on zeros and are not stored.
SHA512_X8 void blocks_x8(uint64_t* const h_at[], const uint8_t* const p_at[], std::size_t count) noexcept {
    const __m512i swap =
        _mm512_broadcast_i32x4(_mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8));
    __m512i w[16];
    for (std::size_t i = 0; i < 8; ++i) {
        const bool used = i < count;
        w[i] = used ? _mm512_loadu_si512(p_at[i]) : _mm512_setzero_si512();
        w[i + 8] = used ? _mm512_loadu_si512(p_at[i] + 64) : _mm512_setzero_si512();
    }
    transpose8(w);
    transpose8(w + 8);
    for (int i = 0; i < 16; ++i) w[i] = _mm512_shuffle_epi8(w[i], swap);
    __m512i s[8];
    for (std::size_t i = 0; i < 8; ++i) s[i] = i < count ? _mm512_loadu_si512(h_at[i]) : _mm512_setzero_si512();
    transpose8(s);
    __m512i a = s[0], b = s[1], c = s[2], d = s[3], e = s[4], f = s[5], g = s[6], h = s[7];

    const uint64_t* kr = kSha512K;
    X8_16(X8_RND)
    // The rest as a loop over sixteen rounds at a time, which keeps the code
    // about a quarter of its unrolled size.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 1
#endif
    for (int r = 16; r < 80; r += 16) {
        kr = kSha512K + r;
        X8_16(X8_SCHED_RND)
    }

    s[0] = _mm512_add_epi64(s[0], a);
    s[1] = _mm512_add_epi64(s[1], b);
    s[2] = _mm512_add_epi64(s[2], c);
    s[3] = _mm512_add_epi64(s[3], d);
    s[4] = _mm512_add_epi64(s[4], e);
    s[5] = _mm512_add_epi64(s[5], f);
    s[6] = _mm512_add_epi64(s[6], g);
    s[7] = _mm512_add_epi64(s[7], h);
    transpose8(s);
    for (std::size_t i = 0; i < count; ++i) _mm512_storeu_si512(h_at[i], s[i]);
    secure_wipe(w, sizeof w);
}

}  // namespace
#endif

bool sha512_blocks_x8(uint64_t* const h[], const uint8_t* const p[], std::size_t count) noexcept {
#ifdef SHA512_HAVE_X8
    static const bool usable = cpu_features().avx512;
    if (!usable || count == 0 || count > kSha512Lanes) return false;
    blocks_x8(h, p, count);
    return true;
#else
    (void)h;
    (void)p;
    (void)count;
    return false;
#endif
}

void sha512_blocks_lanes(uint64_t* const h[], const uint8_t* const p[], std::size_t count) noexcept {
    // Below three blocks the one-state rounds are as fast.
    constexpr std::size_t kMinLanes = 3;
    while (count >= kMinLanes) {
        const std::size_t n = count < kSha512Lanes ? count : kSha512Lanes;
        if (!sha512_blocks_x8(h, p, n)) break;
        h += n;
        p += n;
        count -= n;
    }
    for (std::size_t i = 0; i < count; ++i) sha512_blocks(h[i], p[i], 1);
}
