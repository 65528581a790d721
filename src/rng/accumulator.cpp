#include "rng/accumulator.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "core/secret.h"
#include "core/wipe.h"
#include "platform/platform.h"

namespace {

EntropyAccumulator g_acc;

// The pools are locked, and a batch of fast samples fills them, eight at a
// time: the blocks that a batch completes in a group's pools are compressed
// side by side (sha512_update_lanes). A group's lock is taken inside the
// module lock (never the other way round) or alone by a batch.
constexpr uint32_t kPoolsPerGroup = 8;
constexpr uint32_t kPoolGroups = kPoolCount / kPoolsPerGroup;
static_assert(kPoolCount % kPoolsPerGroup == 0, "whole groups");

struct alignas(64) GroupLock {
    std::atomic<bool> held{false};
};
GroupLock g_group_lock[kPoolGroups];

// The group the next batch starts with, under the module lock: two threads
// flushing at once start on different groups.
uint32_t g_flush_turn = 0;

std::atomic<uint64_t (*)()> g_clock{nullptr};

bool group_try_lock(uint32_t g) noexcept {
    std::atomic<bool>& held = g_group_lock[g].held;
    return !held.load(std::memory_order_relaxed) && !held.exchange(true, std::memory_order_acquire);
}
void group_lock(uint32_t g) noexcept {
    for (unsigned spins = 0; !group_try_lock(g); ++spins) {
        if (spins > 64) std::this_thread::yield();
    }
}
void group_unlock(uint32_t g) noexcept { g_group_lock[g].held.store(false, std::memory_order_release); }

void pool_lock(uint32_t i) noexcept { group_lock(i / kPoolsPerGroup); }
void pool_unlock(uint32_t i) noexcept { group_unlock(i / kPoolsPerGroup); }

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

// Writes one event record: the source id, the length n = min(len, 32) and
// the first n data bytes. Returns n + 2.
std::size_t put_record(uint8_t* out, uint32_t source, const void* data, std::size_t len) noexcept {
    if (len > kEventMaxData) len = kEventMaxData;
    out[0] = static_cast<uint8_t>(source);
    out[1] = static_cast<uint8_t>(len);
    std::memcpy(out + 2, data, len);
    return len + 2;
}

// Hashes one event record into a pool (its lock held).
void absorb_locked(EntropyPool* p, uint32_t source, const uint8_t* data, std::size_t len) noexcept {
    uint8_t record[2 + kEventMaxData];
    const std::size_t n = put_record(record, source, data, len);
    p->byteCount += static_cast<uint32_t>(n);
    sha512_update(&p->sha, record, n);
    secure_wipe(record, n);
}

// A batch of fast samples: sample k carries time_low[k] (source 0), tick[k]
// (source 1) and memory[k] (source 2).
struct FastSamples {
    const uint32_t* time_low;
    const uint32_t* tick;
    const uint64_t* memory;
    uint32_t count;
};

// Record bytes of one fast sample (its three events), and the most that one
// pool takes from a batch: every 32nd sample of each source.
constexpr std::size_t kFastSampleBytes = 6 + 6 + 10;
constexpr std::size_t kPoolBatchBytes = (kStirBatch + kPoolCount - 1) / kPoolCount * kFastSampleBytes;

// Writes pool p's records of a batch whose sources' turns start at the pools
// start[s]: source s gives the pool its samples k = p - start[s] (mod 32),
// and the pool takes them in the order the samples were taken, within one
// sample source 0, 1, 2. Returns the bytes written.
std::size_t pool_records(uint8_t* out, uint32_t p, const uint32_t start[3], const FastSamples& in) noexcept {
    uint32_t first[3];
    for (uint32_t s = 0; s < 3; ++s) first[s] = (p + kPoolCount - start[s]) % kPoolCount;
    // The sources in the order of their first sample in this pool.
    uint32_t order[3] = {0, 1, 2};
    for (uint32_t i = 1; i < 3; ++i) {
        for (uint32_t j = i; j > 0 && first[order[j]] < first[order[j - 1]]; --j) {
            const uint32_t t = order[j];
            order[j] = order[j - 1];
            order[j - 1] = t;
        }
    }
    std::size_t n = 0;
    for (uint32_t round = 0; round < in.count; round += kPoolCount) {
        for (const uint32_t s : order) {
            const uint32_t k = round + first[s];
            if (k >= in.count) break;
            if (s == kSourceTime) {
                n += put_record(out + n, s, &in.time_low[k], 4);
            } else if (s == kSourceTick) {
                n += put_record(out + n, s, &in.tick[k], 4);
            } else {
                n += put_record(out + n, s, &in.memory[k], 8);
            }
        }
    }
    return n;
}

// Adds the records of group g's pools (the group's lock held).
void fill_group(uint32_t g, const uint8_t* records, const std::size_t len[kPoolCount]) noexcept {
    Sha512State* st[kPoolsPerGroup];
    const uint8_t* data[kPoolsPerGroup];
    std::size_t n[kPoolsPerGroup];
    std::size_t used = 0;
    for (uint32_t p = g * kPoolsPerGroup; p < (g + 1) * kPoolsPerGroup; ++p) {
        if (len[p] == 0) continue;
        g_acc.pools[p].byteCount += static_cast<uint32_t>(len[p]);
        st[used] = &g_acc.pools[p].sha;
        data[used] = records + p * kPoolBatchBytes;
        n[used++] = len[p];
    }
    sha512_update_lanes(st, data, n, used);
}

// One batch of at most kStirBatch samples.
void add_fast_samples(const FastSamples& in) noexcept {
    // Reserve: each source's events take its next pools in turn.
    uint32_t start[3];
    plat::lock_enter();
    ensure_ready_locked();
    for (uint32_t s = 0; s < 3; ++s) {
        start[s] = g_acc.nextPool[s];
        g_acc.nextPool[s] = static_cast<uint8_t>((start[s] + in.count) % kPoolCount);
    }
    const uint32_t turn = g_flush_turn++;
    plat::lock_leave();

    // Every pool's records in one pass, then each group under its lock,
    // passing over a group that another thread holds and coming back to it.
    SecretBytes<kPoolCount * kPoolBatchBytes> records;
    std::size_t len[kPoolCount];
    uint32_t pending = 0;
    for (uint32_t p = 0; p < kPoolCount; ++p) {
        len[p] = pool_records(records.bytes + p * kPoolBatchBytes, p, start, in);
        if (len[p] != 0) pending |= 1u << (p / kPoolsPerGroup);
    }
    for (unsigned passes = 0; pending != 0; ++passes) {
        for (uint32_t i = 0; i < kPoolGroups; ++i) {
            const uint32_t g = (turn + i) % kPoolGroups;
            if ((pending & (1u << g)) == 0 || !group_try_lock(g)) continue;
            fill_group(g, records.bytes, len);
            group_unlock(g);
            pending &= ~(1u << g);
        }
        if (pending != 0 && passes > 64) std::this_thread::yield();
    }
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
    for (uint32_t done = 0; done < count; done += kStirBatch) {
        const uint32_t n = count - done < kStirBatch ? count - done : kStirBatch;
        add_fast_samples({time_low + done, tick + done, memory + done, n});
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

void entropy_pools_lock_all() noexcept {
    for (uint32_t g = 0; g < kPoolGroups; ++g) group_lock(g);
}

void entropy_pools_unlock_all() noexcept {
    for (uint32_t g = 0; g < kPoolGroups; ++g) group_unlock(g);
}

void entropy_wipe() noexcept { secure_wipe_obj(g_acc); }
