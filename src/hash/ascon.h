// The Ascon permutation (version 1.2: 64-bit words, big-endian byte order)
// and the hash and XOF modes on it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/endian.h"

struct AsconPermState {
    uint64_t x[5];
};

// Applies the last `rounds` (1..12) rounds of the 12-round permutation: the
// round constants of rounds 12 - rounds .. 11.
void ascon_permute(AsconPermState* s, unsigned rounds) noexcept;

#if defined(__GNUC__)
#define ASCON_INLINE inline __attribute__((always_inline))
#else
#define ASCON_INLINE inline
#endif

// The round constant of round i (0 to 11).
constexpr uint64_t ascon_constant(unsigned i) noexcept { return ((0xFull - i) << 4) | i; }

// A round without its constant addition, on the five state words: the 5-bit
// S-box, bitsliced, and the linear layer. The S-box's final complement of x2
// and the next round's constant are both left to `x2_after`, which is added
// to x2 at the end of the linear layer (the linear layer maps a complemented
// word to the complement of its image): the caller passes the complement of
// the next round's constant, or of 0 after the last round. Both come off
// the round's critical path that way, and the complement costs nothing.
//
// W is uint64_t, or a vector of 64-bit lanes (the compilers' vector
// extensions give the same operators lane by lane), so that the one round
// below also serves code built for wider registers.
template <int N, typename W>
ASCON_INLINE void ascon_rotr(W& x) noexcept {
    x = (x >> N) | (x << (64 - N));
}

template <typename W, typename K>
ASCON_INLINE void ascon_round_then(W& x0, W& x1, W& x2, W& x3, W& x4, K x2_after) noexcept {
    x0 ^= x4;
    x4 ^= x3;
    x2 ^= x1;
    const W t0 = ~x0 & x1;
    const W t1 = ~x1 & x2;
    const W t2 = ~x2 & x3;
    const W t3 = ~x3 & x4;
    const W t4 = ~x4 & x0;
    x0 ^= t1;
    x1 ^= t2;
    x2 ^= t3;
    x3 ^= t4;
    x4 ^= t0;
    x1 ^= x0;
    x0 ^= x4;
    x3 ^= x2;
    W r0 = x0, s0 = x0, r1 = x1, s1 = x1, r2 = x2, s2 = x2, r3 = x3, s3 = x3, r4 = x4, s4 = x4;
    ascon_rotr<19>(r0), ascon_rotr<28>(s0);
    ascon_rotr<61>(r1), ascon_rotr<39>(s1);
    ascon_rotr<1>(r2), ascon_rotr<6>(s2);
    ascon_rotr<10>(r3), ascon_rotr<17>(s3);
    ascon_rotr<7>(r4), ascon_rotr<41>(s4);
    x0 = (x0 ^ r0) ^ s0;
    x1 = (x1 ^ r1) ^ s1;
    x2 = (x2 ^ r2) ^ (s2 ^ x2_after);
    x3 = (x3 ^ r3) ^ s3;
    x4 = (x4 ^ r4) ^ s4;
}

// The last R of the 12 rounds on words kept in registers by the caller,
// unrolled with their constants: for sponges that keep their state in local
// words from block to block.
template <int R, typename W>
ASCON_INLINE void ascon_rounds(W& x0, W& x1, W& x2, W& x3, W& x4) noexcept {
    x2 ^= ascon_constant(12 - R);
#if defined(__GNUC__)
#pragma GCC unroll 12
#endif
    for (unsigned i = 12 - R; i < 12; ++i)
        ascon_round_then(x0, x1, x2, x3, x4, ~(i < 11 ? ascon_constant(i + 1) : 0));
}



constexpr std::size_t kAsconHashLen = 32;
constexpr std::size_t kAsconRate = 8;

enum class AsconHashKind : uint32_t {
    hash = 0,   // Ascon-Hash: 256-bit output, 12 rounds between blocks
    hasha = 1,  // Ascon-Hasha: 256-bit output, 8 rounds between blocks
    xof = 2,    // Ascon-XOF: any output length, 12 rounds
    xofa = 3,   // Ascon-XOFa: any output length, 8 rounds
};

struct AsconHashState {
    AsconPermState s;
    uint8_t buf[8];        // partial block
    uint32_t buf_len;      // bytes waiting in buf
    uint32_t rounds;       // rounds between blocks (12 or 8)
    uint32_t squeezing;    // 0 while absorbing
    uint32_t squeeze_pos;  // bytes of the current output block given out
};

void ascon_hash_init(AsconHashState* st, AsconHashKind kind) noexcept;
void ascon_hash_update(AsconHashState* st, const uint8_t* data, std::size_t len) noexcept;
// Ascon-Hash / Ascon-Hasha: writes the 32-byte digest and wipes the state.
void ascon_hash_final(AsconHashState* st, uint8_t* out) noexcept;
// Ascon-XOF / Ascon-XOFa: gives out len more bytes (may be called again for
// more). The caller wipes the state when done.
void ascon_xof_squeeze(AsconHashState* st, uint8_t* out, std::size_t len) noexcept;
