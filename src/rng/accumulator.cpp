#include "rng/accumulator.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "core/wipe.h"
#include "platform/platform.h"

namespace {

EntropyAccumulator g_acc;

// One lock per pool, taken inside the module lock (never the other way
// round) or alone by a batch of fast samples.
std::atomic<bool> g_pool_lock[kPoolCount];

std::atomic<uint64_t (*)()> g_clock{nullptr};

void pool_lock(uint32_t i) noexcept {
    for (unsigned spins = 0; g_pool_lock[i].exchange(true, std::memory_order_acquire); ++spins) {
        if (spins > 64) std::this_thread::yield();
    }
}
void pool_unlock(uint32_t i) noexcept { g_pool_lock[i].store(false, std::memory_order_release); }

// Sets the pools up once per process (the first link or event).
void ensure_ready_locked() noexcept {
    if (g_acc.poolsReady) return;
    for (EntropyPool& p : g_acc.pools) {
        sha512_init(&p.sha);
        p.byteCount = 0;
        p.drainCount = 0;
    }
    std::memset(g_acc.nextPool, 0, sizeof g_acc.nextPool);
    g_acc.poolsReady = 1;
}

// Hashes one event record into a pool (its lock held): the source id, the
// length byte, the data. Most records fit the pool's waiting block and are
// only copied.
inline void absorb_locked(EntropyPool* p, uint32_t source, const uint8_t* data, std::size_t len) noexcept {
    if (len > kEventMaxData) len = kEventMaxData;
    const std::size_t n = len + 2;
    p->byteCount += static_cast<uint32_t>(n);
    Sha512State* st = &p->sha;
    if (st->buf_len + n < kSha512BlockLen) {
        uint8_t* at = st->buf + st->buf_len;
        at[0] = static_cast<uint8_t>(source);
        at[1] = static_cast<uint8_t>(len);
        std::memcpy(at + 2, data, len);
        st->buf_len += static_cast<uint32_t>(n);
        const uint64_t before = st->total_lo;
        st->total_lo += n;
        if (st->total_lo < before) ++st->total_hi;
        return;
    }
    uint8_t record[2 + kEventMaxData];
    record[0] = static_cast<uint8_t>(source);
    record[1] = static_cast<uint8_t>(len);
    std::memcpy(record + 2, data, len);
    sha512_update(st, record, n);
    secure_wipe(record, n);
}

}  // namespace

EntropyAccumulator* entropy_accumulator() noexcept { return &g_acc; }

uint64_t entropy_now() noexcept {
    uint64_t (*clock)() = g_clock.load(std::memory_order_acquire);
    return clock != nullptr ? clock() : plat::system_time_100ns();
}

void entropy_set_clock(uint64_t (*clock)()) noexcept { g_clock.store(clock, std::memory_order_release); }

void entropy_link(RngState* st) noexcept {
    if (st->accumulator != nullptr) return;
    plat::lock_enter();
    ensure_ready_locked();
    plat::lock_leave();
    st->accumulator = &g_acc;
}

void EntropyAddEvent(uint32_t source, const uint8_t* data, std::size_t len) noexcept {
    source &= 0xFF;
    plat::lock_enter();
    ensure_ready_locked();
    const uint32_t i = g_acc.nextPool[source];
    g_acc.nextPool[source] = static_cast<uint8_t>(i + 1 == kPoolCount ? 0 : i + 1);
    pool_lock(i);
    absorb_locked(&g_acc.pools[i], source, data, len);
    pool_unlock(i);
    plat::lock_leave();
}

