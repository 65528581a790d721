#!/usr/bin/env bash
# Builds the benchmark (build/bench, Release, -DTESSALIB_BENCH=ON) and runs
# bench/report: the library's exports against OpenSSL's libcrypto, with all
# of OpenSSL's processor features and with its generic code, plus per-call
# cost, key-derivation time and peak memory. Takes a few minutes.
#
#   scripts/bench.sh [--write] [bench/report options...]
#
# --write puts the tables into docs/performance.md (the hand-written notes
# there are kept). Other options go to bench/report (--quick, --rounds N,
# --min-time S, --no-memory, --json FILE to save the raw results,
# --from-json FILE to render saved results without measuring). Timings mean little on a busy
# machine: the report prints the load average it ran under.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

"$root/scripts/setup.sh" bench

args=()
for a in "$@"; do
  if [[ $a == --write ]]; then
    args+=(--write "$root/docs/performance.md")
  else
    args+=("$a")
  fi
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTESSALIB_BENCH=ON -DTESSALIB_TOOLS=OFF >/dev/null
cmake --build "$build" --target tessalib_bench tessalib_bench_tables -j "$(nproc 2>/dev/null || echo 2)"
exec python3 "$root/bench/report" --bin "$build/bench/tessalib_bench" "${args[@]}"
