// The measurements that are not timings of a loop: the clocks of the machine,
// the peak memory of one operation in a fresh process, and the cross-check of
// every row's output against OpenSSL's.
#pragma once
#include <cstdint>

namespace bench {

// Time-stamp counter ticks now.
uint64_t tsc_now();

// Prints one JSON object: the time-stamp counter's rate, an estimate of the
// core clock (a chain of dependent additions, one per cycle), the compiler and
// the OpenSSL version. Returns the process exit status.
int run_clock_probe();

// Runs one memory case (see the usage text of run_rss_case) and prints one
// JSON object with the peak resident set size of the process (VmHWM, or
// getrusage where the system has no VmHWM).
int run_rss_case(int argc, char** argv);

// Runs every row once through both implementations and compares the results.
// Prints one line per row; returns 0 when all agree.
int run_verify();

}  // namespace bench
