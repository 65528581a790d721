#!/usr/bin/env bash
# Builds the library and the tessa command-line tool, then runs tessa with the
# given arguments, or a short demonstration when there are none.
# Installs missing system packages first when run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh --main-only
cmake -S . -B build/main -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALIB_TESTS=OFF >/dev/null
cmake --build build/main -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
tessa=build/main/tessa
if (($# > 0)); then
  exec "$tessa" "$@"
fi
demo() { printf '\n$ tessa %s\n' "$*"; "$tessa" "$@"; }
demo version
demo error 33
demo --help
