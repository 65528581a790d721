// PBKDF2 (RFC 8018, PKCS #5 v2) with HMAC-SHA-1 or an HMAC-SHA-2 as the PRF.
#pragma once
#include <cstddef>
#include <cstdint>

// True for the hash codes PBKDF2 accepts: 0 (SHA-1), 3 (SHA-256),
// 4 (SHA-384), 5 (SHA-512), 6 (SHA-224).
bool pbkdf2_code_supported(uint32_t code) noexcept;

// Derives out_len bytes into out. The length is a 64-bit count so that
// scrypt can ask for 128 x r x p bytes. Returns 0, or a negated code, in
// this order: -NULL_ERROR for a null out, or a null password or salt with a
// nonzero length; -BAD_PARAM_ERROR for out_len 0, iterations 0, a code
// pbkdf2_code_supported refuses, or more than (2^32 - 1) blocks of output.
// Nothing is written on failure.
// The salt is absorbed once into the keyed inner state (no salt || INT(i)
// buffer is built), and the iterations after the first run on the raw
// compression function with the key's padded blocks precomputed.
int32_t pbkdf2(uint8_t* out, uint64_t out_len, const uint8_t* password, std::size_t password_len, const uint8_t* salt,
               std::size_t salt_len, uint32_t iterations, uint32_t code) noexcept;
