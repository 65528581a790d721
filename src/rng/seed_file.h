// Seed files: 128 bytes of generator output carried from one run to the
// next, locked (the first 128 bytes, exclusive) while they are read or
// written.
#pragma once
#include <cstddef>
#include <cstdint>

#include "rng/slots.h"

constexpr std::size_t kSeedFileLen = 128;
constexpr int kSeedLockAttempts = 10;
constexpr uint32_t kSeedLockPauseMs = 1000;

// Creating: S = 128 bytes of output with the additional input; the file is
// opened with create but not truncated, locked (10 attempts, 1 s apart),
// then truncated and written whole, flushed and closed. 0, or
// -PRNG_ERR_FILE_CREATE, -PRNG_ERR_FILE_LOCK, -PRNG_ERR_FILE_WRITE (also when
// the flush or close fails).
int32_t seed_file_create(RngState* st, const char* name, const uint8_t* add, std::size_t add_len) noexcept;

// Updating: the first 128 bytes (zeros for the rest of a shorter file) and
// the system time reseed the generator; 128 new bytes, with the time as
// additional input, replace them. A missing file is created (create_allowed)
// or -PRNG_ERR_FILE_OPEN. Also -PRNG_ERR_FILE_LOCK (nothing reseeded) and
// -PRNG_ERR_FILE_WRITE.
int32_t seed_file_update(RngState* st, const char* name, bool create_allowed) noexcept;
