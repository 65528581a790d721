// AES with 32-bit round tables. The state is four big-endian words; each
// round is sixteen table lookups. The tables are indexed by secret data (key
// and state bytes) by design: this engine makes no constant-time claim.
#include "block/aes.h"

#include <cstring>

#include "block/modes.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

// ---------------------------------------------------------------------------
// Tables, computed at compile time from the field arithmetic of GF(2^8)
// with the polynomial x^8 + x^4 + x^3 + x + 1.
// ---------------------------------------------------------------------------
constexpr uint8_t gf_mul(uint8_t a, uint8_t b) {
    uint8_t p = 0;
    for (int i = 0; i < 8; ++i) {
        if (b & 1) p = static_cast<uint8_t>(p ^ a);
        const bool hi = (a & 0x80) != 0;
        a = static_cast<uint8_t>(a << 1);
        if (hi) a = static_cast<uint8_t>(a ^ 0x1B);
        b = static_cast<uint8_t>(b >> 1);
    }
    return p;
}

constexpr uint8_t gf_inverse(uint8_t a) {  // a^254; 0 maps to 0
    uint8_t result = 1, base = a;
    for (int e = 254; e; e >>= 1) {
        if (e & 1) result = gf_mul(result, base);
        base = gf_mul(base, base);
    }
    return a ? result : 0;
}

constexpr uint8_t rotl8(uint8_t v, int n) { return static_cast<uint8_t>((v << n) | (v >> (8 - n))); }

constexpr uint32_t word_of(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return (static_cast<uint32_t>(b0) << 24) | (static_cast<uint32_t>(b1) << 16) | (static_cast<uint32_t>(b2) << 8) |
           static_cast<uint32_t>(b3);
}

constexpr uint32_t ror8(uint32_t v, int n) { return (v >> (8 * n)) | (v << (32 - 8 * n)); }

struct AesTables {
    uint32_t te[4][256];  // encryption rounds: SubBytes, ShiftRows and MixColumns for one byte
    uint32_t td[4][256];  // decryption rounds of the equivalent inverse cipher
    uint8_t sbox[256];    // last encryption round and key expansion
    uint8_t inv_sbox[256];  // last decryption round
};

constexpr AesTables make_tables() {
    AesTables t{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t inv = gf_inverse(static_cast<uint8_t>(x));
        const uint8_t s = static_cast<uint8_t>(inv ^ rotl8(inv, 1) ^ rotl8(inv, 2) ^ rotl8(inv, 3) ^ rotl8(inv, 4) ^ 0x63);
        t.sbox[x] = s;
        t.inv_sbox[s] = static_cast<uint8_t>(x);
    }
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = t.sbox[x];
        const uint32_t e = word_of(gf_mul(s, 2), s, s, gf_mul(s, 3));
        const uint8_t i = t.inv_sbox[x];
        const uint32_t d = word_of(gf_mul(i, 14), gf_mul(i, 9), gf_mul(i, 13), gf_mul(i, 11));
        for (int k = 0; k < 4; ++k) {
            t.te[k][x] = k ? ror8(e, k) : e;
            t.td[k][x] = k ? ror8(d, k) : d;
        }
    }
    return t;
}

alignas(64) constexpr AesTables kT = make_tables();

static_assert(kT.sbox[0x00] == 0x63 && kT.sbox[0x01] == 0x7C && kT.sbox[0x53] == 0xED && kT.sbox[0xFF] == 0x16,
              "AES S-box");
static_assert(kT.te[0][0] == 0xC66363A5u && kT.td[0][0] == 0x51F4A750u, "AES round tables");

#define TE0 kT.te[0]
#define TE1 kT.te[1]
#define TE2 kT.te[2]
#define TE3 kT.te[3]
#define TD0 kT.td[0]
#define TD1 kT.td[1]
#define TD2 kT.td[2]
#define TD3 kT.td[3]
#define SB kT.sbox
#define ISB kT.inv_sbox

