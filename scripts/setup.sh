#!/usr/bin/env bash
# Installs the system packages the build and the tests need, when missing.
# Runs apt-get only as root; otherwise it only reports what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev googletest libbenchmark-dev libssl-dev
  zlib1g-dev libzstd-dev
  clang libclang-rt-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64 libz-mingw-w64-dev wine wine64 dpkg-dev xz-utils
)
if [[ "${1:-}" == "--main-only" ]]; then
  packages=(build-essential cmake ninja-build pkg-config zlib1g-dev libzstd-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
if [[ $(id -u) -ne 0 ]]; then
  echo "setup: missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