void entropy_add_fast_batch(const uint32_t* time_low, const uint32_t* tick, const uint64_t* memory,
                            uint32_t count) noexcept {
    if (count == 0) return;
    // Reserve: each source's events take its next pools in turn.
    uint32_t start[3];
    plat::lock_enter();
    ensure_ready_locked();
    for (uint32_t s = 0; s < 3; ++s) {
        start[s] = g_acc.nextPool[s];
        g_acc.nextPool[s] = static_cast<uint8_t>((start[s] + count) % kPoolCount);
    }
    plat::lock_leave();

    // Fill: pool by pool, the events reserved in it in the order they were
    // taken (by sample, then by source).
    for (uint32_t step = 0; step < kPoolCount; ++step) {
        const uint32_t p = (start[0] + step) % kPoolCount;
        for (uint32_t round = 0; round * kPoolCount < count; ++round) {
            uint32_t k[3];
            bool any = false;
            for (uint32_t s = 0; s < 3; ++s) {
                k[s] = (p + kPoolCount - start[s]) % kPoolCount + round * kPoolCount;
                any = any || k[s] < count;
            }
            if (!any) continue;
            pool_lock(p);
            for (uint32_t done = 0; done < 3; ++done) {
                // The next event of this pool: the smallest sample index,
                // the lower source first.
                uint32_t best = 3;
                for (uint32_t s = 0; s < 3; ++s) {
                    if (k[s] < count && (best == 3 || k[s] < k[best])) best = s;
                }
                if (best == 3) break;
                const uint32_t j = k[best];
                uint8_t data[8];
                std::size_t len = 4;
                if (best == kSourceTime) {
                    std::memcpy(data, &time_low[j], 4);
                } else if (best == kSourceTick) {
                    std::memcpy(data, &tick[j], 4);
                } else {
                    std::memcpy(data, &memory[j], 8);
                    len = 8;
                }
                absorb_locked(&g_acc.pools[p], best, data, len);
                k[best] = count;  // taken
            }
            pool_unlock(p);
        }
    }
}

bool entropy_reseed_due_locked(uint32_t reseed_counter) noexcept {
    ensure_ready_locked();
    if (reseed_counter >= 0x40000000u) return true;
    if (g_acc.reseedCount == 0) return true;
    pool_lock(0);
    const uint32_t bytes = g_acc.pools[0].byteCount;
    pool_unlock(0);
    if (bytes < 32) return false;
    const uint64_t now = entropy_now();
    const uint32_t high = static_cast<uint32_t>(now >> 32), low = static_cast<uint32_t>(now);
    if (high != g_acc.lastReseedHigh) return high > g_acc.lastReseedHigh;
    return (low - g_acc.lastReseedLow) / 10000u > 100u && low > g_acc.lastReseedLow;
}

void entropy_drain_locked(uint32_t i, uint8_t digest[kSha512DigestLen]) noexcept {
    EntropyPool* p = &g_acc.pools[i];
    pool_lock(i);
    p->drainCount += 1;
    uint8_t count[4];
    std::memcpy(count, &p->drainCount, 4);
    sha512_update(&p->sha, count, 4);
    sha512_final(&p->sha, digest);
    sha512_init(&p->sha);
    p->byteCount = 0;
    pool_unlock(i);
}

std::size_t entropy_reseed_locked(uint8_t out[kReseedMaxBytes]) noexcept {
    ensure_ready_locked();
    g_acc.reseedCount += 1;
    const uint64_t now = entropy_now();
    g_acc.lastReseedHigh = static_cast<uint32_t>(now >> 32);
    g_acc.lastReseedLow = static_cast<uint32_t>(now);
    std::size_t n = 0;
    for (uint32_t i = 0; i < kPoolCount; ++i) {
        if (i != 0 && (g_acc.reseedCount & ((1u << i) - 1)) != 0) break;
        entropy_drain_locked(i, out + n);
        n += kSha512DigestLen;
    }
    return n;
}

std::size_t entropy_reseed_if_due(uint32_t reseed_counter, uint8_t out[kReseedMaxBytes]) noexcept {
    plat::lock_enter();
    const std::size_t got = entropy_reseed_due_locked(reseed_counter) ? entropy_reseed_locked(out) : 0;
    plat::lock_leave();
    return got;
}

void entropy_wipe() noexcept { secure_wipe_obj(g_acc); }
