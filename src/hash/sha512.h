// SHA-384 and SHA-512 (FIPS 180-4): one streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha512DigestLen = 64;
constexpr std::size_t kSha384DigestLen = 48;
constexpr std::size_t kSha512BlockLen = 128;

// The 80 round constants K (64-byte aligned), for the compression paths.
extern const uint64_t kSha512K[80];

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

// --- Several running hashes at once ------------------------------------------
// For a caller that keeps many SHA-512 states and completes blocks of several
// of them together (the entropy pools): their blocks are compressed side by
// side, eight per pass in the 64-bit lanes of AVX-512 registers where the
// processor has AVX-512 (F, BW, VL), one after another elsewhere and in the
// Windows build.
constexpr std::size_t kSha512Lanes = 8;

// For each i < count: sha512_update(st[i], data[i], len[i]). The states are
// distinct records; the blocks that complete in the same step are
// compressed together.
void sha512_update_lanes(Sha512State* const st[], const uint8_t* const data[], const std::size_t len[],
                         std::size_t count) noexcept;
// For each i < count: one block p[i] compressed into h[i] (distinct).
void sha512_blocks_lanes(uint64_t* const h[], const uint8_t* const p[], std::size_t count) noexcept;
// The eight-lane pass itself, for up to kSha512Lanes states: false, and
// nothing done, where the processor or the build has none.
bool sha512_blocks_x8(uint64_t* const h[], const uint8_t* const p[], std::size_t count) noexcept;
