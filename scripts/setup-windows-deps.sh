#!/usr/bin/env bash
# Builds the static libraries the Windows build needs and no mingw-w64 package
# provides: Zstandard, from the Debian source package of the system's own
# suite, cross-compiled (its lib/ only) with mingw-w64 into a prefix that
# cmake/windows.cmake finds.
#
#   scripts/setup-windows-deps.sh [BUILD_ROOT]
#
# BUILD_ROOT defaults to build/windows-deps under the source root; the source
# goes to BUILD_ROOT/src, the result to BUILD_ROOT/prefix ({include,lib}).
# Nothing is done when the prefix already holds the library. Adding the
# source entries to apt needs root; without root the script says what is
# missing and fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:-$root/build/windows-deps}
prefix=$deps/prefix
triple=x86_64-w64-mingw32
# The Debian release the machine runs; its source is the one taken.
suite=$( (. /etc/os-release && echo "${VERSION_CODENAME:-}") 2>/dev/null || true)
suite=${suite:-bookworm}

if [[ -f $prefix/lib/libzstd.a && -f $prefix/include/zstd.h ]]; then
  exit 0
fi

for tool in $triple-gcc $triple-ar make dpkg-source; do
  command -v "$tool" >/dev/null || { echo "setup-windows-deps: $tool is missing (run scripts/setup.sh windows)" >&2; exit 1; }
done

# Source entries for the suites the machine already installs from.
if ! apt-cache showsrc libzstd >/dev/null 2>&1 || [[ -z $(apt-cache showsrc libzstd 2>/dev/null) ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup-windows-deps: apt has no source entries; run as root to add them" >&2
    exit 1
  fi
  main_sources=/etc/apt/sources.list.d/debian.sources
  src_sources=/etc/apt/sources.list.d/tessalib-deb-src.sources
  if [[ -f $main_sources ]]; then
    # The stanzas (deb822) of the release's own suite, as source entries.
    awk -v RS= -v ORS='\n\n' -v suite="$suite" '
      $0 ~ ("\nSuites:([^\n]* )?" suite "( |\n|$)") {
        sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print
      }' "$main_sources" >"$src_sources"
  elif [[ -f /etc/apt/sources.list ]]; then
    grep -E "^deb [^ ]+ $suite( |\$)" /etc/apt/sources.list | sed -E 's/^deb /deb-src /' \
      >/etc/apt/sources.list.d/tessalib-deb-src.list
  fi
  if [[ ! -s $src_sources && ! -s /etc/apt/sources.list.d/tessalib-deb-src.list ]]; then
    echo "setup-windows-deps: no apt source list found" >&2
    exit 1
  fi
  echo "setup-windows-deps: added apt source entries; updating the package lists"
  apt-get update -qq
fi

# The source package, unpacked under the build tree.
mkdir -p "$deps/src"
srcdir=$(find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name 'libzstd-*' -print -quit)
if [[ -z $srcdir ]]; then
  echo "setup-windows-deps: fetching the libzstd source package"
  (cd "$deps/src" && apt-get source -qq "libzstd/$suite" >/dev/null)
  srcdir=$(find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name 'libzstd-*' -print -quit)
fi
[[ -n $srcdir && -f $srcdir/lib/zstd.h ]] || { echo "setup-windows-deps: no libzstd source in $deps/src" >&2; exit 1; }

# The library alone, static, single-threaded (no threading runtime needed).
echo "setup-windows-deps: building static libzstd for $triple"
make -C "$srcdir/lib" -s clean >/dev/null
make -C "$srcdir/lib" -s -j"$(nproc 2>/dev/null || echo 2)" libzstd.a \
  CC="$triple-gcc" AR="$triple-ar" RANLIB="$triple-ranlib" \
  CFLAGS="-O2" ZSTD_LEGACY_SUPPORT=0 >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$srcdir/lib/libzstd.a" "$prefix/lib/"
cp "$srcdir/lib/zstd.h" "$srcdir/lib/zstd_errors.h" "$srcdir/lib/zdict.h" "$prefix/include/"
echo "setup-windows-deps: Zstandard installed in $prefix"
