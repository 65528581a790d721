// The AES rounds on the processor's AES instructions (AES-NI), for the
// translation units of the hardware paths only (block/aes_hw.cpp,
// aead/gcm_ctr_hw.cpp): every function here is compiled for AES-NI and
// SSE4.1 and must only run when cpu_aes_path() is not AesPath::tables.
//
// Round keys are kept in the word form of the table path (block/aes.h: each
// word loaded big-endian from four key bytes), so that a context keyed on one
// path works on the other; they are turned into the instructions' byte form
// as they are loaded. No branch and no memory address here depends on a key
// or on data.
#pragma once
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "core/wipe.h"

#define AESNI_TARGET __attribute__((target("aes,pclmul,ssse3,sse4.1")))
#define AESNI_INLINE inline __attribute__((always_inline, target("aes,pclmul,ssse3,sse4.1")))

// Byte shuffles: each 32-bit word reversed (word form <-> byte form), and the
// whole block reversed (a big-endian 128-bit number <-> little-endian lanes).
AESNI_INLINE __m128i aesni_swap_words() noexcept {
    return _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
}
AESNI_INLINE __m128i aesni_swap_block() noexcept {
    return _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}

AESNI_INLINE __m128i aesni_load(const uint8_t* p) noexcept {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
AESNI_INLINE void aesni_store(uint8_t* p, __m128i v) noexcept { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Four words of the word form <-> one block in byte form.
AESNI_INLINE __m128i aesni_from_words(const uint32_t* w) noexcept {
    return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w)), aesni_swap_words());
}
AESNI_INLINE void aesni_to_words(uint32_t* w, __m128i v) noexcept {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_shuffle_epi8(v, aesni_swap_words()));
}

// The base of a stack copy of round keys (key material): wipes the whole
// object when it goes out of scope.
template <typename Keys>
struct WipedKeys {
    WipedKeys() = default;
    WipedKeys(const WipedKeys&) = delete;
    WipedKeys& operator=(const WipedKeys&) = delete;
    ~WipedKeys() { secure_wipe(static_cast<Keys*>(this), sizeof(Keys)); }
};

// The R + 1 round keys of a schedule (word form) in byte form.
template <int R>
struct AesNiKeys : WipedKeys<AesNiKeys<R>> {
    __m128i k[R + 1];
    AESNI_INLINE explicit AesNiKeys(const uint32_t* rk) noexcept {
        for (int i = 0; i <= R; ++i) k[i] = aesni_from_words(rk + 4 * i);
    }
};

// N blocks through the cipher at once (the rounds of the blocks interleave,
// which keeps the processor's AES units busy): forward, or through the
// equivalent inverse cipher with a decryption schedule.
template <int R, int N, bool Forward>
AESNI_INLINE void aesni_rounds_n(const AesNiKeys<R>& keys, __m128i (&b)[N]) noexcept {
    for (int j = 0; j < N; ++j) b[j] = _mm_xor_si128(b[j], keys.k[0]);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 14
#endif
    for (int r = 1; r < R; ++r)
        for (int j = 0; j < N; ++j)
            b[j] = Forward ? _mm_aesenc_si128(b[j], keys.k[r]) : _mm_aesdec_si128(b[j], keys.k[r]);
    for (int j = 0; j < N; ++j)
        b[j] = Forward ? _mm_aesenclast_si128(b[j], keys.k[R]) : _mm_aesdeclast_si128(b[j], keys.k[R]);
}

template <int R, int N>
AESNI_INLINE void aesni_encrypt_n(const AesNiKeys<R>& keys, __m128i (&b)[N]) noexcept {
    aesni_rounds_n<R, N, true>(keys, b);
}
template <int R, int N>
AESNI_INLINE void aesni_decrypt_n(const AesNiKeys<R>& keys, __m128i (&b)[N]) noexcept {
    aesni_rounds_n<R, N, false>(keys, b);
}

template <int R>
AESNI_INLINE __m128i aesni_encrypt(const AesNiKeys<R>& keys, __m128i b) noexcept {
    __m128i one[1] = {b};
    aesni_encrypt_n<R, 1>(keys, one);
    return one[0];
}

template <int R>
AESNI_INLINE __m128i aesni_decrypt(const AesNiKeys<R>& keys, __m128i b) noexcept {
    __m128i one[1] = {b};
    aesni_decrypt_n<R, 1>(keys, one);
    return one[0];
}

// Rounds 1 to R - 1 (AESENC only) of a state that has had round key 0 added:
// for the chained modes, which fold the first and last round keys into the
// data off the chain (aesenclast(t, k ^ x) is the last round followed by
// adding x), so that the chain from block to block is the AES rounds alone.
template <int R>
AESNI_INLINE __m128i aesni_middle(const AesNiKeys<R>& keys, __m128i s) noexcept {
    for (int r = 1; r < R; ++r) s = _mm_aesenc_si128(s, keys.k[r]);
    return s;
}

// CTR's register (four words, a big-endian 128-bit counter) as two 64-bit
// halves, and back.
inline void counter_load(const uint32_t reg[4], uint64_t& hi, uint64_t& lo) noexcept {
    hi = (uint64_t{reg[0]} << 32) | reg[1];
    lo = (uint64_t{reg[2]} << 32) | reg[3];
}
inline void counter_store(uint32_t reg[4], uint64_t hi, uint64_t lo) noexcept {
    reg[0] = static_cast<uint32_t>(hi >> 32), reg[1] = static_cast<uint32_t>(hi);
    reg[2] = static_cast<uint32_t>(lo >> 32), reg[3] = static_cast<uint32_t>(lo);
}

// The instance of a template for the round count of a schedule: R is 10, 12
// or 14 (anything else is taken as 14, the schedules' largest).
#define AESNI_BY_ROUNDS(rounds, fn, ...)        \
    ((rounds) == 10   ? fn<10>(__VA_ARGS__)     \
     : (rounds) == 12 ? fn<12>(__VA_ARGS__)     \
                      : fn<14>(__VA_ARGS__))