inline uint32_t sub_word(uint32_t w) {
    return word_of(SB[w >> 24], SB[(w >> 16) & 0xFF], SB[(w >> 8) & 0xFF], SB[w & 0xFF]);
}

constexpr uint32_t kRcon[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};

// Key expansion (FIPS 197 section 5.2), one loop per key length so that the
// position of each word inside its group of nk words is fixed. Returns the
// number of rounds.
uint32_t expand_key(uint32_t* rk, const uint8_t* key, int key_len) {
    const int nk = key_len / 4;
    for (int i = 0; i < nk; ++i) rk[i] = load_be32(key + 4 * i);
    if (nk == 4) {
        for (int r = 0; r < 10; ++r, rk += 4) {
            rk[4] = rk[0] ^ sub_word(rotl32(rk[3], 8)) ^ (kRcon[r] << 24);
            rk[5] = rk[1] ^ rk[4];
            rk[6] = rk[2] ^ rk[5];
            rk[7] = rk[3] ^ rk[6];
        }
        return 10;
    }
    if (nk == 6) {  // 52 words: eight groups, the last one four words long
        for (int r = 0;; ++r, rk += 6) {
            rk[6] = rk[0] ^ sub_word(rotl32(rk[5], 8)) ^ (kRcon[r] << 24);
            rk[7] = rk[1] ^ rk[6];
            rk[8] = rk[2] ^ rk[7];
            rk[9] = rk[3] ^ rk[8];
            if (r == 7) return 12;
            rk[10] = rk[4] ^ rk[9];
            rk[11] = rk[5] ^ rk[10];
        }
    }
    for (int r = 0;; ++r, rk += 8) {  // 60 words: seven groups, the last one four words long
        rk[8] = rk[0] ^ sub_word(rotl32(rk[7], 8)) ^ (kRcon[r] << 24);
        rk[9] = rk[1] ^ rk[8];
        rk[10] = rk[2] ^ rk[9];
        rk[11] = rk[3] ^ rk[10];
        if (r == 6) return 14;
        rk[12] = rk[4] ^ sub_word(rk[11]);
        rk[13] = rk[5] ^ rk[12];
        rk[14] = rk[6] ^ rk[13];
        rk[15] = rk[7] ^ rk[14];
    }
}

// Turns an encryption schedule into that of the equivalent inverse cipher:
// round keys in reverse order, InvMixColumns applied to all but the first and last.
void invert_schedule(uint32_t* rk, uint32_t rounds) {
    for (uint32_t i = 0, j = 4 * rounds; i < j; i += 4, j -= 4)
        for (uint32_t k = 0; k < 4; ++k) {
            const uint32_t t = rk[i + k];
            rk[i + k] = rk[j + k];
            rk[j + k] = t;
        }
    for (uint32_t i = 4; i < 4 * rounds; ++i) {
        const uint32_t w = rk[i];
        rk[i] = TD0[SB[w >> 24]] ^ TD1[SB[(w >> 16) & 0xFF]] ^ TD2[SB[(w >> 8) & 0xFF]] ^ TD3[SB[w & 0xFF]];
    }
}

// ---------------------------------------------------------------------------
// The block functions on words: the round count is a template argument, so
// each key size gets its rounds unrolled with fixed round-key offsets.
// ---------------------------------------------------------------------------
#if defined(__GNUC__)
#define AES_INLINE inline __attribute__((always_inline))
#else
#define AES_INLINE inline
#endif

