// Entropy samples: the fast and slow stirs that exports take at entry and
// the generator takes around its requests, and the system events they add to
// the accumulator (rng/accumulator.h).
#pragma once
#include <cstddef>
#include <cstdint>

struct RngState;

enum RngStirMode { RNG_STIR_FAST = 0, RNG_STIR_SLOW = 1 };

// Takes an entropy sample for the thread's generator. Never changes a result.
// Fast: events of sources 0 (system time), 1 (tick count) and 2 (memory
// status checksum); they wait in the thread's batch and reach the pools
// kStirBatch samples at a time (at once for the shared fallback state). Slow: the
// waiting samples first, then sources 0, 1, 2, 3 (free clusters, when the
// query succeeds), 4 (power status, likewise), 0 and 1 again, and one
// processor generator word as source 8 when the processor generator is in
// use and the word is not zero.
void RngStir(RngState* state, int mode) noexcept;

// The fast sample of a thread's start: straight into the pools, leaving the
// thread's new block as it was made (zero-filled).
void rng_stir_thread_start() noexcept;

// Adds the thread's waiting fast samples to the pools now.
void rng_stir_flush(RngState* state) noexcept;

// The system events of a slow stir without the processor generator (sources
// 0 to 4, then 0 and 1): what the prompt adds after its wait.
void rng_stir_system_events(RngState* state) noexcept;

// The 64-bit reflected shift-register checksum of the status records:
// per bit from the least significant, if (sum ^ bit) is odd then
// sum = (sum >> 1) ^ 0xD000000000000001 else sum >>= 1; starting at 0.
uint64_t StatusChecksum64(const uint8_t* data, std::size_t len) noexcept;

// Test hook: the stirs the calling thread's state has taken, by mode.
struct RngStirCounts {
    uint64_t fast;
    uint64_t slow;
};
RngStirCounts rng_stir_counts(const RngState* state) noexcept;
