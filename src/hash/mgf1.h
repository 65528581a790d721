// MGF1 (RFC 8017, appendix B.2.1) over SHA-1 and the SHA-2 digests.
#pragma once
#include <cstddef>
#include <cstdint>

// Writes out_len bytes of MGF1(seed) with the hash code (0, 3, 4, 5 or 6):
// Hash(seed || C) for the 32-bit big-endian counters C = 0, 1, ..., the last
// block cut to what is left. The seed is hashed once and each counter
// continues from a copy of that state, so no seed || C buffer is built.
// Returns out_len; -BAD_PARAM_ERROR for out_len 0 (checked first),
// -BAD_FLAG_ERROR for another code.
int64_t mgf1(uint8_t* out, std::size_t out_len, const uint8_t* seed, std::size_t seed_len, uint32_t code) noexcept;