#define ENC_ROUND(o0, o1, o2, o3, i0, i1, i2, i3, k)                                                         \
    o0 = TE0[i0 >> 24] ^ TE1[(i1 >> 16) & 0xFF] ^ TE2[(i2 >> 8) & 0xFF] ^ TE3[i3 & 0xFF] ^ (k)[0];          \
    o1 = TE0[i1 >> 24] ^ TE1[(i2 >> 16) & 0xFF] ^ TE2[(i3 >> 8) & 0xFF] ^ TE3[i0 & 0xFF] ^ (k)[1];          \
    o2 = TE0[i2 >> 24] ^ TE1[(i3 >> 16) & 0xFF] ^ TE2[(i0 >> 8) & 0xFF] ^ TE3[i1 & 0xFF] ^ (k)[2];          \
    o3 = TE0[i3 >> 24] ^ TE1[(i0 >> 16) & 0xFF] ^ TE2[(i1 >> 8) & 0xFF] ^ TE3[i2 & 0xFF] ^ (k)[3]

#define DEC_ROUND(o0, o1, o2, o3, i0, i1, i2, i3, k)                                                         \
    o0 = TD0[i0 >> 24] ^ TD1[(i3 >> 16) & 0xFF] ^ TD2[(i2 >> 8) & 0xFF] ^ TD3[i1 & 0xFF] ^ (k)[0];          \
    o1 = TD0[i1 >> 24] ^ TD1[(i0 >> 16) & 0xFF] ^ TD2[(i3 >> 8) & 0xFF] ^ TD3[i2 & 0xFF] ^ (k)[1];          \
    o2 = TD0[i2 >> 24] ^ TD1[(i1 >> 16) & 0xFF] ^ TD2[(i0 >> 8) & 0xFF] ^ TD3[i3 & 0xFF] ^ (k)[2];          \
    o3 = TD0[i3 >> 24] ^ TD1[(i2 >> 16) & 0xFF] ^ TD2[(i1 >> 8) & 0xFF] ^ TD3[i0 & 0xFF] ^ (k)[3]

// R rounds on the state words; R is a constant, so the loop unrolls and
// every round-key offset is fixed.
template <int R>
AES_INLINE void encrypt_rounds(const uint32_t* rk, uint32_t& s0, uint32_t& s1, uint32_t& s2, uint32_t& s3) {
    s0 ^= rk[0];
    s1 ^= rk[1];
    s2 ^= rk[2];
    s3 ^= rk[3];
    uint32_t t0, t1, t2, t3;
#if defined(__GNUC__)
#pragma GCC unroll 7
#endif
    for (int r = 1; r < R; r += 2) {
        ENC_ROUND(t0, t1, t2, t3, s0, s1, s2, s3, rk + 4 * r);
        if (r + 1 == R) break;
        ENC_ROUND(s0, s1, s2, s3, t0, t1, t2, t3, rk + 4 * (r + 1));
    }
    rk += 4 * R;
    s0 = word_of(SB[t0 >> 24], SB[(t1 >> 16) & 0xFF], SB[(t2 >> 8) & 0xFF], SB[t3 & 0xFF]) ^ rk[0];
    s1 = word_of(SB[t1 >> 24], SB[(t2 >> 16) & 0xFF], SB[(t3 >> 8) & 0xFF], SB[t0 & 0xFF]) ^ rk[1];
    s2 = word_of(SB[t2 >> 24], SB[(t3 >> 16) & 0xFF], SB[(t0 >> 8) & 0xFF], SB[t1 & 0xFF]) ^ rk[2];
    s3 = word_of(SB[t3 >> 24], SB[(t0 >> 16) & 0xFF], SB[(t1 >> 8) & 0xFF], SB[t2 & 0xFF]) ^ rk[3];
}

