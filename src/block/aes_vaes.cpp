// The parallel modes of the block engine (ECB, CBC decryption, CTR) with
// VAES on 256-bit registers: two blocks per register, sixteen blocks in
// flight. Chosen only for AesPath::vaes; a build without the 256-bit paths
// (TESSALIB_WIDE_VECTORS, core/cpu.h) never picks it, and there these entry
// points hand over to the 128-bit forms.
#include "block/aes_hw.h"

#include "core/cpu.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && defined(TESSALIB_WIDE_VECTORS)
#include <immintrin.h>

#include "block/aes_ni.h"

#define VAES_TARGET __attribute__((target("vaes,avx2,aes,pclmul,ssse3,sse4.1")))
#define VAES_INLINE inline __attribute__((always_inline, target("vaes,avx2,aes,pclmul,ssse3,sse4.1")))

namespace {

constexpr int kRegs = 8;  // 256-bit registers of blocks in flight: sixteen blocks

// The round keys in both halves of 256-bit registers (key material, wiped
// when it goes out of scope).
template <int R>
struct VaesKeys {
    __m256i k[R + 1];
    VaesKeys() = default;
    VaesKeys(const VaesKeys&) = delete;
    VaesKeys& operator=(const VaesKeys&) = delete;
    ~VaesKeys() { secure_wipe(k, sizeof k); }
};

template <int R>
VAES_INLINE void vaes_load_keys(VaesKeys<R>& keys, const uint32_t* rk) noexcept {
    const __m128i swap = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    for (int i = 0; i <= R; ++i)
        keys.k[i] = _mm256_broadcastsi128_si256(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rk + 4 * i)), swap));
}

template <int R, bool Encrypt>
VAES_INLINE void vaes_rounds(const VaesKeys<R>& keys, __m256i (&b)[kRegs]) noexcept {
    for (int j = 0; j < kRegs; ++j) b[j] = _mm256_xor_si256(b[j], keys.k[0]);
    for (int r = 1; r < R; ++r)
        for (int j = 0; j < kRegs; ++j)
            b[j] = Encrypt ? _mm256_aesenc_epi128(b[j], keys.k[r]) : _mm256_aesdec_epi128(b[j], keys.k[r]);
    for (int j = 0; j < kRegs; ++j)
        b[j] = Encrypt ? _mm256_aesenclast_epi128(b[j], keys.k[R]) : _mm256_aesdeclast_epi128(b[j], keys.k[R]);
}

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
    VaesKeys<R> k;
    vaes_load_keys(k, rk);
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

template <int R>
VAES_TARGET std::size_t ctr(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                            uint32_t reg[4]) noexcept {
    VaesKeys<R> k;
    vaes_load_keys(k, rk);
    uint64_t hi = (uint64_t{reg[0]} << 32) | reg[1], lo = (uint64_t{reg[2]} << 32) | reg[3];
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
    reg[0] = static_cast<uint32_t>(hi >> 32), reg[1] = static_cast<uint32_t>(hi);
    reg[2] = static_cast<uint32_t>(lo >> 32), reg[3] = static_cast<uint32_t>(lo);
    _mm256_zeroupper();
    return done + aes_hw_ctr(rk, R, out, in, blocks - done, reg);
}

template <int R>
std::size_t ecb_dir(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, bool encrypt) noexcept {
    const std::size_t done = encrypt ? runs_of_blocks<R, true, false>(rk, out, in, blocks, nullptr)
                                     : runs_of_blocks<R, false, false>(rk, out, in, blocks, nullptr);
    return done + aes_hw_ecb(rk, R, out + 16 * done, in + 16 * done, blocks - done, encrypt);
}

template <int R>
std::size_t cbc_decrypt_all(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                            uint32_t reg[4]) noexcept {
    const std::size_t done = runs_of_blocks<R, false, true>(rk, out, in, blocks, reg);
    return done + aes_hw_cbc_decrypt(rk, R, out + 16 * done, in + 16 * done, blocks - done, reg);
}

}  // namespace

std::size_t aes_vaes_ecb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                         bool encrypt) noexcept {
    return AESNI_BY_ROUNDS(rounds, ecb_dir, rk, out, in, blocks, encrypt);
}
std::size_t aes_vaes_cbc_decrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                                 std::size_t blocks, uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, cbc_decrypt_all, rk, out, in, blocks, reg);
}
std::size_t aes_vaes_ctr(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                         uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, ctr, rk, out, in, blocks, reg);
}

#else  // no 256-bit paths in this build: never chosen; the 128-bit forms stand in

std::size_t aes_vaes_ecb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                         bool encrypt) noexcept {
    return aes_hw_ecb(rk, rounds, out, in, blocks, encrypt);
}
std::size_t aes_vaes_cbc_decrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                                 std::size_t blocks, uint32_t reg[4]) noexcept {
    return aes_hw_cbc_decrypt(rk, rounds, out, in, blocks, reg);
}
std::size_t aes_vaes_ctr(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                         uint32_t reg[4]) noexcept {
    return aes_hw_ctr(rk, rounds, out, in, blocks, reg);
}

#endif
