#!/usr/bin/env bash
# Compares the exports of a built library with the functions declared in the
# public header, include/tessalib.h (every `TESSALIB_API <type> TESSALIB_CALL
# Name(`). The library must export exactly those names, undecorated, and
# nothing else.
#
#   scripts/check-exports.sh build/release/libtessalib.so
#   scripts/check-exports.sh build/windows/bin/Tessalib.dll
#
# Exit status 0 when the lists agree; 1 with the differences listed otherwise;
# 2 on a usage error or a file that cannot be read.
set -euo pipefail

usage() {
  echo "usage: check-exports.sh <libtessalib.so | Tessalib.dll> [header]" >&2
  exit 2
}
[[ $# -ge 1 && $# -le 2 ]] || usage
lib=$1
root=$(cd "$(dirname "$0")/.." && pwd)
header=${2:-$root/include/tessalib.h}
[[ -r $lib ]] || { echo "check-exports: cannot read $lib" >&2; exit 2; }
[[ -r $header ]] || { echo "check-exports: cannot read $header" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Declared names: comments and preprocessor lines removed, then every
# declaration that carries both macros, however it is broken over lines.
perl -0777 -ne '
  s{/\*.*?\*/}{ }gs;
  s{//[^\n]*}{}g;
  s{^[ \t]*#[^\n]*(?:\\\n[^\n]*)*}{}mg;
  while (/\bTESSALIB_API\b[^;{}()]*?\bTESSALIB_CALL\s+([A-Za-z_]\w*)\s*\(/g) { print "$1\n"; }
' "$header" | LC_ALL=C sort >"$work/declared"

# Exported names of the library.
magic=$(head -c 4 "$lib" | od -An -tx1 | tr -d ' \n')
case $magic in
  7f454c46)  # ELF shared object
    # Absolute symbols ("A") are the version nodes of the symbol versioning
    # (TESSALIB_6), not functions.
    nm -D --defined-only "$lib" | awk 'NF >= 3 && $2 != "A" { print $3 }' |
      sed 's/@.*//' | grep -vxE '_init|_fini|_edata|_end|__bss_start' | LC_ALL=C sort -u >"$work/exported" || true
    ;;
  4d5a*)  # PE image (MZ)
    objdump=objdump
    command -v x86_64-w64-mingw32-objdump >/dev/null && objdump=x86_64-w64-mingw32-objdump
    # The name table lists each exported name once: "[   n] Name".
    "$objdump" -p "$lib" | awk '
      /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
      names && /^[ \t]*\[ *[0-9]+\] / { sub(/^[ \t]*\[ *[0-9]+\] /, ""); print; next }
      names && /^[ \t]*$/ { names = 0 }
    ' | awk '!/\+base\[/' | LC_ALL=C sort -u >"$work/exported"
    ;;
  *)
    echo "check-exports: $lib is neither an ELF shared object nor a PE image" >&2
    exit 2
    ;;
esac

if [[ ! -s $work/declared ]]; then
  echo "check-exports: no exports declared in $header" >&2
  exit 1
fi

missing=$(LC_ALL=C comm -23 "$work/declared" "$work/exported")
extra=$(LC_ALL=C comm -13 "$work/declared" "$work/exported")
if [[ -n $missing || -n $extra ]]; then
  echo "check-exports: $lib does not match $header" >&2
  [[ -n $missing ]] && printf '  declared but not exported: %s\n' $missing >&2
  [[ -n $extra ]] && printf '  exported but not declared: %s\n' $extra >&2
  exit 1
fi
echo "check-exports: $(basename "$lib") exports the $(wc -l <"$work/declared") functions of the header"
