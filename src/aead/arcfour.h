// Arcfour: the key schedule and output generator of the cipher known as
// RC4. The permutation is indexed by key-dependent values by design: like
// the table-driven AES, it makes no constant-time claim.
#pragma once
#include <cstddef>
#include <cstdint>

struct ArcfourState {
    uint8_t s[256];  // the permutation
    uint32_t i, j;   // the two 8-bit indices
};

// The key schedule over key_len >= 1 bytes (only the first 256 take part).
void arcfour_setup(ArcfourState* st, const uint8_t* key, std::size_t key_len) noexcept;

// out = in ^ the next len bytes of the generator (out may equal in).
void arcfour_xor(ArcfourState* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
