// The DES block function shared by DES and Triple DES: initial and final
// permutations and sixteen rounds with combined S-box/P-permutation tables.
// Inside the rounds both halves are kept rotated left by one bit, which lets
// the expansion be done with one rotation per round.
#pragma once
#include <cstdint>

#include "block/modes.h"

// Sixteen subkeys of two words each. The first word of a subkey holds the
// 6-bit groups for S-boxes 1, 3, 5 and 7, the second those for S-boxes 2, 4,
// 6 and 8, each group in the low six bits of a byte.
struct DesSpTables {
    uint32_t sp[8][64];  // S-box i then P, rotated left by one bit
};
extern const DesSpTables kDesSp;

// Builds the subkeys of an 8-byte key (parity bits ignored) in the order of
// use: encryption order, or reversed for decryption.
void des_key_schedule(uint32_t ks[32], const uint8_t key[8], bool encrypt) noexcept;

#if defined(__GNUC__)
#define DES_INLINE inline __attribute__((always_inline))
#else
#define DES_INLINE inline
#endif

// Initial permutation of (hi, lo) into the rotated round form (l, r).
DES_INLINE void des_initial_perm(uint32_t& l, uint32_t& r) noexcept {
    uint32_t w;
    w = ((l >> 4) ^ r) & 0x0F0F0F0Fu;
    r ^= w;
    l ^= w << 4;
    w = ((l >> 16) ^ r) & 0x0000FFFFu;
    r ^= w;
    l ^= w << 16;
    w = ((r >> 2) ^ l) & 0x33333333u;
    l ^= w;
    r ^= w << 2;
    w = ((r >> 8) ^ l) & 0x00FF00FFu;
    l ^= w;
    r ^= w << 8;
    r = rotl32(r, 1);
    w = (l ^ r) & 0xAAAAAAAAu;
    l ^= w;
    r ^= w;
    l = rotl32(l, 1);
}

// Final permutation from the rotated round form; the output block is (r, l).
DES_INLINE void des_final_perm(uint32_t& l, uint32_t& r) noexcept {
    uint32_t w;
    r = rotr32(r, 1);
    w = (l ^ r) & 0xAAAAAAAAu;
    l ^= w;
    r ^= w;
    l = rotr32(l, 1);
    w = ((l >> 8) ^ r) & 0x00FF00FFu;
    r ^= w;
    l ^= w << 8;
    w = ((l >> 2) ^ r) & 0x33333333u;
    r ^= w;
    l ^= w << 2;
    w = ((r >> 16) ^ l) & 0x0000FFFFu;
    l ^= w;
    r ^= w << 16;
    w = ((r >> 4) ^ l) & 0x0F0F0F0Fu;
    l ^= w;
    r ^= w << 4;
}

DES_INLINE uint32_t des_f(uint32_t r, const uint32_t* k) noexcept {
    const uint32_t (*sp)[64] = kDesSp.sp;
    const uint32_t odd = rotr32(r, 4) ^ k[0];
    const uint32_t even = r ^ k[1];
    return sp[0][(odd >> 24) & 0x3F] ^ sp[2][(odd >> 16) & 0x3F] ^ sp[4][(odd >> 8) & 0x3F] ^ sp[6][odd & 0x3F] ^
           sp[1][(even >> 24) & 0x3F] ^ sp[3][(even >> 16) & 0x3F] ^ sp[5][(even >> 8) & 0x3F] ^ sp[7][even & 0x3F];
}

// Sixteen rounds on the rotated round form; afterwards l holds L16 and r R16.
DES_INLINE void des_rounds(uint32_t& l, uint32_t& r, const uint32_t* ks) noexcept {
    for (int i = 0; i < 32; i += 4) {
        l ^= des_f(r, ks + i);
        r ^= des_f(l, ks + i + 2);
    }
}

// One DES block (hi, lo) in place with a schedule from des_key_schedule.
DES_INLINE void des_block(uint32_t& hi, uint32_t& lo, const uint32_t* ks) noexcept {
    uint32_t l = hi, r = lo;
    des_initial_perm(l, r);
    des_rounds(l, r, ks);
    des_final_perm(l, r);
    hi = r;
    lo = l;
}
