// HMAC_DRBG (SP 800-90A) over HMAC-SHA-512 on the K, V and counter of a
// generator state: Update, instantiate, reseed and generate with the inputs
// given. No entropy source, stir or continuous test takes part here (those
// are in rng/generator.h).
#pragma once
#include <cstddef>
#include <cstdint>

#include "rng/slots.h"

constexpr std::size_t kDrbgOutLen = 64;        // bytes per HMAC-SHA-512 block
constexpr std::size_t kDrbgMaxAdditional = 64; // additional input used by a generate step

// A piece of the data of an Update; the data is the concatenation of pieces.
struct ByteSpan {
    const uint8_t* data;
    std::size_t len;
};

// The HMAC_DRBG Update with the concatenated pieces as data (none or all
// empty: the update without data).
void drbg_update(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept;
// K = 0x00..., V = 0x01..., Update(seed pieces), counter = 1.
void drbg_instantiate(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept;
// Update(pieces), counter = 1.
void drbg_reseed(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept;
// The generate step: additional input cut to its first 64 bytes; Update(A)
// when A is not empty; n bytes of V = HMAC(K, V); Update(A or no data);
// counter + 1.
void drbg_generate(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept;
// One V = HMAC(K, V) into block (64 bytes), without the Update.
void drbg_next_block(RngState* st, uint8_t block[kDrbgOutLen]) noexcept;

// The inputs of one validation run (NIST CAVP DRBGVS manner), any of them
// empty.
struct DrbgValidationInputs {
    ByteSpan entropy, nonce, personalization;
    ByteSpan additional1;
    ByteSpan entropy_reseed, additional_reseed;
    ByteSpan additional2;
};
// On a private state: instantiate; reseed then generate n bytes with
// additional1 (or, generate_first, the other way round); generate n bytes
// with additional2 into out (the first output is discarded). No size limit.
void drbg_validation_run(uint8_t* out, std::size_t n, const DrbgValidationInputs& in, bool generate_first) noexcept;
