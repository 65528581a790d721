// The AES rounds with VAES on 256-bit registers (a block in each 128-bit
// half), for the translation units of the 256-bit paths only
// (block/aes_vaes.cpp, aead/gcm_ctr_hw.cpp), in builds that have them
// (TESSALIB_WIDE_VECTORS, core/cpu.h): every function here is compiled for
// VAES and AVX2 and must only run when cpu_aes_path() is AesPath::vaes.
#pragma once
#include <immintrin.h>

#include "block/aes_ni.h"

#define VAES_TARGET __attribute__((target("vaes,avx2,aes,pclmul,ssse3,sse4.1")))
#define VAES_INLINE inline __attribute__((always_inline, target("vaes,avx2,aes,pclmul,ssse3,sse4.1")))

// The round keys of a schedule (word form) in both halves of 256-bit
// registers.
template <int R>
struct VaesKeys : WipedKeys<VaesKeys<R>> {
    __m256i k[R + 1];
    VAES_INLINE explicit VaesKeys(const uint32_t* rk) noexcept {
        for (int i = 0; i <= R; ++i) k[i] = _mm256_broadcastsi128_si256(aesni_from_words(rk + 4 * i));
    }
};

// 2N blocks in N registers through the cipher, forward or through the
// equivalent inverse cipher, their rounds interleaved.
template <int R, bool Forward, int N>
VAES_INLINE void vaes_rounds(const VaesKeys<R>& keys, __m256i (&b)[N]) noexcept {
    for (int j = 0; j < N; ++j) b[j] = _mm256_xor_si256(b[j], keys.k[0]);
    for (int r = 1; r < R; ++r)
        for (int j = 0; j < N; ++j)
            b[j] = Forward ? _mm256_aesenc_epi128(b[j], keys.k[r]) : _mm256_aesdec_epi128(b[j], keys.k[r]);
    for (int j = 0; j < N; ++j)
        b[j] = Forward ? _mm256_aesenclast_epi128(b[j], keys.k[R]) : _mm256_aesdeclast_epi128(b[j], keys.k[R]);
}
