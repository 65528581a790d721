// AES-NI paths of the block engine: the key expansion's SubWord, the
// decryption schedule's InvMixColumns, single blocks, and the modes on
// 128-bit registers (eight blocks at a time where the mode allows it).
#include "block/aes_hw.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include "block/aes_key_schedule.h"
#include "block/aes_ni.h"

namespace {

constexpr int kWide = 8;  // blocks in flight in the parallel modes

AESNI_INLINE __m128i load_reg(const uint32_t reg[4]) noexcept { return aesni_from_words(reg); }
AESNI_INLINE void store_reg(uint32_t reg[4], __m128i v) noexcept { aesni_to_words(reg, v); }

template <int R>
AESNI_TARGET void forward_words(const uint32_t* rk, uint32_t b[4]) noexcept {
    const AesNiKeys<R> k(rk);
    store_reg(b, aesni_encrypt(k, load_reg(b)));
}

template <int R>
AESNI_TARGET void inverse_words(const uint32_t* rk, uint32_t b[4]) noexcept {
    const AesNiKeys<R> k(rk);
    store_reg(b, aesni_decrypt(k, load_reg(b)));
}

template <int R>
AESNI_TARGET void encrypt_block(const uint32_t* rk, uint8_t* out, const uint8_t* in) noexcept {
    const AesNiKeys<R> k(rk);
    aesni_store(out, aesni_encrypt(k, aesni_load(in)));
}

template <int R>
AESNI_TARGET void decrypt_block(const uint32_t* rk, uint8_t* out, const uint8_t* in) noexcept {
    const AesNiKeys<R> k(rk);
    aesni_store(out, aesni_decrypt(k, aesni_load(in)));
}

template <int R, bool Encrypt>
AESNI_TARGET std::size_t ecb(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks) noexcept {
    const AesNiKeys<R> k(rk);
    std::size_t left = blocks;
    for (; left >= kWide; left -= kWide, in += 16 * kWide, out += 16 * kWide) {
        __m128i b[kWide];
        for (int j = 0; j < kWide; ++j) b[j] = aesni_load(in + 16 * j);
        if (Encrypt)
            aesni_encrypt_n(k, b);
        else
            aesni_decrypt_n(k, b);
        for (int j = 0; j < kWide; ++j) aesni_store(out + 16 * j, b[j]);
    }
    for (; left; --left, in += 16, out += 16)
        aesni_store(out, Encrypt ? aesni_encrypt(k, aesni_load(in)) : aesni_decrypt(k, aesni_load(in)));
    return blocks;
}

// The chained modes: CBC encryption, CFB encryption, OFB and CBC-MAC, one
// block after another. The chain s is the next cipher input with round key
// 0 added, and the data is folded into the last round's key
// (aesenclast(t, k ^ x) is the last round followed by adding x), so that the
// chain from block to block is the AES rounds alone. r: the register (for
// CBC-MAC the running value) before and after.
enum class Chain { cbc, cfb, ofb, mac };

template <int R, Chain M>
AESNI_TARGET void chain(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, __m128i& r) noexcept {
    if (blocks == 0) return;
    const AesNiKeys<R> k(rk);
    constexpr bool kTakesNext = M == Chain::cbc || M == Chain::mac;  // the next input is register ^ block
    const __m128i last_first = _mm_xor_si128(k.k[R], k.k[0]);
    __m128i s = _mm_xor_si128(r, k.k[0]);
    if (kTakesNext) s = _mm_xor_si128(s, aesni_load(in));
    for (;;) {
        const __m128i t = aesni_middle(k, s);
        const __m128i p = kTakesNext ? _mm_setzero_si128() : aesni_load(in);
        const __m128i e = _mm_aesenclast_si128(t, _mm_xor_si128(k.k[R], p));  // E(input) ^ p
        if (M != Chain::mac) aesni_store(out, e);
        r = M == Chain::ofb ? _mm_aesenclast_si128(t, k.k[R]) : e;
        if (--blocks == 0) break;
        in += 16, out += M != Chain::mac ? 16 : 0;
        const __m128i q = kTakesNext ? aesni_load(in) : M == Chain::cfb ? p : _mm_setzero_si128();
        s = _mm_aesenclast_si128(t, _mm_xor_si128(last_first, q));
    }
}

template <int R, Chain M>
AESNI_TARGET std::size_t chained_mode(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                         uint32_t reg[4]) noexcept {
    __m128i r = load_reg(reg);
    chain<R, M>(rk, out, in, blocks, r);
    store_reg(reg, r);
    return blocks;
}

template <int R>
std::size_t cbc_encrypt(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                        uint32_t reg[4]) noexcept {
    return chained_mode<R, Chain::cbc>(rk, out, in, blocks, reg);
}

// The two modes whose decryption runs eight blocks at a time, c_-1 being the
// register: CBC, out_j = D(c_j) ^ c_j-1, and CFB, out_j = E(c_j-1) ^ c_j.
template <int R, bool Cbc>
AESNI_TARGET std::size_t feedback_decrypt(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                                          uint32_t reg[4]) noexcept {
    const AesNiKeys<R> k(rk);
    __m128i r = load_reg(reg);
    std::size_t left = blocks;
    for (; left >= kWide; left -= kWide, in += 16 * kWide, out += 16 * kWide) {
        __m128i c[kWide], b[kWide];
        for (int j = 0; j < kWide; ++j) c[j] = aesni_load(in + 16 * j);  // read before out is written
        for (int j = 0; j < kWide; ++j) b[j] = Cbc ? c[j] : (j ? c[j - 1] : r);
        aesni_rounds_n<R, kWide, !Cbc>(k, b);
        for (int j = 0; j < kWide; ++j)
            aesni_store(out + 16 * j, _mm_xor_si128(b[j], Cbc ? (j ? c[j - 1] : r) : c[j]));
        r = c[kWide - 1];
    }
    for (; left; --left, in += 16, out += 16) {
        const __m128i c = aesni_load(in);
        aesni_store(out, Cbc ? _mm_xor_si128(aesni_decrypt(k, c), r) : _mm_xor_si128(aesni_encrypt(k, r), c));
        r = c;
    }
    store_reg(reg, r);
    return blocks;
}

template <int R>
std::size_t cbc_decrypt(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                        uint32_t reg[4]) noexcept {
    return feedback_decrypt<R, true>(rk, out, in, blocks, reg);
}

// CFB: encryption is a chain; decryption takes its keystream from ciphertext
// already known, so it runs eight blocks at a time (feedback_decrypt).
template <int R>
std::size_t cfb(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, uint32_t reg[4],
                bool encrypt) noexcept {
    return encrypt ? chained_mode<R, Chain::cfb>(rk, out, in, blocks, reg)
                   : feedback_decrypt<R, false>(rk, out, in, blocks, reg);
}

template <int R>
std::size_t ofb(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, uint32_t reg[4]) noexcept {
    return chained_mode<R, Chain::ofb>(rk, out, in, blocks, reg);
}

// The 128-bit counter as two 64-bit halves; a counter block in byte form is
// the little-endian pair (lo, hi) with its bytes reversed.
AESNI_INLINE __m128i counter_block(uint64_t hi, uint64_t lo) noexcept {
    return _mm_shuffle_epi8(_mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo)),
                            aesni_swap_block());
}

