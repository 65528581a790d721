#include "rng/generator.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "core/ct.h"
#include "core/endian.h"
#include "core/fatal.h"
#include "core/secret.h"
#include "core/thread_blocks.h"
#include "core/wipe.h"
#include "hash/sha512.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/cpu_rng.h"
#include "rng/drbg.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

constexpr uint32_t kForcedReseed = 0x40000000u;
constexpr std::size_t kOsSeedLen = 48;
constexpr const char kPersonalization[] = "tessaly-prng-v2.1.0";
constexpr const char* kInfoVariables[] = {"USERNAME", "COMPUTERNAME", "USERDOMAIN", "HOMEPATH",
                                          "PROCESSOR_IDENTIFIER", "NUMBER_OF_PROCESSORS", "USER",
                                          "LOGNAME", "HOME", "PWD", "SHELL", "WINDOWSID", "TERM", "PATH"};

std::atomic<bool> g_inject_repeat{false};

// The fallback block's state is shared by the threads that run on it; they
// take turns through this lock (never the module lock, which no generator
// work may hold).
std::atomic<bool> g_shared_busy{false};

class SharedTurn {
public:
    explicit SharedTurn(const RngState* st) noexcept : held_(st == &fallback_state()->workspace.rng) {
        if (!held_) return;
        while (g_shared_busy.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
    }
    ~SharedTurn() {
        if (held_) g_shared_busy.store(false, std::memory_order_release);
    }
    SharedTurn(const SharedTurn&) = delete;
    SharedTurn& operator=(const SharedTurn&) = delete;

private:
    bool held_;
};

void hash_text(Sha512State* sha, const char* s) noexcept {
    sha512_update(sha, reinterpret_cast<const uint8_t*>(s), std::strlen(s));
}

void add_feedback_event(const uint8_t* x, std::size_t len) noexcept {
    uint8_t digest[64];
    FeedbackDigest(x, len, digest);
    EntropyAddEvent(kSourceFeedback, digest, 32);
    secure_wipe(digest, sizeof digest);
}

int32_t generate_owned(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept {
    if (add == nullptr) add_len = 0;
    RngStir(st, RNG_STIR_FAST);
    // A state copied into a child process by fork() starts afresh there.
    if (st->reseedCounter != 0 && st->forkGeneration != plat::fork_generation()) st->reseedCounter = 0;
    if (st->reseedCounter == 0) {
        const int32_t rc = RngInstantiate(st);
        if (rc != 0) return rc;
        rng_continuous_test(st, nullptr, 0);
    }
    rng_stir_flush(st);
    SecretBytes<kReseedMaxBytes> pools;
    const std::size_t got = entropy_reseed_if_due(st->reseedCounter, pools.bytes);
    if (got != 0) {
        const ByteSpan seed[2] = {{pools.bytes, got}, {add, add_len}};
        drbg_reseed(st, seed, 2);
    }
    drbg_generate(st, out, n, add, add_len);
    if (!rng_continuous_test(st, out, n)) return -PRNG_ERR_CATASTROPHIC;
    if (add_len != 0) add_feedback_event(add, add_len);
    RngStir(st, RNG_STIR_FAST);
    return 0;
}

}  // namespace

void rng_inject_repeat() noexcept { g_inject_repeat.store(true); }

void FeedbackDigest(const uint8_t* x, std::size_t len, uint8_t out[64]) noexcept {
    Sha512State sha;
    uint8_t d1[64];
    sha512_init(&sha);
    sha512_update(&sha, x, len);
    sha512_final(&sha, d1);
    sha512_init(&sha);
    sha512_update(&sha, d1, 20);
    sha512_update(&sha, x, len);
    sha512_final(&sha, out);
    secure_wipe(d1, sizeof d1);
}

void SystemInfoDigest(uint8_t out[64]) noexcept {
    Sha512State sha;
    sha512_init(&sha);
    hash_text(&sha, kPersonalization);
    for (const char* name : kInfoVariables) {
        const char* value = plat::env_value(name);
        if (value == nullptr) continue;
        hash_text(&sha, name);
        hash_text(&sha, "=");
        hash_text(&sha, value);
    }
    char name[512];
    std::size_t n = plat::user_name(name, 511);
    if (n != 0) sha512_update(&sha, reinterpret_cast<const uint8_t*>(name), n);
    n = plat::machine_name(name, 511);
    if (n != 0) sha512_update(&sha, reinterpret_cast<const uint8_t*>(name), n);
    uint32_t serial = 0;
    if (plat::volume_serial(&serial)) {
        uint8_t b[4];
        store_le32(b, serial);
        sha512_update(&sha, b, 4);
    }
    sha512_final(&sha, out);
    secure_wipe(name, sizeof name);
}

bool rng_continuous_test(RngState* st, const uint8_t* output, std::size_t n) noexcept {
    if (output != nullptr) {
        uint8_t first[8] = {0};
        std::memcpy(first, output, n < 8 ? n : 8);
        const bool injected = g_inject_repeat.exchange(false);
        const bool repeat = injected || ct_memeq(first, st->lastTestValue, 8) != 0;
        secure_wipe(first, sizeof first);
        if (repeat) return false;
    }
    uint8_t block[kDrbgOutLen];
    drbg_next_block(st, block);
    std::memcpy(st->lastTestValue, block, 8);
    secure_wipe(block, sizeof block);
    drbg_update(st, nullptr, 0);
    st->reseedCounter += 1;
    return true;
}

int32_t RngInstantiate(RngState* st) noexcept {
    entropy_link(st);
    EntropyAccumulator* acc = entropy_accumulator();
    plat::lock_enter();
    if (acc->cpuRng == 0) acc->cpuRng = cpu_rng_probe();
    plat::lock_leave();

    if (RngHealthCheck(0) != 0) return -PRNG_ERR_CATASTROPHIC;

    SecretBytes<kReseedMaxBytes> pools;
    rng_stir_flush(st);
    plat::lock_enter();
    const std::size_t got = entropy_reseed_locked(pools.bytes);
    plat::lock_leave();
    if (got == 0) return -PRNG_ERR_CATASTROPHIC;

    SecretBytes<64> info;
    SystemInfoDigest(info.bytes);
    const uint64_t now = entropy_now();
    const uint32_t pid = plat::process_id();

    uint8_t nonce[16];
    plat::lock_enter();
    if (acc->instantiationSerial == 0) {
        acc->firstTimeHigh = static_cast<uint32_t>(now >> 32);
        acc->firstTimeLow = static_cast<uint32_t>(now);
        acc->firstProcessId = pid;
        acc->instantiationSerial = 1;
    } else {
        acc->instantiationSerial += 1;
    }
    store_le32(nonce, acc->firstTimeHigh);
    store_le32(nonce + 4, acc->firstTimeLow);
    store_le32(nonce + 8, acc->firstProcessId);
    store_le32(nonce + 12, acc->instantiationSerial);
    const int32_t caps = acc->cpuRng;
    plat::lock_leave();

    const ByteSpan seed[3] = {{pools.bytes, got}, {nonce, sizeof nonce}, {info.bytes, sizeof info.bytes}};
    drbg_instantiate(st, seed, 3);

    // The operating system's generator: an unpredictable seed on every
    // machine, with or without a processor generator.
    SecretBytes<kOsSeedLen> os;
    if (plat::os_random(os.bytes, sizeof os.bytes)) {
        const ByteSpan osSeed{os.bytes, sizeof os.bytes};
        drbg_reseed(st, &osSeed, 1);
        add_feedback_event(os.bytes, sizeof os.bytes);
    }

    if (caps > 0) {
        SecretBytes<32> words;
        for (int i = 0; i < 8; ++i) store_le32(words.bytes + 4 * i, cpu_rng_word(caps));
        const ByteSpan cpuSeed{words.bytes, sizeof words.bytes};
        drbg_reseed(st, &cpuSeed, 1);
        add_feedback_event(words.bytes, sizeof words.bytes);
    }

    st->forkGeneration = plat::fork_generation();
    plat::lock_enter();
    acc->liveInstances += 1;
    plat::lock_leave();
    return 0;
}

void RngReseedWith(RngState* st, const uint8_t* data, std::size_t len) noexcept {
    SharedTurn turn(st);
    const ByteSpan seed{data, len};
    drbg_reseed(st, &seed, 1);
}

int32_t RngGenerate(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept {
    SharedTurn turn(st);
    return generate_owned(st, out, n, add, add_len);
}

void rng_thread_end(RngState* st) noexcept {
    rng_stir_flush(st);
    if (st->reseedCounter == 0) return;
    EntropyAccumulator* acc = entropy_accumulator();
    plat::lock_enter();
    if (acc->liveInstances > 0) acc->liveInstances -= 1;
    plat::lock_leave();
}

void RngGenerateOrEnd(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept {
    if (RngGenerate(st, out, n, add, add_len) == 0) return;
    secure_wipe(out, n);
    ReportFatal("RNG failed continuous testing", kEventRngContinuousFailed);
    plat::exit_process(1);
}

int32_t rng_ensure_instantiated(RngState* st) noexcept {
    SharedTurn turn(st);
    if (st->reseedCounter != 0 && st->forkGeneration != plat::fork_generation()) st->reseedCounter = 0;
    if (st->reseedCounter != 0) return 0;
    const int32_t rc = RngInstantiate(st);
    if (rc == 0) rng_continuous_test(st, nullptr, 0);
    return rc;
}
