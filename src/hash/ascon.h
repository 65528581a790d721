// The Ascon permutation (version 1.2: 64-bit words, big-endian byte order)
// and the hash and XOF modes on it.
#pragma once
#include <cstddef>
#include <cstdint>

struct AsconPermState {
    uint64_t x[5];
};

// Applies the last `rounds` (1..12) rounds of the 12-round permutation: the
// round constants of rounds 12 - rounds .. 11.
void ascon_permute(AsconPermState* s, unsigned rounds) noexcept;

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
