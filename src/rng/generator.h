// The thread's random generator: HMAC_DRBG (rng/drbg.h) seeded and reseeded
// from the entropy accumulator (rng/accumulator.h), with the instantiation
// inputs, the reseed rules, the continuous test and the health check.
#pragma once
#include <cstddef>
#include <cstdint>

#include "rng/slots.h"

// Largest request of one generate call of the exports (2^19 bits).
constexpr std::size_t kRngMaxRequest = 65536;

// Fills out with n bytes for the thread's state st: fast stir; instantiation
// on first use (or afresh in a child process after fork); an accumulator
// reseed when the rules allow, with the whole additional input; the generate
// step with the additional input cut to 64 bytes; the continuous test; the
// additional input's feedback event; fast stir. 0, or -PRNG_ERR_CATASTROPHIC
// when the health check or the continuous test fails (then out must not be
// used). The shared fallback state is used by one thread at a time.
int32_t RngGenerate(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept;

// Instantiates st from the pools, the system information digest, the
// nonce block, the operating system's generator and the processor
// generator. 0 or -PRNG_ERR_CATASTROPHIC (health check failed).
int32_t RngInstantiate(RngState* st) noexcept;

// One Update with the given bytes, then counter = 1 (the seed-file update).
void RngReseedWith(RngState* st, const uint8_t* data, std::size_t len) noexcept;

// The health check on a private state: 0 or -PRNG_ERR_CATASTROPHIC.
// Level 0: HMAC-SHA-512 known answers and an instantiation; 1 adds a reseed
// and two generate steps with their output; 2 adds a live reseed from the
// accumulator, a generate step and the continuous test.
int32_t RngHealthCheck(int level) noexcept;

// The continuous test: with output, its first min(n, 8) bytes (zero-filled
// to 8) must differ from the last test value; then (and with no output) the
// next test value is drawn. False when the output repeats.
bool rng_continuous_test(RngState* st, const uint8_t* output, std::size_t n) noexcept;

// The 64-byte digest of the user and machine information.
void SystemInfoDigest(uint8_t out[64]) noexcept;
// SHA-512(first 20 bytes of SHA-512(x) || x).
void FeedbackDigest(const uint8_t* x, std::size_t len, uint8_t out[64]) noexcept;

// Called when a thread ends with its state: the waiting samples reach the
// pools, and an instantiated state leaves the count of live instances (never
// below zero). The state is wiped by the caller.
void rng_thread_end(RngState* st) noexcept;

// Test hook, reachable only through the internal static library: the next
// continuous test of the calling process sees a repeated output.
void rng_inject_repeat() noexcept;

// RngGenerate for the exports that cannot fail: a generator failure is
// reported as fatal ("RNG failed continuous testing", event 0xC0001F48) and
// the process ends with status 1. Never returns unfilled or stale output.
void RngGenerateOrEnd(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept;

// Instantiates st when it is not (the exports that mix a seed file in).
// 0 or -PRNG_ERR_CATASTROPHIC.
int32_t rng_ensure_instantiated(RngState* st) noexcept;
