// ChaCha20: the rounds written once over a word type, run on single 32-bit
// words (one block) and on vectors of words (one block per lane: 4 lanes of
// SSE2, 8 of AVX2). A vector path computes word k of its blocks in vector k,
// then transposes the vectors into blocks as it XORs them into the data.
#include "aead/chacha20.h"

#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#endif

#include "core/cpu.h"
#include "core/endian.h"
#include "core/wipe.h"

#if defined(__GNUC__)
#define CHACHA_INLINE inline __attribute__((always_inline))
#else
#define CHACHA_INLINE inline
#endif

namespace {

// --- The rounds, on any word type --------------------------------------------
// W is uint32_t or a vector of uint32_t lanes (the compilers' vector
// extensions give +, ^ and the shifts lane by lane).

// Rotation in place (vectors never pass by value here: the ABI of a 256-bit
// vector argument depends on the target).
template <int N, typename W>
CHACHA_INLINE void rotl(W& x) noexcept {
    x = (x << N) | (x >> (32 - N));
}

template <typename W>
CHACHA_INLINE void quarter_round(W& a, W& b, W& c, W& d) noexcept {
    a += b, d ^= a, rotl<16>(d);
    c += d, b ^= c, rotl<12>(b);
    a += b, d ^= a, rotl<8>(d);
    c += d, b ^= c, rotl<7>(b);
}

// The twenty rounds (ten column and ten diagonal rounds), in place.
template <typename W>
CHACHA_INLINE void chacha_rounds(W (&x)[16]) noexcept {
    for (int i = 0; i < 10; ++i) {
        quarter_round(x[0], x[4], x[8], x[12]);
        quarter_round(x[1], x[5], x[9], x[13]);
        quarter_round(x[2], x[6], x[10], x[14]);
        quarter_round(x[3], x[7], x[11], x[15]);
        quarter_round(x[0], x[5], x[10], x[15]);
        quarter_round(x[1], x[6], x[11], x[12]);
        quarter_round(x[2], x[7], x[8], x[13]);
        quarter_round(x[3], x[4], x[9], x[14]);
    }
}

// Advances the 64-bit block counter of words 12 and 13 by n.
inline void advance(ChaCha20State* st, uint64_t n) noexcept {
    const uint64_t counter = ((static_cast<uint64_t>(st->w[13]) << 32) | st->w[12]) + n;
    st->w[12] = static_cast<uint32_t>(counter);
    st->w[13] = static_cast<uint32_t>(counter >> 32);
}

// The keystream block at the counter (the counter does not move).
void block_words(const ChaCha20State* st, uint32_t (&x)[16]) noexcept {
    for (int i = 0; i < 16; ++i) x[i] = st->w[i];
    chacha_rounds(x);
    for (int i = 0; i < 16; ++i) x[i] += st->w[i];
}

void xor_portable(ChaCha20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    uint32_t x[16];
    for (; nblocks != 0; --nblocks, in += 64, out += 64) {
        block_words(st, x);
        advance(st, 1);
        for (int i = 0; i < 16; ++i) store_le32(out + 4 * i, load_le32(in + 4 * i) ^ x[i]);
    }
    secure_wipe_obj(x);
}

// --- Vector paths ------------------------------------------------------------
#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define CHACHA_HAVE_SSE2 1

typedef uint32_t Lanes4 __attribute__((vector_size(16)));

// The input words of L blocks, word k of block j in lane j of vector k: the
// state in every lane, the counter counting up across the lanes (the caller
// makes sure word 12 does not carry within them).
template <typename V, int L>
CHACHA_INLINE void load_lanes(const ChaCha20State* st, V (&in)[16]) noexcept {
    V lane_numbers{};
    for (int j = 0; j < L; ++j) lane_numbers[j] = static_cast<uint32_t>(j);
    for (int k = 0; k < 16; ++k) in[k] = V{} + st->w[k];
    in[12] += lane_numbers;
}

// The keystream of L blocks in lanes: the rounds and the final addition.
template <typename V, int L>
CHACHA_INLINE void keystream_lanes(const ChaCha20State* st, V (&x)[16]) noexcept {
    V in[16];
    load_lanes<V, L>(st, in);
    for (int k = 0; k < 16; ++k) x[k] = in[k];
    chacha_rounds(x);
    for (int k = 0; k < 16; ++k) x[k] += in[k];
}

// Four words k..k+3 of four blocks, one vector per word, turned into four
// vectors of one block each: r[j] holds words k..k+3 of block j (in each
// 128-bit half, for the 256-bit form).
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
void xor_sse2(ChaCha20State* st, uint8_t* out, const uint8_t* in, std::size_t groups) noexcept {
    Lanes4 x[16];
    __m128i r[4];
    for (; groups != 0; --groups, in += 256, out += 256) {
        keystream_lanes<Lanes4, 4>(st, x);
        advance(st, 4);
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
#define CHACHA_HAVE_AVX2 1

typedef uint32_t Lanes8 __attribute__((vector_size(32)));

__attribute__((target("avx2"))) CHACHA_INLINE void xor32(uint8_t* out, const uint8_t* in, __m256i k) noexcept {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)), k));
}

