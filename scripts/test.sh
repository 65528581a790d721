#!/usr/bin/env bash
# Builds the library and every test and runs them all:
#   1. optimised build: engine, API, OpenSSL-oracle and example suites, the
#      export list check and an install check;
#   2. the same suites built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the libFuzzer targets of the text decoders, for a bounded time;
#   4. the Windows DLL, cross-built, with the suites run under Wine.
# Installs missing system packages first when run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
start=$(date +%s)

step() { printf '\n=== %s (%ds)\n' "$1" $(( $(date +%s) - start )); }

step "setup"
scripts/setup.sh

run_suites() {  # build dir
  ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

step "optimised build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
run_suites build/release
if [[ -x scripts/check-exports.sh ]]; then
  scripts/check-exports.sh build/release/libtessalib.so
fi
scripts/test-install.sh build/release

step "sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALIB_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 run_suites build/asan

if [[ -x scripts/fuzz.sh ]]; then
  step "fuzzers"
  scripts/fuzz.sh
fi

if [[ -x scripts/test-windows.sh ]]; then
  step "Windows build under Wine"
  scripts/test-windows.sh
fi

step "all tests passed"
