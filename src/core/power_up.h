// The power-up self-tests: the eighteen known-answer tests, the
// self-integrity test of the module file and the random generator's health
// check, as process attach (core/lifecycle.h) and API_PowerUpTests run them.
#pragma once
#include <cstddef>
#include <cstdint>

// The known-answer tests, in the order they run.
enum KatId : int {
    kKatSha1,
    kKatSha256,
    kKatSha384,
    kKatSha512,
    kKatSha224,
    kKatSha3,
    kKatMd5,
    kKatTdea,
    kKatAes,
    kKatBlowfish,
    kKatHmacSha1,
    kKatHmacSha256,
    kKatHmacSha384,
    kKatHmacSha512,
    kKatHmacSha224,
    kKatHmacMd5,
    kKatCmacAes,
    kKatCmacTdea,
    kKatCount
};

struct KnownAnswerTest {
    const char* name;     // "SHA-1": the name in the message and in `tessa selftest`
    uint32_t event;       // its own event code
    const char* message;  // "Failed Known Answer Test for SHA-1"
    bool (*run)(KatId id) noexcept;
};

// The table, in test order.
extern const KnownAnswerTest kKnownAnswerTests[kKatCount];

// Runs the tests in order; at the first that fails, reports its message and
// event through ReportFatal and returns 1 without running the rest. 0 when
// all pass.
int RunPowerUpTests() noexcept;

// The self-integrity test: the module's file recomputed against the seal the
// build wrote into it (core/seal.h). A library linked into a program has no
// file of its own and nothing to check: it passes.
bool SelfIntegrityTestPasses() noexcept;

// The random generator's health check at level 2 (rng/generator.h).
bool RngHealthCheckPasses() noexcept;

// For the known-answer tests: true when the len bytes at got equal the bytes
// of the hex text expected (2 x len digits).
bool kat_matches(KatId id, const uint8_t* got, const char* expected, std::size_t len) noexcept;
