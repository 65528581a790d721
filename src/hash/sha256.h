// SHA-224 and SHA-256 (FIPS 180-4): one streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha256DigestLen = 32;
constexpr std::size_t kSha224DigestLen = 28;
constexpr std::size_t kSha256BlockLen = 64;

struct Sha256State {
    uint32_t h[8];       // chaining value
    uint32_t buf_len;    // bytes waiting in buf
    uint32_t truncated;  // 1 for SHA-224 (28-byte output), 0 for SHA-256
    uint64_t total;      // message bytes absorbed so far
    uint8_t buf[64];     // partial block
};

void sha256_init(Sha256State* st) noexcept;
void sha224_init(Sha256State* st) noexcept;
void sha256_update(Sha256State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes 32 bytes (28 for SHA-224) and wipes the state.
void sha256_final(Sha256State* st, uint8_t* out) noexcept;
// As sha256_final after first appending the nbits (1..7) most significant
// bits of `last`; the unused low bits of `last` are taken as supplied.
void sha256_final_bits(Sha256State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept;
// Digest length of the state's variant.
inline std::size_t sha256_digest_len(const Sha256State* st) noexcept {
    return st->truncated ? kSha224DigestLen : kSha256DigestLen;
}
// Compresses whole blocks: with the processor's SHA instructions when it has
// them, else with the portable rounds (sha256_blocks_generic).
void sha256_blocks(uint32_t h[8], const uint8_t* p, std::size_t nblocks) noexcept;
void sha256_blocks_generic(uint32_t h[8], const uint8_t* p, std::size_t nblocks) noexcept;
