// scrypt (RFC 7914): PBKDF2-HMAC-SHA-256 around ROMix over BlockMix with
// Salsa20/8.
#pragma once
#include <cstddef>
#include <cstdint>

// Derives dk_len bytes into out. The cost parameters are unsigned 64-bit
// values (a caller's negative 32-bit argument arrives as a huge number and
// fails the range checks). Returns 0 or a NEGATIVE code, in this order:
//   -NULL_ERROR        out null, or a null password or salt with a nonzero length;
//   -BAD_PARAM_ERROR   dk_len, N, r or p zero;
//   -OUT_OF_RANGE_ERROR r > 2^57 - 1; p >= floor(2^30 / r); N < 2; N not a
//                      power of 2; N > floor((2^57 - 1) / r);
//   -MEMORY_ERROR      a work area cannot be allocated;
//   -INTERNAL_ERROR    the inner PBKDF2 refuses its arguments.
// The work areas (V of 128 r N bytes, B of 128 r p bytes and 256 r + 128 bytes of
// BlockMix scratch) come from the checked allocator (MemAllocChecked), not
// the fatal one, so a request too large for the machine is reported; they are
// wiped before they are freed.
// Salsa20/8 runs on SSE2 vectors where the processor has them (every x86-64
// one), else on the portable core.
int32_t scrypt_derive(uint8_t* out, std::size_t dk_len, const uint8_t* password, std::size_t password_len,
                      const uint8_t* salt, std::size_t salt_len, uint64_t n, uint64_t r, uint64_t p) noexcept;
// The checks of the cost parameters, as scrypt_derive makes them: 0,
// -BAD_PARAM_ERROR for N, r or p zero, or -OUT_OF_RANGE_ERROR for the ranges
// above. Lets a caller refuse bad costs before it allocates anything.
int32_t scrypt_check_cost(uint64_t n, uint64_t r, uint64_t p) noexcept;

// As scrypt_derive, always with the portable Salsa20/8 core.
int32_t scrypt_derive_portable(uint8_t* out, std::size_t dk_len, const uint8_t* password,
                               std::size_t password_len, const uint8_t* salt, std::size_t salt_len, uint64_t n,
                               uint64_t r, uint64_t p) noexcept;

// Salsa20/8 core (the 8-round Salsa20 function of RFC 7914 section 3) on 16
// little-endian words in place: x = x + rounds(x).
void salsa20_8_core(uint32_t x[16]) noexcept;
