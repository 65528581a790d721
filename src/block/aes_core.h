// The AES rounds on 32-bit words with the four combined round tables, shared
// by the block engine (block/aes.cpp) and the GCM engine's counter mode
// (aead/gcm_ctr.cpp). A state is four words, each loaded big-endian from four
// bytes. The tables are indexed by key and state bytes by design: code built
// on them makes no constant-time claim.
#pragma once
#include <cstdint>

// Tables, computed at compile time from the field arithmetic of GF(2^8)
// with the polynomial x^8 + x^4 + x^3 + x + 1.
// ---------------------------------------------------------------------------
constexpr uint8_t aes_gf_mul(uint8_t a, uint8_t b) {
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

constexpr uint8_t aes_gf_inverse(uint8_t a) {  // a^254; 0 maps to 0
    uint8_t result = 1, base = a;
    for (int e = 254; e; e >>= 1) {
        if (e & 1) result = aes_gf_mul(result, base);
        base = aes_gf_mul(base, base);
    }
    return a ? result : 0;
}

constexpr uint8_t aes_rotl8(uint8_t v, int n) { return static_cast<uint8_t>((v << n) | (v >> (8 - n))); }

constexpr uint32_t aes_word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return (static_cast<uint32_t>(b0) << 24) | (static_cast<uint32_t>(b1) << 16) | (static_cast<uint32_t>(b2) << 8) |
           static_cast<uint32_t>(b3);
}

constexpr uint32_t aes_ror8(uint32_t v, int n) { return (v >> (8 * n)) | (v << (32 - 8 * n)); }

struct AesTables {
    uint32_t te[4][256];  // encryption rounds: SubBytes, ShiftRows and MixColumns for one byte
    uint32_t td[4][256];  // decryption rounds of the equivalent inverse cipher
    uint8_t sbox[256];    // last encryption round and key expansion
    uint8_t inv_sbox[256];  // last decryption round
};

constexpr AesTables make_aes_tables() {
    AesTables t{};
    for (int x = 0; x < 256; ++x) {
        const uint8_t inv = aes_gf_inverse(static_cast<uint8_t>(x));
        const uint8_t s = static_cast<uint8_t>(inv ^ aes_rotl8(inv, 1) ^ aes_rotl8(inv, 2) ^ aes_rotl8(inv, 3) ^ aes_rotl8(inv, 4) ^ 0x63);
        t.sbox[x] = s;
        t.inv_sbox[s] = static_cast<uint8_t>(x);
    }
    for (int x = 0; x < 256; ++x) {
        const uint8_t s = t.sbox[x];
        const uint32_t e = aes_word(aes_gf_mul(s, 2), s, s, aes_gf_mul(s, 3));
        const uint8_t i = t.inv_sbox[x];
        const uint32_t d = aes_word(aes_gf_mul(i, 14), aes_gf_mul(i, 9), aes_gf_mul(i, 13), aes_gf_mul(i, 11));
        for (int k = 0; k < 4; ++k) {
            t.te[k][x] = k ? aes_ror8(e, k) : e;
            t.td[k][x] = k ? aes_ror8(d, k) : d;
        }
    }
    return t;
}

alignas(64) inline constexpr AesTables kAesTables = make_aes_tables();

static_assert(kAesTables.sbox[0x00] == 0x63 && kAesTables.sbox[0x01] == 0x7C && kAesTables.sbox[0x53] == 0xED && kAesTables.sbox[0xFF] == 0x16,
              "AES S-box");
static_assert(kAesTables.te[0][0] == 0xC66363A5u && kAesTables.td[0][0] == 0x51F4A750u, "AES round tables");

// The rounds on words: the round count is a template argument, so each key
// size gets its rounds unrolled with fixed round-key offsets.
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
    static constexpr const uint32_t (&kRound)[4][256] = kAesTables.te;
    static constexpr const uint8_t (&kLast)[256] = kAesTables.sbox;
};
struct AesInverse {
    static constexpr bool kRising = false;
    static constexpr const uint32_t (&kRound)[4][256] = kAesTables.td;
    static constexpr const uint8_t (&kLast)[256] = kAesTables.inv_sbox;
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
    return aes_word(Dir::kLast[a >> 24], Dir::kLast[(b >> 16) & 0xFF], Dir::kLast[(c >> 8) & 0xFF],
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

// Rounds From to R on a state that has been through rounds 0 to From - 1
// (From >= 1): for callers that compute the first rounds some other way,
// such as the counter mode that keeps the fixed words' share of round 1.
template <typename Dir, int R, int From>
AES_INLINE void aes_rounds_from(const uint32_t* rk, uint32_t (&s)[4]) noexcept {
    uint32_t s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
#if defined(__GNUC__)
#pragma GCC unroll 14
#endif
    for (int r = From; r < R; ++r) {
        uint32_t t0, t1, t2, t3;
        aes_round<Dir, round_word<Dir>>(t0, t1, t2, t3, s0, s1, s2, s3, rk + 4 * r);
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    aes_round<Dir, last_word<Dir>>(s[0], s[1], s[2], s[3], s0, s1, s2, s3, rk + 4 * R);
}
