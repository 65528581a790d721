// The four statistical tests of FIPS 140-2 (monobit, poker, runs, long runs)
// on a 20,000-bit sample, and their report file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "rng/slots.h"

constexpr std::size_t kFipsSampleBytes = 2500;
constexpr int kFipsRunLengths = 6;  // 1 to 5, and 6 or more

struct FipsRunLimits {
    int lower;
    int upper;
};
extern const FipsRunLimits kFipsRunLimits[kFipsRunLengths];

struct FipsResult {
    long n1;                        // 1 bits
    double poker;                   // X
    int gaps[kFipsRunLengths];      // runs of 0 bits by length
    int blocks[kFipsRunLengths];    // runs of 1 bits by length
    bool run_ok[kFipsRunLengths];   // both counts of the length within limits
    int gmax;                       // longest run of 0 bits
    int bmax;                       // longest run of 1 bits
    bool monobit_ok;
    bool poker_ok;
    bool runs_ok;
    bool long_runs_ok;
    bool passed() const noexcept { return monobit_ok && poker_ok && runs_ok && long_runs_ok; }
};

// Runs the tests on the sample's bits, byte by byte, most significant first.
void fips_run(const uint8_t sample[kFipsSampleBytes], FipsResult* r) noexcept;

// Writes the report to f; stamp is the 24-character local time with its
// newline (the ctime layout).
void fips_write_report(std::FILE* f, const uint8_t sample[kFipsSampleBytes], const FipsResult& r,
                       const char* stamp) noexcept;

// The statistical test of the thread's generator: the health check (level 2;
// its failure is returned), 2500 bytes from the generator (its error is
// returned), the report file when report_file is not empty (created or
// truncated, text mode; -PRNG_ERR_FILE_CREATE when it cannot be), the four
// tests. 0 when all passed, 1 when one failed.
int32_t rng_statistical_test(RngState* st, const char* report_file) noexcept;