template <int R>
AES_INLINE void decrypt_rounds(const uint32_t* rk, uint32_t& s0, uint32_t& s1, uint32_t& s2, uint32_t& s3) {
    s0 ^= rk[0];
    s1 ^= rk[1];
    s2 ^= rk[2];
    s3 ^= rk[3];
    uint32_t t0, t1, t2, t3;
#if defined(__GNUC__)
#pragma GCC unroll 7
#endif
    for (int r = 1; r < R; r += 2) {
        DEC_ROUND(t0, t1, t2, t3, s0, s1, s2, s3, rk + 4 * r);
        if (r + 1 == R) break;
        DEC_ROUND(s0, s1, s2, s3, t0, t1, t2, t3, rk + 4 * (r + 1));
    }
    rk += 4 * R;
    s0 = word_of(ISB[t0 >> 24], ISB[(t3 >> 16) & 0xFF], ISB[(t2 >> 8) & 0xFF], ISB[t1 & 0xFF]) ^ rk[0];
    s1 = word_of(ISB[t1 >> 24], ISB[(t0 >> 16) & 0xFF], ISB[(t3 >> 8) & 0xFF], ISB[t2 & 0xFF]) ^ rk[1];
    s2 = word_of(ISB[t2 >> 24], ISB[(t1 >> 16) & 0xFF], ISB[(t0 >> 8) & 0xFF], ISB[t3 & 0xFF]) ^ rk[2];
    s3 = word_of(ISB[t3 >> 24], ISB[(t2 >> 16) & 0xFF], ISB[(t1 >> 8) & 0xFF], ISB[t0 & 0xFF]) ^ rk[3];
}

AES_INLINE void encrypt_words(const uint32_t* rk, uint32_t rounds, uint32_t& s0, uint32_t& s1, uint32_t& s2,
                              uint32_t& s3) {
    if (rounds == 10)
        encrypt_rounds<10>(rk, s0, s1, s2, s3);
    else if (rounds == 12)
        encrypt_rounds<12>(rk, s0, s1, s2, s3);
    else
        encrypt_rounds<14>(rk, s0, s1, s2, s3);
}

AES_INLINE void decrypt_words(const uint32_t* rk, uint32_t rounds, uint32_t& s0, uint32_t& s1, uint32_t& s2,
                              uint32_t& s3) {
    if (rounds == 10)
        decrypt_rounds<10>(rk, s0, s1, s2, s3);
    else if (rounds == 12)
        decrypt_rounds<12>(rk, s0, s1, s2, s3);
    else
        decrypt_rounds<14>(rk, s0, s1, s2, s3);
}

// Big-endian increment of a 128-bit counter held as four words.
AES_INLINE void counter_increment(uint32_t& c0, uint32_t& c1, uint32_t& c2, uint32_t& c3) {
    if (++c3 == 0 && ++c2 == 0 && ++c1 == 0) ++c0;
}

}  // namespace

int32_t AesSetup(AesContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                 const uint8_t* iv) noexcept {
    secure_wipe_obj(*ctx);
    if (mode != kModeEcb && iv == nullptr) return BAD_IV_ERROR;
    if (!engine_mode_valid(mode)) return BAD_MODE_ERROR;
    if (keyLen != 16 && keyLen != 24 && keyLen != 32) return BAD_KEY_LEN_ERROR;
    if (key == nullptr) return BAD_KEY_ERROR;

    ctx->direction = encrypt ? 1u : 0u;
    ctx->mode = static_cast<uint32_t>(mode);
    ctx->keyBits = static_cast<uint32_t>(keyLen) * 8;
    ctx->rounds = expand_key(ctx->schedule, key, keyLen);
    // Only ECB and CBC run the inverse cipher; the feedback modes always use
    // the forward one.
    if (!encrypt && (mode == kModeEcb || mode == kModeCbc)) invert_schedule(ctx->schedule, ctx->rounds);
    if (mode != kModeEcb) {
        std::memcpy(ctx->reg, iv, 16);
        std::memcpy(ctx->initialIv, iv, 16);
    }
    return 0;
}

