#!/usr/bin/env bash
# Cross-builds Tessalib.dll and the test programs for 64-bit Windows with
# mingw-w64 and runs them under Wine:
#   1. checks the tools (runs scripts/setup.sh when one is missing) and builds
#      the static Zstandard library (scripts/setup-windows-deps.sh);
#   2. configures and builds build/windows with cmake/toolchain-mingw64.cmake;
#   3. runs engine_tests.exe, api_tests.exe and the dynamic-loading example
#      under Wine, in a Wine prefix of its own inside build/windows, with no
#      display (so no window can wait for a user, and the keyboard-entropy
#      dialog cannot be created); then the dialog's own cases once more on a
#      virtual X display (Xvfb), where they drive the real dialog;
#   4. checks the DLL's export table against include/tessalib.h and that it
#      imports Windows system DLLs only.
# Exits nonzero when any step fails, and prints how long it took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)
build=$root/build/windows
deps=$root/build/windows-deps
triple=x86_64-w64-mingw32
jobs=$(nproc 2>/dev/null || echo 2)

say() { printf 'test-windows: %s\n' "$*"; }
elapsed() { echo "$(( $(date +%s) - start ))s"; }

# --- 1. Tools and dependencies ----------------------------------------------
find_wine() {
  local w
  for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [[ -n $w && -x $w ]] && { echo "$w"; return 0; }
  done
  return 1
}
tools_ok() {
  local t
  for t in cmake ninja $triple-g++-posix $triple-gcc-posix $triple-windres $triple-windmc $triple-objdump Xvfb; do
    command -v "$t" >/dev/null || return 1
  done
  find_wine >/dev/null && [[ -d /usr/src/googletest ]]
}
if ! tools_ok; then
  say "tools missing: running scripts/setup.sh windows"
  scripts/setup.sh windows
  tools_ok || { say "the cross toolchain or Wine is still missing"; exit 1; }
fi
wine=$(find_wine)
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo "")

scripts/setup-windows-deps.sh "$deps"

# --- 2. Build ----------------------------------------------------------------
# The build runs Wine too (tessalib_seal.exe seals the DLL right after its
# link), so the Wine prefix comes first: a prefix of our own; no display, so
# no window can wait for a user; no .NET or HTML runtime installs.
mkdir -p "$build"
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
xvfb_pid=""
stop_wine() {
  [[ -n $wineserver ]] && "$wineserver" -k >/dev/null 2>&1 || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_wine EXIT
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  say "creating the Wine prefix"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  [[ -n $wineserver ]] && "$wineserver" -w || true
  [[ -f $WINEPREFIX/system.reg ]] || { say "Wine could not create $WINEPREFIX"; exit 1; }
fi

say "building in $build"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
  -DTESSALIB_WINDOWS_DEPS="$deps/prefix" >/dev/null
cmake --build "$build" -j "$jobs"
bin=$build/bin
dll=$bin/Tessalib.dll

# --- 3. The suites under Wine ----------------------------------------------
failures=()
run() {  # name, program, arguments...
  local name=$1
  shift
  say "running $name"
  if ! (cd "$bin" && timeout 900 "$wine" "$@"); then
    failures+=("$name")
  fi
}
run engine_tests engine_tests.exe --gtest_brief=1
# The AES, CMAC, GCM and AEAD suites on the narrower paths (the 256-bit ones
# are not built for Windows: there the widest is aesni).
aes_suites=$(sed -n 's/^  "\(AesPaths[^"]*\)")$/\1/p' tests/CMakeLists.txt)
[[ -n $aes_suites ]] || { say "the AES suite list was not found in tests/CMakeLists.txt"; exit 1; }
TESSALIB_TEST_AES_PATH=tables run engine_tests_aes_tables engine_tests.exe --gtest_brief=1 --gtest_filter="$aes_suites"
TESSALIB_TEST_DIALOG=none run api_tests api_tests.exe --gtest_brief=1
run dynload_example dynload_example.exe Tessalib.dll

# The keyboard-entropy dialog on a virtual display of our own (the first free
# display number from 90 up).
display_no=90
while [[ -e /tmp/.X11-unix/X$display_no || -e /tmp/.X$display_no-lock ]]; do display_no=$((display_no + 1)); done
Xvfb ":$display_no" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display_no ]] && break; sleep 0.1; done
if [[ -e /tmp/.X11-unix/X$display_no ]]; then
  # Wine picks its display driver when its desktop starts: restart it.
  [[ -n $wineserver ]] && "$wineserver" -k >/dev/null 2>&1 || true
  [[ -n $wineserver ]] && "$wineserver" -w >/dev/null 2>&1 || true
  DISPLAY=":$display_no" TESSALIB_TEST_DIALOG=display \
    run prompt_dialog api_tests.exe --gtest_brief=1 --gtest_filter='WindowsPrompt.*'
else
  say "Xvfb did not start on :$display_no"
  failures+=("prompt_dialog")
fi
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""

# --- 4. The DLL's exports and imports --------------------------------------
scripts/check-exports.sh "$dll" || failures+=("exports")

# No aligned 256- or 512-bit move to or from memory: the stack is 16-byte
# aligned only, and the assembler is to write such moves unaligned
# (cmake/windows.cmake).
aligned=$($triple-objdump -d --no-show-raw-insn "$dll" |
  grep -E 'vmov(dqa|dqa32|dqa64|aps|apd|ntdq|ntps|ntpd)[[:space:]].*%[yz]mm' | grep -F '(' || true)
if [[ -n $aligned ]]; then
  say "Tessalib.dll has aligned 256/512-bit moves to or from memory:"
  printf '%s\n' "$aligned" | head -5
  failures+=("aligned-moves")
else
  say "Tessalib.dll has no aligned 256/512-bit moves to or from memory"
fi

# Only DLLs every 64-bit Windows has: no compiler runtime, no zlib1.dll.
system_dlls='^(kernel32|kernelbase|ntdll|advapi32|user32|gdi32|comctl32|shell32|ole32|oleaut32|version|bcrypt|crypt32|ws2_32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$($triple-objdump -p "$dll" | awk '/DLL Name:/ { print $3 }')
foreign=$(printf '%s\n' "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
if [[ -n $foreign ]]; then
  say "Tessalib.dll imports non-system DLLs: $(echo $foreign)"
  failures+=("imports")
else
  say "Tessalib.dll imports system DLLs only: $(echo $imports)"
fi

if ((${#failures[@]} > 0)); then
  say "FAILED: ${failures[*]} (after $(elapsed))"
  exit 1
fi
say "all Windows checks passed in $(elapsed)"
