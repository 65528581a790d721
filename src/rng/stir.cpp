#include "rng/stir.h"

#include <cstring>

#include "core/thread_blocks.h"
#include "core/wipe.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/cpu_rng.h"

namespace {

constexpr uint64_t kChecksumPoly = 0xD000000000000001ull;

struct ChecksumTable {
    uint64_t t[256];
    constexpr ChecksumTable() : t{} {
        for (uint32_t b = 0; b < 256; ++b) {
            uint64_t c = b;
            for (int i = 0; i < 8; ++i) c = (c & 1) != 0 ? (c >> 1) ^ kChecksumPoly : c >> 1;
            t[b] = c;
        }
    }
};
constexpr ChecksumTable kChecksum;

uint64_t memory_checksum() noexcept {
    uint8_t record[56];
    plat::memory_status(record);
    return StatusChecksum64(record, sizeof record);
}

// The shared fallback block's state is used by several threads at once: its
// samples skip the batch.
bool is_shared(const RngState* st) noexcept { return st == &fallback_state()->workspace.rng; }

void add_u32(uint32_t source, uint32_t v) noexcept {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    EntropyAddEvent(source, b, 4);
}

void add_u64(uint32_t source, uint64_t v) noexcept {
    uint8_t b[8];
    std::memcpy(b, &v, 8);
    EntropyAddEvent(source, b, 8);
}

void system_events(RngState* st, bool with_cpu) noexcept {
    rng_stir_flush(st);
    add_u32(kSourceTime, static_cast<uint32_t>(plat::system_time_100ns()));
    add_u32(kSourceTick, plat::tick_ms());
    add_u64(kSourceMemory, memory_checksum());
    uint32_t clusters = 0;
    if (plat::free_clusters(&clusters)) add_u32(kSourceDisk, clusters);
    uint8_t power[12];
    if (plat::power_status(power)) add_u64(kSourcePower, StatusChecksum64(power, sizeof power));
    add_u32(kSourceTime, static_cast<uint32_t>(plat::system_time_100ns()));
    add_u32(kSourceTick, plat::tick_ms());
    if (!with_cpu) return;
    plat::lock_enter();
    const int32_t caps = entropy_accumulator()->cpuRng;
    plat::lock_leave();
    if (caps == 0 || caps == -1) return;
    const uint32_t word = cpu_rng_word(caps);
    if (word != 0) add_u32(kSourceCpu, word);
}

void fast_events_now() noexcept {
    add_u32(kSourceTime, static_cast<uint32_t>(plat::system_time_coarse_100ns()));
    add_u32(kSourceTick, plat::tick_ms_coarse());
    add_u64(kSourceMemory, memory_checksum());
}

void stir_fast(RngState* st) noexcept {
    if (is_shared(st)) {
        fast_events_now();
        return;
    }
    const uint32_t time_low = static_cast<uint32_t>(plat::system_time_coarse_100ns());
    const uint32_t tick = plat::tick_ms_coarse();
    RngStirBatch& b = st->stir;
    b.fast_count += 1;
    // The memory status changes slowly; it is read once per clock tick.
    if (b.memory_valid == 0 || b.memory_tick != tick) {
        b.memory_sum = memory_checksum();
        b.memory_tick = tick;
        b.memory_valid = 1;
    }
    const uint32_t i = b.count;
    b.time_low[i] = time_low;
    b.tick[i] = tick;
    b.memory[i] = b.memory_sum;
    b.count = i + 1;
    if (b.count == kStirBatch) rng_stir_flush(st);
}

}  // namespace

uint64_t StatusChecksum64(const uint8_t* data, std::size_t len) noexcept {
    uint64_t sum = 0;
    for (std::size_t i = 0; i < len; ++i) sum = kChecksum.t[(sum ^ data[i]) & 0xFF] ^ (sum >> 8);
    return sum;
}

void rng_stir_flush(RngState* st) noexcept {
    if (is_shared(st)) return;
    RngStirBatch& b = st->stir;
    if (b.count == 0) return;
    entropy_add_fast_batch(b.time_low, b.tick, b.memory, b.count);
    b.count = 0;
}

void rng_stir_system_events(RngState* st) noexcept { system_events(st, false); }

void rng_stir_thread_start() noexcept { fast_events_now(); }

void RngStir(RngState* st, int mode) noexcept {
    if (mode == RNG_STIR_SLOW) {
        if (!is_shared(st)) st->stir.slow_count += 1;
        system_events(st, true);
        return;
    }
    stir_fast(st);
}

RngStirCounts rng_stir_counts(const RngState* st) noexcept { return {st->stir.fast_count, st->stir.slow_count}; }
