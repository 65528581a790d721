// The parallel modes of the block engine (ECB, CBC decryption, CTR) with
// VAES on 256-bit registers: two blocks per register, sixteen blocks in
// flight, the rest of a call on the 128-bit forms. Chosen only for
// AesPath::vaes; a build without the 256-bit paths (TESSALIB_WIDE_VECTORS,
// core/cpu.h) never picks it, and there the 128-bit forms do all of it.
#include "block/aes_hw.h"

#include "core/cpu.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && defined(TESSALIB_WIDE_VECTORS)
#include "block/aes_vaes.h"

namespace {

constexpr int kRegs = 8;  // 256-bit registers of blocks in flight: sixteen blocks

VAES_INLINE __m256i load2(const uint8_t* p) noexcept {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
VAES_INLINE void store2(uint8_t* p, __m256i v) noexcept { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

constexpr std::size_t kRun = 2 * kRegs;  // blocks per run

// Runs of sixteen blocks of ECB (either way) or of CBC decryption (Cbc: each
// block's output added to the block before it, the register before the first).
template <int R, bool Encrypt, bool Cbc>
VAES_TARGET std::size_t runs_of_blocks(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                                       uint32_t reg[4]) noexcept {
    const VaesKeys<R> k(rk);
    const std::size_t runs = blocks / kRun;
    __m128i r = Cbc ? aesni_from_words(reg) : _mm_setzero_si128();
    for (std::size_t n = 0; n < runs; ++n, in += 16 * kRun, out += 16 * kRun) {
        __m256i b[kRegs], prev[kRegs];
        for (int j = 0; j < kRegs; ++j) b[j] = load2(in + 32 * j);  // read before out is written
        if (Cbc) {
            // The blocks before each pair: the register, then ciphertext.
            prev[0] = _mm256_inserti128_si256(_mm256_castsi128_si256(r), aesni_load(in), 1);
            for (int j = 1; j < kRegs; ++j) prev[j] = load2(in + 32 * j - 16);
            r = _mm256_extracti128_si256(b[kRegs - 1], 1);
        }
        vaes_rounds<R, Encrypt>(k, b);
        for (int j = 0; j < kRegs; ++j) store2(out + 32 * j, Cbc ? _mm256_xor_si256(b[j], prev[j]) : b[j]);
    }
    if (Cbc) aesni_to_words(reg, r);
    _mm256_zeroupper();
    return runs * kRun;
}

// CTR's runs, the 128-bit counter as two 64-bit halves (hi, lo).
template <int R>
VAES_TARGET std::size_t ctr(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, uint64_t& hi,
                            uint64_t& lo) noexcept {
    const VaesKeys<R> k(rk);
    const __m256i swap = _mm256_broadcastsi128_si256(aesni_swap_block());
    std::size_t done = 0;
    // Runs without a carry out of the low half; the rest is left to the
    // 128-bit form, which handles the carry.
    while (blocks - done >= kRun && lo <= UINT64_MAX - (kRun - 1)) {
        const __m256i base = _mm256_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo + 1),
                                               static_cast<long long>(hi), static_cast<long long>(lo));
        __m256i b[kRegs];
        for (int j = 0; j < kRegs; ++j)
            b[j] = _mm256_shuffle_epi8(_mm256_add_epi64(base, _mm256_set_epi64x(0, 2 * j, 0, 2 * j)), swap);
        vaes_rounds<R, true>(k, b);
        for (int j = 0; j < kRegs; ++j) store2(out + 32 * j, _mm256_xor_si256(b[j], load2(in + 32 * j)));
        const uint64_t next = lo + kRun;
        hi += next < lo ? 1 : 0;
        lo = next;
        done += kRun, in += 16 * kRun, out += 16 * kRun;
    }
    _mm256_zeroupper();
    return done;
}

// The sixteen-block runs of one mode at the front of `blocks`; returns how
// many blocks they took.
template <int R>
std::size_t runs(VaesMode mode, const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                 uint32_t reg[4]) noexcept {
    switch (mode) {
        case VaesMode::ecb_encrypt: return runs_of_blocks<R, true, false>(rk, out, in, blocks, reg);
        case VaesMode::ecb_decrypt: return runs_of_blocks<R, false, false>(rk, out, in, blocks, reg);
        case VaesMode::cbc_decrypt: return runs_of_blocks<R, false, true>(rk, out, in, blocks, reg);
        default: {
            uint64_t hi, lo;
            counter_load(reg, hi, lo);
            const std::size_t done = ctr<R>(rk, out, in, blocks, hi, lo);
            counter_store(reg, hi, lo);
            return done;
        }
    }
}

}  // namespace
#endif

std::size_t aes_vaes_blocks(VaesMode mode, const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                            std::size_t blocks, uint32_t reg[4]) noexcept {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && defined(TESSALIB_WIDE_VECTORS)
    const std::size_t done = AESNI_BY_ROUNDS(rounds, runs, mode, rk, out, in, blocks, reg);
#else
    const std::size_t done = 0;  // never chosen in this build: the 128-bit forms do it all
#endif
    out += 16 * done, in += 16 * done;
    switch (mode) {
        case VaesMode::ecb_encrypt:
        case VaesMode::ecb_decrypt:
            return done + aes_hw_ecb(rk, rounds, out, in, blocks - done, mode == VaesMode::ecb_encrypt);
        case VaesMode::cbc_decrypt: return done + aes_hw_cbc_decrypt(rk, rounds, out, in, blocks - done, reg);
        default: return done + aes_hw_ctr(rk, rounds, out, in, blocks - done, reg);
    }
}
