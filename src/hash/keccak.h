// Keccak-f[1600] and the sponge built on it (FIPS 202), shared by SHA-3,
// SHAKE, cSHAKE and KMAC.
#pragma once
#include <cstddef>
#include <cstdint>

// The sponge: 25 lanes of state (lane i = x + 5y, little-endian bytes), the
// rate in bytes and the byte position inside the current rate block.
struct KeccakSponge {
    uint64_t a[25];
    uint32_t rate;       // bytes per block: 200 - 2 * capacity in bytes
    uint32_t pos;        // absorbing: bytes taken in the current block; squeezing: bytes given out
    uint32_t squeezing;  // 0 while absorbing, 1 after padding
    uint32_t reserved;
};

// The permutation, 24 rounds, in place: with the processor's BMI1/BMI2
// instructions when it has them, else keccak_f1600_generic.
void keccak_f1600(uint64_t a[25]) noexcept;
void keccak_f1600_generic(uint64_t a[25]) noexcept;

// Starts an empty sponge with the given rate (a multiple of 8, at most 192).
void keccak_init(KeccakSponge* sp, uint32_t rate) noexcept;
void keccak_absorb(KeccakSponge* sp, const uint8_t* data, std::size_t len) noexcept;
// Ends absorbing: `domain` holds the domain-separation bits followed by the
// first bit of pad10*1, least significant bit first (0x06 for SHA-3, 0x1F
// for SHAKE, 0x04 for cSHAKE); the last bit of the block is set and the
// state is permuted.
void keccak_pad(KeccakSponge* sp, uint8_t domain) noexcept;
// As keccak_pad for a bit string: appends the low `nbits` (at most 24) bits
// of `bits`, least significant first, where the last of them is the first
// padding bit; a fresh block is used when no bit of the current block is
// left for the final padding bit.
void keccak_pad_bits(KeccakSponge* sp, uint32_t bits, unsigned nbits) noexcept;
// Gives out len more bytes, permuting between rate-sized blocks.
void keccak_squeeze(KeccakSponge* sp, uint8_t* out, std::size_t len) noexcept;
