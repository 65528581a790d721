// The thread's random generator state (the last slot of the workspace).
#pragma once
#include <cstdint>

struct EntropyAccumulator;

// Fast entropy samples taken by this thread and not yet added to the pools:
// they are added a batch at a time, so that the common path of an export's
// sample takes no lock. A batch of 384 samples gives each pool twelve
// samples' events (264 bytes), about two blocks of SHA-512, so that a batch
// completes blocks in all the pools of a group together; and a thread moves
// the pools' cache lines over from another core once per 384 samples. The
// memory-status checksum is read again at most once per tick of the clock.
constexpr uint32_t kStirBatch = 384;
struct RngStirBatch {
    uint32_t count;           // samples waiting
    uint32_t memory_tick;     // tick count when memory_sum was read
    uint64_t memory_sum;      // StatusChecksum64 of the memory status record
    uint32_t memory_valid;    // memory_sum has been read
    uint64_t fast_count;      // stirs taken, by mode (read by the tests)
    uint64_t slow_count;
    uint32_t time_low[kStirBatch];
    uint32_t tick[kStirBatch];
    uint64_t memory[kStirBatch];
};

struct RngState {
    uint8_t K[64];               // HMAC_DRBG key
    uint8_t V[64];               // HMAC_DRBG value
    uint32_t reseedCounter;      // 0: not instantiated
    uint8_t lastTestValue[8];    // what the next output is compared with
    EntropyAccumulator* accumulator;  // set on first use
    uint32_t forkGeneration;     // the process generation the state was made in
    RngStirBatch stir;
};
