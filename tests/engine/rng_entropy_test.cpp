// The entropy accumulator: events and their pools, the batched fast stir,
// the Fortuna drain schedule, the reseed rules with a controlled clock, the
// status checksum, and which exports take an entropy sample at entry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/frame.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/generator.h"
#include "rng/stir.h"
#include "test_util.h"
#include "tessalib.h"

namespace {

// Holds the module lock for a test's look at the accumulator.
struct Locked {
    Locked() { plat::lock_enter(); }
    ~Locked() { plat::lock_leave(); }
};

uint64_t g_fake_now = 0;
uint64_t fake_clock() { return g_fake_now; }

RngState* own_state() { return &GetThreadState()->workspace.rng; }

uint64_t reference_checksum(const uint8_t* data, std::size_t len) {
    uint64_t sum = 0;
    for (std::size_t i = 0; i < len; ++i)
        for (int b = 0; b < 8; ++b) {
            const uint64_t bit = (data[i] >> b) & 1u;
            sum = ((sum ^ bit) & 1u) != 0 ? (sum >> 1) ^ 0xD000000000000001ull : sum >> 1;
        }
    return sum;
}

}  // namespace

TEST(EntropyPools, StatusChecksumIsTheBitwiseShiftRegister) {
    tu::Prng prng(11);
    for (std::size_t len : {0u, 1u, 12u, 56u, 300u}) {
        const tu::Bytes data = prng.bytes(len);
        EXPECT_EQ(StatusChecksum64(data.data(), len), reference_checksum(data.data(), len)) << len;
    }
}

TEST(EntropyPools, AnEventHashesAtMost32BytesIntoItsSourcesNextPool) {
    EntropyAccumulator* acc = entropy_accumulator();
    Locked lock;
    const uint32_t pool = acc->nextPool[kSourceFeedback];
    const uint32_t before = acc->pools[pool].byteCount;
    const uint8_t data[40] = {1, 2, 3};
    EntropyAddEvent(kSourceFeedback, data, sizeof data);
    EXPECT_EQ(acc->pools[pool].byteCount, before + 34);  // source, length 32, 32 bytes
    EXPECT_EQ(acc->nextPool[kSourceFeedback], (pool + 1) % kPoolCount);
    EntropyAddEvent(kSourceFeedback, data, 3);
    EXPECT_EQ(acc->pools[(pool + 1) % kPoolCount].byteCount >= 5u, true);
    EXPECT_EQ(acc->nextPool[kSourceFeedback], (pool + 2) % kPoolCount);
}

TEST(EntropyPools, FastSamplesReachTheirPoolsInTurnPerSource) {
    RngState* st = own_state();
    rng_stir_flush(st);
    EntropyAccumulator* acc = entropy_accumulator();
    Locked lock;  // no reseed can drain a pool meanwhile
    uint32_t start[3], bytes[kPoolCount];
    for (uint32_t s = 0; s < 3; ++s) start[s] = acc->nextPool[s];
    for (uint32_t i = 0; i < kPoolCount; ++i) bytes[i] = acc->pools[i].byteCount;
    const uint32_t n = 5;
    for (uint32_t i = 0; i < n; ++i) RngStir(st, RNG_STIR_FAST);
    EXPECT_EQ(acc->nextPool[0], start[0]);  // still waiting in the thread's batch
    rng_stir_flush(st);
    uint32_t expected[kPoolCount] = {0};
    const uint32_t record[3] = {6, 6, 10};  // id, length and 4, 4 or 8 data bytes
    for (uint32_t s = 0; s < 3; ++s) {
        EXPECT_EQ(acc->nextPool[s], (start[s] + n) % kPoolCount);
        for (uint32_t k = 0; k < n; ++k) expected[(start[s] + k) % kPoolCount] += record[s];
    }
    for (uint32_t i = 0; i < kPoolCount; ++i) EXPECT_EQ(acc->pools[i].byteCount, bytes[i] + expected[i]) << i;
}

