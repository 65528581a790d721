#!/usr/bin/env bash
# Installs the Debian packages that the named parts of the build need, when
# they are missing. Runs apt-get only as root; otherwise it lists what is
# missing and fails.
#
#   scripts/setup.sh [PART...]
#
# Parts: library (the library and tessa: a compiler, CMake, Ninja, zlib and
# zstd), the test stages of scripts/test.sh (release, asan, tsan, ct, fuzz, windows,
# python, guide) and
# bench (scripts/bench.sh). Every part includes library. No part: all of them.
# A new test stage adds its line to `needs` below.
set -euo pipefail

declare -A needs=(
  [library]="build-essential cmake ninja-build pkg-config zlib1g-dev libzstd-dev"
  [release]="libgtest-dev libssl-dev python3-cryptography-vectors"
  [asan]="libgtest-dev libssl-dev python3-cryptography-vectors"
  [tsan]="libgtest-dev util-linux"
  [ct]="valgrind"
  [fuzz]="clang libclang-rt-dev"
  [windows]="g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64
             libz-mingw-w64-dev googletest wine wine64 dpkg-dev xz-utils xvfb python3-cryptography-vectors"
  [python]="python3 python3-venv python3-setuptools python3-wheel python3-pytest"
  [guide]="python3 python3-venv python3-setuptools"
  [bench]="libbenchmark-dev libssl-dev python3"
)
all_parts=(library release asan tsan ct fuzz windows python guide bench)

usage() {  # exit status
  echo "usage: scripts/setup.sh [PART...]   parts: ${all_parts[*]}" >&2
  exit "$1"
}

parts=("$@")
((${#parts[@]} > 0)) || parts=("${all_parts[@]}")
packages=(${needs[library]})
for part in "${parts[@]}"; do
  [[ $part == -h || $part == --help ]] && usage 0
  [[ -n ${needs[$part]+set} ]] || { echo "setup: unknown part '$part'" >&2; usage 2; }
  packages+=(${needs[$part]})
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
if [[ $(id -u) -ne 0 ]]; then
  echo "setup: missing packages for ${parts[*]} (run as root to install): ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
