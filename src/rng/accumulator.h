// The process-wide entropy accumulator: 32 pools, each a running SHA-512,
// filled with small measurements of the system (events) and drained on the
// Fortuna schedule when a generator reseeds; and the instantiation
// bookkeeping (first time and process, serial, live instances, processor
// generator). Every operation runs under the module lock; the pools are also
// guarded by locks of their own (one per group of eight pools), so that a
// thread adding a batch of fast samples holds the module lock only to
// reserve their pools.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/sha512.h"
#include "rng/slots.h"

constexpr uint32_t kPoolCount = 32;
constexpr std::size_t kEventMaxData = 32;
constexpr std::size_t kReseedMaxBytes = kPoolCount * kSha512DigestLen;  // 2048

// Event sources.
enum EntropySource : uint32_t {
    kSourceTime = 0,      // low 32 bits of the system time
    kSourceTick = 1,      // tick count
    kSourceMemory = 2,    // StatusChecksum64 of the memory status record
    kSourceDisk = 3,      // free clusters of the current drive
    kSourcePower = 4,     // StatusChecksum64 of the power status record
    kSourceFeedback = 7,  // FeedbackDigest of additional input or generator output
    kSourceCpu = 8,       // one RDSEED or RDRAND word
};

// Each pool starts a cache line of its own, so that threads filling
// different groups of pools never write to the same line.
struct alignas(64) EntropyPool {
    Sha512State sha;
    uint32_t byteCount;   // bytes hashed since the last drain
    uint32_t drainCount;  // times drained
};

struct EntropyAccumulator {
    uint32_t firstTimeHigh;
    uint32_t firstTimeLow;
    uint32_t firstProcessId;
    uint32_t instantiationSerial;
    uint32_t liveInstances;
    int32_t cpuRng;  // 0 not probed, -1 none or switched off, else bit 0 RDRAND, bit 1 RDSEED
    uint32_t reseedCount;
    uint32_t lastReseedHigh;
    uint32_t lastReseedLow;
    EntropyPool pools[kPoolCount];
    uint8_t nextPool[256];  // per source, the pool its next event goes to
    uint32_t poolsReady;    // the pools have been set up
};

// The process's accumulator. Its fields are read and written under the
// module lock (plat::lock_enter), except through the functions below.
EntropyAccumulator* entropy_accumulator() noexcept;

// Links a generator state to the accumulator (setting the pools up once per
// process, under the lock, if nothing has yet).
void entropy_link(RngState* st) noexcept;

// Adds one event: the source id, min(len, 32) and that many data bytes into
// the source's next pool. Takes the lock.
void EntropyAddEvent(uint32_t source, const uint8_t* data, std::size_t len) noexcept;

// Adds count fast samples (sources 0, 1 and 2 for each, in that order),
// kStirBatch at a time: the lock is held only while their pools are
// reserved; each group of pools is then filled under its own lock, with the
// blocks completed in its pools compressed together.
void entropy_add_fast_batch(const uint32_t* time_low, const uint32_t* tick, const uint64_t* memory,
                            uint32_t count) noexcept;

// --- Under the module lock (the caller holds it) ---------------------------
// Whether a generator whose counter is reseed_counter reseeds from the pools
// now: forced at 2^30, else when no reseed has happened yet in the process,
// or pool 0 holds at least 32 bytes and more than 100 ms have passed.
bool entropy_reseed_due_locked(uint32_t reseed_counter) noexcept;
// An accumulator reseed: the reseed number goes up, the time is kept, and
// pools 0, 1, ... are drained while 2^i divides the number. Writes the
// digests to out and returns their length (64 to 2048 bytes).
std::size_t entropy_reseed_locked(uint8_t out[kReseedMaxBytes]) noexcept;
// Drains pool i into digest (64 bytes).
void entropy_drain_locked(uint32_t i, uint8_t digest[kSha512DigestLen]) noexcept;

// Takes the lock: when entropy_reseed_due_locked(reseed_counter), an
// accumulator reseed into out; returns its length, 0 when none was due.
std::size_t entropy_reseed_if_due(uint32_t reseed_counter, uint8_t out[kReseedMaxBytes]) noexcept;

// Around fork() (the module lock held): every pool lock taken, in order,
// once no thread is filling a pool; and all of them released again.
void entropy_pools_lock_all() noexcept;
void entropy_pools_unlock_all() noexcept;

// Process detach: the whole accumulator is set to zero.
void entropy_wipe() noexcept;

// The system time (100 ns units since 1601) that the 100 ms rule and the
// instantiation read.
uint64_t entropy_now() noexcept;
// Test hook, reachable only through the internal static library: replaces
// the clock of entropy_now (null restores the system's).
void entropy_set_clock(uint64_t (*clock)()) noexcept;