int32_t AesUpdate(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    const uint32_t mode = ctx->mode;
    if (mode > kModeCtr) return BAD_MODE_ERROR;
    if ((mode == kModeEcb || mode == kModeCbc) && (len & 15) != 0) return BAD_LENGTH_ERROR;
    if (len == 0) return 0;
    const uint32_t rounds = ctx->rounds;
    if (rounds != 10 && rounds != 12 && rounds != 14) return MISUSE_ERROR;  // never keyed

    const uint32_t* rk = ctx->schedule;
    const bool enc = ctx->direction != 0;
    std::size_t blocks = len >> 4;
    const std::size_t rest = len & 15;
    uint32_t r0 = load_be32(ctx->reg), r1 = load_be32(ctx->reg + 4), r2 = load_be32(ctx->reg + 8),
             r3 = load_be32(ctx->reg + 12);

    switch (mode) {
    case kModeEcb:
        if (enc) {
            for (; blocks; --blocks, in += 16, out += 16) {
                uint32_t s0 = load_be32(in), s1 = load_be32(in + 4), s2 = load_be32(in + 8), s3 = load_be32(in + 12);
                encrypt_words(rk, rounds, s0, s1, s2, s3);
                store_be32(out, s0);
                store_be32(out + 4, s1);
                store_be32(out + 8, s2);
                store_be32(out + 12, s3);
            }
        } else {
            for (; blocks; --blocks, in += 16, out += 16) {
                uint32_t s0 = load_be32(in), s1 = load_be32(in + 4), s2 = load_be32(in + 8), s3 = load_be32(in + 12);
                decrypt_words(rk, rounds, s0, s1, s2, s3);
                store_be32(out, s0);
                store_be32(out + 4, s1);
                store_be32(out + 8, s2);
                store_be32(out + 12, s3);
            }
        }
        break;
    case kModeCbc:
        if (enc) {
            for (; blocks; --blocks, in += 16, out += 16) {
                r0 ^= load_be32(in);
                r1 ^= load_be32(in + 4);
                r2 ^= load_be32(in + 8);
                r3 ^= load_be32(in + 12);
                encrypt_words(rk, rounds, r0, r1, r2, r3);
                store_be32(out, r0);
                store_be32(out + 4, r1);
                store_be32(out + 8, r2);
                store_be32(out + 12, r3);
            }
        } else {
            for (; blocks; --blocks, in += 16, out += 16) {
                const uint32_t c0 = load_be32(in), c1 = load_be32(in + 4), c2 = load_be32(in + 8),
                               c3 = load_be32(in + 12);
                uint32_t s0 = c0, s1 = c1, s2 = c2, s3 = c3;
                decrypt_words(rk, rounds, s0, s1, s2, s3);
                store_be32(out, s0 ^ r0);
                store_be32(out + 4, s1 ^ r1);
                store_be32(out + 8, s2 ^ r2);
                store_be32(out + 12, s3 ^ r3);
                r0 = c0;
                r1 = c1;
                r2 = c2;
                r3 = c3;
            }
        }
        break;
    case kModeCfb:
        for (; blocks; --blocks, in += 16, out += 16) {
            const uint32_t i0 = load_be32(in), i1 = load_be32(in + 4), i2 = load_be32(in + 8),
                           i3 = load_be32(in + 12);
            encrypt_words(rk, rounds, r0, r1, r2, r3);
            r0 ^= i0;
            r1 ^= i1;
            r2 ^= i2;
            r3 ^= i3;
            store_be32(out, r0);
            store_be32(out + 4, r1);
            store_be32(out + 8, r2);
            store_be32(out + 12, r3);
            if (!enc) {
                r0 = i0;
                r1 = i1;
                r2 = i2;
                r3 = i3;
            }
        }
        break;
    case kModeOfb:
        for (; blocks; --blocks, in += 16, out += 16) {
            encrypt_words(rk, rounds, r0, r1, r2, r3);
            store_be32(out, load_be32(in) ^ r0);
            store_be32(out + 4, load_be32(in + 4) ^ r1);
            store_be32(out + 8, load_be32(in + 8) ^ r2);
            store_be32(out + 12, load_be32(in + 12) ^ r3);
        }
        break;
    default:  // kModeCtr
        for (; blocks; --blocks, in += 16, out += 16) {
            uint32_t k0 = r0, k1 = r1, k2 = r2, k3 = r3;
            encrypt_words(rk, rounds, k0, k1, k2, k3);
            store_be32(out, load_be32(in) ^ k0);
            store_be32(out + 4, load_be32(in + 4) ^ k1);
            store_be32(out + 8, load_be32(in + 8) ^ k2);
            store_be32(out + 12, load_be32(in + 12) ^ k3);
            counter_increment(r0, r1, r2, r3);
        }
        break;
    }

    if (rest != 0) {
        // A trailing partial block (CFB, OFB, CTR): one more keystream block
        // over the zero-padded input, of which only `rest` bytes are written.
        // The remainder of that keystream block is not used by the next call.
        uint8_t block[16] = {0};
        std::memcpy(block, in, rest);
        uint32_t k0 = r0, k1 = r1, k2 = r2, k3 = r3;
        encrypt_words(rk, rounds, k0, k1, k2, k3);
        store_be32(block, load_be32(block) ^ k0);
        store_be32(block + 4, load_be32(block + 4) ^ k1);
        store_be32(block + 8, load_be32(block + 8) ^ k2);
        store_be32(block + 12, load_be32(block + 12) ^ k3);
        if (mode == kModeCfb) {
            // The register is the ciphertext bytes followed by the unused
            // keystream bytes, the same whichever way the data goes, so that
            // encryption and decryption continue alike after this call.
            uint8_t next[16];
            std::memcpy(next, block, 16);
            if (!enc) std::memcpy(next, in, rest);
            r0 = load_be32(next);
            r1 = load_be32(next + 4);
            r2 = load_be32(next + 8);
            r3 = load_be32(next + 12);
            secure_wipe_obj(next);
        } else if (mode == kModeOfb) {
            r0 = k0;
            r1 = k1;
            r2 = k2;
            r3 = k3;
        } else {
            counter_increment(r0, r1, r2, r3);
        }
        std::memcpy(out, block, rest);
        secure_wipe_obj(block);
    }
    if (mode != kModeEcb) {
        store_be32(ctx->reg, r0);
        store_be32(ctx->reg + 4, r1);
        store_be32(ctx->reg + 8, r2);
        store_be32(ctx->reg + 12, r3);
    }
    return 0;
}