// Fast samples added a batch at a time leave every pool with the SHA-512
// state it would have if each event had been added on its own, in turn:
// sample by sample, sources 0, 1, 2, each source's event in its next pool.
// The sources' turns start at different pools, and the samples are more
// than a batch and not a whole number of rounds of the pools.
TEST(EntropyPools, BatchedSamplesHashIntoEachPoolAsSingleEventsInTurn) {
    RngState* st = own_state();
    rng_stir_flush(st);
    EntropyAccumulator* acc = entropy_accumulator();
    Locked lock;
    const uint8_t skew[8] = {9, 8, 7, 6, 5, 4, 3, 2};
    EntropyAddEvent(kSourceTime, skew, 4);
    EntropyAddEvent(kSourceTime, skew, 4);
    EntropyAddEvent(kSourceMemory, skew, 8);
    EntropyAddEvent(kSourceMemory, skew, 8);
    EntropyAddEvent(kSourceMemory, skew, 8);
    EntropyAddEvent(kSourceTick, skew, 4);

    std::vector<Sha512State> expect(kPoolCount);
    uint32_t next[3], bytes[kPoolCount];
    for (uint32_t i = 0; i < kPoolCount; ++i) {
        expect[i] = acc->pools[i].sha;
        bytes[i] = acc->pools[i].byteCount;
    }
    for (uint32_t s = 0; s < 3; ++s) next[s] = acc->nextPool[s];

    tu::Prng prng(31);
    const uint32_t n = kStirBatch + 45;
    std::vector<uint32_t> time_low(n), tick(n);
    std::vector<uint64_t> memory(n);
    for (uint32_t k = 0; k < n; ++k) {
        time_low[k] = static_cast<uint32_t>(prng.next());
        tick[k] = static_cast<uint32_t>(prng.next());
        memory[k] = prng.next();
    }
    entropy_add_fast_batch(time_low.data(), tick.data(), memory.data(), n);

    for (uint32_t k = 0; k < n; ++k) {
        uint8_t rec[3][10] = {{0, 4}, {1, 4}, {2, 8}};
        std::memcpy(rec[0] + 2, &time_low[k], 4);
        std::memcpy(rec[1] + 2, &tick[k], 4);
        std::memcpy(rec[2] + 2, &memory[k], 8);
        for (uint32_t s = 0; s < 3; ++s) {
            const std::size_t len = 2u + rec[s][1];
            sha512_update(&expect[next[s]], rec[s], len);
            bytes[next[s]] += static_cast<uint32_t>(len);
            next[s] = (next[s] + 1) % kPoolCount;
        }
    }
    for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(acc->nextPool[s], next[s]) << "source " << s;
    for (uint32_t i = 0; i < kPoolCount; ++i) {
        const Sha512State& got = acc->pools[i].sha;
        EXPECT_EQ(acc->pools[i].byteCount, bytes[i]) << "pool " << i;
        EXPECT_EQ(std::memcmp(got.h, expect[i].h, sizeof got.h), 0) << "pool " << i;
        EXPECT_EQ(got.total_lo, expect[i].total_lo) << "pool " << i;
        ASSERT_EQ(got.buf_len, expect[i].buf_len) << "pool " << i;
        EXPECT_EQ(std::memcmp(got.buf, expect[i].buf, got.buf_len), 0) << "pool " << i;
    }
}

TEST(EntropyPools, ReseedNumberKDrainsPoolsWhosePowerOfTwoDividesK) {
    EntropyAccumulator* acc = entropy_accumulator();
    Locked lock;
    const uint32_t saved = acc->reseedCount;
    const struct {
        uint32_t k;
        uint32_t pools;  // pools 0 .. pools-1 drain
    } cases[] = {{1, 1}, {2, 2}, {3, 1}, {4, 3}, {5, 1}, {8, 4}, {12, 3}, {0x80000000u, 32}};
    std::vector<uint8_t> out(kReseedMaxBytes);
    for (const auto& c : cases) {
        acc->reseedCount = c.k - 1;
        uint32_t drains[kPoolCount];
        for (uint32_t i = 0; i < kPoolCount; ++i) drains[i] = acc->pools[i].drainCount;
        EXPECT_EQ(entropy_reseed_locked(out.data()), 64u * c.pools) << c.k;
        EXPECT_EQ(acc->reseedCount, c.k);
        for (uint32_t i = 0; i < kPoolCount; ++i) {
            EXPECT_EQ(acc->pools[i].drainCount, drains[i] + (i < c.pools ? 1u : 0u)) << c.k << " pool " << i;
            if (i < c.pools) {
                EXPECT_EQ(acc->pools[i].byteCount, 0u);
            }
        }
    }
    acc->reseedCount = saved;
}

