#include "rng/seed_file.h"

#include <cstring>

#include "core/endian.h"
#include "core/secret.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/generator.h"
#include "tessalib.h"

namespace {

bool lock_with_retries(plat::FileHandle f) noexcept {
    for (int attempt = 1;; ++attempt) {
        if (plat::seed_file_try_lock(f, kSeedFileLen)) return true;
        if (attempt == kSeedLockAttempts) return false;
        plat::sleep_ms(kSeedLockPauseMs);
    }
}

// Writes the 128 bytes at offset 0, flushes, unlocks and closes.
int32_t write_and_close(plat::FileHandle f, const uint8_t* data) noexcept {
    const bool written = plat::seed_file_write(f, data, kSeedFileLen) == kSeedFileLen;
    plat::seed_file_unlock(f, kSeedFileLen);
    const bool closed = plat::seed_file_close(f, true);
    return written && closed ? 0 : -PRNG_ERR_FILE_WRITE;
}

}  // namespace

int32_t seed_file_create(RngState* st, const char* name, const uint8_t* add, std::size_t add_len) noexcept {
    SecretBytes<kSeedFileLen> seed;
    RngGenerateOrEnd(st, seed.bytes, sizeof seed.bytes, add, add_len);
    const plat::FileHandle f = plat::seed_file_open(name, true);
    if (f == plat::kNoFile) return -PRNG_ERR_FILE_CREATE;
    if (!lock_with_retries(f)) {
        plat::seed_file_close(f, false);
        return -PRNG_ERR_FILE_LOCK;
    }
    if (!plat::seed_file_truncate(f)) {
        plat::seed_file_unlock(f, kSeedFileLen);
        plat::seed_file_close(f, false);
        return -PRNG_ERR_FILE_WRITE;
    }
    return write_and_close(f, seed.bytes);
}

int32_t seed_file_update(RngState* st, const char* name, bool create_allowed) noexcept {
    uint8_t when[8];
    const uint64_t now = entropy_now();
    store_le32(when, static_cast<uint32_t>(now >> 32));
    store_le32(when + 4, static_cast<uint32_t>(now));

    const plat::FileHandle f = plat::seed_file_open(name, false);
    if (f == plat::kNoFile) {
        if (create_allowed) return seed_file_create(st, name, nullptr, 0);
        return -PRNG_ERR_FILE_OPEN;
    }
    if (!lock_with_retries(f)) {
        plat::seed_file_close(f, false);
        return -PRNG_ERR_FILE_LOCK;
    }
    SecretBytes<kSeedFileLen + sizeof when> mix;  // B || T
    plat::seed_file_read(f, mix.bytes, kSeedFileLen);
    std::memcpy(mix.bytes + kSeedFileLen, when, sizeof when);
    RngReseedWith(st, mix.bytes, sizeof mix.bytes);

    SecretBytes<kSeedFileLen> fresh;
    RngGenerateOrEnd(st, fresh.bytes, sizeof fresh.bytes, when, sizeof when);
    return write_and_close(f, fresh.bytes);
}