template <int R>
AESNI_TARGET std::size_t ctr(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks,
                             uint32_t reg[4]) noexcept {
    const AesNiKeys<R> k(rk);
    uint64_t hi, lo;
    counter_load(reg, hi, lo);
    std::size_t left = blocks;
    while (left >= kWide) {
        __m128i b[kWide];
        if (lo <= UINT64_MAX - (kWide - 1)) {  // no carry into hi inside this run
            const __m128i base = _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo));
            for (int j = 0; j < kWide; ++j)
                b[j] = _mm_shuffle_epi8(_mm_add_epi64(base, _mm_set_epi64x(0, j)), aesni_swap_block());
        } else {
            for (int j = 0; j < kWide; ++j) {
                const uint64_t l = lo + static_cast<uint64_t>(j);
                b[j] = counter_block(hi + (l < lo ? 1 : 0), l);
            }
        }
        aesni_encrypt_n(k, b);
        for (int j = 0; j < kWide; ++j) aesni_store(out + 16 * j, _mm_xor_si128(b[j], aesni_load(in + 16 * j)));
        const uint64_t next = lo + kWide;
        hi += next < lo ? 1 : 0;
        lo = next;
        left -= kWide, in += 16 * kWide, out += 16 * kWide;
    }
    for (; left; --left, in += 16, out += 16) {
        aesni_store(out, _mm_xor_si128(aesni_encrypt(k, counter_block(hi, lo)), aesni_load(in)));
        hi += ++lo == 0 ? 1 : 0;
    }
    counter_store(reg, hi, lo);
    return blocks;
}

template <int R>
AESNI_TARGET void cbc_mac(const uint32_t* rk, uint8_t x[16], const uint8_t* in, std::size_t blocks) noexcept {
    __m128i r = aesni_load(x);
    chain<R, Chain::mac>(rk, nullptr, in, blocks, r);
    aesni_store(x, r);
}

}  // namespace