// Eight blocks at a time in 256-bit vectors. Each pair of 128-bit halves
// holds blocks j and j + 4; the halves of words 0-3 and 4-7 (and of 8-11
// and 12-15) are put together by 128-bit permutes.
__attribute__((target("avx2"))) CHACHA_INLINE void xor_groups8(ChaCha20State* st, uint8_t* out, const uint8_t* in,
                                                              std::size_t groups) noexcept {
    Lanes8 x[16];
    __m256i r[2][4];
    for (; groups != 0; --groups, in += 512, out += 512) {
        keystream_lanes<Lanes8, 8>(st, x);
        advance(st, 8);
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

__attribute__((target("avx2"))) void xor_avx2(ChaCha20State* st, uint8_t* out, const uint8_t* in,
                                             std::size_t groups) noexcept {
    xor_groups8(st, out, in, groups);
}

// The same where AVX-512VL is present: the compiler then makes each rotation
// one instruction (vprold) instead of two shifts and an OR.
__attribute__((target("avx2,avx512f,avx512vl"))) void xor_avx512vl(ChaCha20State* st, uint8_t* out,
                                                                   const uint8_t* in, std::size_t groups) noexcept {
    xor_groups8(st, out, in, groups);
}
#endif
#endif

// The lanes a vector path takes at a time, and its group function.
struct VectorPath {
    std::size_t lanes;
    void (*run)(ChaCha20State*, uint8_t*, const uint8_t*, std::size_t) noexcept;
};

VectorPath vector_path(ChaCha20Path path) noexcept {
    switch (path) {
#ifdef CHACHA_HAVE_SSE2
        case ChaCha20Path::sse2:
            return {4, xor_sse2};
#endif
#ifdef CHACHA_HAVE_AVX2
        case ChaCha20Path::avx2:
            return {8, xor_avx2};
        case ChaCha20Path::avx512vl:
            return {8, xor_avx512vl};
#endif
        default:
            return {1, nullptr};
    }
}

// The fastest path this processor and build can run.
ChaCha20Path best_path() noexcept {
    if (chacha20_path_available(ChaCha20Path::avx512vl)) return ChaCha20Path::avx512vl;
    if (chacha20_path_available(ChaCha20Path::avx2)) return ChaCha20Path::avx2;
    if (chacha20_path_available(ChaCha20Path::sse2)) return ChaCha20Path::sse2;
    return ChaCha20Path::portable;
}

}  // namespace

void chacha20_set_key(ChaCha20State* st, const uint8_t* key, std::size_t key_len) noexcept {
    // "expand 32-byte k" or "expand 16-byte k", as four little-endian words.
    static const uint8_t kSigma[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '3', '2', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    static const uint8_t kTau[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '1', '6', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    const uint8_t* constant = key_len == 32 ? kSigma : kTau;
    const uint8_t* second = key_len == 32 ? key + 16 : key;
    for (int i = 0; i < 4; ++i) {
        st->w[i] = load_le32(constant + 4 * i);
        st->w[4 + i] = load_le32(key + 4 * i);
        st->w[8 + i] = load_le32(second + 4 * i);
        st->w[12 + i] = 0;
    }
}

void chacha20_set_iv(ChaCha20State* st, const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept {
    if (iv_len == 16) {
        for (int i = 0; i < 4; ++i) st->w[12 + i] = load_le32(iv + 4 * i);
        return;
    }
    st->w[12] = counter;
    if (iv_len == 12) {
        for (int i = 0; i < 3; ++i) st->w[13 + i] = load_le32(iv + 4 * i);
    } else {
        st->w[13] = 0;
        st->w[14] = load_le32(iv);
        st->w[15] = load_le32(iv + 4);
    }
}

void chacha20_block(ChaCha20State* st, uint8_t out[64]) noexcept {
    uint32_t x[16];
    block_words(st, x);
    advance(st, 1);
    for (int i = 0; i < 16; ++i) store_le32(out + 4 * i, x[i]);
    secure_wipe_obj(x);
}

bool chacha20_path_available(ChaCha20Path path) noexcept {
    switch (path) {
        case ChaCha20Path::portable:
            return true;
        case ChaCha20Path::sse2:
            return vector_path(path).run != nullptr;
        case ChaCha20Path::avx2:
            return vector_path(path).run != nullptr && cpu_features().avx2;
        case ChaCha20Path::avx512vl:
            return vector_path(path).run != nullptr && cpu_features().avx512vl;
    }
    return false;
}

void chacha20_xor_blocks_path(ChaCha20Path path, ChaCha20State* st, uint8_t* out, const uint8_t* in,
                              std::size_t nblocks) noexcept {
    const VectorPath vec = vector_path(path);
    if (vec.run != nullptr) {
        while (nblocks >= vec.lanes) {
            // The lanes count up from word 12 without a carry into word 13:
            // the groups that end at or before word 12's last value go by
            // vectors, a group that would straddle it one block at a time.
            const uint64_t room = (uint64_t{1} << 32) - st->w[12];
            const uint64_t fit = room / vec.lanes;
            if (fit == 0) {
                xor_portable(st, out, in, 1);
                out += 64, in += 64, --nblocks;
                continue;
            }
            const std::size_t want = nblocks / vec.lanes;
            const std::size_t groups = want < fit ? want : static_cast<std::size_t>(fit);
            vec.run(st, out, in, groups);
            const std::size_t done = groups * vec.lanes;
            out += 64 * done, in += 64 * done, nblocks -= done;
        }
    }
    xor_portable(st, out, in, nblocks);
}

void chacha20_xor_blocks(ChaCha20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    static const ChaCha20Path best = best_path();
    chacha20_xor_blocks_path(best, st, out, in, nblocks);
}

void chacha20_stream_start(ChaCha20Stream* s, const ChaCha20State* st) noexcept {
    s->st = *st;
    secure_wipe(s->keystream, sizeof s->keystream);
    s->pos = 0;
    s->reserved = 0;
}

void chacha20_stream_xor(ChaCha20Stream* s, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    // The rest of a block cut at the end of the last piece.
    while (s->pos != 0 && len != 0) {
        if (out != nullptr) *out++ = static_cast<uint8_t>(*in ^ s->keystream[s->pos]);
        ++in, --len;
        s->pos = (s->pos + 1) % 64;
    }
    const std::size_t whole = len / 64;
    if (out != nullptr) {
        chacha20_xor_blocks(&s->st, out, in, whole);
        out += 64 * whole;
    } else {
        advance(&s->st, whole);
    }
    in += 64 * whole;
    len %= 64;
    if (len != 0) {
        chacha20_block(&s->st, s->keystream);
        for (std::size_t i = 0; i < len; ++i)
            if (out != nullptr) out[i] = static_cast<uint8_t>(in[i] ^ s->keystream[i]);
        s->pos = static_cast<uint32_t>(len);
    }
}
