// GCM's counter mode on AES-NI (eight blocks at a time) and, where the
// build has the 256-bit paths (core/cpu.h), VAES on 256-bit registers
// (sixteen). The counter word is kept
// byte-reversed in the last lane, so that a 32-bit vector addition is GCM's
// inc32, wrap included. No branch or address depends on the key or the data.
#include "aead/gcm_ctr_hw.h"

#include "core/cpu.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include "block/aes_ni.h"
#if defined(TESSALIB_WIDE_VECTORS)
#include "block/aes_vaes.h"
#endif

namespace {

// Reverses the bytes of the last 32-bit word only.
AESNI_INLINE __m128i swap_counter() noexcept {
    return _mm_set_epi8(12, 13, 14, 15, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
}

template <int R>
AESNI_TARGET uint32_t ctr32_128(const uint32_t* rk, const uint8_t* fixed, uint32_t counter, uint8_t* out,
                                const uint8_t* in, std::size_t n) noexcept {
    const AesNiKeys<R> k(rk);
    const __m128i swap = swap_counter();
    __m128i c = _mm_insert_epi32(_mm_shuffle_epi8(aesni_load(fixed), swap), static_cast<int>(counter), 3);
    for (; n >= 8; n -= 8, in += 128, out += 128) {
        __m128i b[8];
        for (int j = 0; j < 8; ++j) b[j] = _mm_shuffle_epi8(_mm_add_epi32(c, _mm_set_epi32(j, 0, 0, 0)), swap);
        c = _mm_add_epi32(c, _mm_set_epi32(8, 0, 0, 0));
        aesni_encrypt_n(k, b);
        for (int j = 0; j < 8; ++j) aesni_store(out + 16 * j, _mm_xor_si128(b[j], aesni_load(in + 16 * j)));
    }
    for (; n; --n, in += 16, out += 16) {
        aesni_store(out, _mm_xor_si128(aesni_encrypt(k, _mm_shuffle_epi8(c, swap)), aesni_load(in)));
        c = _mm_add_epi32(c, _mm_set_epi32(1, 0, 0, 0));
    }
    return static_cast<uint32_t>(_mm_extract_epi32(c, 3));
}

template <int R>
uint32_t ctr32_narrow(const uint32_t* rk, const uint8_t* fixed, uint32_t counter, uint8_t* out, const uint8_t* in,
                      std::size_t n) noexcept {
    return ctr32_128<R>(rk, fixed, counter, out, in, n);
}

#if defined(TESSALIB_WIDE_VECTORS)
template <int R>
VAES_TARGET uint32_t ctr32_256(const uint32_t* rk, const uint8_t* fixed, uint32_t counter, uint8_t* out,
                               const uint8_t* in, std::size_t n) noexcept {
    const VaesKeys<R> k(rk);
    const __m256i swap = _mm256_broadcastsi128_si256(swap_counter());
    const __m128i c0 = _mm_insert_epi32(_mm_shuffle_epi8(aesni_load(fixed), swap_counter()), static_cast<int>(counter), 3);
    // Lanes hold counters c and c + 1.
    __m256i c = _mm256_add_epi32(_mm256_broadcastsi128_si256(c0), _mm256_set_epi32(1, 0, 0, 0, 0, 0, 0, 0));
    std::size_t done = 0;
    for (; n - done >= 16; done += 16, in += 256, out += 256) {
        __m256i b[8];
        for (int j = 0; j < 8; ++j)
            b[j] = _mm256_shuffle_epi8(_mm256_add_epi32(c, _mm256_set_epi32(2 * j, 0, 0, 0, 2 * j, 0, 0, 0)), swap);
        c = _mm256_add_epi32(c, _mm256_set_epi32(16, 0, 0, 0, 16, 0, 0, 0));
        vaes_rounds<R, true>(k, b);
        for (int j = 0; j < 8; ++j)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * j),
                                _mm256_xor_si256(b[j], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32 * j))));
    }
    _mm256_zeroupper();
    return ctr32_128<R>(rk, fixed, counter + static_cast<uint32_t>(done), out, in, n - done);
}

// Fewer than sixteen blocks go to the 128-bit form straight away.
template <int R>
uint32_t ctr32_wide(const uint32_t* rk, const uint8_t* fixed, uint32_t counter, uint8_t* out, const uint8_t* in,
                    std::size_t n) noexcept {
    return n < 16 ? ctr32_128<R>(rk, fixed, counter, out, in, n) : ctr32_256<R>(rk, fixed, counter, out, in, n);
}
#endif

}  // namespace

uint32_t gcm_hw_ctr32(const uint32_t* rk, uint32_t rounds, const uint8_t fixed[16], uint32_t counter, uint8_t* out,
                      const uint8_t* in, std::size_t nblocks, bool wide) noexcept {
#if defined(TESSALIB_WIDE_VECTORS)
    if (wide) return AESNI_BY_ROUNDS(rounds, ctr32_wide, rk, fixed, counter, out, in, nblocks);
#else
    (void)wide;
#endif
    return AESNI_BY_ROUNDS(rounds, ctr32_narrow, rk, fixed, counter, out, in, nblocks);
}

#else  // never chosen on other processor families

uint32_t gcm_hw_ctr32(const uint32_t*, uint32_t, const uint8_t*, uint32_t counter, uint8_t*, const uint8_t*,
                      std::size_t, bool) noexcept {
    return counter;
}

#endif
