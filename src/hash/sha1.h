// SHA-1 (FIPS 180-4): streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha1DigestLen = 20;
constexpr std::size_t kSha1BlockLen = 64;

struct Sha1State {
    uint32_t h[5];      // chaining value
    uint32_t buf_len;   // bytes waiting in buf
    uint64_t total;     // message bytes absorbed so far
    uint8_t buf[64];    // partial block
};

void sha1_init(Sha1State* st) noexcept;
void sha1_update(Sha1State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the 20-byte digest and wipes the state.
void sha1_final(Sha1State* st, uint8_t* out) noexcept;
// As sha1_final after first appending the nbits (1..7) most significant bits
// of `last`; the unused low bits of `last` are taken as supplied.
void sha1_final_bits(Sha1State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept;
// Compresses nblocks whole 64-byte blocks (no buffering): with the
// processor's SHA instructions when it has them, else with the portable
// rounds (sha1_blocks_generic).
void sha1_blocks(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept;
void sha1_blocks_generic(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept;