TEST(EntropyPools, ConditionalReseedNeeds32BytesInPoolZeroAndMoreThan100Ms) {
    EntropyAccumulator* acc = entropy_accumulator();
    Locked lock;
    const EntropyAccumulator saved = *acc;
    g_fake_now = 0x01DA000012345678ull;
    entropy_set_clock(fake_clock);
    std::vector<uint8_t> out(kReseedMaxBytes);
    acc->reseedCount = 6;  // the next one (7) drains pool 0 only
    entropy_reseed_locked(out.data());
    EXPECT_EQ(acc->lastReseedHigh, 0x01DA0000u);
    EXPECT_EQ(acc->lastReseedLow, 0x12345678u);

    struct Case {
        uint32_t pool0_bytes;
        uint64_t later_100ns;
        uint32_t counter;
        bool due;
    } cases[] = {
        {31, 5000000, 5, false},     // too few bytes, however long ago
        {32, 1000000, 5, false},     // 100 ms exactly: not more than 100
        {32, 1010000, 5, true},      // 101 ms
        {100, 500000, 5, false},     // 50 ms
        {0, 0, 0x40000000u, true},   // 2^30 steps: forced
        {0, 0, 0x3FFFFFFFu, false},
        {32, 0x100000000ull, 5, true},  // the high half moved on
    };
    for (const Case& c : cases) {
        acc->pools[0].byteCount = c.pool0_bytes;
        g_fake_now = 0x01DA000012345678ull + c.later_100ns;
        EXPECT_EQ(entropy_reseed_due_locked(c.counter), c.due) << c.pool0_bytes << " " << c.later_100ns;
    }
    // No reseed yet in the process: always due.
    acc->reseedCount = 0;
    acc->pools[0].byteCount = 0;
    EXPECT_TRUE(entropy_reseed_due_locked(5));
    entropy_set_clock(nullptr);
    acc->reseedCount = saved.reseedCount;
    acc->lastReseedHigh = saved.lastReseedHigh;
    acc->lastReseedLow = saved.lastReseedLow;
}

TEST(EntropyPools, TheProcessorGeneratorIsProbedByCapabilityNotVendor) {
    // Whatever the processor, the probe gives -1 or capability bits 1 to 3.
    Locked lock;
    const int32_t caps = entropy_accumulator()->cpuRng;
    EXPECT_TRUE(caps == -1 || (caps >= 1 && caps <= 3) || caps == 0) << caps;
}

