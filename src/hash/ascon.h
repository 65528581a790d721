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
ASCON_INLINE void ascon_round_then(uint64_t& x0, uint64_t& x1, uint64_t& x2, uint64_t& x3, uint64_t& x4,
                                   uint64_t x2_after) noexcept {
    x0 ^= x4;
    x4 ^= x3;
    x2 ^= x1;
    const uint64_t t0 = ~x0 & x1;
    const uint64_t t1 = ~x1 & x2;
    const uint64_t t2 = ~x2 & x3;
    const uint64_t t3 = ~x3 & x4;
    const uint64_t t4 = ~x4 & x0;
    x0 ^= t1;
    x1 ^= t2;
    x2 ^= t3;
    x3 ^= t4;
    x4 ^= t0;
    x1 ^= x0;
    x0 ^= x4;
    x3 ^= x2;
    x0 = (x0 ^ rotr64(x0, 19)) ^ rotr64(x0, 28);
    x1 = (x1 ^ rotr64(x1, 61)) ^ rotr64(x1, 39);
    x2 = (x2 ^ rotr64(x2, 1)) ^ (rotr64(x2, 6) ^ x2_after);
    x3 = (x3 ^ rotr64(x3, 10)) ^ rotr64(x3, 17);
    x4 = (x4 ^ rotr64(x4, 7)) ^ rotr64(x4, 41);
}

// The last R of the 12 rounds on words kept in registers by the caller,
// unrolled with their constants: for sponges that keep their state in local
// words from block to block.
template <int R>
ASCON_INLINE void ascon_rounds(uint64_t& x0, uint64_t& x1, uint64_t& x2, uint64_t& x3, uint64_t& x4) noexcept {
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