namespace {
struct SubWordNi {
    AESNI_TARGET uint32_t operator()(uint32_t w) const noexcept {
        // AESKEYGENASSIST puts SubWord of its second word into its first.
        const __m128i v = _mm_aeskeygenassist_si128(_mm_set1_epi32(static_cast<int>(w)), 0);
        return static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    }
};
}  // namespace

AESNI_TARGET uint32_t aes_hw_expand_key(uint32_t* rk, const uint8_t* key, int key_len) noexcept {
    return aes_expand_words(rk, key, key_len, SubWordNi{});
}

AESNI_TARGET void aes_hw_inv_mix_keys(uint32_t* rk, uint32_t rounds) noexcept {
    for (uint32_t i = 1; i < rounds; ++i) aesni_to_words(rk + 4 * i, _mm_aesimc_si128(aesni_from_words(rk + 4 * i)));
}

void aes_hw_forward_words(const uint32_t* rk, uint32_t rounds, uint32_t b[4]) noexcept {
    AESNI_BY_ROUNDS(rounds, forward_words, rk, b);
}
void aes_hw_inverse_words(const uint32_t* rk, uint32_t rounds, uint32_t b[4]) noexcept {
    AESNI_BY_ROUNDS(rounds, inverse_words, rk, b);
}
void aes_hw_encrypt_block(const uint32_t* rk, uint32_t rounds, uint8_t out[16], const uint8_t in[16]) noexcept {
    AESNI_BY_ROUNDS(rounds, encrypt_block, rk, out, in);
}
void aes_hw_decrypt_block(const uint32_t* rk, uint32_t rounds, uint8_t out[16], const uint8_t in[16]) noexcept {
    AESNI_BY_ROUNDS(rounds, decrypt_block, rk, out, in);
}

namespace {
template <int R>
std::size_t ecb_dir(const uint32_t* rk, uint8_t* out, const uint8_t* in, std::size_t blocks, bool encrypt) noexcept {
    return encrypt ? ecb<R, true>(rk, out, in, blocks) : ecb<R, false>(rk, out, in, blocks);
}
}  // namespace

std::size_t aes_hw_ecb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       bool encrypt) noexcept {
    return AESNI_BY_ROUNDS(rounds, ecb_dir, rk, out, in, blocks, encrypt);
}
std::size_t aes_hw_cbc_encrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                               std::size_t blocks, uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, cbc_encrypt, rk, out, in, blocks, reg);
}
std::size_t aes_hw_cbc_decrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                               std::size_t blocks, uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, cbc_decrypt, rk, out, in, blocks, reg);
}
std::size_t aes_hw_cfb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4], bool encrypt) noexcept {
    return AESNI_BY_ROUNDS(rounds, cfb, rk, out, in, blocks, reg, encrypt);
}
std::size_t aes_hw_ofb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, ofb, rk, out, in, blocks, reg);
}
std::size_t aes_hw_ctr(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4]) noexcept {
    return AESNI_BY_ROUNDS(rounds, ctr, rk, out, in, blocks, reg);
}
void aes_hw_cbc_mac(const uint32_t* rk, uint32_t rounds, uint8_t x[16], const uint8_t* in,
                    std::size_t blocks) noexcept {
    AESNI_BY_ROUNDS(rounds, cbc_mac, rk, x, in, blocks);
}

#else  // no AES instructions on this processor family: never chosen

uint32_t aes_hw_expand_key(uint32_t*, const uint8_t*, int) noexcept { return 0; }
void aes_hw_inv_mix_keys(uint32_t*, uint32_t) noexcept {}
void aes_hw_forward_words(const uint32_t*, uint32_t, uint32_t*) noexcept {}
void aes_hw_inverse_words(const uint32_t*, uint32_t, uint32_t*) noexcept {}
void aes_hw_encrypt_block(const uint32_t*, uint32_t, uint8_t*, const uint8_t*) noexcept {}
void aes_hw_decrypt_block(const uint32_t*, uint32_t, uint8_t*, const uint8_t*) noexcept {}
std::size_t aes_hw_ecb(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, bool) noexcept { return 0; }
std::size_t aes_hw_cbc_encrypt(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, uint32_t*) noexcept { return 0; }
std::size_t aes_hw_cbc_decrypt(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, uint32_t*) noexcept { return 0; }
std::size_t aes_hw_cfb(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, uint32_t*, bool) noexcept { return 0; }
std::size_t aes_hw_ofb(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, uint32_t*) noexcept { return 0; }
std::size_t aes_hw_ctr(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t, uint32_t*) noexcept { return 0; }
void aes_hw_cbc_mac(const uint32_t*, uint32_t, uint8_t*, const uint8_t*, std::size_t) noexcept {}

#endif
