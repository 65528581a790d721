// The keystream machinery ChaCha20 and Salsa20 share: both are sixteen
// 32-bit words of state turned into a 64-byte keystream block by twenty
// rounds of additions, rotations and exclusive-ors and a final addition of
// the input, with a 64-bit block counter in two words of the state. Only
// the rounds and the place of the counter differ: a core type gives them,
//
//   struct Core {
//       static constexpr int kCounterWord;            // the counter's low word
//       template <typename W> static void rounds(W (&x)[16]) noexcept;
//   };
//
// and the templates here run it on single words (one block) and on vectors
// of words (one block per lane: 4 lanes of SSE2, 8 of AVX2), transposing the
// lanes into blocks as they XOR them into the data. Included by the two
// ciphers' translation units only. No branch and no memory index depends on
// the key or the data.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#endif

#include "aead/arx_path.h"
#include "core/cpu.h"
#include "core/endian.h"
#include "core/wipe.h"

#if defined(__GNUC__)
#define ARX_INLINE inline __attribute__((always_inline))
#else
#define ARX_INLINE inline
#endif

namespace arx {

// Rotation in place (vectors never pass by value here: the ABI of a 256-bit
// vector argument depends on the target).
template <int N, typename W>
ARX_INLINE void rotl(W& x) noexcept {
    x = (x << N) | (x >> (32 - N));
}

// Advances the 64-bit block counter (the core's counter word and the next)
// by n.
template <typename Core>
inline void advance(uint32_t* w, uint64_t n) noexcept {
    constexpr int c = Core::kCounterWord;
    const uint64_t counter = ((static_cast<uint64_t>(w[c + 1]) << 32) | w[c]) + n;
    w[c] = static_cast<uint32_t>(counter);
    w[c + 1] = static_cast<uint32_t>(counter >> 32);
}

// The keystream block at the counter (the counter does not move).
template <typename Core>
inline void block_words(const uint32_t* w, uint32_t (&x)[16]) noexcept {
    for (int i = 0; i < 16; ++i) x[i] = w[i];
    Core::rounds(x);
    for (int i = 0; i < 16; ++i) x[i] += w[i];
}

template <typename Core>
void xor_portable(uint32_t* w, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    uint32_t x[16];
    for (; nblocks != 0; --nblocks, in += 64, out += 64) {
        block_words<Core>(w, x);
        advance<Core>(w, 1);
        for (int i = 0; i < 16; ++i) store_le32(out + 4 * i, load_le32(in + 4 * i) ^ x[i]);
    }
    secure_wipe_obj(x);
}

// The keystream block at the counter into out; the counter advances.
template <typename Core>
void block_bytes(uint32_t* w, uint8_t out[64]) noexcept {
    uint32_t x[16];
    block_words<Core>(w, x);
    advance<Core>(w, 1);
    for (int i = 0; i < 16; ++i) store_le32(out + 4 * i, x[i]);
    secure_wipe_obj(x);
}

// --- Vector paths ------------------------------------------------------------
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define ARX_HAVE_SSE2 1

typedef uint32_t Lanes4 __attribute__((vector_size(16)));

// The input words of L blocks, word k of block j in lane j of vector k: the
// state in every lane, the counter counting up across the lanes (the caller
// makes sure the counter's low word does not carry within them).
template <typename Core, typename V, int L>
ARX_INLINE void load_lanes(const uint32_t* w, V (&in)[16]) noexcept {
    V lane_numbers{};
    for (int j = 0; j < L; ++j) lane_numbers[j] = static_cast<uint32_t>(j);
    for (int k = 0; k < 16; ++k) in[k] = V{} + w[k];
    in[Core::kCounterWord] += lane_numbers;
}

// The keystream of L blocks in lanes: the rounds and the final addition.
template <typename Core, typename V, int L>
ARX_INLINE void keystream_lanes(const uint32_t* w, V (&x)[16]) noexcept {
    V in[16];
    load_lanes<Core, V, L>(w, in);
    for (int k = 0; k < 16; ++k) x[k] = in[k];
    Core::rounds(x);
    for (int k = 0; k < 16; ++k) x[k] += in[k];
}

// Four words k..k+3 of four blocks, one vector per word, turned into four
// vectors of one block each: r[j] holds words k..k+3 of block j.
inline void transpose4(__m128i a0, __m128i a1, __m128i a2, __m128i a3, __m128i (&r)[4]) noexcept {
    const __m128i t0 = _mm_unpacklo_epi32(a0, a1), t1 = _mm_unpacklo_epi32(a2, a3);
    const __m128i t2 = _mm_unpackhi_epi32(a0, a1), t3 = _mm_unpackhi_epi32(a2, a3);
    r[0] = _mm_unpacklo_epi64(t0, t1);
    r[1] = _mm_unpackhi_epi64(t0, t1);
    r[2] = _mm_unpacklo_epi64(t2, t3);
    r[3] = _mm_unpackhi_epi64(t2, t3);
}

inline void xor16(uint8_t* out, const uint8_t* in, __m128i k) noexcept {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), k));
}