// Each export on the list takes exactly one sample at entry, in its mode;
// exports off the list take none. Arguments are chosen so that no generator
// request (with stirs of its own) follows.
TEST(StirAtEntry, EachListedExportSamplesOnceInItsMode) {
    RngState* st = own_state();
    uint8_t buf[64];
    char text[64];
    const uint16_t wide[1] = {0};
    struct Case {
        const char* name;
        void (*call)(uint8_t*, char*, const uint16_t*);
        uint64_t fast;
        uint64_t slow;
    } cases[] = {
        {"API_ErrorCode", [](uint8_t*, char*, const uint16_t*) { API_ErrorCode(); }, 1, 0},
        {"CNV_HexStrFromBytes", [](uint8_t* b, char* t, const uint16_t*) { CNV_HexStrFromBytes(t, 8, b, 2); }, 1, 0},
        {"CNV_BytesFromHexStr", [](uint8_t* b, char*, const uint16_t*) { CNV_BytesFromHexStr(b, 8, "AB"); }, 1, 0},
        {"CNV_HexFilter", [](uint8_t*, char* t, const uint16_t*) { CNV_HexFilter(t, "AB", 2); }, 1, 0},
        {"CNV_B64StrFromBytes", [](uint8_t* b, char* t, const uint16_t*) { CNV_B64StrFromBytes(t, 8, b, 2); }, 1, 0},
        {"CNV_BytesFromB64Str", [](uint8_t* b, char*, const uint16_t*) { CNV_BytesFromB64Str(b, 8, "QQ=="); }, 1, 0},
        {"CNV_B64Filter", [](uint8_t*, char* t, const uint16_t*) { CNV_B64Filter(t, "QQ", 2); }, 1, 0},
        {"XOF_Bytes", [](uint8_t* b, char*, const uint16_t*) { XOF_Bytes(b, 16, b, 4, XOF_SHAKE128); }, 1, 0},
        {"PRF_Bytes", [](uint8_t* b, char*, const uint16_t*) { PRF_Bytes(b, 16, b, 4, b, 16, "", PRF_KMAC128); }, 1, 0},
        {"RNG_Number", [](uint8_t*, char*, const uint16_t*) { RNG_Number(5, 5); }, 1, 0},
        {"RNG_Initialize", [](uint8_t*, char*, const uint16_t*) { RNG_Initialize(nullptr, 0); }, 1, 0},
        {"RNG_UpdateSeedFile", [](uint8_t*, char*, const uint16_t*) { RNG_UpdateSeedFile(""); }, 1, 0},
        {"RNG_MakeSeedFile", [](uint8_t*, char*, const uint16_t*) { RNG_MakeSeedFile("", nullptr, 0); }, 0, 1},
        {"RNG_KeyHex", [](uint8_t*, char*, const uint16_t*) { RNG_KeyHex(nullptr, 0, 8, nullptr, 0); }, 0, 1},
        // Step 2 of a key request is a fast stir of its own.
        {"RNG_KeyBytes", [](uint8_t*, char*, const uint16_t*) { RNG_KeyBytes(nullptr, 8, nullptr, 0); }, 1, 1},
        // The nonce worker's fast stir; nothing at entry.
        {"RNG_NonceData", [](uint8_t*, char*, const uint16_t*) { RNG_NonceData(nullptr, 8); }, 1, 0},
        {"RNG_NonceDataHex", [](uint8_t*, char*, const uint16_t*) { RNG_NonceDataHex(nullptr, 0, 8); }, 0, 0},
        // Off the list.
        {"HASH_Bytes", [](uint8_t* b, char*, const uint16_t*) { HASH_Bytes(b, 32, b, 4, HASH_ALG_SHA256); }, 0, 0},
        {"HASH_Length", [](uint8_t*, char*, const uint16_t*) { HASH_Length(HASH_ALG_SHA256); }, 0, 0},
        {"API_ErrorLookup", [](uint8_t*, char* t, const uint16_t*) { API_ErrorLookup(t, 8, 6); }, 0, 0},
        {"CNV_Utf8FromWide", [](uint8_t*, char* t, const uint16_t* w) { CNV_Utf8FromWide(t, 8, w); }, 0, 0},
        {"RNG_TestDRBGVS",
         [](uint8_t*, char*, const uint16_t*) { RNG_TestDRBGVS(nullptr, 0, 8, "", "", "", "", "", "", "", 0); }, 0, 0},
    };
    std::memset(buf, 0, sizeof buf);
    RNG_Initialize(nullptr, 0);  // instantiated before counting
    for (const Case& c : cases) {
        const RngStirCounts before = rng_stir_counts(st);
        c.call(buf, text, wide);
        const RngStirCounts after = rng_stir_counts(st);
        EXPECT_EQ(after.fast - before.fast, c.fast) << c.name;
        EXPECT_EQ(after.slow - before.slow, c.slow) << c.name;
    }
}

TEST(StirAtEntry, RngTestTakesTwoSlowSamples) {
    RngState* st = own_state();
    const RngStirCounts before = rng_stir_counts(st);
    const int32_t rc = RNG_Test(nullptr);
    EXPECT_TRUE(rc == 0 || rc == 1);
    EXPECT_EQ(rng_stir_counts(st).slow - before.slow, 2u);
}