int32_t AesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyBits,
                 const uint8_t* iv, int32_t encrypt, int32_t mode) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return NULL_ERROR;
    if (length < 0) return BAD_PARAM_ERROR;
    const int32_t key_len = (keyBits == 128 || keyBits == 192 || keyBits == 256) ? keyBits / 8 : 0;
    AesContext ctx;
    int32_t rc = AesSetup(&ctx, mode, key, key_len, encrypt, iv);
    if (rc == 0) rc = AesUpdate(&ctx, output, input, static_cast<std::size_t>(length));
    secure_wipe_obj(ctx);
    return rc;
}

void aes_block_encrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    uint32_t s0 = load_be32(in), s1 = load_be32(in + 4), s2 = load_be32(in + 8), s3 = load_be32(in + 12);
    encrypt_words(ctx->schedule, ctx->rounds, s0, s1, s2, s3);
    store_be32(out, s0);
    store_be32(out + 4, s1);
    store_be32(out + 8, s2);
    store_be32(out + 12, s3);
}

void aes_block_decrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    uint32_t s0 = load_be32(in), s1 = load_be32(in + 4), s2 = load_be32(in + 8), s3 = load_be32(in + 12);
    decrypt_words(ctx->schedule, ctx->rounds, s0, s1, s2, s3);
    store_be32(out, s0);
    store_be32(out + 4, s1);
    store_be32(out + 8, s2);
    store_be32(out + 12, s3);
}
