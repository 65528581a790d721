#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for a
# bounded time on a copy of its committed corpus (tests/fuzz/corpus/<target>).
# Fails when a target crashes, leaks or breaks one of its checks.
#   usage: scripts/fuzz.sh [seconds-per-target]   (default 15)
set -euo pipefail
seconds=${1:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
jobs=$(nproc 2>/dev/null || echo 2)
targets=(unhex unb64 hexfilter b64filter utf8 aead_open gcm_open unpad key_unwrap uncompress file_decrypt)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTESSALIB_FUZZ=ON -DTESSALIB_TOOLS=OFF >/dev/null
cmake --build "$build" --target fuzzers -j "$jobs"

run="$build/run"
rm -rf "$run"
mkdir -p "$run"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

fuzz_one() {  # target
  local t=$1
  cp -r "$root/tests/fuzz/corpus/$t" "$run/corpus-$t"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$run/crash-$t-" -print_final_stats=1 "$run/corpus-$t" >"$run/$t.log" 2>&1
}

# Run the targets side by side, as many at a time as there are cores.
declare -A pids=()
failed=()
for t in "${targets[@]}"; do
  while (( ${#pids[@]} >= jobs )); do
    wait -n || true
    for r in "${!pids[@]}"; do
      if ! kill -0 "${pids[$r]}" 2>/dev/null; then
        wait "${pids[$r]}" || failed+=("$r")
        unset "pids[$r]"
      fi
    done
  done
  fuzz_one "$t" &
  pids[$t]=$!
done
for r in "${!pids[@]}"; do
  wait "${pids[$r]}" || failed+=("$r")
done

for t in "${targets[@]}"; do
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$run/$t.log" | grep -o '[0-9]*$' || echo "?")
  printf 'fuzz_%-10s %s runs\n' "$t" "$runs"
done
if (( ${#failed[@]} > 0 )); then
  for t in "${failed[@]}"; do
    echo "=== fuzz_$t failed (log: $run/$t.log):"
    grep -m 5 -E 'check failed|ERROR: |runtime error|Test unit written' "$run/$t.log" || true
    tail -n 25 "$run/$t.log"
  done
  exit 1
fi
echo "fuzzers: all ${#targets[@]} targets ran ${seconds}s without a failure"
