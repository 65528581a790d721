#!/usr/bin/env bash
# The test command. With no arguments it runs every stage (that is what CI
# runs, through .ci/run); with stage names it runs just those, in that order:
#
#   scripts/test.sh                 every stage
#   scripts/test.sh release         the quick loop
#   scripts/test.sh asan fuzz
#
# The stages:
#   release  optimised build in build/release: the engine, API, OpenSSL-oracle,
#            example and tessa suites, the export list check, an install check
#   asan     the same suites built with AddressSanitizer and UndefinedBehavior-
#            Sanitizer in build/asan
#   tsan     the suites that use threads (thread blocks, last errors and
#            contexts per thread, the random generator's threads and a stress
#            run of stirs, draws and thread ends) built with ThreadSanitizer in
#            build/tsan
#   ct       the constant-time check in build/ct: ct_check under valgrind's
#            memcheck with the secrets marked undefined, after self-tests that
#            prove the marks catch a secret branch and a secret table index
#   fuzz     the libFuzzer targets of the text decoders, for a bounded time
#            (scripts/fuzz.sh)
#   windows  the Windows DLL cross-built with mingw-w64, its suites run under
#            Wine (scripts/test-windows.sh)
#   python   the Python package installed into a fresh virtual environment
#            (offline, from Debian's setuptools) and its pytest suite against
#            the library of build/release; a wheel carrying the library
#   guide    every C, Python and tessa snippet of docs/guide.md and
#            docs/errors.md, run
#
# First scripts/setup.sh installs what the chosen stages need (when run as
# root; otherwise it names what is missing and nothing runs). Every stage
# named runs; a stage that cannot (a tool missing, the oracle suite unable to
# find OpenSSL) fails and says why. The run passes only when every stage it
# ran passed, and the summary names the stages that did not run.
#
# A new stage is a stage_<name> function below, its name in `all_stages`, and
# its packages in scripts/setup.sh.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
start=$(date +%s)
all_stages=(release asan tsan ct fuzz windows python guide)

say() { printf 'test.sh: %s\n' "$*"; }
step() { printf '\n=== %s (%ds)\n' "$1" $(($(date +%s) - start)); }
usage() {  # exit status
  echo "usage: scripts/test.sh [STAGE...]   stages: ${all_stages[*]} (none: all of them)" >&2
  exit "$1"
}

# --- Inside a stage ----------------------------------------------------------
# A stage runs in a subshell that stops at the first failing command. The
# reason it stopped is written to $why for the summary.
stage_fails() {  # reason
  say "$current: $1" >&2
  printf '%s' "$1" >"$why"
  exit 1
}
require_tools() {  # command...
  local t
  for t in "$@"; do
    command -v "$t" >/dev/null || stage_fails "$t is not installed (scripts/setup.sh $current installs it)"
  done
}
# Configures (tests required, with the oracle suite) and builds a tree.
build_tree() {  # dir, cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DBUILD_TESTING=ON -DTESSALIB_ORACLE_TESTS=ON "$@" >/dev/null ||
    stage_fails "configuring $dir failed (the CMake error above says why)"
  cmake --build "$dir" -j "$jobs" || stage_fails "building $dir failed"
}
run_suites() {  # build dir
  ctest --test-dir "$1" --output-on-failure -j "$jobs" || stage_fails "tests failed in $1 (listed above)"
}

# --- The stages --------------------------------------------------------------
stage_release() {
  require_tools cmake ninja c++ cc pkg-config
  build_tree build/release -DCMAKE_BUILD_TYPE=Release
  run_suites build/release
  scripts/check-exports.sh build/release/libtessalib.so
  scripts/test-install.sh build/release
}

stage_asan() {
  require_tools cmake ninja c++
  build_tree build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALIB_SANITIZE=ON
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 run_suites build/asan
}

