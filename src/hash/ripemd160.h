// RIPEMD-160: streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kRipemd160DigestLen = 20;
constexpr std::size_t kRipemd160BlockLen = 64;

struct Ripemd160State {
    uint32_t h[5];     // chaining value
    uint32_t buf_len;  // bytes waiting in buf
    uint64_t total;    // message bytes absorbed so far
    uint8_t buf[64];   // partial block
};

void ripemd160_init(Ripemd160State* st) noexcept;
void ripemd160_update(Ripemd160State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the 20-byte digest and wipes the state.
void ripemd160_final(Ripemd160State* st, uint8_t* out) noexcept;
void ripemd160_blocks(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept;