// Four blocks at a time in SSE2 vectors.
template <typename Core>
void xor_sse2(uint32_t* w, uint8_t* out, const uint8_t* in, std::size_t groups) noexcept {
    Lanes4 x[16];
    __m128i r[4];
    for (; groups != 0; --groups, in += 256, out += 256) {
        keystream_lanes<Core, Lanes4, 4>(w, x);
        advance<Core>(w, 4);
        for (int k = 0; k < 16; k += 4) {
            transpose4(reinterpret_cast<__m128i>(x[k]), reinterpret_cast<__m128i>(x[k + 1]),
                       reinterpret_cast<__m128i>(x[k + 2]), reinterpret_cast<__m128i>(x[k + 3]), r);
            for (int j = 0; j < 4; ++j) xor16(out + 64 * j + 4 * k, in + 64 * j + 4 * k, r[j]);
        }
    }
    secure_wipe_obj(x);
    secure_wipe_obj(r);
}

// The 256-bit paths are not in the Windows build: GCC for 64-bit Windows does
// not align the stack to 32 bytes for the spills it emits, and aligned
// spills would fault.
#if !defined(_WIN32)
#define ARX_HAVE_AVX2 1

typedef uint32_t Lanes8 __attribute__((vector_size(32)));

__attribute__((target("avx2"))) ARX_INLINE void xor32(uint8_t* out, const uint8_t* in, __m256i k) noexcept {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)), k));
}

// Eight blocks at a time in 256-bit vectors. Each pair of 128-bit halves
// holds blocks j and j + 4; the halves of words 0-3 and 4-7 (and of 8-11
// and 12-15) are put together by 128-bit permutes.
template <typename Core>
__attribute__((target("avx2"))) ARX_INLINE void xor_groups8(uint32_t* w, uint8_t* out, const uint8_t* in,
                                                           std::size_t groups) noexcept {
    Lanes8 x[16];
    __m256i r[2][4];
    for (; groups != 0; --groups, in += 512, out += 512) {
        keystream_lanes<Core, Lanes8, 8>(w, x);
        advance<Core>(w, 8);
        for (int half = 0; half < 2; ++half) {
            for (int q = 0; q < 2; ++q) {
                const int k = 8 * half + 4 * q;
                const __m256i a0 = reinterpret_cast<__m256i>(x[k]), a1 = reinterpret_cast<__m256i>(x[k + 1]);
                const __m256i a2 = reinterpret_cast<__m256i>(x[k + 2]), a3 = reinterpret_cast<__m256i>(x[k + 3]);
                const __m256i t0 = _mm256_unpacklo_epi32(a0, a1), t1 = _mm256_unpacklo_epi32(a2, a3);
                const __m256i t2 = _mm256_unpackhi_epi32(a0, a1), t3 = _mm256_unpackhi_epi32(a2, a3);
                r[q][0] = _mm256_unpacklo_epi64(t0, t1);
                r[q][1] = _mm256_unpackhi_epi64(t0, t1);
                r[q][2] = _mm256_unpacklo_epi64(t2, t3);
                r[q][3] = _mm256_unpackhi_epi64(t2, t3);
            }
            for (int j = 0; j < 4; ++j) {
                const std::size_t lo = 64 * j + 32 * half, hi = lo + 256;  // blocks j and j + 4
                xor32(out + lo, in + lo, _mm256_permute2x128_si256(r[0][j], r[1][j], 0x20));
                xor32(out + hi, in + hi, _mm256_permute2x128_si256(r[0][j], r[1][j], 0x31));
            }
        }
    }
    secure_wipe_obj(x);
    secure_wipe_obj(r);
}

template <typename Core>
__attribute__((target("avx2"))) void xor_avx2(uint32_t* w, uint8_t* out, const uint8_t* in,
                                             std::size_t groups) noexcept {
    xor_groups8<Core>(w, out, in, groups);
}