# The cases that run threads, by suite.
tsan_engine_cases='ThreadState.*:ThreadTable.*:RngThreads.*:WorkerThread/FilePipeModes.FilesAroundThePieceEdgesRoundTrip/*:WorkerThread/FilePipeModes.AFailingReadIsAnErrorAndLeavesNoOutput/*'
tsan_api_cases='LastError.IsPerThread:BlockContexts.HandlesAreRefusedInOtherThreads:MacApi.HandlesBelongToTheirThread'
stage_tsan() {
  require_tools cmake ninja c++ setarch
  cmake -S . -B build/tsan -G Ninja -DBUILD_TESTING=ON -DTESSALIB_ORACLE_TESTS=OFF -DTESSALIB_TOOLS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALIB_THREAD_SANITIZE=ON >/dev/null ||
    stage_fails "configuring build/tsan failed (the CMake error above says why)"
  cmake --build build/tsan -j "$jobs" --target engine_tests api_tests || stage_fails "building build/tsan failed"
  # ThreadSanitizer needs the address layout it expects: no randomisation.
  local tsan="setarch $(uname -m) -R env TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1"
  $tsan build/tsan/tests/engine_tests --gtest_brief=1 --gtest_filter="$tsan_engine_cases" ||
    stage_fails "ThreadSanitizer found a race (or a case failed) in engine_tests"
  $tsan build/tsan/tests/api_tests --gtest_brief=1 --gtest_filter="$tsan_api_cases" ||
    stage_fails "ThreadSanitizer found a race (or a case failed) in api_tests"
}

stage_ct() {
  require_tools cmake ninja c++ valgrind
  cmake -S . -B build/ct -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g \
    -DTESSALIB_CT_VALGRIND=ON -DTESSALIB_TOOLS=OFF >/dev/null ||
    stage_fails "configuring build/ct failed (the CMake error above says why)"
  cmake --build build/ct --target ct_check -j "$jobs" || stage_fails "building build/ct failed"
  local check=build/ct/tests/ct/ct_check which rc
  # A clean run proves something only if the marks catch a deliberate leak.
  for which in branch index; do
    valgrind -q --error-exitcode=99 "$check" --self-test "$which" >/dev/null 2>&1 && rc=0 || rc=$?
    ((rc == 99)) || stage_fails "valgrind did not catch the deliberate secret $which of the self-test (exit $rc)"
  done
  valgrind -q --error-exitcode=99 "$check" ||
    stage_fails "a branch or address depends on a secret (valgrind's report above)"
}

stage_fuzz() {
  require_tools cmake ninja clang clang++
  scripts/fuzz.sh
}

stage_windows() {
  scripts/test-windows.sh
}

# The library, its test build with live fault points (tessalib_faults, for
# the failed-state cases) and tessa of build/release (configured as the
# release stage does, so the two share the tree), built alone when the
# release stage did not run first.
release_library() {
  cmake -S . -B build/release -G Ninja -DBUILD_TESTING=ON -DTESSALIB_ORACLE_TESTS=ON \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || stage_fails "configuring build/release failed"
  cmake --build build/release -j "$jobs" --target tessalib tessalib_faults tessa ||
    stage_fails "building build/release failed"
}
# Debian's interpreter: its venv, setuptools and pytest are the packages setup.sh installs.
python_bin() { if [[ -x /usr/bin/python3 ]]; then echo /usr/bin/python3; else command -v python3; fi; }

