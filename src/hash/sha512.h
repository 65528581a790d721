// SHA-384 and SHA-512 (FIPS 180-4): one streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha512DigestLen = 64;
constexpr std::size_t kSha384DigestLen = 48;
constexpr std::size_t kSha512BlockLen = 128;

struct Sha512State {
    uint64_t h[8];       // chaining value
    uint64_t total_lo;   // message bytes absorbed so far (128-bit count)
    uint64_t total_hi;
    uint32_t buf_len;    // bytes waiting in buf
    uint32_t truncated;  // 1 for SHA-384 (48-byte output), 0 for SHA-512
    uint8_t buf[128];    // partial block
};

void sha512_init(Sha512State* st) noexcept;
void sha384_init(Sha512State* st) noexcept;
void sha512_update(Sha512State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes 64 bytes (48 for SHA-384) and wipes the state.
void sha512_final(Sha512State* st, uint8_t* out) noexcept;
// As sha512_final after first appending the nbits (1..7) most significant
// bits of `last`; the unused low bits of `last` are taken as supplied.
void sha512_final_bits(Sha512State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept;
inline std::size_t sha512_digest_len(const Sha512State* st) noexcept {
    return st->truncated ? kSha384DigestLen : kSha512DigestLen;
}
// Compresses whole 128-byte blocks: with the schedule in vector registers
// and BMI2's rotate in the rounds where the processor has SSSE3 and BMI2,
// else with the portable rounds (sha512_blocks_generic).
void sha512_blocks(uint64_t h[8], const uint8_t* p, std::size_t nblocks) noexcept;
void sha512_blocks_generic(uint64_t h[8], const uint8_t* p, std::size_t nblocks) noexcept;
