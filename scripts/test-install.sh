#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and builds a consumer twice:
# with find_package(Tessalib) and with pkg-config.
set -euo pipefail
build=${1:?usage: test-install.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$root/tests/install" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/consumer" >/dev/null
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
cc "$root/tests/install/consumer.c" -o "$work/consumer-pc" $(pkg-config --cflags --libs tessalib)
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer-pc" >/dev/null
echo "install: find_package and pkg-config consumers work"