stage_python() {
  require_tools cmake ninja c++ python3
  release_library
  local py venv=build/python/venv lib=$root/build/release/libtessalib.so.6
  py=$(python_bin)
  rm -rf build/python
  mkdir -p build/python
  # A fresh environment that sees Debian's pytest; the package goes in
  # offline, without build isolation (no index is reachable).
  "$py" -m venv --system-site-packages "$venv" || stage_fails "python3 -m venv failed (python3-venv)"
  "$venv/bin/pip" install -q --no-index --no-build-isolation --no-deps ./python ||
    stage_fails "pip install ./python failed"
  rm -rf python/build python/src/*.egg-info
  # From outside the source tree, so the installed package is the one tested.
  (cd build/python && TESSALIB_LIBRARY=$lib TESSALIB_HEADER=$root/include/tessalib.h \
    TESSALIB_FAULTS_LIBRARY=$root/build/release/libtessalib_faults.so \
    "$root/$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/python/tests") ||
    stage_fails "pytest failed (above)"
  # A wheel that carries the library loads its own copy with no variable set.
  cp -r python build/python/src
  "$venv/bin/python" build/python/src/tools/bundle.py "$lib" >/dev/null
  "$venv/bin/pip" wheel -q --no-index --no-build-isolation --no-deps -w build/python/dist build/python/src ||
    stage_fails "building the wheel failed"
  local wheel
  wheel=$(ls build/python/dist/tessalib-*.whl)
  [[ $wheel != *none-any.whl ]] || stage_fails "the wheel with the library is tagged as pure Python: $wheel"
  "$py" -m venv build/python/wheel-venv
  build/python/wheel-venv/bin/pip install -q --no-index --no-deps "$wheel" || stage_fails "installing $wheel failed"
  (cd build/python && env -u TESSALIB_LIBRARY -u LD_LIBRARY_PATH wheel-venv/bin/python -c '
import tessalib
path = tessalib.library_path()
assert "site-packages/tessalib/lib/" in path, path
assert tessalib.hash.hexdigest("sha256", b"abc").startswith("ba7816bf"), "wrong digest"
print("the wheel loads its own library:", path)') || stage_fails "the wheel does not load its own library"
}

stage_guide() {
  require_tools cmake ninja cc python3
  release_library
  local py
  py=$(python_bin)
  rm -rf build/guide
  "$py" -m venv --system-site-packages build/guide/venv || stage_fails "python3 -m venv failed (python3-venv)"
  build/guide/venv/bin/pip install -q --no-index --no-build-isolation --no-deps ./python ||
    stage_fails "pip install ./python failed"
  rm -rf python/build python/src/*.egg-info
  local page
  for page in docs/guide.md docs/errors.md; do
    build/guide/venv/bin/python scripts/run-guide.py "$page" --build build/release \
      --python build/guide/venv/bin/python || stage_fails "a snippet of $page failed (above)"
  done
}

# --- The run -----------------------------------------------------------------
stages=()
for s in "$@"; do
  [[ $s == -h || $s == --help ]] && usage 0
  [[ " ${all_stages[*]} " == *" $s "* ]] || { echo "test.sh: unknown stage '$s'" >&2; usage 2; }
  [[ " ${stages[*]-} " == *" $s "* ]] || stages+=("$s")
done
(($# > 0)) || stages=("${all_stages[@]}")

step "setup for: ${stages[*]}"
if ! scripts/setup.sh "${stages[@]}"; then
  say "FAILED: the set-up for ${stages[*]} did not complete (see above); no stage ran"
  exit 1
fi

why=$(mktemp)
trap 'rm -f "$why"' EXIT
results=()
failed=0
for current in "${stages[@]}"; do
  step "$current"
  : >"$why"
  stage_start=$(date +%s)
  (
    set -eEuo pipefail
    trap 'rc=$?; [[ -s $why ]] || printf "%s (exit %d)" "$BASH_COMMAND" "$rc" >"$why"' ERR
    "stage_$current"
  )
  rc=$?
  took=$(($(date +%s) - stage_start))
  if ((rc == 0)); then
    results+=("$(printf '  %-8s passed (%ds)' "$current" "$took")")
  else
    failed=1
    reason=$(cat "$why")
    results+=("$(printf '  %-8s FAILED (%ds): %s' "$current" "$took" "${reason:-exit $rc}")")
  fi
done

not_run=()
for s in "${all_stages[@]}"; do
  [[ " ${stages[*]} " == *" $s "* ]] || not_run+=("$s")
done
step "summary"
printf '%s\n' "${results[@]}"
((${#not_run[@]} == 0)) || printf '  not run: %s\n' "${not_run[*]}"
if ((failed)); then
  say "FAILED"
  exit 1
fi
if ((${#not_run[@]} == 0)); then
  say "all tests passed"
else
  say "the stages run passed: ${stages[*]}"
fi
