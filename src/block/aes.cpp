// AES with 32-bit round tables. The state is four big-endian words; each
// round is sixteen table lookups. The tables are indexed by secret data (key
// and state bytes) by design: this engine makes no constant-time claim.
#include "block/aes.h"

#include <cstring>

#include "block/cipher_modes.h"
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

inline uint32_t sub_word(uint32_t w) {
    return word_of(kT.sbox[w >> 24], kT.sbox[(w >> 16) & 0xFF], kT.sbox[(w >> 8) & 0xFF], kT.sbox[w & 0xFF]);
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
    const uint8_t* sb = kT.sbox;
    for (uint32_t i = 4; i < 4 * rounds; ++i) {
        const uint32_t w = rk[i];
        rk[i] = kT.td[0][sb[w >> 24]] ^ kT.td[1][sb[(w >> 16) & 0xFF]] ^ kT.td[2][sb[(w >> 8) & 0xFF]] ^
                kT.td[3][sb[w & 0xFF]];
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

// The two directions of the cipher: the round tables and the S-box of the
// last round. ShiftRows reads the state words in rising order when
// encrypting and in falling order when decrypting (aes_round).
struct AesForward {
    static constexpr bool kRising = true;
    static constexpr const uint32_t (&kRound)[4][256] = kT.te;
    static constexpr const uint8_t (&kLast)[256] = kT.sbox;
};
struct AesInverse {
    static constexpr bool kRising = false;
    static constexpr const uint32_t (&kRound)[4][256] = kT.td;
    static constexpr const uint8_t (&kLast)[256] = kT.inv_sbox;
};

// One output word of a full round: byte 0 of a, byte 1 of b, byte 2 of c and
// byte 3 of d (byte 0 the most significant) through the round tables, and
// the round-key word k.
template <typename Dir>
AES_INLINE uint32_t round_word(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) noexcept {
    return Dir::kRound[0][a >> 24] ^ Dir::kRound[1][(b >> 16) & 0xFF] ^ Dir::kRound[2][(c >> 8) & 0xFF] ^
           Dir::kRound[3][d & 0xFF] ^ k;
}

// The same for the last round, which has no MixColumns: S-box bytes.
template <typename Dir>
AES_INLINE uint32_t last_word(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t k) noexcept {
    return word_of(Dir::kLast[a >> 24], Dir::kLast[(b >> 16) & 0xFF], Dir::kLast[(c >> 8) & 0xFF],
                   Dir::kLast[d & 0xFF]) ^
           k;
}

// One round from (s0, s1, s2, s3) into (o0, o1, o2, o3) with round key k;
// Word picks round_word or last_word.
template <typename Dir, uint32_t (*Word)(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) noexcept>
AES_INLINE void aes_round(uint32_t& o0, uint32_t& o1, uint32_t& o2, uint32_t& o3, uint32_t s0, uint32_t s1,
                          uint32_t s2, uint32_t s3, const uint32_t* k) noexcept {
    if (Dir::kRising) {
        o0 = Word(s0, s1, s2, s3, k[0]);
        o1 = Word(s1, s2, s3, s0, k[1]);
        o2 = Word(s2, s3, s0, s1, k[2]);
        o3 = Word(s3, s0, s1, s2, k[3]);
    } else {
        o0 = Word(s0, s3, s2, s1, k[0]);
        o1 = Word(s1, s0, s3, s2, k[1]);
        o2 = Word(s2, s1, s0, s3, k[2]);
        o3 = Word(s3, s2, s1, s0, k[3]);
    }
}

// R rounds on the state words; R is a constant, so the loop unrolls and
// every round-key offset is fixed.
template <typename Dir, int R>
AES_INLINE void aes_rounds(const uint32_t* rk, uint32_t (&s)[4]) noexcept {
    uint32_t s0 = s[0] ^ rk[0], s1 = s[1] ^ rk[1], s2 = s[2] ^ rk[2], s3 = s[3] ^ rk[3];
    uint32_t t0, t1, t2, t3;
#if defined(__GNUC__)
#pragma GCC unroll 7
#endif
    for (int r = 1; r < R; r += 2) {
        aes_round<Dir, round_word<Dir>>(t0, t1, t2, t3, s0, s1, s2, s3, rk + 4 * r);
        if (r + 1 == R) break;
        aes_round<Dir, round_word<Dir>>(s0, s1, s2, s3, t0, t1, t2, t3, rk + 4 * (r + 1));
    }
    aes_round<Dir, last_word<Dir>>(s[0], s[1], s[2], s[3], t0, t1, t2, t3, rk + 4 * R);
}

// One block of bytes through R rounds.
template <typename Dir, int R>
AES_INLINE void aes_block(const uint32_t* rk, uint8_t* out, const uint8_t* in) noexcept {
    uint32_t s[4];
    block_load(s, in);
    aes_rounds<Dir, R>(rk, s);
    block_store(out, s);
}

// The same with the round count of a keyed context.
template <typename Dir>
AES_INLINE void aes_block(const AesContext* ctx, uint8_t* out, const uint8_t* in) noexcept {
    if (ctx->rounds == 10)
        aes_block<Dir, 10>(ctx->schedule, out, in);
    else if (ctx->rounds == 12)
        aes_block<Dir, 12>(ctx->schedule, out, in);
    else
        aes_block<Dir, 14>(ctx->schedule, out, in);
}

// AES as the modes see it, with the round count fixed: AesUpdate chooses the
// instance once per call, so that the block loops carry no test of it.
// R = 0 stands for a context that was never keyed, which the modes refuse
// after their checks.
template <int R>
struct AesCipher : BlockCipher<4> {
    const uint32_t* rk;
    bool keyed() const noexcept { return R != 0; }
    AES_INLINE void forward(Block& b) const noexcept {
        if constexpr (R != 0) aes_rounds<AesForward, R>(rk, b);
    }
    AES_INLINE void inverse(Block& b) const noexcept {
        if constexpr (R != 0) aes_rounds<AesInverse, R>(rk, b);
    }
};

// AesUpdate with R rounds.
template <int R>
int32_t aes_update(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    return mode_update(AesCipher<R>{{}, ctx->schedule}, ctx->mode, ctx->direction != 0, ctx->reg, out, in, len);
}

}  // namespace

int32_t AesSetup(AesContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                 const uint8_t* iv) noexcept {
    const int32_t rc = mode_setup_begin(ctx, mode, iv, keyLen == 16 || keyLen == 24 || keyLen == 32, key);
    if (rc != 0) return rc;
    ctx->keyBits = static_cast<uint32_t>(keyLen) * 8;
    ctx->rounds = expand_key(ctx->schedule, key, keyLen);
    if (mode_runs_inverse(mode, encrypt)) invert_schedule(ctx->schedule, ctx->rounds);
    mode_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t AesUpdate(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    if (ctx->rounds == 10) return aes_update<10>(ctx, out, in, len);
    if (ctx->rounds == 12) return aes_update<12>(ctx, out, in, len);
    if (ctx->rounds == 14) return aes_update<14>(ctx, out, in, len);
    return aes_update<0>(ctx, out, in, len);
}

int32_t AesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyBits,
                 const uint8_t* iv, int32_t encrypt, int32_t mode) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (length < 0) return -BAD_PARAM_ERROR;
    const int32_t key_len = (keyBits == 128 || keyBits == 192 || keyBits == 256) ? keyBits / 8 : 0;
    return mode_one_shot<AesContext>(
        output, input, static_cast<std::size_t>(length),
        [&](AesContext* ctx) noexcept { return AesSetup(ctx, mode, key, key_len, encrypt, iv); }, AesUpdate);
}

void aes_block_encrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    aes_block<AesForward>(ctx, out, in);
}

void aes_block_decrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    aes_block<AesInverse>(ctx, out, in);
}