// The same where AVX-512VL is present: the compiler then makes each rotation
// one instruction (vprold) instead of two shifts and an OR.
template <typename Core>
__attribute__((target("avx2,avx512f,avx512vl"))) void xor_avx512vl(uint32_t* w, uint8_t* out, const uint8_t* in,
                                                                   std::size_t groups) noexcept {
    xor_groups8<Core>(w, out, in, groups);
}
#endif
#endif

// The lanes a vector path takes at a time, and its group function.
struct VectorPath {
    std::size_t lanes;
    void (*run)(uint32_t*, uint8_t*, const uint8_t*, std::size_t) noexcept;
};

template <typename Core>
VectorPath vector_path(ArxPath path) noexcept {
    switch (path) {
#ifdef ARX_HAVE_SSE2
        case ArxPath::sse2:
            return {4, xor_sse2<Core>};
#endif
#ifdef ARX_HAVE_AVX2
        case ArxPath::avx2:
            return {8, xor_avx2<Core>};
        case ArxPath::avx512vl:
            return {8, xor_avx512vl<Core>};
#endif
        default:
            return {1, nullptr};
    }
}

// arx_path_available (aead/arx_path.h), for the translation unit that
// defines it.
inline bool path_available(ArxPath path) noexcept {
    switch (path) {
        case ArxPath::portable:
            return true;
        case ArxPath::sse2:
#ifdef ARX_HAVE_SSE2
            return true;
#else
            return false;
#endif
        case ArxPath::avx2:
        case ArxPath::avx512vl:
#ifdef ARX_HAVE_AVX2
            return path == ArxPath::avx2 ? cpu_features().avx2 : cpu_features().avx512vl;
#else
            return false;
#endif
    }
    return false;
}

// The fastest path this processor and build can run.
inline ArxPath best_path() noexcept {
    if (arx_path_available(ArxPath::avx512vl)) return ArxPath::avx512vl;
    if (arx_path_available(ArxPath::avx2)) return ArxPath::avx2;
    if (arx_path_available(ArxPath::sse2)) return ArxPath::sse2;
    return ArxPath::portable;
}

// out = in ^ the next nblocks keystream blocks by the given path (which must
// be available); the counter advances by nblocks. Blocks the path cannot
// take (a short run, a counter about to carry) go one at a time.
template <typename Core>
void xor_blocks_path(ArxPath path, uint32_t* w, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    const VectorPath vec = vector_path<Core>(path);
    if (vec.run != nullptr) {
        while (nblocks >= vec.lanes) {
            // The lanes count up from the counter's low word without a carry:
            // the groups that end at or before its last value go by vectors,
            // a group that would straddle it one block at a time.
            const uint64_t room = (uint64_t{1} << 32) - w[Core::kCounterWord];
            const uint64_t fit = room / vec.lanes;
            if (fit == 0) {
                xor_portable<Core>(w, out, in, 1);
                out += 64, in += 64, --nblocks;
                continue;
            }
            const std::size_t want = nblocks / vec.lanes;
            const std::size_t groups = want < fit ? want : static_cast<std::size_t>(fit);
            vec.run(w, out, in, groups);
            const std::size_t done = groups * vec.lanes;
            out += 64 * done, in += 64 * done, nblocks -= done;
        }
    }
    xor_portable<Core>(w, out, in, nblocks);
}

// out = in ^ the next len bytes of a keystream taken in pieces of any length
// (out may be in; with out null the keystream moves on and nothing is
// written): first the rest of the block cut at the end of the last piece
// (keystream[pos..63]), then whole blocks straight from the input to the
// output by `xor_blocks`, then a cut block kept in keystream with pos at
// the bytes used.
template <typename Core, typename XorBlocks>
void stream_xor(uint32_t* w, uint8_t (&keystream)[64], uint32_t& pos, uint8_t* out, const uint8_t* in,
                std::size_t len, XorBlocks xor_blocks) noexcept {
    while (pos != 0 && len != 0) {
        if (out != nullptr) *out++ = static_cast<uint8_t>(*in ^ keystream[pos]);
        ++in, --len;
        pos = (pos + 1) % 64;
    }
    const std::size_t whole = len / 64;
    if (out != nullptr) {
        xor_blocks(out, in, whole);
        out += 64 * whole;
    } else {
        advance<Core>(w, whole);
    }
    in += 64 * whole;
    len %= 64;
    if (len != 0) {
        block_bytes<Core>(w, keystream);
        if (out != nullptr)
            for (std::size_t i = 0; i < len; ++i) out[i] = static_cast<uint8_t>(in[i] ^ keystream[i]);
        pos = static_cast<uint32_t>(len);
    }
}

}  // namespace arx
