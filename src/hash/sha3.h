// SHA3-224/256/384/512 (FIPS 202) over the Keccak sponge.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/keccak.h"

struct Sha3State {
    KeccakSponge sponge;
    uint32_t digest_len;  // 28, 32, 48 or 64
    uint32_t reserved;
};

// Starts SHA-3 with a digest of `bits` (224, 256, 384 or 512); false for any
// other size (the state is then left untouched).
bool sha3_init(Sha3State* st, int32_t bits) noexcept;
void sha3_update(Sha3State* st, const uint8_t* data, std::size_t len) noexcept;
// Copies min(capacity, digest length) bytes of the digest to out, wipes the
// state and returns the number of bytes copied.
std::size_t sha3_final(Sha3State* st, uint8_t* out, std::size_t capacity) noexcept;
// As sha3_final after first appending nbits (1..7) message bits taken from
// the most significant end of `last` (its low 8 - nbits bits are ignored).
std::size_t sha3_final_bits(Sha3State* st, uint8_t last, unsigned nbits, uint8_t* out,
                            std::size_t capacity) noexcept;
// Rate in bytes of a digest size in bytes: 200 - 2 * digest length.
inline uint32_t sha3_rate(uint32_t digest_len) noexcept { return 200 - 2 * digest_len; }
